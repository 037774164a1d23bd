// The real program on a pseudo-terminal, where only a real terminal shows
// it: stopped with Ctrl-Z and brought back with fg from a shell with job
// control (at a prompt with text typed, and at the key wait), Ctrl-D at the
// key wait, Ctrl-C, a hang-up or SIGTERM after a reported quiz, and the
// command-line arguments. (A hang-up with an answer half typed is the terminal console's
// own test.)
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "support/expected.hpp"
#include "support/pty_harness.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace std::chrono_literals;
using tavolin::test::Pty;
using tavolin::test::TempDir;

constexpr std::string_view kMenu = "Numbers 1-4   > ";
constexpr std::string_view kShellPrompt = "tav> ";
constexpr std::string_view kQuiz = "t\r\nCows moo.\r\n2\r\nTrue\r\nFalse\r\n1\r\nP";

// Stops the program at the shell's terminal and brings it back.
void stop_and_fg(Pty& sh) {
    sh.send("\x1a");
    ASSERT_TRUE(sh.wait_for("Stopped")) << sh.output();
    ASSERT_TRUE(sh.wait_for(kShellPrompt));
    sh.send("fg\r");
    ASSERT_TRUE(sh.wait_for("fg\r\n"));
}

TEST(PtyUsability, CtrlZThenFgDrawsTheRowAgainAndTheKeyWaitTakesCtrlD) {
    TempDir dir;
    dir.write("q.tav", kQuiz);
    Pty::Options o;
    o.cwd = dir.path();
    o.argv = {"bash", "--norc", "--noprofile", "-i"};
    Pty sh;
    const pid_t pid = sh.start_program(o);
    sh.send("bind 'set enable-bracketed-paste off'; PS1='ta''v> '\r");  // the echo does not hold the prompt
    ASSERT_TRUE(sh.wait_for(kShellPrompt)) << sh.output();
    std::string command;
    for (const std::string& word : tavolin::test::program_command()) command += " '" + word + "'";
    sh.send(command + "\r");
    ASSERT_TRUE(sh.wait_for(kMenu));

    // At a prompt, with text typed: the prompt and the text come back on the
    // cursor's row, and the typed text is still the answer's start.
    sh.send("helo\x7f");  // an erased character is gone from the row
    ASSERT_TRUE(sh.wait_for("\x1b[K"));
    stop_and_fg(sh);
    ASSERT_TRUE(sh.wait_for(std::string(kMenu) + "hel"));
    EXPECT_EQ(sh.output().find("\x1b[?25l", sh.output().rfind("fg\r\n")), std::string::npos);  // the cursor stays
    const auto [row, column] = tavolin::test::cursor_row(sh.output());
    EXPECT_EQ(row, std::string(kMenu) + "hel");
    EXPECT_EQ(column, kMenu.size() + 3);
    sh.send("p\r");
    ASSERT_TRUE(sh.wait_for("p\r\nPlease see the readme.txt file.\r\n"));  // "help" was answered

    // At the key wait: the cursor hidden again and white; Ctrl-D ends the
    // wait, not the run, and leaves the menu's answer empty, so that the next
    // Ctrl-D ends the input: the shell sees status 2.
    sh.send("2\rq.tav\r1\r");
    ASSERT_TRUE(sh.wait_for(" to continue\r\n"));
    stop_and_fg(sh);
    ASSERT_TRUE(sh.wait_for("\x1b[97m\x1b[?25l"));
    sh.send("\x04");
    ASSERT_TRUE(sh.wait_for(kMenu));
    sh.send("x\x7f\x04");
    ASSERT_TRUE(sh.wait_for(kShellPrompt));
    sh.send("echo status $?; exit\r");
    EXPECT_TRUE(sh.wait_for("status 2\r\n")) << sh.output();
    tavolin::test::wait_child(sh, pid);
}

