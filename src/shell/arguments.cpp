#include "shell/arguments.hpp"

#include <cstdio>
#include <string>
#include <string_view>

#include "shell/errors.hpp"

namespace tavolin {

namespace {

constexpr std::string_view kSynopsis = "tavolin [--help | --version]";

constexpr std::string_view kHelp =
    "Tavolin makes and takes quizzes at the terminal: from its menu, make a quiz,\n"
    "take one, or take quizzes in report mode, which also keeps the grades in\n"
    "report.txt. All its files are in the current folder. To leave it, choose\n"
    "Quit at the menu (or type quit); Ctrl-D on an empty line (on Windows, Ctrl-Z\n"
    "then Enter) or Ctrl-C leave at once. The manuals: man tavolin, and\n"
    "man 5 tavolin for the quiz and report files.\n";

constexpr std::string_view kVersion =
    "tavolin (Tavolin) " TAVOLIN_VERSION "\n"
    "Copyright The Tavolin developers. MIT licence.\n";

void put(std::FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

}  // namespace

std::optional<int> answer_arguments(int argc, const char* const* argv) {
    if (argc < 2) return std::nullopt;
    const std::string_view first = argv[1];
    if (argc == 2 && first == "--help") {
        put(stdout, "Usage: " + std::string(kSynopsis) + "\n" + std::string(kHelp));
        return kExitQuit;
    }
    if (argc == 2 && first == "--version") {
        put(stdout, std::string(kVersion));
        return kExitQuit;
    }
    // The first argument that cannot be taken is named: an unknown option, a
    // word that is no option at all, or one argument too many.
    const bool known = first == "--help" || first == "--version";
    const std::string_view wrong = known ? argv[2] : first;
    const bool option = !known && wrong.size() > 1 && wrong.front() == '-';
    put(stderr, "tavolin: " + std::string(option ? "unrecognized option '" : "unexpected argument '") +
                    std::string(wrong) + "' (usage: " + std::string(kSynopsis) + ")\n");
    return kExitUsage;
}

}  // namespace tavolin
