// Showing a drawn question: the kind label and the question counter, the
// question text, the answers shuffled by swap-removal and laid out in rows of
// up to three, and reading the taker's answer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/quiz_walker.hpp"
#include "ground/console/console.hpp"
#include "ground/platform/platform.hpp"
#include "ground/run/run_state.hpp"

namespace tavolin {

// The closing message of a question of no known kind, the 3000 ms pause, and
// the end of the run (throws ForcedClose).
[[noreturn]] void force_close(Console& con);

// "Multiple Choice: ", "True/False: " or "Fill in the Blank: ", then, unless
// the quiz has one question, "Question LOOP4RAN out of LOOP3RAN" and a line
// end. A kind of kNone is the forced close.
void write_heading(Console& con, const RunState& st, QuestionKind kind);

// The question text as a line, then an empty line.
void QUESTION_A_READ(Console& con, std::string_view QUESTION);

// Lays out answer entries one after another: the number right-aligned in 5
// columns, ") ", the text right-aligned in 5 columns, with the screen line
// broken by the widths of the entries of each row (threshold 61). A text's
// length is the columns it takes on the screen (a wide character two, a
// combining mark none), not its bytes.
class AnswerLayout {
public:
    explicit AnswerLayout(Console& con) : con_(con) {}
    // Entry p (1, 2, 3, ... in order) with its text as it is to be shown.
    void entry(int p, std::string_view text);

private:
    void write_entry(int p, std::string_view text);
    void line_break() { con_.end_line(); }

    Console& con_;
    int L1 = 0;  // columns of the texts of the first, second and third column
    int L2 = 0;
    int L3 = 0;
    int RETURNED = 0;
};

// A number from 1 to n: drawn below n + 1, again while it is 0.
std::int16_t draw_from_one(Random& random, std::int16_t n);

// Seeds the generator from the clock, shows the answers (ANSWERRAND, in file
// order; used up as the pool) as entries 1..N and returns the number under
// which the answer at file position NUMZ was shown. Multiple-choice answers,
// and any answers of three or more, are shuffled by swap-removal; the answers
// of a true/false question with fewer than three are shown in file order.
// NUMZ must lie in 1..N (the reader checks it).
std::int16_t ANSWERS_READ(Console& con, Platform& platform, std::vector<std::string>& ANSWERRAND,
                          std::int16_t NUMZ, QuestionKind DETERMINED);

// Asks for an answer number from 1 to READ_NUMBER_OF_ANSWERS until one comes.
std::int16_t CHOICE_USER(Console& con, std::int16_t READ_NUMBER_OF_ANSWERS);

// The question, its answers and the taker's answer: for "m" and "t" sets
// READ_NUMBER_OF_ANSWERS, CORRECT_CHOICE and USER_CHOICE; for "f" sets
// FILLINBLANK1 (the stored answer) and FILLINBLANK2 (the typed one).
void present_question(Console& con, RunState& st, QuestionKind kind, QuestionRecord& record);

}  // namespace tavolin
