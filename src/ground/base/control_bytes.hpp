// The bytes a terminal may take as commands rather than text: 0 to 31 and
// 127. Text from a file (a quiz, a name in the results log) shows each of
// them as one '?' before it reaches a screen, so that the text keeps its
// length and nothing in it can drive the terminal.
#pragma once

namespace tavolin {

inline constexpr char kControlPlaceholder = '?';

constexpr bool is_control_byte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

}  // namespace tavolin
