// The console of the machine the program runs on: a terminal on POSIX, the
// console window on Windows. main makes it through make_system_console and
// never sees which one it got.
#pragma once

#include <memory>
#include <optional>

#include "ground/console/console.hpp"

namespace tavolin {

class SystemConsole : public Console {
public:
    // Ends the line if the cursor is not at its start, so that whatever comes
    // after the program (a message, the shell's prompt) starts on a row of its
    // own.
    virtual void finish_line() = 0;
};

// Takes the standard input and output for the run; the console is given back
// as it was found when the object is destroyed. Throws std::runtime_error when
// it cannot be taken.
std::unique_ptr<SystemConsole> make_system_console();

// A request from outside to end the run, which the console only notes (and
// then throws EndRequested from its key read or pause): Ctrl-C, a hang-up or
// SIGTERM on POSIX, Ctrl-C or the console window closed on Windows.
struct EndRequest {
    int how = 0;                 // the signal, or the Windows control event
    bool terminal_gone = false;  // a hang-up, a closed window: nothing written reaches anyone
};

// The request noted while a console was there, if any. Asked once the console
// is gone, so that one that came while it was given back is not missed.
std::optional<EndRequest> noted_end_request();

// The error number of the write to standard output that failed, when that
// output is no terminal (a pipe, a file); 0 when everything was written.
// Asked once the console is gone, after its last write.
int noted_write_error();

// Ends the process as the request would have ended it at once: by the same
// signal at its default action, so that the caller sees 130, 129 or 143; on
// Windows with the status of Ctrl-C or a closed console (0xC000013A).
[[noreturn]] void end_as_requested(const EndRequest& request);

}  // namespace tavolin
