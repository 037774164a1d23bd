// Reading a whole number from a typed or stored line, the one way the program
// does it: blanks, tabs and line ends before it are skipped, the number is the
// characters up to the next blank, tab or line end (an optional sign, then
// decimal digits), and the rest of the line is not looked at.
#pragma once

#include <cstdint>
#include <string_view>

namespace tavolin {

struct WholeNumber {
    enum class Kind : std::uint8_t { Blank, NotANumber, Number };
    Kind kind = Kind::Blank;
    // For a number: its value, held at -32769 or 32768 when it lies beyond
    // the 16-bit range, so that callers can tell it is out of range and on
    // which side.
    std::int32_t value = 0;
};

WholeNumber parse_whole_number(std::string_view line);

}  // namespace tavolin
