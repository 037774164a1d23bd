// Naming a new quiz file: the name prompt, the existence test, the overwrite
// question, the creation of the file and the fall-back to the default file,
// and the one results-log entry for the file made.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ground/console/console.hpp"
#include "ground/platform/line_file.hpp"
#include "ground/run/run_state.hpp"

namespace tavolin {

// The file used when the typed name cannot be created.
inline constexpr std::string_view kDefaultQuizName = "tavtest1.tav";

// Shows the name prompt (with the Quit hint while MESSAGE_OPT < 2) and returns
// the typed line as it was typed.
std::string NAME_OF_FILE(Console& con, std::int16_t MESSAGE_OPT);

// The existence test: 0 when a file of that name exists, else the system's
// error number. A folder does not count as an existing file (it cannot be a
// quiz file, and creating it fails, which leads to the default file). A file
// that exists but cannot be read, such as a write-only one, does count: it
// would be emptied by the creation otherwise, and an existing file is only
// ever emptied after the user has agreed to overwrite it.
std::int16_t quiz_file_exists(const std::string& name);

// Creates the quiz file (emptying an existing one). On failure gives nothing
// and leaves the system's error number in `error`. A name holding a NUL byte
// and a named pipe are refused as unusable: the first cannot be passed to the
// system whole, and opening the second for writing would wait for a reader.
std::optional<LineFile> create_quiz_file(const std::string& name, std::int16_t& error);

// The whole naming dialogue. Gives the quiz file open for writing and empty,
// with its results-log entry made; or nothing, with QUIT_PROCESS = 5, when
// the user typed Quit. A name that cannot be created falls back to the
// default file; a default file that exists is emptied only after a yes to the
// overwrite question, and a no asks for a new name. Failing to create the
// default file is an input/output error.
std::optional<LineFile> choose_new_quiz_file(Console& con, RunState& st);

}  // namespace tavolin
