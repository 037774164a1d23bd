#include "resultlog/encodeon.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include "resultlog/log_scheme.hpp"

namespace tavolin {

namespace {

using logscheme::Fields;
using logscheme::kFieldCount;

// Closes a descriptor when it goes out of scope.
struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The nineteen numbers at the start of one line; the rest of the line is the
// name, which nothing reads. Gives nothing when a field is not a number (text,
// a sign alone, a value beyond 64 bits) or the line ends before the
// nineteenth.
std::optional<Fields> parse_line(std::string_view line) {
    Fields fields{};
    const char* p = line.data();
    const char* const end = p + line.size();
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        while (p < end && is_blank(*p)) ++p;
        const bool negative = p < end && *p == '-';
        if (negative) ++p;
        const char* const digits = p;
        // Accumulated as a negative number, whose range reaches INT64_MIN.
        std::int64_t value = 0;
        for (; p < end && *p >= '0' && *p <= '9'; ++p) {
            if (__builtin_mul_overflow(value, 10, &value) || __builtin_sub_overflow(value, *p - '0', &value)) {
                return std::nullopt;
            }
        }
        if (p == digits || (p < end && !is_blank(*p))) return std::nullopt;
        if (!negative && __builtin_sub_overflow(std::int64_t{0}, value, &value)) return std::nullopt;
        fields[i] = value;
    }
    return fields;
}

bool only_blanks(std::string_view line) {
    for (const char c : line) {
        if (!is_blank(c)) return false;
    }
    return true;
}

// Reads the whole log in one pass with a fixed buffer and keeps the numbers
// of its last line. Lines of nothing but blanks are passed over, as reading a
// number passes over line ends; if the file ends after one, a number is
// missing and the log is corrupt. An empty file gives zeros.
std::optional<Fields> last_line_fields(int fd) {
    Fields last{};
    bool missing_number = false;
    std::array<char, 64 * 1024> buf{};
    std::string carry;  // a line cut by the end of the buffer
    auto take_line = [&](std::string_view line) {
        if (only_blanks(line)) {
            missing_number = true;
            return true;
        }
        missing_number = false;
        const auto fields = parse_line(line);
        if (!fields) return false;
        last = *fields;
        return true;
    };
    for (;;) {
        const ssize_t n = ::read(fd, buf.data(), buf.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (n == 0) break;
        std::string_view chunk(buf.data(), static_cast<std::size_t>(n));
        while (!chunk.empty()) {
            const void* nl = std::memchr(chunk.data(), '\n', chunk.size());
            if (nl == nullptr) {
                carry.append(chunk);
                break;
            }
            const auto len = static_cast<std::size_t>(static_cast<const char*>(nl) - chunk.data());
            bool ok = false;
            if (carry.empty()) {
                ok = take_line(chunk.substr(0, len));
            } else {
                carry.append(chunk.substr(0, len));
                ok = take_line(carry);
                carry.clear();
            }
            if (!ok) return std::nullopt;
            chunk.remove_prefix(len + 1);
        }
    }
    if (!carry.empty() && !take_line(carry)) return std::nullopt;
    if (missing_number) return std::nullopt;
    return last;
}

// Adds the line whole or not at all: one write, and on any failure the file
// is cut back to the length it had.
bool append_whole(int fd, const std::string& line) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return false;
    const off_t before = st.st_size;
    ssize_t n = -1;
    do {
        n = ::write(fd, line.data(), line.size());
    } while (n < 0 && errno == EINTR);
    if (n == static_cast<ssize_t>(line.size())) return true;
    (void)::ftruncate(fd, before);  // nothing else to do if even this fails
    return false;
}

}  // namespace

void ENCODEON(Console& con, const Platform& platform, std::string_view YOMENAME, std::int16_t ENCOD_LOOP,
              std::int16_t OUTOF, double GRD) {
    const LocalTime now = platform.local_time();

    Fd reading(::open(kLogFileName, O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (reading.fd < 0 || ::fstat(reading.fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        con.end_line();
        con.write_line("The file, 'Encrypted_file.csf' was not found.");
        return;
    }
    const std::optional<Fields> previous = last_line_fields(reading.fd);
    if (!previous) {
        con.write_line("Encryption file is corrupt!");
        return;
    }

    Fd adding(::open(kLogFileName, O_WRONLY | O_APPEND | O_CLOEXEC));
    if (adding.fd < 0) {
        con.write_line("The results log cannot be added to; this event was not logged.");
        return;
    }
    if (ENCOD_LOOP != kEventMade && ENCOD_LOOP != kEventOpened && ENCOD_LOOP != kEventGraded) return;

    const Fields fields = logscheme::next_fields(*previous, now, ENCOD_LOOP, OUTOF, GRD);
    if (!append_whole(adding.fd, logscheme::format_line(fields, YOMENAME))) {
        con.write_line("The results log could not be written; this event was not logged.");
    }
}

}  // namespace tavolin
