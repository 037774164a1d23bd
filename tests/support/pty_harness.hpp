// A pseudo-terminal for the tests that only a real terminal can show: the
// test plays the user at the master side, and on the terminal side either
// the real program runs (start_program) or a child of the test runs code of
// its own (start_child). POSIX only.
//
// The terminal starts with cooked settings such as a login shell leaves, with
// VMIN 3 and VTIME 4 (values raw mode never uses), so that settings not given
// back show in every field compared. Making one sets the test's environment
// as most users have it, whatever the caller's: TERM=xterm, no NO_COLOR.
#pragma once

#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tavolin::test {

using namespace std::chrono_literals;

class Pty {
public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    // Types the bytes once the terminal is out of canonical mode: only then
    // has the program (or the shell) taken it, and the keys reach its own
    // line editor instead of the terminal's.
    void send(std::string_view bytes);
    // Waits until needle appears after the previous match; true when found.
    // False once the child has ended without it, or after the timeout, which
    // only a program that hangs ever reaches.
    bool wait_for(std::string_view needle, std::chrono::milliseconds timeout = 30s);
    // Reads what arrives within the given time.
    void collect(std::chrono::milliseconds wait);
    [[nodiscard]] const std::string& output() const { return output_; }
    [[nodiscard]] termios now() const;
    [[nodiscard]] const termios& before() const { return before_; }
    // Closes the master side: the terminal hangs up.
    void hang_up();
    [[nodiscard]] int slave() const { return slave_; }

    struct Options {
        std::string cwd;
        std::optional<long> file_size_limit;  // RLIMIT_FSIZE, SIGXFSZ at its default
        bool as_nobody = false;               // user and group 65534
        std::vector<std::string> argv;        // empty: program_command()
    };
    // The real program (through TAVOLIN_WRAPPER if set), or the command given,
    // in a session of its own with this terminal as its controlling terminal.
    pid_t start_program(const Options& options);
    // A child of the test in a process group of its own on this terminal; its
    // exit status is what body returns.
    pid_t start_child(const std::function<int()>& body);

private:
    int master_ = -1;
    int slave_ = -1;
    termios before_{};
    std::string output_;
    std::size_t mark_ = 0;
    pid_t child_ = -1;
};

// The raw wait status (WUNTRACED in flags: a stop counts too), reading the
// terminal meanwhile; nothing if the child has not changed state in time
// (then it is killed).
std::optional<int> wait_child(Pty& pty, pid_t pid, int flags = 0, std::chrono::milliseconds timeout = 20s);
// The exit code, or -1 when the child did not exit normally in time.
int exit_code(Pty& pty, pid_t pid);

// The words of TAVOLIN_WRAPPER (a checker such as valgrind), then the program.
std::vector<std::string> program_command();

// The row the cursor stands on after the given output to a terminal of the
// given width, and the cursor's column (0 for the first): text, CR, LF, BS and
// the sequences the program moves and erases with (CSI K, G, A, H, J).
std::pair<std::string, std::size_t> cursor_row(std::string_view output, std::size_t cols = 80);

// A checker named in TAVOLIN_WRAPPER makes the program much slower.
std::chrono::milliseconds patience(std::chrono::milliseconds base = 5s);

void expect_same_settings(const termios& expected, const termios& actual);

}  // namespace tavolin::test
