// Erasing typed text when the output is a pipe or a file, where no cursor can
// be moved: the echo still collected (not yet written) is simply taken back,
// and what was already written is rubbed out with "\b \b", once a column, so
// that the output reads like the screen. Both backends collect their output
// the same way, so they share this.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "ground/base/text_width.hpp"

namespace tavolin {

// Takes `erased`, the echo written last, out of `collected`; `rubbed_out`
// marks the end of what may no longer be taken back (it ends in a "\b \b"
// already).
inline void erase_plain_echo(std::string& collected, std::size_t& rubbed_out, std::string_view erased) {
    // The part of the echo still collected is whole characters at its end.
    std::size_t kept = erased.size();
    while (kept > 0 && !(collected.size() >= rubbed_out + kept && collected.ends_with(erased.substr(erased.size() - kept)))) {
        kept -= screen_char(erased.substr(erased.size() - kept), 0).size;
    }
    collected.resize(collected.size() - kept);
    const std::size_t columns = text_columns(erased.substr(0, erased.size() - kept));
    if (columns == 0) return;
    for (std::size_t i = 0; i < columns; ++i) collected += "\b \b";
    rubbed_out = collected.size();
}

}  // namespace tavolin
