// Text from a quiz file on its way to the screen. A quiz file is anybody's
// text: an escape sequence in it must not drive the terminal. Each control
// byte (0 to 31 and 127) is shown as one '?', except a tab, which is shown as
// one blank, as the line editor echoed it to the author. Either way the text
// keeps its length and every width worked out from it stays true; the file
// itself is never changed.
#pragma once

#include <string>
#include <string_view>

#include "ground/base/control_bytes.hpp"

namespace tavolin {

std::string shown(std::string_view file_text);

}  // namespace tavolin
