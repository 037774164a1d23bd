// The terminal console itself, on a pseudo-terminal made in the test: raw
// mode and the settings given back, typeahead and keys typed during a pause,
// the pending key of the key wait, the escape sequences written, erasing over
// wrapped rows, input from a pipe, hang-up, and the signals (in a child
// process, so that the test survives them).
#include "shell/console/posix/terminal_console.hpp"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <string>
#include <thread>

#include "shell/errors.hpp"
#include "support/pty_harness.hpp"
#include "support/screen_model.hpp"

namespace {

using namespace std::chrono_literals;
using tavolin::TerminalConsole;
using tavolin::test::ScreenModel;
using Clock = std::chrono::steady_clock;

// A pseudo-terminal whose terminal side the console is made on; the test
// plays the user at the master side.
struct Pty {
    int master = -1;
    int slave = -1;
    termios before{};
    std::string output;

    Pty() {
        winsize size{};
        size.ws_row = 24;
        size.ws_col = 80;
        if (::openpty(&master, &slave, nullptr, nullptr, &size) != 0) throw std::runtime_error("openpty");
        termios t{};
        ::tcgetattr(slave, &t);
        t = tavolin::test::cooked_settings(t);
        // Values no raw mode uses, so that giving back the wrong ones shows.
        t.c_cc[VMIN] = 3;
        t.c_cc[VTIME] = 4;
        ::tcsetattr(slave, TCSANOW, &t);
        ::tcgetattr(slave, &before);
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    }
    ~Pty() {
        if (master >= 0) ::close(master);
        if (slave >= 0) ::close(slave);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    void send(std::string_view bytes) const {
        ASSERT_EQ(::write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Reads what has arrived, waiting at most the given time for something.
    void collect(std::chrono::milliseconds wait = 0ms) {
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(wait.count())) <= 0) return;
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(master, buffer, sizeof buffer)) > 0) output.append(buffer, static_cast<std::size_t>(n));
    }
    bool wait_for(std::string_view needle, std::chrono::milliseconds timeout = 5s) {
        const auto deadline = Clock::now() + timeout;
        while (output.find(needle) == std::string::npos) {
            if (Clock::now() > deadline) return false;
            collect(20ms);
        }
        return true;
    }
    [[nodiscard]] termios now() const {
        termios t{};
        ::tcgetattr(master, &t);
        return t;
    }
};

bool raw(const termios& t) { return (t.c_lflag & ICANON) == 0; }

// Waits until the terminal is (or is no longer) in raw mode.
bool wait_raw(const Pty& pty, bool wanted) {
    const auto deadline = Clock::now() + 5s;
    while (raw(pty.now()) != wanted) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

void expect_exact(const termios& expected, const termios& actual) {
    tavolin::test::expect_same_settings(expected, actual);
    EXPECT_EQ(0, std::memcmp(expected.c_cc, actual.c_cc, sizeof expected.c_cc)) << "c_cc";
}

TEST(TerminalConsole, RawModeWhileItLivesAndTheExactSettingsAfter) {
    Pty pty;
    {
        TerminalConsole con(pty.slave, pty.slave);
        EXPECT_TRUE(con.input_is_terminal());
        EXPECT_TRUE(con.output_is_terminal());
        const termios t = pty.now();
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | IEXTEN), 0u);
        EXPECT_NE(t.c_lflag & ISIG, 0u) << "Ctrl-C and Ctrl-Z must keep working";
        EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR | IXON | ISTRIP), 0u);
        EXPECT_NE(t.c_oflag & OPOST, 0u);
        EXPECT_NE(t.c_oflag & ONLCR, 0u);
        EXPECT_EQ(t.c_cc[VMIN], 1);
        EXPECT_EQ(t.c_cc[VTIME], 0);
        con.set_colour(12);
        con.hide_cursor();
        con.write("text");
    }
    expect_exact(pty.before, pty.now());
    pty.collect();
    // What was collected, then colours back and the cursor shown.
    EXPECT_EQ(pty.output, "\x1b[91m\x1b[?25ltext\x1b[0m\x1b[?25h");
}

TEST(TerminalConsole, OnlyOneAtATime) {
    Pty pty;
    TerminalConsole con(pty.slave, pty.slave);
    EXPECT_THROW(TerminalConsole(pty.slave, pty.slave), std::logic_error);
}

