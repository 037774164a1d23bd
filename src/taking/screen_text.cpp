#include "taking/screen_text.hpp"

namespace tavolin {

std::string shown(std::string_view file_text) {
    std::string out(file_text);
    for (char& c : out) {
        if (c == '\t') {
            c = ' ';
        } else if (is_control_byte(c)) {
            c = kControlPlaceholder;
        }
    }
    return out;
}

}  // namespace tavolin
