// The question loop: draws the questions not yet given one at a time by
// swap-removal from NAME, opens the quiz file afresh for each and reads down
// to it, so a file changed between questions is read in its new state.
#pragma once

#include "ground/console/console.hpp"
#include "ground/run/run_state.hpp"

namespace tavolin {

// Draws slot ZRAND from 1..TEMP, counts LOOP4RAN and takes the slot out of
// NAME: YRAND := NAME[ZRAND], NAME[ZRAND] := NAME[TEMP], NAME[TEMP] := 0.
// TEMP itself is lowered later, after the heading.
void draw_question(RunState& st);

// One pass of the loop: open, draw, read down, heading, question, judging.
// False when the quiz cannot go on (the file can no longer be opened, or the
// drawn record no longer fits the layout); the message is then written.
bool give_question(Console& con, RunState& st);

// Gives every question of the loaded quiz. A quiz cut short keeps the
// questions answered so far in TIMES_LOOP and VALUE_1; with none answered
// QUIT_PROCESS becomes 5 so that the message stays on the screen.
void question_loop(Console& con, RunState& st);

}  // namespace tavolin
