#include "taking/screen_text.hpp"

namespace tavolin {

std::string shown(std::string_view file_text) {
    std::string out(file_text);
    for (char& c : out) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\t') {
            c = ' ';
        } else if (byte < 0x20 || byte == 0x7f) {
            c = kControlPlaceholder;
        }
    }
    return out;
}

}  // namespace tavolin
