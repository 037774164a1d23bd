#include "ground/console/console.hpp"

#include <algorithm>
#include <cstdint>

#include "ground/base/errors.hpp"
#include "ground/base/format.hpp"
#include "ground/console/line_editor.hpp"
#include "ground/base/whole_number.hpp"

namespace tavolin {

void Console::write(std::string_view text) {
    note_row(text);
    put_text(text);
}

void Console::set_colour(int colour) {
    colour_ = colour;
    put_colour(colour);
}

void Console::clear_screen() {
    row_.clear();
    put_clear();
}

// The row starts afresh after every line end; the text after the last one
// joins the row, in the current colour.
void Console::note_row(std::string_view text) {
    if (const std::size_t end = text.rfind('\n'); end != std::string_view::npos) {
        row_.clear();
        text.remove_prefix(end + 1);
    }
    if (text.empty()) return;
    if (row_.empty() || row_.back().colour != colour_) row_.push_back({colour_, {}});
    row_.back().text += text;
}

// Takes erased echo (always at the end of the row) off the row.
void Console::erase_row(std::size_t bytes) {
    while (bytes > 0 && !row_.empty()) {
        std::string& text = row_.back().text;
        const std::size_t here = std::min(bytes, text.size());
        text.resize(text.size() - here);
        bytes -= here;
        if (text.empty()) row_.pop_back();
    }
}

void Console::write_int(long long value, int width) {
    std::string text = std::to_string(value);
    if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    write(text);
}

void Console::write_fixed2(double value, int width) { write(format_fixed2(value, width)); }

Key Console::next_key() {
    if (pending_) {
        const Key key = *pending_;
        pending_.reset();
        return key;
    }
    return read_key();
}

std::string Console::read_line() {
    LineEditor editor;
    for (;;) {
        const LineEditor::Effect effect = editor.apply(next_key());
        if (!effect.erase.empty()) {
            erase_row(effect.erase.size());
            erase_back(effect.erase);
        }
        if (!effect.echo.empty()) {
            note_row(effect.echo);
            put_echo(effect.echo);
        }
        if (effect.end_of_input) throw EndOfInput();
        if (effect.done) {
            end_line();
            return editor.text();
        }
    }
}

char Console::read_char() {
    const std::string line = read_line();
    return line.empty() ? '\r' : line.front();
}

NumberInput Console::read_number() {
    for (;;) {
        const WholeNumber n = parse_whole_number(read_line());
        if (n.kind == WholeNumber::Kind::Blank) continue;  // an empty line: keep waiting
        if (n.kind == WholeNumber::Kind::NotANumber) return {};
        // Beyond the 16-bit range a number settles at the nearest end.
        const std::int32_t value = std::clamp<std::int32_t>(n.value, INT16_MIN, INT16_MAX);
        return {static_cast<std::int16_t>(value), true};
    }
}

void Console::wait_key() {
    if (pending_) return;
    note_key_wait();
    const Key key = read_key();
    if (key.kind == Key::Kind::EndOfFile) throw EndOfInput();
    // Ctrl-D ends the wait as Delete does and is not kept: kept, it would
    // reach the next answer as the end of the input.
    if (key.kind == Key::Kind::CtrlD) return;
    pending_ = key;
}

void Console::wait_key_dropped() {
    wait_key();
    pending_.reset();
}

}  // namespace tavolin