// A hang-up of the terminal, SIGHUP sent, SIGTERM sent, Ctrl-C typed, at the
// menu after a quiz in report mode: the report gets its closing lines, the
// prompt's line is ended (after Ctrl-C the shell ends it) and the run ends by
// the signal. A kill leaves the result whole.
TEST(PtyUsability, CtrlCAHangUpOrSIGTERMFinishesTheReportAndEndsByTheSignal) {
    for (const auto& [sig, hang_up] : {std::pair{SIGHUP, true}, std::pair{SIGHUP, false}, std::pair{SIGTERM, false},
                                       std::pair{SIGINT, false}, std::pair{SIGKILL, false}}) {
        SCOPED_TRACE(hang_up ? "hang-up" : std::to_string(sig));
        TempDir dir;
        dir.write("q.tav", kQuiz);
        Pty::Options o;
        o.cwd = dir.path();
        Pty p;
        const pid_t pid = p.start_program(o);
        p.send("3\rq.tav\r1\r");
        ASSERT_TRUE(p.wait_for(" to continue\r\n"));
        p.send("\x1b[3~");
        ASSERT_TRUE(p.wait_for("Numbers 1-3   > "));
        hang_up ? p.hang_up() : sig == SIGINT ? p.send("\x03") : void(::kill(pid, sig));
        const auto status = tavolin::test::wait_child(p, pid);
        EXPECT_TRUE(status && ((WIFSIGNALED(*status) && WTERMSIG(*status) == sig) ||
                               (WIFEXITED(*status) && WEXITSTATUS(*status) == 128 + sig)));
        EXPECT_TRUE(dir.read("report.txt").ends_with(sig == SIGKILL ? "'q.tav' you missed 0\r\nout of 1, your score was 100.00%.\r\n"
                                                                    : "100.00%.\r\n \r\nThank you for using Tavolin!!\r\n"));
        EXPECT_TRUE(hang_up || sig == SIGKILL ||
                    p.output().ends_with(std::string("Numbers 1-3   > ") + (sig == SIGINT ? "" : "\r\n") + "\x1b[0m\x1b[?25h"))
            << p.output();
    }
}

// Answered on standard output (the terminal here) or refused on standard
// error (a file elsewhere), without the console: the terminal's settings and
// the folder stay as they were.
TEST(PtyUsability, ArgumentsAreAnsweredWithoutTouchingTheTerminalOrTheFolder) {
    const std::string usage = "\nUsage: tavolin [--help | --version]   (tavolin --help tells more)\n";
    const std::string help = tavolin::test::block("arguments.txt", "--help");
    const std::vector<std::tuple<std::vector<std::string>, std::string, std::string, int>> cases = {
        {{"--help"}, help, "", 0},
        {{"-h"}, help, "", 0},
        {{"--version"}, "tavolin (Tavolin) " TAVOLIN_VERSION "\nCopyright The Tavolin developers. MIT licence.\n", "", 0},
        {{"-x"}, "", "tavolin: unknown option -x" + usage, 64},
        {{"quiz.tav"}, "", "tavolin: unexpected operand quiz.tav" + usage, 64},
        {{"--help", "-"}, "", "tavolin: unexpected operand -" + usage, 64},
    };
    for (const auto& [args, out, err, status] : cases) {
        SCOPED_TRACE(args.back());
        TempDir dir, elsewhere;
        Pty::Options o;
        o.cwd = dir.path();
        o.argv = {"sh", "-c", "exec \"$@\" 2>\"$0\"", elsewhere.file("err")};
        for (const std::string& word : tavolin::test::program_command()) o.argv.push_back(word);
        o.argv.insert(o.argv.end(), args.begin(), args.end());
        Pty p;
        const auto ended = tavolin::test::wait_child(p, p.start_program(o));
        EXPECT_EQ(ended && WIFEXITED(*ended) ? WEXITSTATUS(*ended) : -1, status);
        std::string shown;  // the terminal ends each line with CR LF
        for (const char c : out) shown += c == '\n' ? "\r\n" : std::string(1, c);
        EXPECT_EQ(p.output(), shown);
        EXPECT_EQ(elsewhere.read("err"), err);
        tavolin::test::expect_same_settings(p.before(), p.now());
        EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    }
}

}  // namespace
