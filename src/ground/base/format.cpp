#include "ground/base/format.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

namespace tavolin {

std::string format_fixed2(double value, int width) {
    std::array<char, 400> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed);
    std::string text(buf.data(), res.ptr);
    if (!std::isfinite(value)) {
        // Cannot come from a percentage; shown as the library spells it.
    } else {
        const bool negative = !text.empty() && text.front() == '-';
        std::string_view body(text);
        if (negative) body.remove_prefix(1);
        const std::size_t point = body.find('.');
        std::string digits(body.substr(0, point));  // whole part
        std::string frac = point == std::string_view::npos ? std::string() : std::string(body.substr(point + 1));
        const bool round_up = frac.size() > 2 && frac[2] >= '5';
        frac.resize(2, '0');
        digits += frac;  // all digits, the last two being hundredths
        if (round_up) {
            std::size_t i = digits.size();
            while (i > 0) {
                --i;
                if (digits[i] == '9') {
                    digits[i] = '0';
                } else {
                    ++digits[i];
                    break;
                }
                if (i == 0) digits.insert(digits.begin(), '1');
            }
        }
        text.clear();
        if (negative && digits.find_first_not_of('0') != std::string::npos) text += '-';
        text.append(digits, 0, digits.size() - 2);
        text += '.';
        text.append(digits, digits.size() - 2, 2);
    }
    if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

double round_half_even(double value) { return std::nearbyint(value); }

}  // namespace tavolin
