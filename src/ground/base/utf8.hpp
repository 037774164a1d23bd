// The little of UTF-8 the program needs: how long a sequence a lead byte
// starts, whether a byte continues one, and whether bytes are a character
// cut short.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tavolin::utf8 {

// Length of the sequence that a lead byte starts: 1 for ASCII, 2 to 4 for a
// multi-byte lead, 0 for a byte that cannot start a sequence.
constexpr std::uint8_t sequence_length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xc2 && lead <= 0xdf) return 2;
    if (lead >= 0xe0 && lead <= 0xef) return 3;
    if (lead >= 0xf0 && lead <= 0xf4) return 4;
    return 0;
}

constexpr bool is_continuation(unsigned char byte) { return (byte & 0xc0) == 0x80; }

// Where the last character of a non-empty text begins. Bytes that do not make
// one whole sequence count as characters of one byte each.
constexpr std::size_t last_char_start(std::string_view text) {
    std::size_t start = text.size() - 1;
    while (start > 0 && text.size() - start < 4 && is_continuation(static_cast<unsigned char>(text[start]))) {
        --start;
    }
    if (sequence_length(static_cast<unsigned char>(text[start])) != text.size() - start) start = text.size() - 1;
    return start;
}

// Whether the bytes are the start of a character cut short: a lead byte
// followed by fewer continuation bytes than it calls for, and nothing else.
constexpr bool is_cut_char(std::string_view rest) {
    if (rest.empty() || sequence_length(static_cast<unsigned char>(rest[0])) <= rest.size()) return false;
    for (std::size_t i = 1; i < rest.size(); ++i) {
        if (!is_continuation(static_cast<unsigned char>(rest[i]))) return false;
    }
    return true;
}

}  // namespace tavolin::utf8
