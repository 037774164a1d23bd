#include "shell/arguments.hpp"

#include <string>
#include <string_view>

#include "shell/command_line.hpp"
#include "shell/errors.hpp"

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
    if (argc < 2) return std::nullopt;
    command::Output out(Stream::kOutput);
    command::Output err(Stream::kError);
    int status = kExitQuit;
    const std::string_view first = argv[1];
    if (argc == 2 && first == "--help") {
        out.line("Usage: " + std::string(kSynopsis));
        for (const std::string_view line : kHelp) out.line(line);
    } else if (argc == 2 && first == "--version") {
        out.text(command::version_text("tavolin"));
    } else {
        // The first argument that cannot be taken is named: an unknown
        // option, a word that is no option at all, or one argument too many.
        const bool known = first == "--help" || first == "--version";
        const std::string_view wrong = known ? argv[2] : first;
        const bool option = !known && wrong.size() > 1 && wrong.front() == '-';
        err.line("tavolin: " + std::string(option ? "unrecognized option '" : "unexpected argument '") +
                 std::string(wrong) + "' (usage: " + std::string(kSynopsis) + ")");
        status = kExitUsage;
    }
    return command::finish("tavolin", out, err, status, kExitIoError);
}

}  // namespace tavolin
