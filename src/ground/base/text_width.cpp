#include "ground/base/text_width.hpp"

#include <algorithm>
#include <iterator>

#include "ground/base/control_bytes.hpp"

namespace tavolin {

namespace {

struct CodeRange {
    char32_t first;
    char32_t last;
};

#include "ground/base/width_table.inc"

bool in_table(const CodeRange* begin, const CodeRange* end, char32_t code) {
    const CodeRange* at = std::upper_bound(begin, end, code, [](char32_t c, const CodeRange& r) { return c < r.first; });
    return at != begin && code <= std::prev(at)->last;
}

struct Decoded {
    char32_t code = 0;
    std::size_t size = 0;  // 0: not a well-formed character
};

// Decodes the character at pos, accepting only well-formed UTF-8: no
// overlong forms, no surrogates, nothing above U+10FFFF.
Decoded decode(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) return {lead, 1};
    std::size_t size = 0;
    char32_t code = 0;
    unsigned char low = 0x80;   // the range the second byte must lie in
    unsigned char high = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf) {
        size = 2;
        code = lead & 0x1fu;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        size = 3;
        code = lead & 0x0fu;
        if (lead == 0xe0) low = 0xa0;
        if (lead == 0xed) high = 0x9f;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        size = 4;
        code = lead & 0x07u;
        if (lead == 0xf0) low = 0x90;
        if (lead == 0xf4) high = 0x8f;
    } else {
        return {};
    }
    if (text.size() - pos < size) return {};
    for (std::size_t i = 1; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(text[pos + i]);
        if (byte < low || byte > high) return {};
        low = 0x80;
        high = 0xbf;
        code = (code << 6) | (byte & 0x3fu);
    }
    return {code, size};
}

}  // namespace

std::string_view unicode_version() { return kUnicodeVersion; }

int code_point_columns(char32_t code) {
    if (in_table(std::begin(kZeroWidth), std::end(kZeroWidth), code)) return 0;
    if (in_table(std::begin(kDoubleWidth), std::end(kDoubleWidth), code)) return 2;
    return 1;
}

ScreenChar screen_char(std::string_view text, std::size_t pos) {
    const Decoded d = decode(text, pos);
    if (d.size == 0) return {1, 1, true};
    if (d.code < 0x20 || (d.code >= 0x7f && d.code <= 0x9f)) return {d.size, 1, true};
    return {d.size, code_point_columns(d.code), false};
}

std::size_t last_cluster_start(std::string_view text) {
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const ScreenChar c = screen_char(text, pos);
        if (c.columns != 0) start = pos;
        pos += c.size;
    }
    return start;
}

std::size_t text_columns(std::string_view text) {
    std::size_t columns = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const ScreenChar c = screen_char(text, pos);
        columns += static_cast<std::size_t>(c.columns);
        pos += c.size;
    }
    return columns;
}

std::string screen_form(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const ScreenChar c = screen_char(text, pos);
        if (!c.placeholder) {
            out += text.substr(pos, c.size);
        } else {
            out += text[pos] == '\t' ? ' ' : kControlPlaceholder;
        }
        pos += c.size;
    }
    return out;
}

}  // namespace tavolin
