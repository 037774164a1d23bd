// A whole run of the real binary on a pseudo-terminal, in report mode: from
// the title screen through a quiz and its grade to the closing countdown.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "support/pty_harness.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace std::chrono_literals;
using tavolin::test::PtyProcess;
using tavolin::test::TempDir;

TEST(PtyWholeRun, ReportModeFromTheTitleScreenToTheCountdown) {
    TempDir dir;
    dir.write("q.tav", "t\r\nCows moo.\r\n2\r\nTrue\r\nFalse\r\n1\r\nT\r\nGrass is green.\r\n2\r\nTrue\r\nFalse\r\n1\r\nP");
    dir.write("Encrypted_file.csf", "");
    PtyProcess::Options options;
    options.cwd = dir.path();
    PtyProcess p(options);

    ASSERT_TRUE(p.wait_for("Numbers 1-4   > "));
    p.send("3\r");
    ASSERT_TRUE(p.wait_for("This will store your quiz results in the file 'report.txt.'"));
    ASSERT_TRUE(p.wait_for("> "));
    p.send("q.tav\r");
    for (int question = 1; question <= 2; ++question) {
        ASSERT_TRUE(p.wait_for("Question " + std::to_string(question) + " out of 2")) << question;
        ASSERT_TRUE(p.wait_for("Please enter the number of your answer.\r\n> "));
        p.send("1\r");
        ASSERT_TRUE(p.wait_for("*correct*", 5s));
    }
    ASSERT_TRUE(p.wait_for("Your grade on the quiz is A, with a 100.00%.", 10s));
    ASSERT_TRUE(p.wait_for("You did Moo-st excellent!"));
    ASSERT_TRUE(p.wait_for("delete key"));
    p.send("\x1b[3~");  // Delete ends the wait and leaves nothing behind
    ASSERT_TRUE(p.wait_for("Numbers 1-3   > ", 5s));
    p.send("3\r");
    ASSERT_TRUE(p.wait_for("Your grade on the quiz that you took was 100.00%."));
    ASSERT_TRUE(p.wait_for("Your grade was an A."));
    ASSERT_TRUE(p.wait_for("Thank you for using Tavolin."));
    ASSERT_TRUE(p.wait_for("program closing.", 10s));
    // The cursor is hidden before each pause, so the line is read without
    // the escape sequences between its dots.
    const std::string plain = tavolin::test::strip_escapes(p.output());
    EXPECT_NE(plain.find("Thank you for using Tavolin.\r\nSeven seconds until program closes.." + std::string(11, '.') +
                         "program closing."),
              std::string::npos);

    const auto status = p.wait_exit(5s);
    ASSERT_TRUE(status.has_value());
    ASSERT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 0);
    tavolin::test::expect_same_settings(p.settings_before(), p.settings_now());

    const std::string report = dir.read("report.txt");
    EXPECT_NE(report.find(" \r\nOn Quiz 1 using file, 'q.tav' you missed 0\r\nout of 2, your score was 100.00%.\r\n"
                          " \r\nThank you for using Tavolin!!\r\n"),
              std::string::npos);
    const std::string log = dir.read("Encrypted_file.csf");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);  // opened, then graded
}

}  // namespace
