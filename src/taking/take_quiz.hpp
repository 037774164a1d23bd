// Menu choice 2 (and 3): asks for a quiz file, loads it and gives its
// questions in random order, judging each answer. On return TIMES_LOOP and
// VALUE_1 hold the quiz's counts; QUIT_PROCESS is 5 when no quiz was given
// and the screen is to be kept.
#pragma once

#include "ground/console/console.hpp"
#include "ground/run/run_state.hpp"

namespace tavolin {

void take_quiz(Console& con, RunState& st);

}  // namespace tavolin
