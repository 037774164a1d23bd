#include "resultlog/log_scheme.hpp"

#include <charconv>
#include <cmath>

#include "resultlog/log_keys.hpp"
#include "ground/base/format.hpp"

namespace tavolin::logscheme {

std::int32_t round_quotient(std::int64_t value, double divisor) {
    const auto d = static_cast<std::int64_t>(divisor);  // whole and positive (log_keys.hpp)
    std::int64_t q = value / d;                           // toward zero; d > 1, so no overflow
    const std::int64_t r = value % d;                     // same sign as value, |r| < d
    const std::int64_t twice = 2 * (r < 0 ? -r : r);      // d < 1000, so no overflow
    if (twice > d || (twice == d && q % 2 != 0)) q += r < 0 ? -1 : 1;
    return wrap32(q);
}

std::int32_t round_percentage(double value) {
    if (!std::isfinite(value)) return 0;
    // Whole and finite; its remainder modulo 2^32 is exact in a double and
    // fits a 64-bit integer, which then wraps to 32 bits like any other step.
    const double whole = std::fmod(round_half_even(value), 4294967296.0);
    return wrap32(static_cast<std::int64_t>(whole));
}

Adjustments adjustments_from(const Fields& previous) {
    using namespace logkey;
    namespace f = field;
    const auto adjust = [&](std::size_t at, std::int32_t offset) -> std::int64_t {
        return wrap32(std::int64_t{round_quotient(previous[at], D)} - offset);
    };
    return {adjust(f::MO2, A1), adjust(f::HR2, A2), adjust(f::SEC3, A3),
            adjust(f::YR3, A4), adjust(f::DAY3, A5), adjust(f::MIN2, A6)};
}

void time_fields(const Adjustments& a, const LocalTime& now, Fields& out) {
    using namespace logkey;
    namespace f = field;
    const auto [MOAP, HRAP, SECAP, YRAP, DAYAP, MINAP] = a;

    // The local time, shifted by the keys and the adjustments.
    const std::int64_t YR = sub64(sub64(now.year, B1), SECAP);
    const std::int64_t MO = add64(add64(B2, now.month), HRAP);
    const std::int64_t DAYZ = add64(add64(B3, now.day), MOAP);
    const std::int64_t HR = add64(add64(B4, now.hour), YRAP);
    const std::int64_t MIN = add64(add64(B5, now.minute), DAYAP);
    const std::int64_t SEC = add64(add64(B6, now.second), MINAP);

    out[f::YR1] = sub64(sub64(YR, SECAP), C1);
    out[f::YR2] = sub64(out[f::YR1], C2);
    out[f::YR3] = sub64(out[f::YR2], C3);
    out[f::MO1] = sub64(add64(MO, MOAP), C4);
    out[f::MO2] = sub64(out[f::MO1], C5);
    out[f::DAY1] = sub64(sub64(DAYZ, DAYAP), C6);
    out[f::DAY2] = sub64(out[f::DAY1], C7);
    out[f::DAY3] = sub64(out[f::DAY2], C8);
    out[f::HR1] = sub64(add64(HR, HRAP), C9);
    out[f::HR2] = sub64(out[f::HR1], C10);
    out[f::MIN1] = sub64(add64(MIN, MINAP), C11);
    out[f::MIN2] = add64(C12, out[f::MIN1]);
    out[f::SEC1] = sub64(SEC, C13);
    out[f::SEC2] = sub64(sub64(out[f::SEC1], SECAP), C14);
    out[f::SEC3] = sub64(out[f::SEC2], C15);
}

void event_fields(const Fields& previous, const Adjustments& a, std::int16_t event, std::int16_t OUTOF, double GRD,
                  Fields& out) {
    using namespace logkey;
    namespace f = field;
    switch (event) {
        case 4:
            out[f::DIS1] = wrap32(std::int64_t{round_quotient(out[f::MO2], E)} - G1);
            out[f::DIS2] = wrap32(std::int64_t{round_quotient(out[f::YR3], E)} + G2);
            out[f::NIX2] = wrap32(std::int64_t{wrap32(std::int64_t{round_quotient(out[f::MIN2], F)} * M1)} + G3);
            out[f::NIX1] = mul64(out[f::SEC3], M2);
            break;
        case 3:
            out[f::DIS2] = add64(G4, out[f::YR3]);
            out[f::DIS1] = add64(out[f::DIS2], previous[f::NIX2]);
            out[f::NIX2] = sub64(out[f::MO2], G5);
            out[f::NIX1] = mul64(out[f::SEC2], M2);
            break;
        case 2:
            out[f::DIS1] = add64(add64(previous[f::DIS1], a.HRAP), G6);
            out[f::DIS2] =
                sub64(add64(add64(wrap32(std::int64_t{round_percentage(GRD)} + G7), a.MINAP), a.HRAP), G8);
            out[f::NIX2] = sub64(add64(OUTOF, a.SECAP), G9);
            out[f::NIX1] = mul64(out[f::SEC1], M2);
            break;
        default:
            break;
    }
}

Fields next_fields(const Fields& previous, const LocalTime& now, std::int16_t event, std::int16_t OUTOF,
                   double GRD) {
    const Adjustments a = adjustments_from(previous);
    Fields out{};
    time_fields(a, now, out);
    event_fields(previous, a, event, OUTOF, GRD, out);
    return out;
}

std::string format_line(const Fields& fields, std::string_view name) {
    std::string line;
    line.reserve(kFieldCount * 21 + name.size() + 2);
    char digits[24];
    for (const std::int64_t v : fields) {
        const auto res = std::to_chars(digits, digits + sizeof digits, v);
        line.append(digits, res.ptr);
        line += ' ';
    }
    line.append(name);
    line.append("\r\n");
    return line;
}

}  // namespace tavolin::logscheme
