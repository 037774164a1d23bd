// What files do the same way on every platform: error texts, and a File
// owning its handle, which moves with it and is given back (release, the
// platform's own) at the end.
#include "ground/platform/files.hpp"

#include <cstring>

namespace tavolin {

std::string error_text(int error) {
    if (error == kNotPlainFile) return "Not a regular file";
    return std::strerror(error);
}

File::File(File&& other) noexcept : handle_(other.handle_), locked_(other.locked_) {
    other.handle_ = kNone;
    other.locked_ = false;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        release();
        handle_ = other.handle_;
        locked_ = other.locked_;
        other.handle_ = kNone;
        other.locked_ = false;
    }
    return *this;
}

File::~File() { release(); }

}  // namespace tavolin
