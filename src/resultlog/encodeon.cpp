#include "resultlog/encodeon.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <string>

#include "resultlog/log_reader.hpp"
#include "resultlog/log_scheme.hpp"

namespace tavolin {

namespace {

using logscheme::LastLineReader;

enum class ReadResult { Missing, Corrupt, Sound };

// A file descriptor closed when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    [[nodiscard]] int get() const { return fd_; }
    [[nodiscard]] bool ok() const { return fd_ >= 0; }

private:
    int fd_;
};

// The whole log in one pass through a fixed buffer. Only a regular file
// counts as the log; O_NONBLOCK keeps a FIFO of that name from hanging the
// run (it is then not a regular file and is passed over).
ReadResult read_log(LastLineReader& reader) {
    const Fd fd(::open(kLogFileName, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.ok()) return ReadResult::Missing;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return ReadResult::Missing;
    static constexpr std::size_t kChunk = 64 * 1024;
    std::array<char, kChunk> buffer;  // NOLINT: filled by read before use
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return ReadResult::Missing;  // not readable
        }
        if (n == 0) break;
        if (!reader.feed(buffer.data(), static_cast<std::size_t>(n))) return ReadResult::Corrupt;
    }
    return reader.finish() ? ReadResult::Sound : ReadResult::Corrupt;
}

// A write that goes beyond the file size limit fails with EFBIG instead of
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

// The line added at the end in one write, or, if that write fails or falls
// short, the file cut back to the length it had before.
void append_line(Console& con, const std::string& line) {
    const Fd fd(::open(kLogFileName, O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK));
    if (!fd.ok()) {
        con.write_line(kLogNotOpened);
        return;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        con.write_line(kLogNotOpened);
        return;
    }
    if (line.empty()) return;
    const off_t before = info.st_size;
    const IgnoreFileSizeSignal no_sigxfsz;
    ssize_t n = 0;
    do {
        n = ::write(fd.get(), line.data(), line.size());
    } while (n < 0 && errno == EINTR);
    if (n == static_cast<ssize_t>(line.size())) return;
    int rc = 0;
    do {
        rc = ::ftruncate(fd.get(), before);
    } while (rc != 0 && errno == EINTR);
    con.write_line(rc == 0 ? kLogNotWritten : kLogNotRepaired);
}

}  // namespace

void ENCODEON(Console& con, const Platform& platform, std::string_view YOMENAME, std::int16_t ENCOD_LOOP,
              std::int16_t OUTOF, double GRD) {
    const LocalTime now = platform.local_time();  // the time of the event, before any file work

    LastLineReader reader;
    switch (read_log(reader)) {
        case ReadResult::Missing:
            con.end_line();
            con.write_line(kLogNotFound);
            return;
        case ReadResult::Corrupt:
            con.write_line(kLogCorrupt);
            return;
        case ReadResult::Sound:
            break;
    }

    std::string line;
    if (ENCOD_LOOP == kEventMade || ENCOD_LOOP == kEventOpened || ENCOD_LOOP == kEventGraded) {
        // An empty log has no previous line: zeros stand in for it.
        const logscheme::Fields fields = logscheme::next_fields(reader.last(), now, ENCOD_LOOP, OUTOF, GRD);
        // A hand-edited log whose last line lacks its line end gets one first,
        // so the new line stands on a line of its own.
        if (!reader.empty() && reader.last_byte() != '\n') line = reader.last_byte() == '\r' ? "\n" : "\r\n";
        line += logscheme::format_line(fields, YOMENAME);
    }
    append_line(con, line);
}

}  // namespace tavolin
