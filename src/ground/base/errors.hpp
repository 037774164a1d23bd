// The four ways a run can end other than by the menu's quit: the keyboard has
// gone away, the program was told to end from outside, a file the program
// must write cannot be written, or a quiz file holds a question of no known
// kind. Each is thrown from deep inside a dialogue and caught once, in main,
// where the terminal is given back and the exit status chosen.
#pragma once

#include <stdexcept>
#include <string>

namespace tavolin {

// Exit statuses of the program, one per way of ending.
inline constexpr int kExitQuit = 0;
inline constexpr int kExitIoError = 1;
inline constexpr int kExitEndOfInput = 2;
inline constexpr int kExitForcedClose = 3;
// A command-line argument the program does not take (EX_USAGE of sysexits).
inline constexpr int kExitUsage = 64;

// Standard input is closed (Ctrl-D on an empty line, a closed pipe, a hang-up).
class EndOfInput : public std::runtime_error {
public:
    EndOfInput() : std::runtime_error("end of input") {}
};

// The run was told to end from outside (Ctrl-C, a hang-up or SIGTERM; on
// Windows Ctrl-C or the console window closed): thrown by the key read or the
// pause that noticed it, so that the report is finished on the way out (see
// run_program).
class EndRequested : public std::runtime_error {
public:
    EndRequested() : std::runtime_error("end requested") {}
};

// A write, create or close that must not fail did fail.
class FatalIoError : public std::runtime_error {
public:
    FatalIoError(std::string path, std::string reason)
        : std::runtime_error(path + ": " + reason), path_(std::move(path)), reason_(std::move(reason)) {}
    [[nodiscard]] const std::string& path() const { return path_; }
    [[nodiscard]] const std::string& reason() const { return reason_; }

private:
    std::string path_;
    std::string reason_;
};

// A quiz question whose kind line is none of m, t, f: the program has already
// written its message and paused; all that is left is to end the run.
class ForcedClose : public std::runtime_error {
public:
    ForcedClose() : std::runtime_error("forced close") {}
};

}  // namespace tavolin
