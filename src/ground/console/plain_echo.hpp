// Erasing typed text when the output is a pipe or a file, where no cursor can
// be moved: the echo still collected (not yet written) is simply taken back,
// and a character already written is rubbed out with "\b \b", so that the
// output reads like the screen. Both backends collect their output the same
// way, so they share this.
#pragma once

#include <cstddef>
#include <string>

#include "ground/base/utf8.hpp"

namespace tavolin {

// Erases one character of echo from `collected`; `rubbed_out` marks the end
// of what may no longer be taken back (it ends in a "\b \b" already).
inline void erase_plain_echo(std::string& collected, std::size_t& rubbed_out) {
    if (collected.size() > rubbed_out && collected.back() != '\n') {
        collected.erase(utf8::last_char_start(collected));
    } else {
        collected += "\b \b";
        rubbed_out = collected.size();
    }
}

}  // namespace tavolin
