#include "resultlog/log_reader.hpp"

#include <array>
#include <bit>
#include <cstring>
#include <limits>

#include "ground/base/control_bytes.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#define TAVOLIN_QUICK_LOG_LINES 1
#endif

namespace tavolin::logscheme {

namespace {

constexpr bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A magnitude above this cannot take another digit and stay within 64 bits,
// let alone within the signed range; a number beyond the signed range is no
// number.
constexpr std::uint64_t kLastSafe = (std::numeric_limits<std::uint64_t>::max() - 9) / 10;
constexpr std::uint64_t kMaxPositive = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());

std::string number_place(std::size_t field) { return "number " + std::to_string(field + 1) + " of 19"; }

// The nineteen numbers of bytes the quick way has checked: each an optional
// sign and at most 18 digits, blanks, tabs or carriage returns between them,
// and a separator after the last.
void numbers_of(const char* p, Fields& out) {
    for (std::int64_t& value : out) {
        while (static_cast<unsigned char>(*p) <= ' ') ++p;
        const bool negative = *p == '-';
        p += *p == '-' || *p == '+' ? 1 : 0;
        std::uint64_t m = 0;
        for (unsigned d; (d = static_cast<unsigned char>(*p - '0')) <= 9; ++p) m = m * 10 + d;
        value = static_cast<std::int64_t>(negative ? 0 - m : m);
    }
}

#if TAVOLIN_QUICK_LOG_LINES
// Broadword select on 64 bits (no instruction beyond the x86-64 baseline).
constexpr std::uint64_t kOnes = 0x0101010101010101;
constexpr std::uint64_t kHighs = 0x8080808080808080;

// The number of set bits in each byte.
constexpr std::uint64_t byte_counts(std::uint64_t x) {
    x = x - ((x >> 1) & 0x5555555555555555);
    x = (x & 0x3333333333333333) + ((x >> 2) & 0x3333333333333333);
    return (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0F;
}

// For each byte value and k, the position of its set bit that has k set bits
// below it.
constexpr auto kSelectInByte = [] {
    std::array<std::array<std::uint8_t, 8>, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        unsigned k = 0;
        for (unsigned bit = 0; bit < 8; ++bit) {
            if ((byte >> bit) & 1U) table[byte][k++] = static_cast<std::uint8_t>(bit);
        }
    }
    return table;
}();

// The number of set bits of x.
constexpr int count_bits(std::uint64_t x) { return static_cast<int>((byte_counts(x) * kOnes) >> 56); }
static_assert(count_bits(0) == 0 && count_bits(~std::uint64_t{0}) == 64 && count_bits(0x8000000000000101) == 3);

// The position of the set bit of x that has k set bits below it; x has more
// than k set bits.
constexpr int select_bit(std::uint64_t x, unsigned k) {
    const std::uint64_t running = byte_counts(x) * kOnes;  // byte i: set bits in bytes 0 to i
    // High bit of each byte whose running count is at most k (no borrow
    // between bytes: a running count is at most 64).
    const std::uint64_t passed = ((k * kOnes | kHighs) - running) & kHighs;
    const int place = static_cast<int>((((passed >> 7) * kOnes) >> 56) * 8);
    const auto before = static_cast<unsigned>(((running << 8) >> place) & 0xFF);
    return place + kSelectInByte[(x >> place) & 0xFF][k - before];
}
static_assert(select_bit(0b1011, 0) == 0 && select_bit(0b1011, 1) == 1 && select_bit(0b1011, 2) == 3);
static_assert(select_bit(0x8000000000000001, 1) == 63 && select_bit(~std::uint64_t{0}, 40) == 40);

__extension__ using Bits = unsigned __int128;  // one bit for each byte of the span

int lowest_bit(Bits b) {
    const auto low = static_cast<std::uint64_t>(b);
    return low != 0 ? std::countr_zero(low) : 64 + std::countr_zero(static_cast<std::uint64_t>(b >> 64));
}

struct Classes {
    Bits blank = 0;  // blank, tab, carriage return
    Bits line_end = 0;
    Bits digit = 0;
    Bits sign = 0;
};

Classes classify(const char* p) {
    static_assert(LogReader::kQuickSpan == 128);
    Classes c;
    const __m128i blank = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i minus = _mm_set1_epi8('-');
    const __m128i plus = _mm_set1_epi8('+');
    const __m128i zero = _mm_set1_epi8('0');
    const __m128i nine = _mm_set1_epi8(9);
    for (int k = 0; k < 8; ++k) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        const __m128i sp =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, blank), _mm_cmpeq_epi8(v, tab)), _mm_cmpeq_epi8(v, cr));
        const __m128i offset = _mm_sub_epi8(v, zero);
        const __m128i dg = _mm_cmpeq_epi8(_mm_min_epu8(offset, nine), offset);
        const __m128i sg = _mm_or_si128(_mm_cmpeq_epi8(v, minus), _mm_cmpeq_epi8(v, plus));
        const int shift = 16 * k;
        c.blank |= static_cast<Bits>(static_cast<unsigned>(_mm_movemask_epi8(sp))) << shift;
        c.line_end |= static_cast<Bits>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)))) << shift;
        c.digit |= static_cast<Bits>(static_cast<unsigned>(_mm_movemask_epi8(dg))) << shift;
        c.sign |= static_cast<Bits>(static_cast<unsigned>(_mm_movemask_epi8(sg))) << shift;
    }
    return c;
}
#endif

}  // namespace

