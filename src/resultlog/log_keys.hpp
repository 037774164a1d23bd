// The key constants of the results log's encoding, all in one place. They are
// fixed for every event and every run and never written to the log. Each has
// the form the scheme gives it (how many digits, whole or real, its sign);
// the static_asserts below hold every one of them to its form, so a changed
// key cannot silently leave it.
#pragma once

#include <cstdint>

namespace tavolin::logkey {

// Divisors. They are reals in the scheme but have no fraction, so the log
// rounds each quotient exactly in integer arithmetic (see log_scheme.hpp).
inline constexpr double D = 7.0;    // the six previous-line fields in the adjustments
inline constexpr double E = 613.0;  // MO2 and YR3 in event 4
inline constexpr double F = 47.0;   // MIN2 in event 4

// Multipliers.
inline constexpr std::int32_t M1 = -3;  // event 4, in 32-bit arithmetic
inline constexpr std::int64_t M2 = 7;   // NIX1 in every event

// Offsets of the adjustments MOAP, HRAP, SECAP, YRAP, DAYAP, MINAP.
inline constexpr std::int32_t A1 = 41;
inline constexpr std::int32_t A2 = 58;
inline constexpr std::int32_t A3 = 127;
inline constexpr std::int32_t A4 = 309;
inline constexpr std::int32_t A5 = 482;
inline constexpr std::int32_t A6 = 756;

// Shifts of year, month, day, hour, minute and second.
inline constexpr std::int64_t B1 = 913;
inline constexpr std::int64_t B2 = 23;
inline constexpr std::int64_t B3 = 61;
inline constexpr std::int64_t B4 = 37;
inline constexpr std::int64_t B5 = 84;
inline constexpr std::int64_t B6 = 5;

// Offsets of the fifteen time fields.
inline constexpr std::int64_t C1 = 1024;  // YR1
inline constexpr std::int64_t C2 = 3571;  // YR2
inline constexpr std::int64_t C3 = 2718;  // YR3
inline constexpr std::int64_t C4 = 17;    // MO1
inline constexpr std::int64_t C5 = 271;   // MO2
inline constexpr std::int64_t C6 = 659;   // DAY1
inline constexpr std::int64_t C7 = 29;    // DAY2
inline constexpr std::int64_t C8 = 53;    // DAY3
inline constexpr std::int64_t C9 = 144;   // HR1
inline constexpr std::int64_t C10 = 71;   // HR2
inline constexpr std::int64_t C11 = 833;  // MIN1
inline constexpr std::int64_t C12 = 38;   // MIN2
inline constexpr std::int64_t C13 = 92;   // SEC1
inline constexpr std::int64_t C14 = 46;   // SEC2
inline constexpr std::int64_t C15 = 65;   // SEC3

// Event offsets.
inline constexpr std::int32_t G1 = 3;    // DIS1 of event 4 (32-bit)
inline constexpr std::int32_t G2 = 19;   // DIS2 of event 4 (32-bit)
inline constexpr std::int32_t G3 = 8;    // NIX2 of event 4 (32-bit)
inline constexpr std::int64_t G4 = 57;   // DIS2 of event 3
inline constexpr std::int64_t G5 = 418;  // NIX2 of event 3
inline constexpr std::int64_t G6 = 4;    // DIS1 of event 2
inline constexpr std::int32_t G7 = 6;    // the grade of event 2 (32-bit)
inline constexpr std::int64_t G8 = 33;   // DIS2 of event 2
inline constexpr std::int64_t G9 = 72;   // NIX2 of event 2

namespace form {
constexpr bool digits(long long v, int n) {
    long long low = 1;
    for (int i = 1; i < n; ++i) low *= 10;
    return v >= (n == 1 ? 1 : low) && v < low * 10;
}
constexpr bool whole_real(double v, int n) {
    return v == static_cast<double>(static_cast<long long>(v)) && digits(static_cast<long long>(v), n);
}
}  // namespace form

static_assert(form::whole_real(D, 1) && form::whole_real(E, 3) && form::whole_real(F, 2));
static_assert(M1 < 0 && form::digits(-M1, 1) && form::digits(M2, 1));
static_assert(form::digits(A1, 2) && form::digits(A2, 2));
static_assert(form::digits(A3, 3) && form::digits(A4, 3) && form::digits(A5, 3) && form::digits(A6, 3));
static_assert(form::digits(B1, 3) && form::digits(B2, 2) && form::digits(B3, 2) && form::digits(B4, 2) &&
              form::digits(B5, 2) && form::digits(B6, 1));
static_assert(form::digits(C1, 4) && form::digits(C2, 4) && form::digits(C3, 4));
static_assert(form::digits(C4, 2) && form::digits(C7, 2) && form::digits(C8, 2) && form::digits(C10, 2) &&
              form::digits(C12, 2) && form::digits(C13, 2) && form::digits(C14, 2) && form::digits(C15, 2));
static_assert(form::digits(C5, 3) && form::digits(C6, 3) && form::digits(C9, 3) && form::digits(C11, 3));
static_assert(form::digits(G1, 1) && form::digits(G3, 1) && form::digits(G6, 1) && form::digits(G7, 1));
static_assert(form::digits(G2, 2) && form::digits(G4, 2) && form::digits(G8, 2) && form::digits(G9, 2));
static_assert(form::digits(G5, 3));

}  // namespace tavolin::logkey
