#include "resultlog/log_reader.hpp"

#include <array>
#include <bit>
#include <cstring>

#include "resultlog/log_bytes.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#define TAVOLIN_QUICK_LOG_LINES 1
#endif

namespace tavolin::logscheme {

namespace {

// The nineteen numbers of bytes the quick way has checked: each an optional
// sign and digits, at most 18 characters, with blanks, tabs or carriage returns between.
void numbers_of(const char* p, std::size_t size, Fields& out) {
    const char* const end = p + size;
    for (std::int64_t& value : out) {
        while (is_space(*p)) ++p;
        const bool negative = *p == '-';
        if (*p == '-' || *p == '+') ++p;
        std::int64_t m = 0;
        for (; p < end && is_digit(*p); ++p) m = m * 10 + (*p - '0');
        value = negative ? -m : m;
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
    static_assert(LastLineReader::kQuickSpan == 128);
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

#if TAVOLIN_QUICK_LOG_LINES
const char* LastLineReader::quick_line(const char* p, const char* end) {
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
    const int low_count = std::popcount(starts_low);
    int last_start = 0;
    if (low_count >= static_cast<int>(kFieldCount)) {
        last_start = select_bit(starts_low, kFieldCount - 1);
    } else {
        if (low_count + std::popcount(starts_high) < static_cast<int>(kFieldCount)) return nullptr;
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
    std::memcpy(quick_bytes_[slot].data(), p, kQuickSpan);
    quick_size_[slot] = static_cast<std::size_t>(number_end);
    quick_[slot] = true;
    started_ = true;
    if (line_end < 128) {
        end_line();
        return p + line_end + 1;
    }
    field_ = kFieldCount;
    phase_ = Phase::Name;  // the name goes on past the span
    const void* nl = std::memchr(p + kQuickSpan, '\n', static_cast<std::size_t>(end - p) - kQuickSpan);
    if (nl == nullptr) return end;
    end_line();
    return static_cast<const char*>(nl) + 1;
}
#else
const char* LastLineReader::quick_line(const char*, const char*) { return nullptr; }
#endif

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
    quick_[1 - last_] = false;  // the slot of the next line
}

bool LastLineReader::feed(const char* data, std::size_t size) {
    if (corrupt_) return false;
    if (size == 0) return true;
    empty_ = false;
    last_byte_ = data[size - 1];
    const char* p = data;
    const char* const end = data + size;
    while (p < end) {
        switch (phase_) {
            case Phase::Skip: {
                if (field_ == 0 && !started_ && static_cast<std::size_t>(end - p) >= kQuickSpan) {
                    if (const char* next = quick_line(p, end)) {
                        p = next;
                        break;
                    }
                }
                started_ = true;
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
                    ++p;  // the blank after the nineteenth number, or its line end
                    if (c == '\n') end_line();
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
    } else if (started_) {
        return fail();  // the file ends inside a line, before its nineteenth number
    }
    if (has_line_ && quick_[last_]) numbers_of(quick_bytes_[last_].data(), quick_size_[last_], lines_[last_]);
    return true;
}

}  // namespace tavolin::logscheme
