#include "shell/console/console.hpp"

#include <algorithm>
#include <cstdint>

#include "shell/errors.hpp"
#include "shell/format.hpp"
#include "shell/console/line_editor.hpp"
#include "shell/whole_number.hpp"

namespace tavolin {

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
        if (effect.erase_columns > 0) erase_back(effect.erase_columns);
        if (!effect.echo.empty()) write(effect.echo);
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
    pending_ = key;
}

}  // namespace tavolin
