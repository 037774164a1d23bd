// Grades: the comment of every whole percentage compared with its text, the
// rounding that picks it, the letter at both sides of every bound and the
// two-decimal numbers every screen and file shows.
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "grading/grades.hpp"
#include "support/scripted_console.hpp"
#include "ground/base/format.hpp"
#include "support/expected.hpp"

namespace tavolin {
namespace {

std::string comment(double percentage) {
    ScriptedConsole con;
    GRADE_COMMENTS(con, percentage);
    EXPECT_EQ(con.transcript(), con.text()) << "a comment sets no colour";
    return con.text();
}

TEST(Comments, EveryWholePercentageHasItsText) {
    std::vector<std::string> expected(101);
    for (const std::string& row : test::table("comments.txt")) {
        expected.at(static_cast<std::size_t>(std::stoi(row))) += row.substr(row.find(' ') + 1) + "\n";
    }
    for (int p = 0; p <= 100; ++p) EXPECT_EQ(comment(p), expected[static_cast<std::size_t>(p)]) << p;
    // Halves go to the even neighbour; anything else to the nearest.
    const std::vector<std::pair<double, int>> rounding = {{0.5, 0},    {12.5, 12},   {37.5, 38},  {62.5, 62},
                                                          {87.5, 88},  {99.5, 100},  {66.666, 67}, {33.333, 33},
                                                          {74.49, 74}, {74.51, 75}, {0.49, 0}};
    for (const auto& [value, whole] : rounding) EXPECT_EQ(comment(value), expected[static_cast<std::size_t>(whole)]) << value;
    for (const double outside : {-1.0, 100.6, 150.0}) EXPECT_EQ(comment(outside), "") << outside;
}

TEST(Grades, LetterOnTheUnroundedValueAtBothSidesOfEveryBound) {
    const std::vector<std::pair<double, char>> letters = {
        {100, 'A'}, {90, 'A'}, {89.999, 'B'}, {80, 'B'}, {79.999, 'C'}, {70, 'C'},
        {69.999, 'D'}, {60, 'D'}, {59.999, 'F'}, {0, 'F'}};
    for (const auto& [value, letter] : letters) EXPECT_EQ(ASSIGN_GRADE(value), letter) << value;
}

TEST(Format, TwoDecimalsHalvesUpWithWidth) {
    const std::vector<std::tuple<double, int, const char*>> cases = {
        {7.5, 2, "7.50"},     {100, 4, "100.00"},  {0, 4, "0.00"},    {3.125, 4, "3.13"},   {15.625, 0, "15.63"},
        {1.0 / 3 * 100, 0, "33.33"}, {0.005, 0, "0.01"}, {0.004999, 0, "0.00"}, {5, 6, "  5.00"}, {-2.5, 0, "-2.50"}};
    for (const auto& [value, width, text] : cases) EXPECT_EQ(format_fixed2(value, width), text) << value;
}

}  // namespace
}  // namespace tavolin
