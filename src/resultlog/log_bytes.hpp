#pragma once

#include <cstdint>
#include <limits>

// What the program's log reader takes for a separator and a digit, and the
// bounds of its numbers: shared by the reader and by tavolin-log's decoder,
// which must read every line exactly as the program does.
namespace tavolin::logscheme {

constexpr bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
constexpr bool is_digit(char c) { return static_cast<unsigned char>(c - '0') <= 9; }

// A magnitude above this cannot take another digit and stay within 64 bits,
// let alone within the signed range; a number beyond the signed range is no
// number.
inline constexpr std::uint64_t kLastSafe = (std::numeric_limits<std::uint64_t>::max() - 9) / 10;
inline constexpr std::uint64_t kMaxPositive = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());

}  // namespace tavolin::logscheme
