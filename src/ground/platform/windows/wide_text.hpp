// The program's text is UTF-8; the system's wide functions (file names, the
// command line, the console) take and give UTF-16.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavolin::windows {

// UTF-8 as UTF-16. Strict: nothing when the text is not UTF-8 (a file name
// must stand for one name only). Lenient: each byte that is not UTF-8 becomes
// U+FFFD (text to be shown).
std::optional<std::wstring> utf16_strict(std::string_view text);
std::wstring utf16_lenient(std::string_view text);

// UTF-16 as UTF-8; a lone surrogate becomes U+FFFD.
std::string utf8_of(std::wstring_view text);

}  // namespace tavolin::windows
