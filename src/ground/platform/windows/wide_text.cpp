#include "ground/platform/windows/wide_text.hpp"

#include <windows.h>

#include <algorithm>

namespace tavolin::windows {

namespace {

std::optional<std::wstring> utf16(std::string_view text, DWORD flags) {
    if (text.empty()) return std::wstring();
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_UTF8, flags, text.data(), size, nullptr, 0);
    if (n <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    if (MultiByteToWideChar(CP_UTF8, flags, text.data(), size, wide.data(), n) != n) return std::nullopt;
    return wide;
}

}  // namespace

std::optional<std::wstring> utf16_strict(std::string_view text) {
    if (text.size() > 0x7fffffffU) return std::nullopt;
    return utf16(text, MB_ERR_INVALID_CHARS);
}

std::wstring utf16_lenient(std::string_view text) {
    // In pieces that fit an int, each ending before a lead byte.
    constexpr std::size_t kPiece = 1U << 24;
    std::wstring wide;
    while (!text.empty()) {
        std::size_t take = std::min(text.size(), kPiece);
        while (take < text.size() && take > kPiece - 4 && (static_cast<unsigned char>(text[take]) & 0xc0) == 0x80) {
            --take;
        }
        wide += utf16(text.substr(0, take), 0).value_or(std::wstring());
        text.remove_prefix(take);
    }
    return wide;
}

std::string utf8_of(std::wstring_view text) {
    if (text.empty() || text.size() > 0x7fffffffU / 3) return {};
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string narrow(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), n, nullptr, nullptr);
    return narrow;
}

}  // namespace tavolin::windows
