// The command line. The program's run takes no arguments; --help and
// --version are answered on standard output without the console being made,
// so that the terminal's settings and the current folder are never touched.
#pragma once

#include <optional>

namespace tavolin {

// Answers the arguments, if there are any: the help or the version on
// standard output (status 0), or a usage message on standard error for
// anything else (status 64); status 1 when what was to be written could not
// be. Nothing when there are none and the run is to start.
std::optional<int> answer_arguments(int argc, const char* const* argv);

}  // namespace tavolin
