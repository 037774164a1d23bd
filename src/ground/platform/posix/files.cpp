// Files on POSIX: plain open/read/write on descriptors. Every open is
// non-blocking at first, so that a named pipe without a reader or writer
// cannot hold the program up before it is seen for what it is, and never
// takes a terminal device as the controlling terminal.
#include "ground/platform/files.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace tavolin {

namespace {

int fd_of(std::intptr_t handle) { return static_cast<int>(handle); }

// A write that goes beyond the file-size limit fails with EFBIG instead of
// ending the program by SIGXFSZ while this is alive.
class IgnoreFileSizeSignal {
public:
    IgnoreFileSizeSignal() {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        saved_ok_ = ::sigaction(SIGXFSZ, &ignore, &saved_) == 0;
    }
    IgnoreFileSizeSignal(const IgnoreFileSizeSignal&) = delete;
    IgnoreFileSizeSignal& operator=(const IgnoreFileSizeSignal&) = delete;
    ~IgnoreFileSizeSignal() {
        if (saved_ok_) ::sigaction(SIGXFSZ, &saved_, nullptr);
    }

private:
    struct sigaction saved_ {};
    bool saved_ok_ = false;
};

// The descriptor back in blocking mode, for a file that is known to be what
// it should be.
void make_blocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

// An existing plain file opened with the given access, in blocking mode; -1
// for anything else at the name, with the reason in `error`.
int open_plain(const std::string& name, int access, int& error) {
    const int fd = ::open(name.c_str(), access | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? EISDIR : kNotPlainFile;
        ::close(fd);
        return -1;
    }
    make_blocking(fd);
    return fd;
}

}  // namespace

int existing_file_check(const std::string& name) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0) {
        struct stat info {};
        const bool folder = ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
        ::close(fd);
        return folder ? EISDIR : 0;
    }
    // A file the user may not read is still there to be overwritten (or not).
    const int error = errno;
    struct stat info {};
    if (error == EACCES && ::stat(name.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) return 0;
    return error;
}

int write_standard(Stream stream, std::string_view text) {
    const int fd = stream == Stream::kOutput ? STDOUT_FILENO : STDERR_FILENO;
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

std::string_view text_line_end() { return "\n"; }

std::optional<File> File::open_for_reading(const std::string& name, int* error) {
    int reason = 0;
    const int fd = open_plain(name, O_RDONLY, reason);
    if (fd < 0) {
        if (error != nullptr) *error = reason;
        return std::nullopt;
    }
    return File(fd);
}

std::optional<File> File::create(const std::string& name, CreateMode mode, int& error) {
    // A plain file is emptied only once it is known to be one.
    const int truncate = mode == CreateMode::AnyButPipe ? O_TRUNC : 0;
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | truncate | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0) {
        // A pipe that nobody reads refuses a non-blocking writer (ENXIO).
        error = errno == ENXIO && mode == CreateMode::PlainOnly ? kNotPlainFile : errno;
        return std::nullopt;
    }
    File file(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = errno;
        return std::nullopt;
    }
    if (S_ISFIFO(info.st_mode)) {
        error = mode == CreateMode::AnyButPipe ? ENXIO : kNotPlainFile;
        return std::nullopt;
    }
    if (mode == CreateMode::PlainOnly) {
        if (!S_ISREG(info.st_mode)) {
            error = kNotPlainFile;
            return std::nullopt;
        }
        if (::ftruncate(fd, 0) != 0) {
            error = errno;
            return std::nullopt;
        }
    }
    make_blocking(fd);
    error = 0;
    return file;
}

// Opened for reading first, so that nothing but a plain file is ever opened
// for writing; one that the user may read but not write is still read.
std::optional<File> File::open_for_update(const std::string& name, bool& writable) {
    int reason = 0;
    const int reader = open_plain(name, O_RDONLY, reason);
    if (reader < 0) return std::nullopt;
    File file(reader);
    const int both = open_plain(name, O_RDWR | O_APPEND, reason);
    writable = both >= 0;
    if (writable) file = File(both);
    return file;
}

// flock, not fcntl: an fcntl hold goes as soon as the process closes any
// descriptor of the file, and the two kinds do not see each other.
LockResult File::try_lock() {
    if (::flock(fd_of(handle_), LOCK_EX | LOCK_NB) == 0) {
        locked_ = true;
        return LockResult::Locked;
    }
    // ENOLCK, EOPNOTSUPP, EINVAL and the like: a file system without holds.
    return errno == EWOULDBLOCK || errno == EINTR ? LockResult::Busy : LockResult::NoLocks;
}

void File::release() noexcept {
    if (handle_ != kNone) ::close(fd_of(handle_));
    handle_ = kNone;
}

std::optional<std::size_t> File::read(char* data, std::size_t size) {
    if (handle_ == kNone) return std::nullopt;
    for (;;) {
        const ssize_t n = ::read(fd_of(handle_), data, size);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) return std::nullopt;
    }
}

int File::write_all(std::string_view text) {
    if (handle_ == kNone) return EBADF;
    const IgnoreFileSizeSignal no_sigxfsz;
    while (!text.empty()) {
        const ssize_t n = ::write(fd_of(handle_), text.data(), text.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

AppendResult File::append_whole(std::string_view text) {
    const int fd = fd_of(handle_);
    struct stat info {};
    if (handle_ == kNone || ::fstat(fd, &info) != 0) return AppendResult::LeftBroken;
    const off_t before = info.st_size;
    const IgnoreFileSizeSignal no_sigxfsz;
    ssize_t n = 0;
    do {
        n = ::write(fd, text.data(), text.size());
    } while (n < 0 && errno == EINTR);
    if (n == static_cast<ssize_t>(text.size())) return AppendResult::Added;
    int rc = 0;
    do {
        rc = ::ftruncate(fd, before);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 ? AppendResult::CutBack : AppendResult::LeftBroken;
}

int File::close() {
    if (handle_ == kNone) return 0;
    const int fd = fd_of(handle_);
    handle_ = kNone;
    return ::close(fd) == 0 ? 0 : errno;
}

}  // namespace tavolin
