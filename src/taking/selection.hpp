// Choosing a quiz file and loading it: the file prompt with its Quit, the
// open loop, the results-log event, the first-line check and the count pass
// that builds the question index NAME.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "authoring/quiz_walker.hpp"
#include "ground/console/console.hpp"
#include "ground/run/run_state.hpp"

namespace tavolin {

// The quiz-file prompt: the long form while COUNT_LOOP < 2, else the short.
void WHAT_FILE(Console& con, std::int16_t COUNT_LOOP);

// Asks for the quiz file and opens it, asking again while it cannot be
// opened; logs event 3 after the open loop. Nothing, with QUIT_PROCESS 5,
// when the user typed Quit (at the first prompt this also switches report
// mode off while nothing has been reported).
std::optional<QuizFile> choose_quiz_file(Console& con, RunState& st);

// The two lines that turn a file away as no quiz file; for a file saved as
// UTF-16 the second says so.
void write_not_formatted(Console& con, bool utf16 = false);

// The count pass over a file opened afresh, its findings kept in the run:
// the question index NAME, the count in LOOP1RAN, TEMP and LOOP3RAN,
// LOOP4RAN at 0, EXITMASSCODE and CUTSHORTCODE. False for a broken file.
bool count_questions(QuizFile& YOURQUIZ, RunState& st);

// Clears the screen, zeroes the quiz's counters, checks the first line, opens
// the file again and makes the count pass. True when the question loop is to
// run (TEMP = LOOP3RAN = the count); false when no quiz is given: a file that
// is not a quiz file or breaks the layout (QUIT_PROCESS 5, INVALID_TYPE 1), a
// quiz without questions, or a file that can no longer be opened. The file is
// closed either way.
bool load_quiz(Console& con, RunState& st, std::optional<QuizFile>& YOURQUIZ);

// The two lines that end a quiz cut short by a changed or vanished file,
// and a third when questions were already answered.
void write_quiz_cut_short(Console& con, const RunState& st, std::string_view reason);

}  // namespace tavolin