[[gnu::always_inline]] inline void LogReader::add_name(const char* from, const char* to) {
    if (out_ == nullptr || from == to) return;
    const auto size = static_cast<std::size_t>(to - from);
    if (name_.size() <= kNameKeep) name_.append(from, std::min(size, kNameKeep + 1 - name_.size()));
    name_size_ += size;
    name_cr_ = to[-1] == '\r';
}

[[gnu::always_inline]] inline void LogReader::end_line() {
    if (out_ != nullptr) {
        name_.resize(std::min({name_.size(), kNameKeep, name_size_ - (name_cr_ ? 1 : 0)}));
        LogLine& line = out_->emplace_back();
        line.line = first_line_;
        line.readable = numbers_end_ == first_line_;
        line.fields = lines_[1 - last_];
        line.name = name_;
        if (!line.readable) {
            line.fault = "expected nineteen numbers and a name on one line; found them over lines " +
                         std::to_string(first_line_) + " to " + std::to_string(numbers_end_);
        }
    }
    ++line_;
    if (corrupt_at_ == 0) {
        last_ = 1 - last_;
        has_line_ = true;
        quick_[1 - last_] = false;  // the slot of the next line
    }
    field_ = 0;
    started_ = false;
    phase_ = Phase::kSkip;
}

#if TAVOLIN_QUICK_LOG_LINES
const char* LogReader::quick_line(const char* p, const char* end) {
    const Classes c = classify(p);
    constexpr Bits kAll = ~Bits{0};
    const int line_end = c.line_end == 0 ? 128 : lowest_bit(c.line_end);
    const Bits before_line_end = line_end == 128 ? kAll : (Bits{1} << line_end) - 1;
    const Bits separator = c.blank | ~before_line_end;
    const Bits in_number = ~separator;
    const Bits number_starts = in_number & ((separator << 1) | 1);

    // The nineteen numbers must start and end before the line end and within
    // the span, each at most 18 characters (so within the 64-bit range).
    const auto starts_low = static_cast<std::uint64_t>(number_starts);
    const auto starts_high = static_cast<std::uint64_t>(number_starts >> 64);
    const int low_count = count_bits(starts_low);
    int last_start = 0;
    if (low_count >= static_cast<int>(kFieldCount)) {
        last_start = select_bit(starts_low, kFieldCount - 1);
    } else {
        if (low_count + count_bits(starts_high) < static_cast<int>(kFieldCount)) return nullptr;
        last_start = 64 + select_bit(starts_high, static_cast<unsigned>(static_cast<int>(kFieldCount) - 1 - low_count));
    }
    const Bits after = separator & (kAll << last_start);
    if (after == 0) return nullptr;
    const int number_end = lowest_bit(after);
    const Bits numbers = (Bits{1} << number_end) - 1;
    Bits run = in_number & (in_number >> 1);  // where 2 number bytes in a row begin
    run &= run >> 2;                          // 4
    run &= run >> 4;                          // 8
    run &= run >> 8;                          // 16
    run &= run >> 3;                          // 19
    // Each number only digits, but for a sign that starts it and is followed
    // by a digit.
    Bits bad = run;
    bad |= in_number & ~(c.digit | c.sign);
    bad |= c.sign & ~number_starts;
    bad |= c.sign & ~(c.digit >> 1);
    if ((bad & numbers) != 0) return nullptr;

    const std::size_t slot = 1 - last_;
    if (out_ == nullptr) {
        std::memcpy(quick_bytes_[slot].data(), p, kQuickSpan);
        quick_[slot] = true;
    } else {
        numbers_of(p, lines_[slot]);
        name_.clear();
        name_size_ = 0;
        name_cr_ = false;
    }
    first_line_ = numbers_end_ = line_;
    const char* const name = p + number_end + (number_end < line_end ? 1 : 0);
    const char* nl = p + line_end;
    if (line_end == 128) {
        nl = static_cast<const char*>(std::memchr(p + kQuickSpan, '\n', static_cast<std::size_t>(end - p) - kQuickSpan));
        if (nl == nullptr) {
            // The name goes on in the next chunk.
            started_ = true;
            field_ = kFieldCount;
            phase_ = Phase::kName;
            add_name(name, end);
            return end;
        }
    }
    add_name(name, nl);
    end_line();
    return nl + 1;
}
#else
const char* LogReader::quick_line(const char*, const char*) { return nullptr; }
#endif

bool LogReader::fault(std::string what, std::int64_t where) {
    if (corrupt_at_ == 0) corrupt_at_ = where;
    if (out_ == nullptr) return false;
    LogLine& line = out_->emplace_back();
    // A line whose numbers began on an earlier line is named by where it began.
    line.line = first_line_;
    if (where != first_line_) what += " on line " + std::to_string(where);
    line.fault = std::move(what);
    field_ = 0;
    started_ = false;
    negative_ = false;
    digits_ = false;
    magnitude_ = 0;
    phase_ = Phase::kResync;
    return false;
}

