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

File::File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = kNone; }

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        release();
        handle_ = other.handle_;
        other.handle_ = kNone;
    }
    return *this;
}

File::~File() { release(); }

}  // namespace tavolin
