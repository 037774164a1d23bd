// The console of the machine the program runs on: a terminal on POSIX, the
// console window on Windows. main makes it through make_system_console and
// never sees which one it got.
#pragma once

#include <memory>

#include "shell/console/console.hpp"

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

}  // namespace tavolin
