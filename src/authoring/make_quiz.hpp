// Menu choice 1: asks for the new quiz file's name and creates the file, then
// runs the question dialogue that writes it. Backing out leaves QUIT_PROCESS
// at 5.
#pragma once

#include "ground/console/console.hpp"
#include "ground/run/run_state.hpp"

namespace tavolin {

void make_quiz(Console& con, RunState& st);

}  // namespace tavolin
