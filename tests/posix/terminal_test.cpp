// The terminal console on a pseudo-terminal made by the test: raw mode and
// the exact settings given back, the escape sequences of every console
// operation, and the signals that end or stop the program.
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <thread>

#include "shell/console/posix/terminal_console.hpp"
#include "shell/errors.hpp"
#include "support/pty_harness.hpp"

namespace tavolin {
namespace {

using test::Pty;
using namespace std::chrono_literals;

TEST(TerminalConsole, RawModeEscapeSequencesAndTheExactSettingsAfter) {
    Pty pty;
    {
        TerminalConsole con(pty.slave(), pty.slave());
        const termios t = pty.now();
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | IEXTEN), 0U);
        EXPECT_NE(t.c_lflag & ISIG, 0U) << "Ctrl-C and Ctrl-Z must keep working";
        EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR | IXON | ISTRIP), 0U);
        EXPECT_EQ(t.c_oflag & (OPOST | ONLCR), static_cast<tcflag_t>(OPOST | ONLCR));
        EXPECT_EQ(t.c_cc[VMIN], 1);
        EXPECT_EQ(t.c_cc[VTIME], 0);
        for (const int colour : {15, 9, 4, 14, 12}) {
            con.set_colour(colour);
            con.write("x");
        }
        con.hide_cursor();
        con.clear_screen();
        con.show_cursor();
        con.write_line("a");
    }
    test::expect_same_settings(pty.before(), pty.now());
    pty.collect(100ms);
    EXPECT_EQ(pty.output(), "\x1b[97mx\x1b[94mx\x1b[31mx\x1b[93mx\x1b[91mx\x1b[?25l\x1b[H\x1b[2J\x1b[?25ha\r\n\x1b[0m\x1b[?25h");
}

// A child that shows the text with the cursor hidden and a colour set, waits
// until keys are typed without reading them, takes the signal, then reads a
// line; told to end, it ends as the program's main does.
pid_t start_reader(Pty& pty, int sig, const char* text = "ready") {
    return pty.start_child([&pty, sig, text] {
        {
            TerminalConsole con(pty.slave(), pty.slave());
            con.write(text);
            con.hide_cursor();
            con.set_colour(9);
            con.flush();
            pollfd typed{pty.slave(), POLLIN, 0};
            ::poll(&typed, 1, -1);
            ::raise(sig);
            try {
                return con.read_line() == "ok" ? 0 : 1;
            } catch (const EndRequested&) {
                con.finish_line();
            }
        }
        if (const auto request = noted_end_request()) end_as_requested(*request);
        return 1;
    });
}

// The keys the terminal still holds for whoever reads it next.
int unread(const Pty& pty) {
    int n = -1;
    ::ioctl(pty.slave(), FIONREAD, &n);
    return n;
}

// The row ended if the cursor stood inside it, the terminal given back, the
// keys not yet read dropped with it (they were typed for the program, not for
// the shell), and death by the signal.
TEST(TerminalConsoleSignals, EndingSignalsGiveTheTerminalBackAndKill) {
    for (const auto& [sig, text] : {std::pair{SIGINT, "ready"}, std::pair{SIGTERM, "ready"}, std::pair{SIGHUP, "ready"},
                                    std::pair{SIGQUIT, "ready"}, std::pair{SIGQUIT, "ready\r"}}) {
        Pty pty;
        const pid_t pid = start_reader(pty, sig, text);
        ASSERT_TRUE(pty.wait_for(std::string(text) + "\x1b[?25l\x1b[94m"));
        pty.send("ok\r");
        const auto status = test::wait_child(pty, pid);
        ASSERT_TRUE(status && WIFSIGNALED(*status)) << sig;
        EXPECT_EQ(WTERMSIG(*status), sig);
        test::expect_same_settings(pty.before(), pty.now());
        // Not after Ctrl-C, where an interactive bash ends the row itself.
        const bool row_ended = sig != SIGINT && std::string_view(text) == "ready";
        EXPECT_EQ(pty.output(), text + std::string("\x1b[?25l\x1b[94m") + (row_ended ? "\r\n" : "") + "\x1b[0m\x1b[?25h");
        EXPECT_EQ(unread(pty), 0) << sig;
    }
}

// Keys typed before the stop are kept for the program when it goes on.
TEST(TerminalConsoleSignals, CtrlZGivesTheTerminalBackAndContinuingTakesItAgain) {
    Pty pty;
    const pid_t pid = start_reader(pty, SIGTSTP);
    ASSERT_TRUE(pty.wait_for("ready\x1b[?25l\x1b[94m"));
    pty.send("ok\r");
    const auto stopped = test::wait_child(pty, pid, WUNTRACED);
    ASSERT_TRUE(stopped && WIFSTOPPED(*stopped));
    test::expect_same_settings(pty.before(), pty.now());
    EXPECT_EQ(unread(pty), 3);
    ASSERT_TRUE(pty.wait_for("\x1b[0m\x1b[?25h"));
    ::kill(pid, SIGCONT);
    ASSERT_TRUE(pty.wait_for("\x1b[94m\x1b[?25l"));  // colour and hidden cursor come back with raw mode
    const auto status = test::wait_child(pty, pid);
    ASSERT_TRUE(status && WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 0);
    test::expect_same_settings(pty.before(), pty.now());
}

}  // namespace
}  // namespace tavolin
