#include "shell/console.hpp"

#include <charconv>
#include <limits>

#include "shell/errors.hpp"
#include "shell/format.hpp"
#include "shell/line_editor.hpp"

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
    constexpr std::string_view kBlank = " \t\r\n";
    for (;;) {
        const std::string line = read_line();
        const std::size_t start = line.find_first_not_of(kBlank);
        if (start == std::string::npos) continue;  // an empty line: keep waiting
        std::size_t end = line.find_first_of(kBlank, start);
        if (end == std::string::npos) end = line.size();
        std::string_view word(line.data() + start, end - start);

        bool negative = false;
        if (word.front() == '+' || word.front() == '-') {
            negative = word.front() == '-';
            word.remove_prefix(1);
        }
        if (word.empty() || word.find_first_not_of("0123456789") != std::string_view::npos) return {};
        // Digits beyond the 16-bit range settle at its nearest end; the count
        // of digits is unbounded, so the value is clamped while it is read.
        constexpr long kMax = std::numeric_limits<std::int16_t>::max();
        long magnitude = 0;
        for (const char c : word) {
            magnitude = magnitude * 10 + (c - '0');
            if (magnitude > kMax + 1) magnitude = kMax + 1;
        }
        long value = negative ? -magnitude : magnitude;
        if (value > kMax) value = kMax;
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
