// The run from the title screen to the closing countdown.
#pragma once

#include "ground/console/console.hpp"
#include "ground/run/run_state.hpp"

namespace tavolin {

// Runs the program on a cleared console; returns the exit status of a normal
// quit (0). The other ways out are exceptions (see shell/errors.hpp); when
// the input ends or the run is told to end, the report file of the run first
// gets its closing lines.
int run_program(Console& con, RunState& st);

}  // namespace tavolin
