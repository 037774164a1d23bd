// Choosing and loading a quiz file: the prompt forms, Quit at either prompt
// and report mode, names that cannot be opened, the results-log event, the
// first-line check, the count pass and the size warning.
#include <sys/stat.h>

#include <algorithm>

#include "resultlog/encodeon.hpp"
#include "shell/errors.hpp"
#include "taking/selection.hpp"
#include "taking/take_quiz.hpp"
#include "taking_fixture.hpp"

namespace tavolin::test {
namespace {

const std::string kLongPrompt =
    "\nWhat quiz file would you like to use? (Type Quit to exit this option.)\n"
    "(Make sure to use the same capitalization as the actual file.)\n> ";
const std::string kShortPrompt =
    "\nWhich quiz file would you like to use?\n(Use the same capitalization as the actual file.)\n> ";
const std::string kMissing = "That file does not exist!\nTry again!     > ";
const std::string kNotFormatted =
    "This file is not properly formatted.\nFile name may have been improperly entered.\n";

class SelectionTest : public TakingTest {
protected:
    // Lines in the results log (it exists from the start of every test).
    std::size_t log_lines() const {
        const std::string log = dir_.read(kLogFileName);
        return static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n'));
    }
    void SetUp() override { dir_.write(kLogFileName, ""); }
};

TEST_F(SelectionTest, LongPromptUntilTheSecondQuit) {
    con_.lines({"Quit", "quit", "Quit"});
    for (const std::int16_t before : {0, 1, 2}) {
        con_.reset_output();
        EXPECT_EQ(st_.QUIT_KNOWN_2, before);
        take_quiz(con_, st_);
        EXPECT_EQ(st_.QUIT_PROCESS, 5);
        EXPECT_EQ(con_.text(), (before < 2 ? kLongPrompt : kShortPrompt) + (before == 1 ? "quit\n" : "Quit\n"));
        EXPECT_EQ(con_.clears(), 0);  // the screen is kept
    }
    EXPECT_EQ(st_.QUIT_KNOWN_2, 3);
    EXPECT_EQ(log_lines(), 0U);  // Quit at the first prompt logs nothing
}

TEST_F(SelectionTest, QuitAtTheFirstPromptEndsReportModeOnlyBeforeAnyReport) {
    st_.REPORT_ON = 1;
    st_.REPORT_LOOP = 0;
    con_.lines({"Quit"});
    take_quiz(con_, st_);
    EXPECT_EQ(st_.REPORT_ON, 0);

    st_.REPORT_ON = 1;
    st_.REPORT_LOOP = 1;
    con_.lines({"quit"});
    take_quiz(con_, st_);
    EXPECT_EQ(st_.REPORT_ON, 1);
}

TEST_F(SelectionTest, QuitAtTheRetryPromptKeepsReportModeAndLogs) {
    st_.REPORT_ON = 1;
    con_.lines({"absent.tav", "Quit"});
    take_quiz(con_, st_);
    EXPECT_EQ(con_.text(), kLongPrompt + "absent.tav\n" + kMissing + "Quit\n");
    EXPECT_EQ(st_.REPORT_ON, 1);
    EXPECT_EQ(st_.QUIT_PROCESS, 5);
    EXPECT_EQ(st_.QUIT_KNOWN_2, 1);
    EXPECT_EQ(st_.N_O_F, "Quit");
    EXPECT_EQ(con_.clears(), 0);
    EXPECT_EQ(log_lines(), 1U);
}

TEST_F(SelectionTest, EveryNameThatCannotBeOpenedIsMissing) {
    dir_.write("q.tav", "P");
    ASSERT_EQ(::mkdir("folder", 0700), 0);
    con_.lines({"QUIT", " quit", "", "folder", "Q.TAV", "q.tav"});
    take_quiz(con_, st_);
    EXPECT_EQ(con_.text(), kLongPrompt + "QUIT\n" + kMissing + " quit\n" + kMissing + "\n" + kMissing + "folder\n" +
                               kMissing + "Q.TAV\n" + kMissing + "q.tav\n");
    EXPECT_EQ(st_.N_O_F, "q.tav");
    EXPECT_EQ(st_.QUIT_KNOWN_2, 0);
    EXPECT_EQ(log_lines(), 1U);  // one event after the whole open loop
}

TEST_F(SelectionTest, ANonQuizFileIsTurnedAway) {
    dir_.write("q.tav", "p\r\nQ\r\n");
    st_.TIMES_LOOP = 4;
    st_.VALUE_1 = 3;
    con_.lines({"q.tav"});
    take_quiz(con_, st_);
    EXPECT_EQ(con_.screen(), kNotFormatted);
    EXPECT_EQ(con_.clears(), 1);
    EXPECT_EQ(st_.GO_ON, -1);
    EXPECT_EQ(st_.INVALID_TYPE, 1);
    EXPECT_EQ(st_.QUIT_PROCESS, 5);
    EXPECT_EQ(st_.TIMES_LOOP, 0);
    EXPECT_EQ(st_.VALUE_1, 0.0);
    EXPECT_TRUE(random_->seeds.empty());
    EXPECT_EQ(log_lines(), 1U);  // opened for taking all the same
}

TEST_F(SelectionTest, ABrokenLayoutIsTurnedAwayLikeAWrongFirstLine) {
    dir_.write("q.tav", tf("first", 1) + "m\r\nQ\r\nthree\r\na\r\nb\r\n1\r\nP");
    con_.lines({"q.tav"});
    take_quiz(con_, st_);
    EXPECT_EQ(con_.screen(), kNotFormatted);
    EXPECT_EQ(st_.INVALID_TYPE, 1);
    EXPECT_EQ(st_.QUIT_PROCESS, 5);
    EXPECT_EQ(st_.TIMES_LOOP, 0);
    EXPECT_TRUE(random_->bounds.empty());  // no question drawn
}

TEST_F(SelectionTest, AQuizWithoutQuestionsGivesNone) {
    for (const std::string_view content : {"P", "m", "F\r\n"}) {
        dir_.write("q.tav", content);
        con_.reset_output();
        con_.lines({"q.tav"});
        take_quiz(con_, st_);
        EXPECT_EQ(con_.screen(), "") << content;
        EXPECT_EQ(st_.GO_ON, -1);
        EXPECT_EQ(st_.QUIT_PROCESS, 0);  // the menu is drawn again
        EXPECT_EQ(st_.INVALID_TYPE, 0);
        EXPECT_EQ(st_.TIMES_LOOP, 0);
    }
    EXPECT_TRUE(random_->bounds.empty());
}

TEST_F(SelectionTest, LoadingSeedsOnceAndIndexes) {
    dir_.write("q.tav", tf("a", 1) + mc("b", {"x", "y", "z"}, 3) + "P");
    std::optional<QuizFile> file = QuizFile::open("q.tav");
    st_.N_O_F = "q.tav";
    ASSERT_TRUE(load_quiz(con_, st_, file));
    EXPECT_FALSE(file.has_value());  // closed
    EXPECT_EQ(st_.TEMP, 2);
    EXPECT_EQ(st_.LOOP3RAN, 2);
    EXPECT_EQ(st_.LOOP4RAN, 0);
    EXPECT_EQ(st_.NAME[1], 1);
    EXPECT_EQ(st_.NAME[2], 7);
    EXPECT_NE(st_.GO_ON, -1);
    EXPECT_EQ(random_->seeds, (std::vector<std::uint32_t>{1001}));
}

TEST_F(SelectionTest, TheSizeWarningStaysAboveTheFirstQuestion) {
    std::string content;
    for (int i = 0; i < MASS + 1; ++i) content += tf("q" + std::to_string(i + 1), 1);
    dir_.write("big.tav", content + "P");
    random_->draws = {MASS};  // the last of the first 3000
    con_.lines({"big.tav"});
    EXPECT_THROW(take_quiz(con_, st_), EndOfInput);  // stops at the answer prompt
    EXPECT_TRUE(con_.screen().starts_with(
        "Warning! File too large!\nOnly the first 3000 questions will be given.\n"
        "True/False: Question 1 out of 3000\nq3000\n\n"))
        << con_.screen().substr(0, 200);
    EXPECT_EQ(random_->bounds.front(), static_cast<std::uint32_t>(MASS + 1));
}

TEST_F(SelectionTest, ExactlyThreeThousandGiveNoWarning) {
    std::string content;
    for (int i = 0; i < MASS; ++i) content += tf("q", 1);
    dir_.write("big.tav", content + "P");
    random_->draws = {1};
    con_.lines({"big.tav"});
    EXPECT_THROW(take_quiz(con_, st_), EndOfInput);
    EXPECT_TRUE(con_.screen().starts_with("True/False: Question 1 out of 3000\n")) << con_.screen().substr(0, 200);
}

}  // namespace
}  // namespace tavolin::test
