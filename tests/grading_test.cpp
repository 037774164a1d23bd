// Percentages, letters, the result line and the comment table.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "grading/grades.hpp"
#include "shell/console/scripted_console.hpp"

namespace tavolin {
namespace {

double percentage(int right, int asked) { return GRADE_AVERAGE(static_cast<std::int16_t>(asked), right) * 100; }

std::string result_line(double pct) {
    ScriptedConsole con;
    DISPLAY_RESULTS(con, ASSIGN_GRADE(pct), pct);
    return con.text();
}

std::string comment(double pct) {
    ScriptedConsole con;
    GRADE_COMMENTS(con, pct);
    return con.text();
}

TEST(Grades, EdgeCasesOfOneQuiz) {
    EXPECT_EQ(result_line(percentage(0, 7)), "Your grade on the quiz is F, with a 0.00%.\n");
    EXPECT_EQ(result_line(percentage(12, 12)), "Your grade on the quiz is A, with a 100.00%.\n");
    EXPECT_EQ(result_line(percentage(9, 10)), "Your grade on the quiz is A, with a 90.00%.\n");
    EXPECT_EQ(result_line(percentage(8, 10)), "Your grade on the quiz is B, with a 80.00%.\n");
    EXPECT_EQ(result_line(percentage(7, 10)), "Your grade on the quiz is C, with a 70.00%.\n");
    EXPECT_EQ(result_line(percentage(3, 5)), "Your grade on the quiz is D, with a 60.00%.\n");
    EXPECT_EQ(result_line(percentage(59, 100)), "Your grade on the quiz is F, with a 59.00%.\n");
    EXPECT_EQ(result_line(percentage(2, 3)), "Your grade on the quiz is D, with a 66.67%.\n");
    EXPECT_EQ(result_line(percentage(1, 3)), "Your grade on the quiz is F, with a 33.33%.\n");
    EXPECT_EQ(result_line(percentage(1, 32)), "Your grade on the quiz is F, with a 3.13%.\n");
    EXPECT_EQ(result_line(percentage(5, 32)), "Your grade on the quiz is F, with a 15.63%.\n");
    EXPECT_EQ(result_line(percentage(3, 4)), "Your grade on the quiz is C, with a 75.00%.\n");
}

TEST(Grades, LetterUsesTheUnroundedValue) {
    // A value that shows as 90.00 but lies below 90 is still a B.
    EXPECT_EQ(ASSIGN_GRADE(89.999), 'B');
    EXPECT_EQ(result_line(89.999), "Your grade on the quiz is B, with a 90.00%.\n");
    EXPECT_EQ(ASSIGN_GRADE(90.0), 'A');
    EXPECT_EQ(ASSIGN_GRADE(79.9999999), 'C');
    EXPECT_EQ(ASSIGN_GRADE(60.0), 'D');
    EXPECT_EQ(ASSIGN_GRADE(59.9999), 'F');
}

TEST(Grades, RunAverageIsTheMeanOfThePercentages) {
    // 100% of 2 questions and 50% of 10: 75, not 7 of 12.
    const double avg = GRADE_AVERAGE(2, percentage(2, 2) + percentage(5, 10));
    EXPECT_EQ(avg, 75.0);
    EXPECT_EQ(ASSIGN_GRADE(avg), 'C');
    const double avg2 = GRADE_AVERAGE(2, 100.0 + 75.0);
    EXPECT_EQ(avg2, 87.5);
    EXPECT_EQ(ASSIGN_GRADE(avg2), 'B');
    EXPECT_EQ(comment(avg2), "If only you had crammed a little harder\n");  // 87.5 goes to 88
}

TEST(Comments, BlanksAndBackslashesThatAreEasyToLose) {
    EXPECT_EQ(comment(70), "Ah, the last shred of dignity is dying. Moo :(  \n");
    EXPECT_EQ(comment(72), R"(Moo Moo/\ That is cow for 'time to quit school and go back to the circus.)" "\n");
    EXPECT_EQ(comment(73), R"(Moo\ Moo- Moooo  That is cow for 'time to quit school and join the circus!)" "\n");
    EXPECT_EQ(comment(83), R"(Moo\  Moo/  Moo-   That is cow for Oh, no a 'B-')" "\n");
    EXPECT_EQ(comment(87), "An above average grade :)  \n");
    EXPECT_EQ(comment(89), "You slipped below the 'A' line. :( \n");
}

TEST(Comments, TwoLineComments) {
    EXPECT_EQ(comment(13),
              "If I had a nickel for every point that you missed,\n"
              "i might could get a value meal somewhere.\n");
    EXPECT_EQ(comment(84),
              "If this continues maybe you won't get that good grade\n"
              "that you wanted at the end of the semester.\n");
}

TEST(Comments, SomePlainOnes) {
    EXPECT_EQ(comment(0), "Wow, you got a BIG FAT ZERO!!!!!\n");
    EXPECT_EQ(comment(12), "Wow, 12 percent, that is like a dozen.\n");
    EXPECT_EQ(comment(33), "I hope you don't go into brain surgery.\n");
    EXPECT_EQ(comment(38), "You don't need a silly diploma.\n");
    EXPECT_EQ(comment(62), "If at first you don't succeed, try try again!\n");
    EXPECT_EQ(comment(67), "In twenty years who is gonna care anyway. Moo.\n");
    EXPECT_EQ(comment(75), "'C' is average. Don't worry. Moo.\n");
    EXPECT_EQ(comment(88), "If only you had crammed a little harder\n");
    EXPECT_EQ(comment(100), "You did Moo-st excellent!\n");
}

TEST(Comments, WholePercentageRoundsHalvesToEven) {
    EXPECT_EQ(comment(0.5), comment(0));
    EXPECT_EQ(comment(12.5), comment(12));
    EXPECT_EQ(comment(37.5), comment(38));
    EXPECT_EQ(comment(62.5), comment(62));
    EXPECT_EQ(comment(87.5), comment(88));
    EXPECT_EQ(comment(99.5), comment(100));
    EXPECT_EQ(comment(percentage(2, 3)), comment(67));
    EXPECT_EQ(comment(percentage(1, 3)), comment(33));
    EXPECT_EQ(comment(12.5000001), comment(13));
    EXPECT_NE(comment(12), comment(13));
}

TEST(Comments, EveryWholePercentageHasItsOwnComment) {
    for (int pct = 0; pct <= 100; ++pct) {
        const auto lines = comment_lines(pct);
        EXPECT_EQ(lines.size(), pct == 13 || pct == 84 ? 2U : 1U) << pct;
        std::string expected;
        for (const std::string_view l : lines) {
            EXPECT_FALSE(l.empty()) << pct;
            EXPECT_EQ(l.find_first_of("\r\n\t"), std::string_view::npos) << pct;
            expected += std::string(l) + "\n";
        }
        EXPECT_EQ(comment(pct), expected) << pct;
        if (pct > 0) {
            EXPECT_NE(comment(pct), comment(pct - 1)) << pct;
        }
    }
    EXPECT_TRUE(comment_lines(-1).empty());
    EXPECT_TRUE(comment_lines(101).empty());
}

TEST(Comments, NothingOutsideTheRange) {
    EXPECT_EQ(comment(-0.6), "");
    EXPECT_EQ(comment(100.6), "");
    EXPECT_EQ(comment(1e300), "");
    EXPECT_EQ(comment(std::nan("")), "");
}

}  // namespace
}  // namespace tavolin
