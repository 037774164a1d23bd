// The terminal console on a pseudo-terminal made by the test: raw mode and
// the exact settings given back, the escape sequences of every console
// operation (and those left out under NO_COLOR and TERM=dumb), erasing over
// wrapped rows, a hang-up, and the signals that end, stop or continue the
// program.
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "ground/console/posix/terminal_console.hpp"
#include "ground/base/errors.hpp"
#include "support/pty_harness.hpp"

namespace tavolin {
namespace {

using test::Pty;
using namespace std::chrono_literals;

// Colours, the cursor hidden, a clear, the cursor shown, then "bc" and a wide
// character typed after an "a" and the last two erased: under TERM (NO_COLOR
// unset unless given).
TEST(TerminalConsole, RawModeEscapeSequencesAndTheExactSettingsAfter) {
    const std::string coloured = "\x1b[97mx\x1b[94mx\x1b[31mx\x1b[93mx\x1b[91mx";
    const std::string rest = "\x1b[?25l\x1b[H\x1b[2J\x1b[?25habc\xe4\xb8\xad\x1b[4G\x1b[K\x1b[3G\x1b[K\r\n";
    for (const auto& [term, no_colour, output] : std::vector<std::tuple<const char*, const char*, std::string>>{
             {"xterm", nullptr, coloured + rest + "\x1b[0m\x1b[?25h"}, {"xterm", "", coloured + rest + "\x1b[0m\x1b[?25h"},
             {"xterm", "1", "xxxxx" + rest + "\x1b[?25h"}, {"dumb", nullptr, "xxxxxabc\xe4\xb8\xad\b\b  \b\b\b \b\r\n"}}) {
        Pty pty;
        ::setenv("TERM", term, 1);
        if (no_colour != nullptr) ::setenv("NO_COLOR", no_colour, 1);
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
            con.write("a");
            pty.send("bc\xe4\xb8\xad\x7f\x7f\r");
            EXPECT_EQ(con.read_line(), "b");
        }
        test::expect_same_settings(pty.before(), pty.now());
        pty.collect(100ms);
        EXPECT_EQ(pty.output(), output) << term << " " << (no_colour != nullptr ? no_colour : "unset");
    }
}

// A child that shows the text with the cursor hidden and a colour set, then
// reads a line: 0 for the given one, 1 for another, 2 at the end of input.
// Given signals, it first waits until keys are typed, without reading them,
// and takes the signals; told to end, it ends as the program's main does.
pid_t start_reader(Pty& pty, const std::string& line = "ok", const std::vector<int>& signals = {},
                   const std::string& text = "ready") {
    return pty.start_child([&pty, line, signals, text] {
        {
            TerminalConsole con(pty.slave(), pty.slave());
            con.write(text);
            con.hide_cursor();
            con.set_colour(9);
            con.flush();
            if (!signals.empty()) {
                pollfd typed{pty.slave(), POLLIN, 0};
                ::poll(&typed, 1, -1);
                for (const int sig : signals) ::raise(sig);
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
// the shell), and death by the signal; by the first, when a second follows.
TEST(TerminalConsoleSignals, EndingSignalsGiveTheTerminalBackAndKill) {
    for (const auto& [signals, text] : std::vector<std::pair<std::vector<int>, std::string>>{
             {{SIGINT}, "ready"}, {{SIGTERM}, "ready"}, {{SIGHUP}, "ready"}, {{SIGQUIT}, "ready"},
             {{SIGQUIT}, "ready\r"}, {{SIGTERM, SIGHUP}, "ready"}, {{SIGINT, SIGTERM}, "ready"}}) {
        const int sig = signals.front();
        Pty pty;
        const pid_t pid = start_reader(pty, "ok", signals, text);
        ASSERT_TRUE(pty.wait_for(text + "\x1b[?25l\x1b[94m"));
        pty.send("ok\r");
        const auto status = test::wait_child(pty, pid);
        ASSERT_TRUE(status && WIFSIGNALED(*status)) << sig;
        EXPECT_EQ(WTERMSIG(*status), sig);
        test::expect_same_settings(pty.before(), pty.now());
        // Not after Ctrl-C, where an interactive bash ends the row itself.
        const bool row_ended = sig != SIGINT && text == "ready";
        EXPECT_EQ(pty.output(), text + "\x1b[?25l\x1b[94m" + (row_ended ? "\r\n" : "") + "\x1b[0m\x1b[?25h");
        EXPECT_EQ(unread(pty), 0) << sig;
    }
}

// Ctrl-Z gives the terminal back, keeping the keys typed before it for the
// program, and the continue takes it again; so does a continue after a stop
// the program cannot see (SIGSTOP) while the shell set the terminal back to
// cooked; each draws the row again.
TEST(TerminalConsoleSignals, StoppedAndContinuedTheConsoleTakesTheTerminalAgain) {
    Pty pty;
    const pid_t pid = start_reader(pty, "ok", {SIGTSTP});
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

// Stopped during a pause and continued: the row is drawn again and the pause
// lasts its full time, the time stopped not counted (to the millisecond it
// counts in).
TEST(TerminalConsoleSignals, APauseCutByAStopLastsItsTimeAfterTheContinue) {
    using Clock = std::chrono::steady_clock;
    Pty pty;
    const pid_t pid = pty.start_child([&] {
        TerminalConsole con(pty.slave(), pty.slave());
        con.write("row");
        const auto start = Clock::now();
        con.pause(400ms);
        con.write(" " + std::to_string((Clock::now() - start) / 1ms) + ";");
        return 0;
    });
    ASSERT_TRUE(pty.wait_for("row"));
    std::this_thread::sleep_for(100ms);
    ::kill(pid, SIGTSTP);
    ASSERT_TRUE(WIFSTOPPED(test::wait_child(pty, pid, WUNTRACED).value_or(0)));
    const auto stop_seen = Clock::now();
    std::this_thread::sleep_for(300ms);
    ::kill(pid, SIGCONT);
    const auto stopped_for = (Clock::now() - stop_seen) / 1ms;
    test::wait_child(pty, pid);
    ASSERT_TRUE(pty.wait_for("\r\x1b[Krow ")) << pty.output();  // the row drawn again, then the time the pause took
    EXPECT_GE(std::stol(pty.output().substr(pty.output().find("\r\x1b[Krow ") + 8)), 400 + stopped_for - 2) << stopped_for;
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