TEST(TerminalConsole, KeysTypedBeforeItStartsAreKept) {
    Pty pty;
    pty.send("early\r");  // still in cooked mode: a finished line in the queue
    pty.send("ab");       // and an unfinished one
    TerminalConsole con(pty.slave, pty.slave);
    // Discarded typeahead would leave the read below waiting for ever.
    pollfd p{pty.slave, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 1000), 1) << "the keys typed before the start were thrown away";
    EXPECT_EQ(con.read_line(), "early");
    pty.send("c\r");
    EXPECT_EQ(con.read_line(), "abc");
}

TEST(TerminalConsole, KeysTypedDuringAPauseArriveInTheNextLine) {
    Pty pty;
    TerminalConsole con(pty.slave, pty.slave);
    con.write("Prompt > ");
    pty.send("ab");
    std::thread user([&] {
        std::this_thread::sleep_for(20ms);
        pty.send("cd\r");
    });
    con.pause(100ms);
    // The pause wrote out what was collected before sleeping.
    pty.collect(1000ms);
    EXPECT_EQ(pty.output, "Prompt > ");
    user.join();
    EXPECT_EQ(con.read_line(), "abcd");
    con.flush();
    ASSERT_TRUE(pty.wait_for("Prompt > abcd\r\n"));
}

TEST(TerminalConsole, TheKeyWaitKeepsACharacterKeyForTheNextAnswer) {
    Pty pty;
    TerminalConsole con(pty.slave, pty.slave);
    pty.send("1");
    con.wait_key();
    pty.send("2\r");
    EXPECT_EQ(con.read_line(), "12");
    con.flush();
    ASSERT_TRUE(pty.wait_for("12\r\n"));
}

TEST(TerminalConsole, TheKeyWaitGivesAnEmptyAnswerForEnter) {
    Pty pty;
    TerminalConsole con(pty.slave, pty.slave);
    pty.send("\r");
    con.wait_key();
    pty.send("x\r");
    EXPECT_EQ(con.read_line(), "");
    EXPECT_EQ(con.read_line(), "x");
}

TEST(TerminalConsole, TheKeyWaitDropsDelete) {
    Pty pty;
    TerminalConsole con(pty.slave, pty.slave);
    pty.send("\x1b[3~");
    con.wait_key();
    pty.send("5\r");
    EXPECT_EQ(con.read_line(), "5");
    con.flush();
    pty.collect(1000ms);
    EXPECT_EQ(pty.output, "5\r\n");
}

TEST(TerminalConsole, LoneEscapeAndArrowOnARealTerminal) {
    Pty pty;
    TerminalConsole con(pty.slave, pty.slave);
    pty.send("abc\x1b");
    std::thread user([&] {
        std::this_thread::sleep_for(300ms);  // long past the Escape timeout
        pty.send("\x1b[Ade\r");
    });
    EXPECT_EQ(con.read_line(), "de");
    user.join();
}

TEST(TerminalConsole, EscapeSequencesOfTheOutput) {
    Pty pty;
    TerminalConsole con(pty.slave, pty.slave);
    const char* expected[16] = {"30", "34", "32", "36", "31", "35", "33", "37",
                                "90", "94", "92", "96", "91", "95", "93", "97"};
    std::string want;
    for (int c = 0; c < 16; ++c) {
        con.set_colour(c);
        want += std::string("\x1b[") + expected[c] + "m";
    }
    con.set_colour(16);  // not a console colour: nothing
    con.set_colour(-1);
    con.clear_screen();
    con.hide_cursor();
    con.show_cursor();
    con.write("a\n");
    want += "\x1b[H\x1b[2J\x1b[?25l\x1b[?25ha\r\n";
    // Nothing is written until the console has to wait or is told to.
    pty.collect(50ms);
    EXPECT_EQ(pty.output, "");
    con.flush();
    ASSERT_TRUE(pty.wait_for(want));
    EXPECT_EQ(pty.output, want);
}

// Types at a 16-column prompt on an 80-column screen and returns the screen
// row by row after the line was read.
struct Typing {
    std::vector<std::string> rows;
    std::string line;
};

Typing type_at_prompt(const std::string& keys) {
    Pty pty;
    Typing t;
    {
        TerminalConsole con(pty.slave, pty.slave);
        con.write("Numbers 1-4   > ");
        pty.send(keys);
        std::thread reader([&] {
            try {
                t.line = con.read_line();
            } catch (const tavolin::EndOfInput&) {
                t.line = "<end>";
            }
        });
        // Let the console echo and erase everything (a final ESC is settled
        // by its timeout, or by the line end as an Escape all the same), then
        // end the line.
        std::this_thread::sleep_for(150ms);
        pty.send("\r");
        reader.join();
    }
    pty.collect(100ms);
    ScreenModel screen(24, 80);
    screen.feed(pty.output);
    EXPECT_EQ(screen.unknown(), 0);
    t.rows = screen.lines();
    return t;
}

