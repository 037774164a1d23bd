// tavolin-log: lists and checks the results log that tavolin keeps.
#include <string_view>

#include "listing/log_listing.hpp"
#include "ground/cli/command_line.hpp"

namespace {

constexpr std::string_view kHelp[] = {
    "Usage: tavolin-log [--csv] [FILE...]",
    "Lists the results log that tavolin keeps (Encrypted_file.csf in the current",
    "folder when no FILE is named): a row for each line, with its local date and",
    "time, the event (a quiz file made, opened or graded), the quiz file, and for",
    "a graded quiz the questions answered and the percentage. Several logs give",
    "one listing, with a column naming the log of each row. The logs are only",
    "read, never written.",
    "",
    "Each line is checked against the line before it. The checks find careless",
    "edits and lines deleted from the middle of a log. They cannot see a",
    "percentage or question count changed within its range, a changed or",
    "deleted last line, or a time shifted consistently. The log hides its",
    "numbers from a glance, but its keys are in Tavolin's published source: it",
    "is not tamper-proof.",
    "",
    "  --csv       CSV for a spreadsheet (RFC 4180) instead of a table",
    "  -h, --help  show this help and exit",
    "  --version   show the version and exit",
    "",
    "Exit status: 0 when every line checks out, 1 when a line is altered or",
    "unreadable, 2 for a usage fault, a log that cannot be read or output not",
    "written.",
    "The manual: man tavolin-log.",
};

}  // namespace

int main(int argc, char** argv) {
    namespace command = tavolin::command;
    command::Output out(tavolin::Stream::kOutput);
    command::Output err(tavolin::Stream::kError);
    const command::Arguments args = command::parse_arguments(argc, argv, {"--csv", "--help", "--version"});
    auto status = command::answer_standard_options(args, {"tavolin-log", kHelp}, out, err);
    if (!status) status = tavolin::logscheme::list_logs(args.operands, args.has("--csv"), out, err);
    return command::finish("tavolin-log", out, err, *status);
}
