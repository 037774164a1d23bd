// What the commands share at their edges: their arguments, their standard
// output and error, and their exit statuses, the way command-line programs
// of their platform do it (GNU-style --help and --version, "FILE:LINE: error:"
// messages, usage faults told on standard error).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ground/platform/files.hpp"

namespace tavolin::command {

// Exit statuses of the companion commands.
inline constexpr int kExitClean = 0;     // nothing wrong found
inline constexpr int kExitFaults = 1;    // a fault found in what was read
inline constexpr int kExitTrouble = 2;   // a usage fault, a file that cannot be read, output not written

struct Arguments {
    std::vector<std::string> operands;  // the file names, in order
    std::vector<std::string> options;   // the known options given
    std::string unknown;                // the first option that is not known
    [[nodiscard]] bool has(std::string_view option) const;
};

// Options start with "-" and come anywhere; "--" ends them, and "-" alone is
// an operand. "-h" is taken as "--help" where "--help" is known.
Arguments parse_arguments(int argc, const char* const* argv, std::initializer_list<std::string_view> known);

// Text collected and written out in large pieces; lines end as the
// platform's text does unless a line end is given.
class Output {
public:
    explicit Output(Stream stream) : stream_(stream) {}
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;
    ~Output() { flush(); }

    void text(std::string_view text);
    void line(std::string_view text = {}) {
        this->text(text);
        this->text(text_line_end());
    }
    // Writes out what is collected; false once a write has failed.
    bool flush();
    // The error number of the write that failed, 0 while none has; nothing
    // is written after it.
    [[nodiscard]] int error() const { return error_; }

private:
    Stream stream_;
    std::string buffer_;
    int error_ = 0;
};

// The error number of a write to a pipe whose reader has gone: the reader
// wanted no more, so the command ends without a word about it.
bool reader_gone(int error);

// The status a command ends with, once both its streams are written out:
// `status` as it stands when both took everything; otherwise `trouble`, with
// "PROGRAM: write error: REASON" on `err` when it was standard output that
// failed (and not for a reader that has gone).
int finish(std::string_view program, Output& out, Output& err, int status, int trouble = kExitTrouble);

// A fault found in a file, as "FILE:LINE: error: TEXT" or "FILE:LINE:
// warning: TEXT" on `err`; and a file that cannot be read at all, as
// "PROGRAM: FILE: REASON". What `out` holds goes out first, so that on one
// screen the two streams keep their order.
void tell_fault(Output& out, Output& err, std::string_view file, std::int64_t line, bool error,
                std::string_view text);
void tell_unreadable(Output& out, Output& err, std::string_view program, std::string_view file, int error);

// "PROGRAM (Tavolin) VERSION" and the copyright lines, for --version.
std::string version_text(std::string_view program);

// A manual that --help points to: what it tells, its man page as man is
// asked for it ("tavolin-check", "5 tavolin"), and the text file that
// stands for it where the manuals are text files beside the programs (the
// Windows zip).
struct Manual {
    std::string_view topic;
    std::string_view page;
    std::string_view text_file;
};

// What a command says of itself at its edges.
struct CommandInfo {
    std::string_view program;                 // its name, as messages begin
    std::span<const std::string_view> help;   // --help; the first line is the usage line
    std::span<const Manual> manuals;          // the last lines of --help, a line each
    int usage_status = kExitTrouble;          // the status of a usage fault
    bool takes_operands = true;               // false: any operand is a usage fault
};

// A usage fault on `err`: what is wrong, then the usage line with a pointer
// to --help. Returns the command's usage status.
int refuse_usage(const CommandInfo& info, Output& err, std::string_view what);

// What every command does before its own work: --help (or -h) and --version
// answered on `out` (--help names the manuals as this build installs them), an unknown option or an unwanted operand refused on
// `err`. The exit status when the command is done with that; nothing when
// its work is to begin.
std::optional<int> answer_standard_options(const Arguments& args, const CommandInfo& info, Output& out, Output& err);

}  // namespace tavolin::command