std::string letters(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += static_cast<char>('a' + i % 26);
    return s;
}

TEST(TerminalConsole, BackspaceFollowsTheEchoBackOverWrappedRows) {
    const std::string typed = letters(200);
    const Typing t = type_at_prompt(typed + std::string(130, '\x7f'));
    EXPECT_EQ(t.line, typed.substr(0, 70));
    // Prompt and 70 characters: one row of 80 and 6 more, then the line end.
    ASSERT_GE(t.rows.size(), 2u);
    EXPECT_EQ(t.rows[0], "Numbers 1-4   > " + typed.substr(0, 64));
    EXPECT_EQ(t.rows[1], typed.substr(64, 6));
    EXPECT_EQ(t.rows.size(), 3u);  // and the empty row the line end went to
}

TEST(TerminalConsole, EscapeWipesAFullLineAcrossRows) {
    const Typing t = type_at_prompt(letters(300) + "\x1b");
    EXPECT_EQ(t.line, "");
    ASSERT_GE(t.rows.size(), 1u);
    EXPECT_EQ(t.rows[0], "Numbers 1-4   >");
    for (std::size_t r = 1; r + 1 < t.rows.size(); ++r) EXPECT_EQ(t.rows[r], "") << "row " << r;
}

TEST(TerminalConsole, ErasingFromAFullRowAndRetyping) {
    // 64 characters fill the first row to its last column exactly.
    const std::string typed = letters(64);
    const Typing t = type_at_prompt(typed + "\x7f" "XY" "\x7f\x7f\x7f" "Z");
    EXPECT_EQ(t.line, typed.substr(0, 62) + "Z");
    ASSERT_GE(t.rows.size(), 1u);
    EXPECT_EQ(t.rows[0], "Numbers 1-4   > " + typed.substr(0, 62) + "Z");
    // Two full rows (16 + 144 = 160 columns), back into the first one.
    const std::string two = letters(144);
    const Typing u = type_at_prompt(two + std::string(81, '\x7f') + "!");
    EXPECT_EQ(u.line, two.substr(0, 63) + "!");
    EXPECT_EQ(u.rows[0], "Numbers 1-4   > " + two.substr(0, 63) + "!");
    EXPECT_EQ(u.rows[1], "");
}

TEST(TerminalConsole, Utf8EchoIsErasedWhole) {
    const Typing t = type_at_prompt("a\xc3\xa9\xe2\x82\xac\x7f\x7f" "b");
    EXPECT_EQ(t.line, "ab");
    EXPECT_EQ(t.rows[0], "Numbers 1-4   > ab");
}

// A pipe from which the console reads, and one it writes to.
struct Pipe {
    int fds[2] = {-1, -1};
    Pipe() {
        if (::pipe(fds) != 0) throw std::runtime_error("pipe");
    }
    ~Pipe() {
        for (const int fd : fds) {
            if (fd >= 0) ::close(fd);
        }
    }
    void close_write() {
        ::close(fds[1]);
        fds[1] = -1;
    }
    std::string read_all() {
        std::string s;
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0) s.append(buffer, static_cast<std::size_t>(n));
        return s;
    }
};

