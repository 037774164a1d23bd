// The terminal console on a pseudo-terminal made by the test: raw mode and
// the exact settings given back, the escape sequences of every console
// operation, erasing over wrapped rows, a hang-up, and the signals that end,
// stop or continue the program.
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "ground/console/posix/terminal_console.hpp"
#include "ground/base/errors.hpp"
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

// A child that shows the text with the cursor hidden and a colour set, then
// reads a line: 0 for the given one, 1 for another, 2 at the end of input.
// Given a signal, it first waits until keys are typed, without reading them,
// and takes the signal; told to end, it ends as the program's main does.
pid_t start_reader(Pty& pty, const std::string& line = "ok", int sig = 0, const char* text = "ready") {
    return pty.start_child([&pty, line, sig, text] {
        {
            TerminalConsole con(pty.slave(), pty.slave());
            con.write(text);
            con.hide_cursor();
            con.set_colour(9);
            con.flush();
            if (sig != 0) {
                pollfd typed{pty.slave(), POLLIN, 0};
                ::poll(&typed, 1, -1);
                ::raise(sig);
            }
            try {
                return con.read_line() == line ? 0 : 1;
            } catch (const EndOfInput&) {
                return 2;
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

// The output of a reader given the keys on a window of the given width, set
// after the console began.
std::string typed_at(unsigned short columns, const std::string& keys, const std::string& line) {
    Pty pty;
    const pid_t pid = start_reader(pty, line);
    pty.send("");  // the console has its handlers and the terminal
    const winsize size{24, columns, 0, 0};
    ::ioctl(pty.slave(), TIOCSWINSZ, &size);
    ::kill(pid, SIGWINCH);
    pty.send(keys + "\r");
    EXPECT_EQ(test::exit_code(pty, pid), 0) << keys.size();
    return pty.output();
}

// Typed characters erased after the five-column prompt on a window of 80 or
// 40 columns: the cursor's row and column, from the start of a row the line
// wrapped onto and back over the rows above. A wide character that does not
// fit in the last column goes to the next row, and Backspace erases it there,
// then the character before it at the end of the row above.
TEST(TerminalConsole, ErasingAcrossWrappedRows) {
    const std::vector<std::tuple<unsigned short, std::size_t, std::size_t, std::string, std::size_t>> cases = {
        {80, 76, 1, "", 0}, {80, 76, 2, "ready" + std::string(74, 'x'), 79}, {80, 157, 82, "", 0},
        {80, 157, 83, "ready" + std::string(74, 'x'), 79}, {80, 240, 170, "ready" + std::string(70, 'x'), 75},
        {40, 50, 16, "ready" + std::string(34, 'x'), 39}};
    for (const auto& [columns, typed, erased, row, column] : cases) {
        const std::string out = typed_at(columns, std::string(typed, 'x') + std::string(erased, '\x7f'), std::string(typed - erased, 'x'));
        EXPECT_EQ(test::cursor_row(out.substr(0, out.rfind("\r\n")), columns), std::pair(row, column));
    }
    const std::string out = typed_at(10, "abcd\xe6\x97\xa5\x7f\x7f", "abc");
    EXPECT_NE(out.find("abcd\xe6\x97\xa5\x1b[1G\x1b[K\x1b[A\x1b[9G\x1b[K"), std::string::npos) << out;
}

// The row ended if the cursor stood inside it, the terminal given back, the
// keys not yet read dropped with it (they were typed for the program, not for
// the shell), and death by the signal.
TEST(TerminalConsoleSignals, EndingSignalsGiveTheTerminalBackAndKill) {
    for (const auto& [sig, text] : {std::pair{SIGINT, "ready"}, std::pair{SIGTERM, "ready"}, std::pair{SIGHUP, "ready"},
                                    std::pair{SIGQUIT, "ready"}, std::pair{SIGQUIT, "ready\r"}}) {
        Pty pty;
        const pid_t pid = start_reader(pty, "ok", sig, text);
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

// Ctrl-Z gives the terminal back, keeping the keys typed before it for the
// program, and the continue takes it again; so does a continue after a stop
// the program cannot see (SIGSTOP) while the shell set the terminal back to
// cooked; each draws the row again.
TEST(TerminalConsoleSignals, StoppedAndContinuedTheConsoleTakesTheTerminalAgain) {
    Pty pty;
    const pid_t pid = start_reader(pty, "ok", SIGTSTP);
    ASSERT_TRUE(pty.wait_for("ready\x1b[?25l\x1b[94m"));
    pty.send("o");
    auto stopped = test::wait_child(pty, pid, WUNTRACED);
    ASSERT_TRUE(stopped && WIFSTOPPED(*stopped));
    test::expect_same_settings(pty.before(), pty.now());
    EXPECT_EQ(unread(pty), 1);
    ASSERT_TRUE(pty.wait_for("\x1b[0m\x1b[?25h"));
    ::kill(pid, SIGCONT);
    ASSERT_TRUE(pty.wait_for("\x1b[94m\x1b[?25l"));  // colour and hidden cursor come back with raw mode
    ASSERT_TRUE(pty.wait_for("\r\x1b[K"));             // and the row is drawn again
    ASSERT_TRUE(pty.wait_for("o"));                    // then the key typed before the stop is read
    ::kill(pid, SIGSTOP);
    stopped = test::wait_child(pty, pid, WUNTRACED);
    ASSERT_TRUE(stopped && WIFSTOPPED(*stopped));
    ::tcsetattr(pty.slave(), TCSANOW, &pty.before());
    ::kill(pid, SIGCONT);
    ASSERT_TRUE(pty.wait_for("\r\x1b[K"));  // the row drawn again
    EXPECT_EQ(pty.now().c_lflag & (ICANON | ECHO), 0U);
    pty.send("k\r");
    EXPECT_EQ(test::exit_code(pty, pid), 0);
    test::expect_same_settings(pty.before(), pty.now());
}

// A continue that comes during a pause (here before it, so that the pause
// surely finds it): the row is drawn again and the pause lasts its full time
// (to the millisecond it counts in).
TEST(TerminalConsoleSignals, APauseWokenByAContinueDrawsTheRowAndLastsItsTime) {
    Pty pty;
    const pid_t pid = pty.start_child([&] {
        TerminalConsole con(pty.slave(), pty.slave());
        con.write("row");
        ::raise(SIGCONT);
        const auto start = std::chrono::steady_clock::now();
        con.pause(200ms);
        return std::chrono::steady_clock::now() - start >= 199ms ? 0 : 1;
    });
    EXPECT_EQ(test::exit_code(pty, pid), 0) << "the pause was cut short";
    EXPECT_NE(pty.output().find("row\r\x1b[Krow"), std::string::npos) << pty.output();
}

// A hang-up while an answer is half typed: the input ends, the answer is not
// taken.
TEST(TerminalConsoleSignals, AHangUpDropsAHalfTypedAnswer) {
    Pty pty;
    const pid_t pid = start_reader(pty, "ans");
    pty.send("ans");
    ASSERT_TRUE(pty.wait_for("ans"));
    pty.hang_up();
    EXPECT_EQ(test::exit_code(pty, pid), 2);
}

}  // namespace
}  // namespace tavolin
