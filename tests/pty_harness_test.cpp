// The pseudo-terminal harness itself, on small shell commands: what the other
// terminal tests rely on (output collected, matches in order, exit statuses,
// settings readable after the child has gone).
#include <sys/wait.h>

#include <csignal>

#include <gtest/gtest.h>

#include "support/pty_harness.hpp"
#include "support/temp_dir.hpp"

namespace {

using tavolin::test::PtyProcess;

PtyProcess::Options shell(const std::string& script) {
    PtyProcess::Options o;
    o.argv = {"/bin/sh", "-c", script};
    return o;
}

TEST(PtyHarness, CollectsOutputAndFindsMatchesInOrder) {
    PtyProcess p(shell("echo one; echo two; echo one"));
    EXPECT_TRUE(p.wait_for("one"));
    EXPECT_TRUE(p.wait_for("two"));
    EXPECT_TRUE(p.wait_for("one"));
    EXPECT_FALSE(p.wait_for("one", std::chrono::milliseconds(200)));
    const auto status = p.wait_exit();
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 0);
    // ONLCR of the cooked settings turns each line end into CR LF.
    EXPECT_EQ(p.output(), "one\r\ntwo\r\none\r\n");
}

TEST(PtyHarness, TypedLinesReachTheChildAndExitStatusIsKept) {
    PtyProcess p(shell("read a; echo \"got $a\"; exit 7"));
    p.send("hello\r");
    EXPECT_TRUE(p.wait_for("got hello"));
    const auto status = p.wait_exit();
    ASSERT_TRUE(status);
    EXPECT_EQ(WEXITSTATUS(*status), 7);
}

TEST(PtyHarness, CtrlCKillsTheForegroundChild) {
    PtyProcess p(shell("echo ready; exec sleep 30"));
    ASSERT_TRUE(p.wait_for("ready"));
    p.send("\x03");
    const auto status = p.wait_exit();
    ASSERT_TRUE(status);
    ASSERT_TRUE(WIFSIGNALED(*status));
    EXPECT_EQ(WTERMSIG(*status), SIGINT);
}

TEST(PtyHarness, SettingsStayReadableAfterTheChildHasGone) {
    PtyProcess p(shell("stty -icanon -echo min 3 time 2"));
    ASSERT_TRUE(p.wait_exit());
    const termios before = p.settings_before();
    EXPECT_NE(before.c_lflag & ICANON, 0u);
    const termios now = p.settings_now();
    EXPECT_EQ(now.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(now.c_cc[VMIN], 3);
    EXPECT_EQ(now.c_cc[VTIME], 2);
}

TEST(PtyHarness, RunsInTheGivenFolderWithTheGivenWindowSize) {
    tavolin::test::TempDir dir;
    auto o = shell("pwd; stty size; echo x > made.txt");
    o.cwd = dir.path();
    o.rows = 30;
    o.cols = 100;
    PtyProcess p(o);
    ASSERT_TRUE(p.wait_exit());
    EXPECT_NE(p.output().find(dir.path()), std::string::npos);
    EXPECT_NE(p.output().find("30 100"), std::string::npos);
    EXPECT_EQ(dir.read("made.txt"), "x\n");
}

TEST(PtyHarness, StripEscapes) {
    EXPECT_EQ(tavolin::test::strip_escapes("\x1b[H\x1b[2Ja\x1b[94mb\x1b[?25lc\x1b" "7d"), "abcd");
}

}  // namespace
