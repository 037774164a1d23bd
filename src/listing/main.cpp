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
    "a graded quiz the percentage and the questions answered. Several logs give",
    "one listing, with a heading naming each log. The logs are only read, never",
    "written.",
    "",
    "Each line is checked against the line before it. A line that does not",
    "follow from it is broken: a line may have been changed or removed there,",
    "and what it gives is shown as '?', not as fact. Any number changed on a",
    "line breaks that line, but for the two a graded quiz carries freely: its",
    "percentage, unseen if left within 0 to 100, and its questions answered,",
    "unseen within 1 to 3000 unless the next line is a quiz opened, which then",
    "breaks. A line removed from the middle breaks the line after it, but for",
    "about one time in a hundred; a removed last line cannot be seen. The keys",
    "of the encoding are in Tavolin's published source: the log is not",
    "tamper-proof.",
    "",
    "  --csv       CSV for a spreadsheet (RFC 4180) instead of a table",
    "  -h, --help  show this help and exit",
    "  --version   show the version and exit",
    "",
    "Exit status: 0 when every line checks out, 1 when a line is broken or",
    "unreadable, 2 for a usage fault, a log that cannot be read or output not",
    "written.",
};

constexpr tavolin::command::Manual kManuals[] = {{"The manual", "tavolin-log", "manual-tavolin-log.txt"}};

}  // namespace

int main(int argc, char** argv) {
    namespace command = tavolin::command;
    command::Output out(tavolin::Stream::kOutput);
    command::Output err(tavolin::Stream::kError);
    const command::Arguments args = command::parse_arguments(argc, argv, {"--csv", "--help", "--version"});
    auto status = command::answer_standard_options(args, {"tavolin-log", kHelp, kManuals}, out, err);
    if (!status) status = tavolin::logscheme::list_logs(args.operands, args.has("--csv"), out, err);
    return command::finish("tavolin-log", out, err, *status);
}
