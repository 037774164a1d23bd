#include "ground/platform/command_words.hpp"

namespace tavolin {

std::vector<std::string> command_words(int argc, const char* const* argv) {
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) words.emplace_back(argv[i]);
    return words;
}

}  // namespace tavolin
