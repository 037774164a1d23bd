// The arithmetic of the results log: how one event and the previous line give
// the nineteen numbers of the new line. Pure functions, no files.
//
// Widths. Round gives a 32-bit signed value, and the constant applied right
// after it is applied in 32-bit signed arithmetic; every such step wraps
// modulo 2^32 (it is computed in 64 bits and then cut to 32 explicitly). All
// other sums, differences and products are 64-bit and wrap modulo 2^64
// (computed on unsigned values). Lines this program writes never come near
// either bound, but a hand-edited previous line can hold any 64-bit values,
// and wrapping keeps every such line well defined: no undefined behaviour,
// no stop, and the chain goes on.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ground/platform/platform.hpp"

namespace tavolin {

// The results log, in the folder the program runs in.
inline constexpr const char* kLogFileName = "Encrypted_file.csf";

}  // namespace tavolin

namespace tavolin::logscheme {

// Positions of the fields on a line, from the first (0) to the nineteenth.
namespace field {
enum : std::size_t {
    SEC2, YR3, HR1, SEC3, NIX1, MO1, DAY2, YR2, DAY1, HR2,
    NIX2, DAY3, MIN1, MO2, DIS1, DIS2, MIN2, SEC1, YR1,
};
}  // namespace field
inline constexpr std::size_t kFieldCount = 19;

using Fields = std::array<std::int64_t, kFieldCount>;

// 64-bit steps, wrapping modulo 2^64.
constexpr std::int64_t add64(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}
constexpr std::int64_t sub64(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b));
}
constexpr std::int64_t mul64(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) * static_cast<std::uint64_t>(b));
}
// A value cut to 32 bits, as 32-bit signed arithmetic leaves it.
constexpr std::int32_t wrap32(std::int64_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(v)); }

// Round(value / divisor) for a whole, positive divisor: the exact quotient to
// the nearest whole number, a quotient exactly halfway going to the even
// neighbour, then cut to 32 bits. Exact for every 64-bit value (a division
// in doubles would lose digits above 2^53).
std::int32_t round_quotient(std::int64_t value, double divisor);
// Round(percentage): halves to the even neighbour, cut to 32 bits; a value
// that is not a number counts as 0.
std::int32_t round_percentage(double value);

// The six adjustments the previous line gives, each 32-bit, then widened.
struct Adjustments {
    std::int64_t MOAP = 0, HRAP = 0, SECAP = 0, YRAP = 0, DAYAP = 0, MINAP = 0;
};
Adjustments adjustments_from(const Fields& previous);

// The nineteen numbers of the new line for event 4, 3 or 2, from the
// previous line's numbers and the local time of the event. OUTOF and GRD
// matter only to event 2.
Fields next_fields(const Fields& previous, const LocalTime& now, std::int16_t event, std::int16_t OUTOF,
                   double GRD);
// The same in its two steps, for a reader that tries each event on one line:
// the fifteen numbers of the time, then, from them, the four of the event.
void time_fields(const Adjustments& a, const LocalTime& now, Fields& out);
void event_fields(const Fields& previous, const Adjustments& a, std::int16_t event, std::int16_t OUTOF, double GRD,
                  Fields& out);

// The line as it goes to the file: each number, one blank, then the name and
// CR LF.
std::string format_line(const Fields& fields, std::string_view name);

}  // namespace tavolin::logscheme
