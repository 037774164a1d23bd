// What a File does the same way on every platform: it owns its handle, which
// moves with it and is given back (release, the platform's own) at the end.
#include "shell/platform/files.hpp"

namespace tavolin {

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
