#include "shell/arguments.hpp"

#include <string>
#include <string_view>
#include <vector>

#include "shell/command_line.hpp"
#include "shell/errors.hpp"
#include "shell/platform/command_words.hpp"

namespace tavolin {

namespace {

constexpr std::string_view kSynopsis = "tavolin [--help | --version]";

constexpr std::string_view kHelp[] = {
    "Tavolin makes and takes quizzes at the terminal: from its menu, make a quiz,",
    "take one, or take quizzes in report mode, which also keeps the grades in",
    "report.txt. All its files are in the current folder. To leave it, choose",
    "Quit at the menu (or type quit); Ctrl-D on an empty line (on Windows, Ctrl-Z",
    "then Enter) or Ctrl-C leave at once. The manuals: man tavolin, and",
    "man 5 tavolin for the quiz and report files.",
};

}  // namespace

std::optional<int> answer_arguments(int argc, const char* const* argv) {
    const std::vector<std::string> words = command_words(argc, argv);
    if (words.empty()) return std::nullopt;
    const std::string_view first = words[0];
    if (words.size() == 1 && first == "--help") {
        command::Output out(Stream::kOutput);
        out.line("Usage: " + std::string(kSynopsis));
        for (const std::string_view line : kHelp) out.line(line);
        return kExitQuit;
    }
    if (words.size() == 1 && first == "--version") {
        command::Output(Stream::kOutput).text(command::version_text("tavolin"));
        return kExitQuit;
    }
    // The first argument that cannot be taken is named: an unknown option, a
    // word that is no option at all, or one argument too many.
    const bool known = first == "--help" || first == "--version";
    const std::string_view wrong = known ? words[1] : first;
    const bool option = !known && wrong.size() > 1 && wrong.front() == '-';
    command::Output(Stream::kError)
        .line("tavolin: " + std::string(option ? "unrecognized option '" : "unexpected argument '") +
              std::string(wrong) + "' (usage: " + std::string(kSynopsis) + ")");
    return kExitUsage;
}

}  // namespace tavolin
