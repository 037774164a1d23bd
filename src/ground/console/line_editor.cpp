#include "ground/console/line_editor.hpp"

#include "ground/base/utf8.hpp"

namespace tavolin {

std::size_t LineEditor::erase_last() {
    if (text_.empty()) return 0;
    text_.erase(utf8::last_char_start(text_));
    return 1;  // every character is echoed one column wide
}

LineEditor::Effect LineEditor::apply(const Key& key) {
    Effect effect;
    switch (key.kind) {
        case Key::Kind::Char: {
            const std::string_view c = key.text();
            if (c.empty() || text_.size() + c.size() > kMaxBytes) break;
            text_ += c;
            // A tab is echoed as one blank so that every character stays one
            // column wide and Backspace can erase it exactly.
            effect.echo = (c == "\t") ? std::string(" ") : std::string(c);
            break;
        }
        case Key::Kind::Backspace:
            effect.erase_columns = erase_last();
            break;
        case Key::Kind::Escape:
            while (!text_.empty()) effect.erase_columns += erase_last();
            break;
        case Key::Kind::Enter:
            effect.done = true;
            break;
        case Key::Kind::CtrlD:
            effect.end_of_input = text_.empty();
            break;
        case Key::Kind::EndOfFile:
            // A last line without its line end still counts as a line; the
            // next read then finds the end of input.
            if (text_.empty()) {
                effect.end_of_input = true;
            } else {
                effect.done = true;
            }
            break;
        case Key::Kind::Ignored:
            break;
    }
    return effect;
}

}  // namespace tavolin
