// tavolin-check: checks quiz files the way tavolin reads them.
#include <string>
#include <string_view>

#include "check/check_files.hpp"
#include "ground/cli/command_line.hpp"

namespace {

constexpr std::string_view kHelp[] = {
    "Usage: tavolin-check FILE...",
    "Checks Tavolin quiz files the way tavolin reads them and names every fault",
    "with its line on standard error, as FILE:LINE: error: ... or",
    "FILE:LINE: warning: ... An error is what makes tavolin refuse the file, end",
    "the run on one of its questions, or give no question at all; a warning is",
    "what tavolin takes but the author may not expect. A file without errors",
    "gets one line on standard output: its questions, by kind.",
    "",
    "  -h, --help  show this help and exit",
    "  --version   show the version and exit",
    "",
    "Exit status: 0 when no file has an error, 1 when a file has an error, 2 for",
    "a usage fault, a file that cannot be read or output not written.",
};

constexpr tavolin::command::Manual kManuals[] = {
    {"The manual", "tavolin-check", "manual-tavolin-check.txt"},
    {"The quiz file format", "5 tavolin", "manual-quiz-files.txt"},
};

namespace command = tavolin::command;

int check(int argc, char** argv, command::Output& out, command::Output& err) {
    const command::Arguments args = command::parse_arguments(argc, argv, {"--help", "--version"});
    const command::CommandInfo info{"tavolin-check", kHelp, kManuals};
    if (const auto status = command::answer_standard_options(args, info, out, err)) return *status;
    if (args.operands.empty()) return command::refuse_usage(info, err, "no quiz file named");
    return tavolin::check_files(args.operands, out, err);
}

}  // namespace

int main(int argc, char** argv) {
    command::Output out(tavolin::Stream::kOutput);
    command::Output err(tavolin::Stream::kError);
    const int status = check(argc, argv, out, err);
    return command::finish("tavolin-check", out, err, status);
}
