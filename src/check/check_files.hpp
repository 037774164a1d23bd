// The work of tavolin-check: each named quiz file read and checked, its
// faults told, its summary printed, and the exit status chosen.
#pragma once

#include <string>
#include <vector>

#include "ground/cli/command_line.hpp"

namespace tavolin {

// tavolin-check on the given files: each finding on `err` as
// "FILE:LINE: error: ..." or "FILE:LINE: warning: ...", and for a file
// without errors its summary on `out`. Returns the exit status: 0 when no
// file has an error, 1 when one has, 2 when a file cannot be read.
int check_files(const std::vector<std::string>& names, command::Output& out, command::Output& err);

}  // namespace tavolin