bool LogReader::end_number() {
    if (!digits_) return fault("expected digits after the sign of " + number_place(field_), line_);
    if (magnitude_ > kMaxPositive + (negative_ ? 1 : 0)) {
        return fault("expected " + number_place(field_) + " within the signed 64-bit range; found more", line_);
    }
    // Modulo 2^64: exact, -2^63 included.
    lines_[1 - last_][field_] = static_cast<std::int64_t>(negative_ ? 0 - magnitude_ : magnitude_);
    magnitude_ = 0;
    negative_ = false;
    digits_ = false;
    if (++field_ == kFieldCount) {
        numbers_end_ = line_;
        phase_ = Phase::kName;
        name_.clear();
        name_size_ = 0;
        name_cr_ = false;
    } else {
        phase_ = Phase::kSkip;
    }
    return true;
}


bool LogReader::feed(const char* data, std::size_t size) {
    if (out_ == nullptr && corrupt_at_ != 0) return false;
    if (size == 0) return true;
    empty_ = false;
    last_byte_ = data[size - 1];
    const char* p = data;
    const char* const end = data + size;
    while (p < end) {
        switch (phase_) {
            case Phase::kSkip: {
                if (!started_) {
                    // The quick way, line after line, while it can.
                    bool quick = false;
                    while (static_cast<std::size_t>(end - p) >= kQuickSpan) {
                        const char* next = quick_line(p, end);
                        if (next == nullptr) break;
                        p = next;
                        quick = true;
                        if (phase_ != Phase::kSkip) break;
                    }
                    if (quick) break;
                    started_ = true;
                    first_line_ = line_;
                }
                for (; p < end && is_space(*p); ++p) line_ += *p == '\n' ? 1 : 0;
                if (p == end) break;
                if (field_ == 0) first_line_ = line_;
                phase_ = Phase::kNumber;
                if (*p == '-' || *p == '+') {
                    negative_ = *p == '-';
                    ++p;
                }
                break;
            }
            case Phase::kNumber: {
                // The digits on locals, which the compiler keeps in registers.
                std::uint64_t m = magnitude_;
                bool too_long = false;
                while (p < end) {
                    const auto d = static_cast<unsigned char>(*p - '0');
                    if (d > 9) break;
                    if (m > kLastSafe) {
                        too_long = true;
                        break;
                    }
                    m = m * 10 + d;
                    digits_ = true;
                    ++p;
                }
                if (too_long) {
                    fault("expected " + number_place(field_) + " within the signed 64-bit range; found more", line_);
                    if (out_ == nullptr) return false;
                    break;
                }
                magnitude_ = m;
                if (p == end) break;  // the number may go on in the next chunk
                const char c = *p;
                if (!is_space(c)) {
                    fault("expected " + number_place(field_) + " (a sign and digits); found " +
                              (is_control_byte(c) ? std::string("a control byte") : std::string{'\'', c, '\''}),
                          line_);
                    if (out_ == nullptr) return false;
                    break;
                }
                const bool ended = end_number();
                if (!ended && out_ == nullptr) return false;
                if (phase_ == Phase::kSkip) break;  // the skip passes over the separator
                // The separator after the nineteenth number, or after a faulty one.
                ++p;
                if (c != '\n') break;
                if (ended) {
                    end_line();
                } else {
                    ++line_;
                    phase_ = Phase::kSkip;
                }
                break;
            }
            case Phase::kName:
            case Phase::kResync: {
                // The rest of a line: its name, or what follows a fault.
                const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
                const char* stop = nl != nullptr ? static_cast<const char*>(nl) : end;
                if (phase_ == Phase::kName) add_name(p, stop);
                p = stop;
                if (nl == nullptr) break;
                ++p;
                if (phase_ == Phase::kName) {
                    end_line();
                } else {
                    ++line_;
                    phase_ = Phase::kSkip;
                }
                break;
            }
        }
    }
    return corrupt_at_ == 0;
}

bool LogReader::finish() {
    if (out_ == nullptr && corrupt_at_ != 0) return false;
    if (phase_ == Phase::kNumber && field_ + 1 == kFieldCount) {
        end_number();  // the nineteenth number ends at the end of the file
    }
    if (phase_ == Phase::kName) {
        end_line();  // a last line without its line end
    } else if (phase_ != Phase::kResync && started_) {
        const std::size_t numbers = field_ + (phase_ == Phase::kNumber ? 1 : 0);
        fault(numbers == 0 ? std::string("expected nineteen numbers and a name; found only blanks or empty lines "
                                         "before the end of the file")
                           : "expected nineteen numbers and a name; found the end of the file after " +
                                 std::to_string(numbers) + (numbers == 1 ? " number" : " numbers"),
              first_line_);
    }
    if (has_line_ && quick_[last_]) numbers_of(quick_bytes_[last_].data(), lines_[last_]);
    return corrupt_at_ == 0;
}

}  // namespace tavolin::logscheme
