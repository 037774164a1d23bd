// The real program on a pseudo-terminal, where only a real terminal shows
// it: stopped with Ctrl-Z and brought back with fg from a shell with job
// control (at a prompt with text typed, and at the key wait), Ctrl-D at the
// key wait, and a hang-up with an answer half typed.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>

#include "support/pty_harness.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace std::chrono_literals;
using tavolin::test::Pty;
using tavolin::test::TempDir;

constexpr std::string_view kMenu = "Numbers 1-4   > ";
constexpr std::string_view kShellPrompt = "tav> ";

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
    dir.write("q.tav", "t\r\nCows moo.\r\n2\r\nTrue\r\nFalse\r\n1\r\nP");
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

// In report mode, with the only answer half typed: taken, it would have
// made a report.
TEST(PtyUsability, AHangUpEndsTheRunBySIGHUP) {
    TempDir dir;
    dir.write("q.tav", "t\r\nCows moo.\r\n2\r\nTrue\r\nFalse\r\n1\r\nP");
    Pty::Options o;
    o.cwd = dir.path();
    Pty p;
    const pid_t pid = p.start_program(o);
    p.send("3\rq.tav\r1");
    ASSERT_TRUE(p.wait_for("answer.\r\n> 1"));
    p.hang_up();
    const auto status = tavolin::test::wait_child(p, pid);
    ASSERT_TRUE(status);
    EXPECT_TRUE((WIFSIGNALED(*status) && WTERMSIG(*status) == SIGHUP) ||
                (WIFEXITED(*status) && WEXITSTATUS(*status) == 128 + SIGHUP))
        << "status " << *status;
    EXPECT_FALSE(dir.exists("report.txt")) << "the half-typed answer was taken";
}

}  // namespace
