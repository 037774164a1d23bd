// Judging the taker's answer: the feedback in colour, the correct answer
// after a wrong one, the quiz's counters, and the pause before the next
// question on a cleared screen.
#pragma once

#include <string>
#include <string_view>

#include "authoring/quiz_reader.hpp"
#include "ground/console/console.hpp"
#include "ground/run/run_state.hpp"

namespace tavolin {

// Fill in the blank: CORRECT_CHOICE := 1, FILLINBLANK2 trimmed, USER_CHOICE
// 1 when it equals FILLINBLANK1 exactly, else 2.
void compare_fill_in(RunState& st);

// Judges USER_CHOICE against CORRECT_CHOICE (after compare_fill_in for "f"),
// writes the feedback, counts TIMES_LOOP and VALUE_1, pauses 1.5 s (correct)
// or 7 s (wrong) with the cursor hidden and clears the screen.
void judge_answer(Console& con, RunState& st, QuestionKind kind);

}  // namespace tavolin
