// Whole runs through the scripted console: make a quiz, take it twice (the
// second time in report mode), quit; then the screens, the pauses, the report
// and the results log are checked together.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "shell/main_loop.hpp"
#include "shell/console/scripted_console.hpp"
#include "support/temp_dir.hpp"

namespace tavolin {
namespace {

// Always the last slot of what is left: the questions come in reverse file
// order and multiple-choice answers are shown reversed.
class LastSlot final : public Random {
public:
    void seed(std::uint32_t) override {}
    std::uint32_t below(std::uint32_t n) override { return n - 1; }
};

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

std::size_t lines_of(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

class WholeRun : public ::testing::Test {
protected:
    test::TempDir dir;
    test::ChangeDir cd{dir.path()};
    ScriptedConsole con;
    RunState st;

    void SetUp() override {
        st.platform.random = std::make_unique<LastSlot>();
        st.platform.tick_ms = [] { return 1234U; };
        st.platform.local_time = [] { return LocalTime{2026, 12, 7, 9, 30, 15}; };
        dir.write("Encrypted_file.csf", "");
    }

    void make_the_quiz() {
        con.lines({"1", "quiz.tav"});
        con.lines({"t", "Cows moo.", "t", "y"});
        con.lines({"f", "A baby cow is a ____.", " calf ", "y"});
        con.lines({"m", "How many legs?", "3", "2", "4", "6", "2", "n"});
    }
};

TEST_F(WholeRun, MakeTakeTwiceOnceReportedThenQuit) {
    make_the_quiz();
    // First quiz, report mode off: m (shown 6, 4, 2: "4" is number 2), f, t.
    con.lines({"2", "quiz.tav", "2", "calf", "2"});
    con.type("3");  // the key that ends the wait is the start of the next answer
    con.type("\r");
    // Second quiz, in report mode, all correct.
    con.lines({"quiz.tav", "2", "calf", "1"});
    con.type("\r");  // Enter ends the wait and gives the menu an empty answer
    con.line("3");   // the three-option menu: 3 quits

    EXPECT_EQ(run_program(con, st), 0);
    EXPECT_EQ(con.unread(), 0U);

    EXPECT_EQ(dir.read("quiz.tav"),
              "t\r\nCows moo.\r\n2\r\nTrue\r\nFalse\r\n1\r\n"
              "f\r\nA baby cow is a ____.\r\n1\r\ncalf\r\n1\r\n"
              "m\r\nHow many legs?\r\n3\r\n2\r\n4\r\n6\r\n2\r\nP");

    const std::string& text = con.text();
    EXPECT_NE(text.find("Your grade on the quiz is D, with a 66.67%.\nIn twenty years who is gonna care anyway. Moo.\n"),
              std::string::npos);
    EXPECT_NE(text.find("Your grade on the quiz is A, with a 100.00%.\nYou did Moo-st excellent!\n"), std::string::npos);
    EXPECT_EQ(count(con.transcript(), "Press the {c12}delete key{c15} to continue\n{key}"), 2U);
    EXPECT_NE(text.find("\nThis will store your quiz results in the file 'report.txt.'\n"), std::string::npos);
    EXPECT_NE(text.find("Numbers 1-4   > 3\n"), std::string::npos);
    EXPECT_NE(text.find("Numbers 1-3   > \n\nYour choice was invalid, try again.\nNumbers 1-3   > 3\n"),
              std::string::npos);
    EXPECT_NE(text.find("Your average grade on all of these quizzes was 83.33%.\n"
                        "Moo\\  Moo/  Moo-   That is cow for Oh, no a 'B-'\n"
                        "Your grade was a B.\nThank you for using Tavolin.\n"
                        "Seven seconds until program closes.." + std::string(11, '.') + "program closing.\n"),
              std::string::npos);

    // Pauses: five right answers of 1.5 s, one wrong of 7 s, the 7 s countdown.
    const auto& p = con.pauses();
    EXPECT_EQ(std::count(p.begin(), p.end(), 500), 5 * 3 + 14 + 14);
    EXPECT_EQ(p.size(), static_cast<std::size_t>(5 * 3 + 14 + 14));

    // The report holds the second quiz only.
    const std::string report = dir.read("report.txt");
    EXPECT_EQ(lines_of(report), 7U + 3U + 2U);
    EXPECT_NE(report.find(" \r\nOn Quiz 1 using file, 'quiz.tav' you missed 0\r\nout of 3, your score was 100.00%.\r\n"
                          " \r\nThank you for using Tavolin!!\r\n"),
              std::string::npos);
    EXPECT_EQ(report.find("Your average grade"), std::string::npos);

    // The log: made, then opened and graded for each quiz.
    const std::string log = dir.read("Encrypted_file.csf");
    EXPECT_EQ(lines_of(log), 5U);
    EXPECT_EQ(count(log, " quiz.tav\r\n"), 5U);
}

TEST_F(WholeRun, AQuizWithNoQuestionsIsNotGradedReportedOrLogged) {
    dir.write("empty.tav", "P");
    con.lines({"3", "empty.tav", "quit"});
    EXPECT_EQ(run_program(con, st), 0);
    EXPECT_FALSE(dir.exists("report.txt"));
    EXPECT_EQ(lines_of(dir.read("Encrypted_file.csf")), 1U);  // opened, never graded
    EXPECT_EQ(con.text().find("Your grade"), std::string::npos);
}

TEST_F(WholeRun, QuitAtTheFirstFilePromptSwitchesReportModeOffAgain) {
    con.lines({"3", "Quit", "quit"});
    EXPECT_EQ(run_program(con, st), 0);
    EXPECT_EQ(st.REPORT_ON, 0);
    EXPECT_FALSE(dir.exists("report.txt"));
    // Backing out keeps the screen: the next prompt is the four-option one.
    EXPECT_NE(con.text().find("> Quit\n\nNumbers 1-4   > quit\n"), std::string::npos);
}

}  // namespace
}  // namespace tavolin
