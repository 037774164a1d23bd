#include <gtest/gtest.h>

#include "shell/format.hpp"

TEST(Format, TwoDecimalsRoundHalfUp) { EXPECT_EQ(tavolin::format_fixed2(3.125), "3.13"); }
