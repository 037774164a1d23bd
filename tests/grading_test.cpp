#include <gtest/gtest.h>

#include <string>

#include "grading/grades.hpp"
#include "shell/scripted_console.hpp"

namespace tavolin {
namespace {

std::string result_line(int right, int asked) {
    const double pct = GRADE_AVERAGE(static_cast<std::int16_t>(asked), right) * 100;
    ScriptedConsole con;
    DISPLAY_RESULTS(con, ASSIGN_GRADE(pct), pct);
    return con.text();
}

std::string comment_for(double pct) {
    ScriptedConsole con;
    GRADE_COMMENTS(con, pct);
    return con.text();
}

TEST(Grades, LettersUseTheUnroundedValueAndTheBoundBelongsToTheHigherLetter) {
    EXPECT_EQ(result_line(0, 4), "Your grade on the quiz is F, with a 0.00%.\n");
    EXPECT_EQ(result_line(4, 4), "Your grade on the quiz is A, with a 100.00%.\n");
    EXPECT_EQ(result_line(9, 10), "Your grade on the quiz is A, with a 90.00%.\n");
    EXPECT_EQ(result_line(8, 10), "Your grade on the quiz is B, with a 80.00%.\n");
    EXPECT_EQ(result_line(7, 10), "Your grade on the quiz is C, with a 70.00%.\n");
    EXPECT_EQ(result_line(3, 5), "Your grade on the quiz is D, with a 60.00%.\n");
    EXPECT_EQ(result_line(59, 100), "Your grade on the quiz is F, with a 59.00%.\n");
    EXPECT_EQ(result_line(2, 3), "Your grade on the quiz is D, with a 66.67%.\n");
    EXPECT_EQ(result_line(1, 3), "Your grade on the quiz is F, with a 33.33%.\n");
    EXPECT_EQ(result_line(1, 32), "Your grade on the quiz is F, with a 3.13%.\n");
    EXPECT_EQ(result_line(5, 32), "Your grade on the quiz is F, with a 15.63%.\n");
    // Just below 90 shows 90.00 but keeps its B.
    EXPECT_EQ(ASSIGN_GRADE(89.996), 'B');
    EXPECT_EQ(result_line(2699, 2999), "Your grade on the quiz is B, with a 90.00%.\n");
}

TEST(Grades, RunAverageIsTheMeanOfThePercentages) {
    EXPECT_DOUBLE_EQ(GRADE_AVERAGE(2, 100.0 + 50.0), 75.0);
    const double avg = GRADE_AVERAGE(2, 100.0 + 75.0);
    EXPECT_DOUBLE_EQ(avg, 87.5);
    EXPECT_EQ(ASSIGN_GRADE(avg), 'B');
    EXPECT_EQ(comment_for(avg), "If only you had crammed a little harder\n");
}

TEST(Comments, BlanksAndBackslashesThatAreEasyToLose) {
    EXPECT_EQ(comment_for(70), "Ah, the last shred of dignity is dying. Moo :(  \n");
    EXPECT_EQ(comment_for(72), R"(Moo Moo/\ That is cow for 'time to quit school and go back to the circus.)" "\n");
    EXPECT_EQ(comment_for(73), R"(Moo\ Moo- Moooo  That is cow for 'time to quit school and join the circus!)" "\n");
    EXPECT_EQ(comment_for(83), R"(Moo\  Moo/  Moo-   That is cow for Oh, no a 'B-')" "\n");
    EXPECT_EQ(comment_for(87), "An above average grade :)  \n");
    EXPECT_EQ(comment_for(89), "You slipped below the 'A' line. :( \n");
}

TEST(Comments, OnlyThirteenAndEightyFourHaveTwoLines) {
    EXPECT_EQ(comment_for(13),
              "If I had a nickel for every point that you missed,\ni might could get a value meal somewhere.\n");
    EXPECT_EQ(comment_for(84),
              "If this continues maybe you won't get that good grade\nthat you wanted at the end of the semester.\n");
    for (int pct = 0; pct <= 100; ++pct) {
        const auto lines = comment_lines(pct);
        EXPECT_EQ(lines.size(), (pct == 13 || pct == 84) ? 2U : 1U) << pct;
        for (const auto line : lines) EXPECT_FALSE(line.empty()) << pct;
    }
    EXPECT_TRUE(comment_lines(101).empty());
    EXPECT_TRUE(comment_lines(-1).empty());
}

TEST(Comments, WholePercentageRoundsHalvesToEven) {
    EXPECT_EQ(comment_for(0.5), "Wow, you got a BIG FAT ZERO!!!!!\n");
    EXPECT_EQ(comment_for(12.5), "Wow, 12 percent, that is like a dozen.\n");
    EXPECT_EQ(comment_for(37.5), "You don't need a silly diploma.\n");
    EXPECT_EQ(comment_for(62.5), "If at first you don't succeed, try try again!\n");
    EXPECT_EQ(comment_for(87.5), "If only you had crammed a little harder\n");
    EXPECT_EQ(comment_for(99.5), "You did Moo-st excellent!\n");
    EXPECT_EQ(comment_for(200.0 / 3), "In twenty years who is gonna care anyway. Moo.\n");
    EXPECT_EQ(comment_for(100.0 / 3), "I hope you don't go into brain surgery.\n");
    EXPECT_EQ(comment_for(100.6), "");
}

}  // namespace
}  // namespace tavolin
