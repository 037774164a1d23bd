// A line file on Windows: a file handle kept in the descriptor slot (handles
// of a 64-bit process fit in 32 bits, which HandleToLong relies on), every
// write straight through WriteFile, bytes exactly as given.
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "shell/errors.hpp"
#include "shell/platform/line_file.hpp"
#include "shell/platform/windows/system_error.hpp"

namespace tavolin {

namespace {

HANDLE handle_of(int fd) { return LongToHandle(fd); }

}  // namespace

std::optional<LineFile> LineFile::create(const std::string& path, int* error) {
    if (path.find('\0') != std::string::npos) {
        if (error != nullptr) *error = EINVAL;
        return std::nullopt;
    }
    // Others may read it meanwhile, as they may on POSIX.
    const HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        if (error != nullptr) *error = windows::last_errno();
        return std::nullopt;
    }
    return LineFile(HandleToLong(h), path);
}

LineFile LineFile::create_or_fail(const std::string& path) {
    int error = 0;
    auto file = create(path, &error);
    if (!file) throw FatalIoError(path, std::strerror(error));
    return std::move(*file);
}

LineFile::LineFile(LineFile&& other) noexcept : fd_(other.fd_), path_(std::move(other.path_)) { other.fd_ = -1; }

LineFile& LineFile::operator=(LineFile&& other) noexcept {
    if (this != &other) {
        if (fd_ != -1) CloseHandle(handle_of(fd_));
        fd_ = other.fd_;
        path_ = std::move(other.path_);
        other.fd_ = -1;
    }
    return *this;
}

LineFile::~LineFile() {
    if (fd_ != -1) CloseHandle(handle_of(fd_));
}

void LineFile::write_line(std::string_view text) {
    std::string line;
    line.reserve(text.size() + 2);
    line.append(text);
    line.append("\r\n");
    write_text(line);
}

void LineFile::write_text(std::string_view text) {
    if (fd_ == -1) throw FatalIoError(path_, std::strerror(EBADF));
    while (!text.empty()) {
        DWORD n = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size(), 1U << 30));
        if (WriteFile(handle_of(fd_), text.data(), chunk, &n, nullptr) == 0 || n == 0) {
            throw FatalIoError(path_, std::strerror(windows::last_errno()));
        }
        text.remove_prefix(n);
    }
}

void LineFile::close() {
    if (fd_ == -1) return;
    const HANDLE h = handle_of(fd_);
    fd_ = -1;
    if (CloseHandle(h) == 0) throw FatalIoError(path_, std::strerror(windows::last_errno()));
}

}  // namespace tavolin
