// Text as the screen shows it: how many columns each character of a UTF-8
// text takes, and the form in which the text may reach a screen.
//
// One rule for every text on its way to a screen: a control byte (0 to 31,
// 127) and a C1 control character (U+0080 to U+009F) are shown as one '?',
// so that nothing in the text can drive the terminal, and a tab as one
// blank; a byte that is not part of well-formed UTF-8 (a stray continuation
// byte, a byte that cannot start a character, a character cut short, an
// overlong form, a surrogate) is shown as one '?' too, so that the screen
// only ever gets UTF-8. Files keep their bytes as they are.
//
// Widths come from a table made from the Unicode Character Database, the
// same on every platform, with no locale: wide and fullwidth characters and
// emoji shown as emoji take two columns; combining marks and format
// characters none; everything else, East Asian ambiguous characters
// included, one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavolin {

// The Unicode version the width table was made from.
std::string_view unicode_version();

// The columns of one code point (0, 1 or 2).
int code_point_columns(char32_t code);

// One character of a text as the screen takes it.
struct ScreenChar {
    std::size_t size = 1;      // its bytes in the text
    int columns = 1;           // 0, 1 or 2
    bool placeholder = false;  // shown as '?' (or a tab as a blank), not as it is
};

// The character that starts at byte pos (pos < text.size()); a byte that is
// not part of a well-formed character is one character of its own.
ScreenChar screen_char(std::string_view text, std::size_t pos);

// Where the last character of a non-empty text begins, together with the
// characters of no column that follow it (the combining marks on it): what
// Backspace takes away at once.
std::size_t last_cluster_start(std::string_view text);

// The columns a text takes on the screen.
std::size_t text_columns(std::string_view text);

// The text as it may reach the screen.
std::string screen_form(std::string_view text);

}  // namespace tavolin
