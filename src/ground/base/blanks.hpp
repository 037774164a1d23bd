// Blanks as the program reads typed answers and numbers: the blank, the tab
// and the line-end bytes, the space a taker or an editor may leave around a
// word without meaning it.
#pragma once

#include <string>
#include <string_view>

namespace tavolin {

inline constexpr std::string_view kBlanks = " \t\r\n";

// The text without the blanks at either end.
inline std::string trim_blanks(std::string_view text) {
    const std::size_t start = text.find_first_not_of(kBlanks);
    if (start == std::string_view::npos) return {};
    const std::size_t end = text.find_last_not_of(kBlanks);
    return std::string(text.substr(start, end - start + 1));
}

}  // namespace tavolin
