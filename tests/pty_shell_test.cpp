// The real tavolin binary on a pseudo-terminal, typed at as a user would:
// editing keys at the menu, quitting, and every way out (Ctrl-C, signals,
// end of input, hang-up, a fatal file error) leaving the terminal exactly as
// it was before.
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include "support/pty_harness.hpp"
#include "support/screen_model.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace std::chrono_literals;
using tavolin::test::PtyProcess;
using tavolin::test::ScreenModel;
using tavolin::test::TempDir;

constexpr std::string_view kPrompt = "Numbers 1-4   > ";
constexpr std::string_view kThanks = "Thank you for using Tavolin.";
constexpr std::string_view kReset = "\x1b[0m\x1b[?25h";

// Cooked settings with VMIN and VTIME values that raw mode does not use, so
// that settings not given back would show in every field compared.
termios start_settings() {
    int master = -1;
    int slave = -1;
    termios t{};
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) == 0) {
        ::tcgetattr(slave, &t);
        ::close(master);
        ::close(slave);
    }
    t = tavolin::test::cooked_settings(t);
    t.c_cc[VMIN] = 3;
    t.c_cc[VTIME] = 4;
    return t;
}

class Shell : public ::testing::Test {
protected:
    PtyProcess::Options options() const {
        PtyProcess::Options o;
        o.cwd = dir.path();
        o.settings = start_settings();
        return o;
    }
    // The program's exit code, or -1 if it did not exit normally in time.
    static int exit_code(PtyProcess& p) {
        const auto status = p.wait_exit();
        if (!status || !WIFEXITED(*status)) return -1;
        return WEXITSTATUS(*status);
    }
    // The signal that ended the program, or 0.
    static int death_signal(PtyProcess& p) {
        const auto status = p.wait_exit();
        if (!status || !WIFSIGNALED(*status)) return 0;
        return WTERMSIG(*status);
    }
    static void expect_given_back(const PtyProcess& p) {
        tavolin::test::expect_same_settings(p.settings_before(), p.settings_now());
        const std::string& out = p.output();
        ASSERT_GE(out.size(), kReset.size());
        EXPECT_NE(out.rfind(kReset), std::string::npos);
    }

    TempDir dir;
};

TEST_F(Shell, QuitAtTheTitleScreen) {
    PtyProcess p(options());
    ASSERT_TRUE(p.wait_for(kPrompt));
    EXPECT_TRUE(p.settings_now().c_lflag & ISIG);
    EXPECT_FALSE(p.settings_now().c_lflag & (ICANON | ECHO));
    p.send("quit\r");
    ASSERT_TRUE(p.wait_for("\x1b[H\x1b[2J"));
    ASSERT_TRUE(p.wait_for(kThanks));
    EXPECT_EQ(exit_code(p), 0);
    expect_given_back(p);
    // The colours are reset and the cursor shown as the very last thing.
    EXPECT_EQ(p.output().substr(p.output().size() - kReset.size()), kReset);
}

TEST_F(Shell, KeysTypedBeforeTheTitleScreenAreTheFirstAnswer) {
    PtyProcess p(options());
    p.send("quit\r");  // at once, possibly before the program has the terminal
    ASSERT_TRUE(p.wait_for(kThanks));
    EXPECT_EQ(exit_code(p), 0);
    expect_given_back(p);
}

TEST_F(Shell, BackspaceAtTheMenu) {
    PtyProcess p(options());
    ASSERT_TRUE(p.wait_for(kPrompt));
    p.send("hx\x7fi\r");
    ASSERT_TRUE(p.wait_for("Hi!"));
    ASSERT_TRUE(p.wait_for(kPrompt));
    ScreenModel screen(24, 80);
    screen.feed(p.output());
    EXPECT_EQ(screen.unknown(), 0);
    const auto rows = screen.lines();
    EXPECT_NE(std::find(rows.begin(), rows.end(), std::string(kPrompt) + "hi"), rows.end())
        << "the answer on the screen reads as typed after the erase";
    p.send("quit\r");
    EXPECT_EQ(exit_code(p), 0);
}

TEST_F(Shell, EscapeWipesAndAnArrowLeavesNoTrace) {
    PtyProcess p(options());
    ASSERT_TRUE(p.wait_for(kPrompt));
    p.send("abc\x1b");
    std::this_thread::sleep_for(300ms);  // a lone Escape, well past its timeout
    p.send("\x1b[Aqu\x1b[3~it\r");
    // Had the Escape not wiped "abc", or a byte of the arrow or of Delete
    // been taken, the answer would be invalid and the program would not end.
    ASSERT_TRUE(p.wait_for(kThanks));
    EXPECT_EQ(p.output().find("invalid"), std::string::npos);
    EXPECT_EQ(exit_code(p), 0);
    expect_given_back(p);
}

