#include "shell/arguments.hpp"

#include <string_view>

#include "ground/base/errors.hpp"
#include "ground/cli/command_line.hpp"

namespace tavolin {

namespace {

constexpr std::string_view kHelp[] = {
    "Usage: tavolin [--help | --version]",
    "Tavolin makes and takes quizzes at the terminal: from its menu, make a quiz,",
    "take one, or take quizzes in report mode, which also keeps the grades in",
    "report.txt. All its files are in the current folder. To leave it, choose",
    "Quit at the menu (or type quit); Ctrl-D on an empty line (on Windows, Ctrl-Z",
    "then Enter) or Ctrl-C leave at once.",
};

constexpr command::Manual kManuals[] = {
    {"The manual", "tavolin", "manual-tavolin.txt"},
    {"The quiz and report files", "5 tavolin", "manual-quiz-files.txt"},
};

}  // namespace

std::optional<int> answer_arguments(int argc, const char* const* argv) {
    if (argc < 2) return std::nullopt;
    command::Output out(Stream::kOutput);
    command::Output err(Stream::kError);
    const command::Arguments args = command::parse_arguments(argc, argv, {"--help", "--version"});
    const command::CommandInfo info{"tavolin", kHelp, kManuals, kExitUsage, false};
    auto status = command::answer_standard_options(args, info, out, err);
    // Only "--" was given: still no run, as anything on the command line is
    // more than the run takes.
    if (!status) status = command::refuse_usage(info, err, "unexpected operand --");
    return command::finish("tavolin", out, err, *status, kExitIoError);
}

}  // namespace tavolin
