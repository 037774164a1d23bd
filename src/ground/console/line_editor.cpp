#include "ground/console/line_editor.hpp"

#include "ground/base/text_width.hpp"

namespace tavolin {

LineEditor::Effect LineEditor::apply(const Key& key) {
    Effect effect;
    switch (key.kind) {
        case Key::Kind::Char: {
            const std::string_view c = key.text();
            if (c.empty() || text_.size() + c.size() > kMaxBytes) break;
            text_ += c;
            break;
        }
        case Key::Kind::Backspace:
            if (!text_.empty()) text_.erase(last_cluster_start(text_));
            break;
        case Key::Kind::Escape:
            text_.clear();
            break;
        case Key::Kind::Enter:
            effect.done = true;
            return effect;
        case Key::Kind::CtrlD:
            effect.end_of_input = text_.empty();
            return effect;
        case Key::Kind::EndOfFile:
            // A last line without its line end still counts as a line; the
            // next read then finds the end of input.
            if (text_.empty()) {
                effect.end_of_input = true;
            } else {
                effect.done = true;
            }
            return effect;
        case Key::Kind::Ignored:
            return effect;
    }
    // The shown text is kept up to the first character that differs.
    std::string shown = screen_form(text_);
    std::size_t same = 0;
    while (same < shown_.size() && same < shown.size()) {
        const std::size_t size = screen_char(shown_, same).size;
        if (shown_.compare(same, size, shown, same, size) != 0) break;
        same += size;
    }
    effect.erase = shown_.substr(same);
    effect.echo = shown.substr(same);
    shown_ = std::move(shown);
    return effect;
}

}  // namespace tavolin
