// The command line split as the C runtime splits it (CommandLineToArgvW
// follows the same quoting rules), each word turned from UTF-16 to UTF-8.
#include "ground/platform/command_words.hpp"

#include <windows.h>
#include <shellapi.h>

#include "ground/platform/windows/wide_text.hpp"

namespace tavolin {

std::vector<std::string> command_words(int argc, const char* const* argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> words;
    if (wide == nullptr) {  // no memory for it: the ANSI words are better than none
        for (int i = 1; i < argc; ++i) words.emplace_back(argv[i]);
        return words;
    }
    for (int i = 1; i < count; ++i) words.push_back(windows::utf8_of(wide[i]));
    LocalFree(static_cast<HLOCAL>(wide));
    return words;
}

}  // namespace tavolin