TEST(TerminalConsole, PipesGivePlainTextAndTheLinesAsTheyCome) {
    Pipe in;
    Pipe out;
    const std::string input = "hx\x7fi\nabc";
    ASSERT_EQ(::write(in.fds[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
    in.close_write();
    {
        TerminalConsole con(in.fds[0], out.fds[1]);
        EXPECT_FALSE(con.input_is_terminal());
        EXPECT_FALSE(con.output_is_terminal());
        con.clear_screen();
        con.set_colour(9);
        con.hide_cursor();
        con.write("> ");
        EXPECT_EQ(con.read_line(), "hi");
        con.write("> ");
        EXPECT_EQ(con.read_line(), "abc");  // the last line, without its line end
        con.write("> ");
        EXPECT_THROW(con.read_line(), tavolin::EndOfInput);
        EXPECT_THROW(con.read_line(), tavolin::EndOfInput);  // and for ever after
        con.show_cursor();
        con.finish_line();
    }
    out.close_write();
    // The transcript reads like the screen: no escape sequences, erased
    // characters taken back.
    EXPECT_EQ(out.read_all(), "> hi\n> abc\n> \n");
}

TEST(TerminalConsole, AHalfTypedLineIsNotTakenAtAHangUp) {
    Pty pty;
    TerminalConsole con(pty.slave, pty.slave);
    std::string line = "<not read>";
    std::thread reader([&] {
        try {
            line = con.read_line();
        } catch (const tavolin::EndOfInput&) {
            line = "<end>";
        }
    });
    pty.send("Yes");
    ASSERT_TRUE(pty.wait_for("Yes"));  // echoed: the console has the keys
    ::close(pty.master);
    pty.master = -1;
    reader.join();
    EXPECT_EQ(line, "<end>");
}

TEST(TerminalConsole, HangUpEndsTheInput) {
    Pty pty;
    TerminalConsole con(pty.slave, pty.slave);
    ::close(pty.master);
    pty.master = -1;
    EXPECT_THROW(con.read_line(), tavolin::EndOfInput);
    EXPECT_THROW(con.wait_key(), tavolin::EndOfInput);  // and for ever after
}

// Runs a console in a child process on the test's pseudo-terminal: it writes
// "ready", hides the cursor, sets a colour and reads one line; it exits 0 if
// the line is "ok".
pid_t start_reader(Pty& pty) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        const rlimit no_core{0, 0};
        ::setrlimit(RLIMIT_CORE, &no_core);
        int status = 1;
        {
            TerminalConsole con(pty.slave, pty.slave);
            con.write("ready");
            con.hide_cursor();
            con.set_colour(9);
            try {
                status = con.read_line() == "ok" ? 0 : 1;
            } catch (...) {
                status = 2;
            }
        }
        ::_exit(status);
    }
    return pid;
}

// The raw wait status, waiting at most 10 s (WUNTRACED: a stop counts too).
std::optional<int> wait_child(pid_t pid, int flags = 0) {
    const auto deadline = Clock::now() + 10s;
    int status = 0;
    while (Clock::now() < deadline) {
        const pid_t got = ::waitpid(pid, &status, WNOHANG | flags);
        if (got == pid) return status;
        std::this_thread::sleep_for(5ms);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return std::nullopt;
}

TEST(TerminalConsoleSignals, EndingSignalsGiveTheTerminalBackAndKill) {
    for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        SCOPED_TRACE(strsignal(sig));
        Pty pty;
        const pid_t pid = start_reader(pty);
        ASSERT_TRUE(pty.wait_for("ready"));
        ASSERT_TRUE(wait_raw(pty, true));
        ::kill(pid, sig);
        const auto status = wait_child(pid);
        ASSERT_TRUE(status);
        ASSERT_TRUE(WIFSIGNALED(*status));
        EXPECT_EQ(WTERMSIG(*status), sig);
        expect_exact(pty.before, pty.now());
        pty.collect(100ms);
        const std::string reset = "\x1b[0m\x1b[?25h";
        ASSERT_GE(pty.output.size(), reset.size());
        EXPECT_EQ(pty.output.substr(pty.output.size() - reset.size()), reset);
    }
}

TEST(TerminalConsoleSignals, CtrlZGivesTheTerminalBackAndContinuingTakesItAgain) {
    Pty pty;
    const pid_t pid = start_reader(pty);
    ASSERT_TRUE(pty.wait_for("ready\x1b[?25l\x1b[94m"));
    ASSERT_TRUE(wait_raw(pty, true));
    ::kill(pid, SIGTSTP);
    const auto stopped = wait_child(pid, WUNTRACED);
    ASSERT_TRUE(stopped);
    ASSERT_TRUE(WIFSTOPPED(*stopped));
    expect_exact(pty.before, pty.now());
    ASSERT_TRUE(pty.wait_for("\x1b[0m\x1b[?25h"));
    pty.output.clear();

    ::kill(pid, SIGCONT);
    ASSERT_TRUE(wait_raw(pty, true));
    // The colour and the hidden cursor come back with raw mode.
    ASSERT_TRUE(pty.wait_for("\x1b[94m\x1b[?25l"));
    pty.send("ok\r");
    const auto status = wait_child(pid);
    ASSERT_TRUE(status);
    ASSERT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 0);
    expect_exact(pty.before, pty.now());
}

}  // namespace
