#include "support/scripted_console.hpp"

#include <algorithm>


namespace tavolin {

void ScriptedConsole::type(std::string_view bytes) {
    burst_time_ += 1000;
    for (const char c : bytes) input_.emplace_back(static_cast<unsigned char>(c), burst_time_);
}

void ScriptedConsole::line(std::string_view text) {
    std::string burst(text);
    burst += '\r';
    type(burst);
}

void ScriptedConsole::lines(std::initializer_list<std::string_view> texts) {
    for (const std::string_view text : texts) line(text);
}

void ScriptedConsole::reset_output() {
    transcript_.clear();
    text_.clear();
    screen_start_ = 0;
    pauses_.clear();
    clears_ = 0;
    erasures_.clear();
}

void ScriptedConsole::put_text(std::string_view text) {
    cursor_.track(text);
    transcript_ += text;
    text_ += text;
}

void ScriptedConsole::put_colour(int colour) {
    colour_ = colour;
    transcript_ += "{c" + std::to_string(colour) + "}";
}

void ScriptedConsole::put_clear() {
    transcript_ += "{clear}";
    screen_start_ = text_.size();
    ++clears_;
    cursor_.restart();
}

void ScriptedConsole::hide_cursor() {
    transcript_ += "{hide}";
    cursor_visible_ = false;
}

void ScriptedConsole::show_cursor() {
    transcript_ += "{show}";
    cursor_visible_ = true;
}

void ScriptedConsole::pause(std::chrono::milliseconds ms) {
    transcript_ += "{pause " + std::to_string(ms.count()) + "}";
    pauses_.push_back(static_cast<int>(ms.count()));
}

void ScriptedConsole::note_key_wait() { transcript_ += "{key}"; }

Key ScriptedConsole::read_key() {
    for (;;) {
        if (auto key = decoder_.take()) return *key;
        if (input_.empty()) {
            decoder_.finish();
            if (auto key = decoder_.take()) return *key;
            return Key::of(Key::Kind::EndOfFile);
        }
        const auto [byte, time] = input_.front();
        input_.pop_front();
        decoder_.expire(time);
        decoder_.feed(byte, time);
    }
}

void ScriptedConsole::erase_back(std::string_view erased) {
    // The erased text is always the echo just written: it comes off the end
    // of both records.
    for (std::string* s : {&transcript_, &text_}) s->resize(s->size() - std::min(erased.size(), s->size()));
    const std::string seq = cursor_.erase(erased);
    if (width_) erasures_ += seq;
}

}  // namespace tavolin