TEST_F(Shell, MenuRedrawsTheMenuBox) {
    PtyProcess p(options());
    ASSERT_TRUE(p.wait_for(kPrompt));
    p.send("menu\r");
    ASSERT_TRUE(p.wait_for("\x1b[H\x1b[2J"));
    ASSERT_TRUE(p.wait_for("Please make your selection:"));
    ASSERT_TRUE(p.wait_for(kPrompt));
    p.send("4\r");
    ASSERT_TRUE(p.wait_for(kThanks));
    EXPECT_EQ(exit_code(p), 0);
}

TEST_F(Shell, CtrlCEndsTheProgramAndGivesTheTerminalBack) {
    PtyProcess p(options());
    ASSERT_TRUE(p.wait_for(kPrompt));
    p.send("ab\x03");
    EXPECT_EQ(death_signal(p), SIGINT);
    expect_given_back(p);
}

TEST_F(Shell, CtrlCDuringTheClosingPauses) {
    PtyProcess p(options());
    ASSERT_TRUE(p.wait_for(kPrompt));
    p.send("quit\r");
    ASSERT_TRUE(p.wait_for("\x1b[?25l"));  // the cursor hidden for the first pause
    p.send("\x03");
    EXPECT_EQ(death_signal(p), SIGINT);
    expect_given_back(p);
}

TEST_F(Shell, TerminatingSignalsGiveTheTerminalBack) {
    for (const int sig : {SIGTERM, SIGHUP, SIGQUIT}) {
        SCOPED_TRACE(strsignal(sig));
        PtyProcess p(options());
        ASSERT_TRUE(p.wait_for(kPrompt));
        p.signal(sig);
        EXPECT_EQ(death_signal(p), sig);
        expect_given_back(p);
    }
}

TEST_F(Shell, CtrlDOnAnEmptyLineEndsTheInput) {
    PtyProcess p(options());
    ASSERT_TRUE(p.wait_for(kPrompt));
    // Ctrl-D on a line with text changes nothing; on the emptied line it ends.
    p.send("ab\x04\x7f\x7f\x04");
    EXPECT_EQ(exit_code(p), 2);
    expect_given_back(p);
    // What was on the screen stays, and the shell's prompt gets a row of its own.
    ScreenModel screen(24, 80);
    screen.feed(p.output());
    const auto rows = screen.lines();
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[rows.size() - 2], std::string(kPrompt.substr(0, kPrompt.size() - 1)));
    EXPECT_EQ(screen.cursor_column(), 0u);
}

TEST_F(Shell, HangUpEndsTheProgram) {
    PtyProcess p(options());
    ASSERT_TRUE(p.wait_for(kPrompt));
    p.hang_up();
    const auto status = p.wait_exit();
    ASSERT_TRUE(status) << "the program must not go on after its terminal is gone";
}

TEST_F(Shell, LinesFromAPipeAreEchoedAndItsEndEndsTheRun) {
    auto o = options();
    o.argv = {"/bin/sh", "-c", std::string("printf 'hx\\177i\\nquit\\n' | exec '") + TAVOLIN_BINARY + "'"};
    PtyProcess quits(o);
    ASSERT_TRUE(quits.wait_for("Hi!"));
    ScreenModel screen(24, 80);
    screen.feed(quits.output().substr(0, quits.mark()));  // up to the reply: the quit clears the screen
    const auto rows = screen.lines();
    EXPECT_NE(std::find(rows.begin(), rows.end(), std::string(kPrompt) + "hi"), rows.end())
        << ::testing::PrintToString(rows);
    ASSERT_TRUE(quits.wait_for(kThanks));
    EXPECT_EQ(exit_code(quits), 0);

    o.argv = {"/bin/sh", "-c", std::string("printf 'hello\\n' | exec '") + TAVOLIN_BINARY + "'"};
    PtyProcess ends(o);
    ASSERT_TRUE(ends.wait_for("hello"));
    EXPECT_EQ(exit_code(ends), 2);
    expect_given_back(ends);
}

TEST_F(Shell, AFatalFileErrorIsReportedAfterTheTerminalIsGivenBack) {
    // A name that cannot be created, and a folder where the default quiz file
    // would go: the run cannot go on.
    ASSERT_EQ(::mkdir(dir.file("tavtest1.tav").c_str(), 0755), 0);
    PtyProcess p(options());
    ASSERT_TRUE(p.wait_for(kPrompt));
    p.send("1\r");
    ASSERT_TRUE(p.wait_for("> "));
    p.send("no/such/folder.tav\r");
    EXPECT_EQ(exit_code(p), 1);
    expect_given_back(p);
    const std::string& out = p.output();
    const std::size_t message = out.find("tavolin: input/output error: tavtest1.tav: Is a directory\r\n");
    ASSERT_NE(message, std::string::npos) << out;
    EXPECT_LT(out.rfind(kReset), message) << "the message must come after the terminal is given back";
}

}  // namespace
