#include "shell/platform/line_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "shell/errors.hpp"

namespace tavolin {

std::optional<LineFile> LineFile::create(const std::string& path, int* error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (error != nullptr) *error = errno;
        return std::nullopt;
    }
    return LineFile(fd, path);
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
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        path_ = std::move(other.path_);
        other.fd_ = -1;
    }
    return *this;
}

LineFile::~LineFile() {
    if (fd_ >= 0) ::close(fd_);
}

void LineFile::write_line(std::string_view text) {
    // One system call for the line and its end, so a line is not left
    // half-written by a signal between the two.
    std::string line;
    line.reserve(text.size() + 2);
    line.append(text);
    line.append("\r\n");
    write_text(line);
}

void LineFile::write_text(std::string_view text) {
    if (fd_ < 0) throw FatalIoError(path_, std::strerror(EBADF));
    while (!text.empty()) {
        const ssize_t n = ::write(fd_, text.data(), text.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FatalIoError(path_, std::strerror(errno));
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

void LineFile::close() {
    if (fd_ < 0) return;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) throw FatalIoError(path_, std::strerror(errno));
}

}  // namespace tavolin
