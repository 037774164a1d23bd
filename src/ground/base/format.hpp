// Number formatting shared by the screen and the files the program writes.
#pragma once

#include <string>

namespace tavolin {

// The value with exactly two decimals, rounded to the nearest hundredth with a
// value exactly halfway going up, blanks before it up to width. Halfway is
// judged on the shortest decimal form of the double (the form that reads back
// as the same double), so 3.125 shows 3.13 and 15.625 shows 15.63, which
// printf's "%.2f" would round down on their binary values.
std::string format_fixed2(double value, int width = 0);

// A whole number rounded to the nearest integer, a value exactly halfway
// going to the even neighbour (12.5 gives 12, 87.5 gives 88).
double round_half_even(double value);

}  // namespace tavolin
