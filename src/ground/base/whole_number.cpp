#include "ground/base/whole_number.hpp"

#include "ground/base/blanks.hpp"

namespace tavolin {

WholeNumber parse_whole_number(std::string_view line) {
    const std::size_t start = line.find_first_not_of(kBlanks);
    if (start == std::string_view::npos) return {};
    std::size_t end = line.find_first_of(kBlanks, start);
    if (end == std::string_view::npos) end = line.size();
    std::string_view word = line.substr(start, end - start);

    bool negative = false;
    if (word.front() == '+' || word.front() == '-') {
        negative = word.front() == '-';
        word.remove_prefix(1);
    }
    if (word.empty() || word.find_first_not_of("0123456789") != std::string_view::npos) {
        return {WholeNumber::Kind::NotANumber, 0};
    }
    // Any count of digits: the magnitude stops growing just past the range.
    constexpr std::int32_t kPast = 32769;
    std::int32_t magnitude = 0;
    for (const char c : word) {
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > kPast) magnitude = kPast;
    }
    std::int32_t value = negative ? -magnitude : magnitude;
    if (value > 32768) value = 32768;
    return {WholeNumber::Kind::Number, value};
}

}  // namespace tavolin
