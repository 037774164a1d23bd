// Runs a program (by default the real tavolin binary) on a pseudo-terminal, as
// a user at a terminal would: keys are written to the terminal, everything the
// program writes (standard output and standard error alike) is collected, and
// the terminal's settings can be read before, during and after the run.
//
//   using namespace std::chrono_literals;
//   tavolin::test::TempDir dir;
//   tavolin::test::PtyProcess p({.cwd = dir.path()});
//   ASSERT_TRUE(p.wait_for("Numbers 1-4   > "));
//   p.send("quit\r");                       // Enter is CR, as a terminal sends it
//   ASSERT_TRUE(p.wait_for("Thank you for using Tavolin."));
//   auto status = p.wait_exit();            // raw wait status, nullopt on timeout
//   ASSERT_TRUE(status && WIFEXITED(*status));
//   EXPECT_EQ(WEXITSTATUS(*status), 0);
//   tavolin::test::expect_same_settings(p.settings_before(), p.settings_now());
//
// How the child is started: openpty with the given window size; the terminal
// gets known cooked settings (see cooked_settings(), or Options::settings)
// before the fork, which settings_before() reports. The child starts a new
// session, makes the pseudo-terminal its controlling terminal (so Ctrl-C sent
// as "\x03" raises SIGINT in it), has it as standard input, output and error,
// changes to Options::cwd, gets every signal back to its default action and
// unblocked, the optional file-size limit (RLIMIT_FSIZE) and SIGXFSZ ignored
// if asked, and then executes argv.
//
// The parent keeps the master side open for the whole life of the object, so
// settings_now() works after the child has gone (on Linux the settings asked
// of the master are those of the terminal side). Output is read only inside
// send, wait_for, wait_exit and drain, never in the background.
//
// Limits: the child leads its own session, so its process group is orphaned
// and a job-control stop (Ctrl-Z, SIGTSTP) is discarded by the kernel instead
// of stopping it; test suspension another way. The destructor kills a child
// that is still running (SIGKILL) and reaps it.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavolin::test {

class PtyProcess {
public:
    struct Options {
        std::string cwd;                // empty: the test's current folder
        std::vector<std::string> argv;  // empty: program_command()
        int rows = 24;
        int cols = 80;
        std::optional<rlim_t> file_size_limit;  // RLIMIT_FSIZE in bytes
        bool ignore_sigxfsz = false;            // so a write past the limit fails with EFBIG
        std::optional<termios> settings;        // default: cooked_settings()
    };

    explicit PtyProcess(Options options);
    ~PtyProcess();
    PtyProcess(const PtyProcess&) = delete;
    PtyProcess& operator=(const PtyProcess&) = delete;

    // Types bytes at the terminal (reading output meanwhile, so that neither
    // side can block the other). Throws if they cannot be written within 5 s.
    void send(std::string_view bytes);

    // Waits until needle appears in the output after the end of the previous
    // match (or the start); true when found, and the next search starts after
    // it. False on timeout or when the child has gone without writing it.
    bool wait_for(std::string_view needle, std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // Everything the child has written so far (as read up to now).
    [[nodiscard]] const std::string& output() const { return output_; }
    // Where the next wait_for starts searching; output().substr(mark()) is
    // what came after the last match.
    [[nodiscard]] std::size_t mark() const { return mark_; }
    // Reads whatever output arrives during the given time.
    void drain(std::chrono::milliseconds time);

    // Waits for the child to end and returns its raw wait status (use
    // WIFEXITED / WEXITSTATUS / WIFSIGNALED / WTERMSIG), or nullopt if it is
    // still running after the timeout. Collects its output meanwhile and, once
    // it has ended, everything it left in the terminal. Can be called again.
    std::optional<int> wait_exit(std::chrono::milliseconds timeout = std::chrono::seconds(10));

    // Sends a signal to the child (kill(2)).
    void signal(int sig);
    // Closes the master side: the terminal hangs up (SIGHUP, then EIO on
    // reads). After this, send, settings_now and reading output are no longer
    // possible; wait_exit still reaps the child.
    void hang_up();

    // The terminal's settings now (tcgetattr through the master side).
    [[nodiscard]] termios settings_now() const;
    // The settings the terminal had just before the child started.
    [[nodiscard]] termios settings_before() const { return before_; }

    [[nodiscard]] pid_t pid() const { return pid_; }
    [[nodiscard]] int master_fd() const { return master_; }

private:
    // One round of waiting for output up to the given time; returns false
    // when the terminal has no writer left (all output is read).
    bool read_some(std::chrono::milliseconds wait);
    bool reap(bool block);

    int master_ = -1;
    pid_t pid_ = -1;
    termios before_{};
    std::string output_;
    std::size_t mark_ = 0;
    bool output_closed_ = false;
    std::optional<int> status_;
};

// The command that runs the real program: the words of the environment
// variable TAVOLIN_WRAPPER, split at blanks, if it is set (so that CI can run
// every pseudo-terminal test under a checker, e.g. TAVOLIN_WRAPPER="valgrind
// -q --error-exitcode=99 --log-file=/tmp/vg.%p"), then TAVOLIN_BINARY.
std::vector<std::string> program_command();

// Canonical-mode settings such as a login shell leaves a terminal in: ICANON,
// ECHO (with ECHOE, ECHOK, ECHOCTL, ECHOKE), ISIG, IEXTEN; ICRNL, IXON, IUTF8;
// OPOST with ONLCR; the usual control characters (Ctrl-C, Ctrl-\, Del, Ctrl-U,
// Ctrl-D, Ctrl-Z); VMIN 1 and VTIME 0. base supplies the other fields.
termios cooked_settings(const termios& base);

// GoogleTest expectations that two settings agree in the fields a program in
// raw mode changes and must give back: c_iflag, c_oflag, c_lflag, c_cflag,
// c_cc[VMIN], c_cc[VTIME] and the control characters.
void expect_same_settings(const termios& expected, const termios& actual);

// The output without escape sequences (CSI "ESC [ ... final", and two-byte
// "ESC x"), for comparing the plain text a user would read.
std::string strip_escapes(std::string_view text);

}  // namespace tavolin::test
