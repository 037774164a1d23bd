// Percentages, letter grades, the result line and the comment for a grade.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "ground/console/console.hpp"

namespace tavolin {

// GRADES_ADDED / GRADE_NUMBER; never given a count of 0.
double GRADE_AVERAGE(std::int16_t GRADE_NUMBER, double GRADES_ADDED);
// 'A', 'B', 'C', 'D' or 'F' for an unrounded percentage.
char ASSIGN_GRADE(double GRADES_AVERAGE);
// "Your grade on the quiz is C, with a 75.00%."
void DISPLAY_RESULTS(Console& con, char LETTER_GRADE, double GRADES_AVERAGE);
// The comment for the whole percentage (halves to even), one or two lines.
void GRADE_COMMENTS(Console& con, double GRADE_AVERAGED);

// The line or lines of the comment for a whole percentage from 0 to 100; no
// line for any other number.
std::span<const std::string_view> comment_lines(int whole);

}  // namespace tavolin
