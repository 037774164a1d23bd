#include "resultlog/log_reader.hpp"

#include <cstring>
#include <limits>

namespace tavolin::logscheme {

namespace {

constexpr bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A magnitude above this cannot take another digit and stay within 64 bits,
// let alone within the signed range.
constexpr std::uint64_t kLastSafe = (std::numeric_limits<std::uint64_t>::max() - 9) / 10;
constexpr std::uint64_t kMaxPositive = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());

}  // namespace

bool LastLineReader::end_number() {
    if (!digits_) return fail();  // a sign with no digit
    std::int64_t value = 0;
    if (negative_) {
        if (magnitude_ > kMaxPositive + 1) return fail();
        value = static_cast<std::int64_t>(0 - magnitude_);  // modulo 2^64: exact, -2^63 included
    } else {
        if (magnitude_ > kMaxPositive) return fail();
        value = static_cast<std::int64_t>(magnitude_);
    }
    lines_[1 - last_][field_] = value;
    magnitude_ = 0;
    negative_ = false;
    digits_ = false;
    ++field_;
    phase_ = field_ == kFieldCount ? Phase::Name : Phase::Skip;
    return true;
}

void LastLineReader::end_line() {
    last_ = 1 - last_;
    has_line_ = true;
    field_ = 0;
    started_ = false;
    phase_ = Phase::Skip;
}

bool LastLineReader::feed(const char* data, std::size_t size) {
    if (corrupt_) return false;
    if (size == 0) return true;
    empty_ = false;
    last_byte_ = data[size - 1];
    const char* p = data;
    const char* const end = data + size;
    started_ = true;  // set again below after a line end that closes the chunk
    while (p < end) {
        switch (phase_) {
            case Phase::Skip: {
                while (p < end && is_space(*p)) ++p;
                if (p == end) break;
                phase_ = Phase::Number;
                if (*p == '-' || *p == '+') {
                    negative_ = *p == '-';
                    ++p;
                }
                break;
            }
            case Phase::Number: {
                std::uint64_t m = magnitude_;
                while (p < end) {
                    const auto d = static_cast<unsigned char>(*p - '0');
                    if (d > 9) break;
                    if (m > kLastSafe) return fail();
                    m = m * 10 + d;
                    digits_ = true;
                    ++p;
                }
                magnitude_ = m;
                if (p == end) break;  // the number may go on in the next chunk
                const char c = *p;
                if (!is_space(c)) return fail();
                if (!end_number()) return false;
                if (phase_ == Phase::Name) {
                    if (c == '\n') {
                        ++p;
                        end_line();
                        if (p == end) return true;  // the chunk ends at a line end
                        started_ = true;
                    } else {
                        ++p;  // the blank after the nineteenth number
                    }
                }
                break;
            }
            case Phase::Name: {
                const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
                if (nl == nullptr) {
                    p = end;
                    break;
                }
                p = static_cast<const char*>(nl) + 1;
                end_line();
                if (p == end) return true;
                started_ = true;
                break;
            }
        }
    }
    return true;
}

bool LastLineReader::finish() {
    if (corrupt_) return false;
    if (phase_ == Phase::Number && field_ + 1 == kFieldCount) {
        if (!end_number()) return false;  // the nineteenth number ends at the end of the file
    }
    if (phase_ == Phase::Name) {
        end_line();  // a last line without its line end
        return true;
    }
    if (started_) return fail();  // the file ends inside a line, before its nineteenth number
    return true;
}

}  // namespace tavolin::logscheme
