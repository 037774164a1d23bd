// The question dialogue: the author types the questions one after another and
// every line of the quiz file is written the moment it is entered. Prompts
// carry hints for the first questions only and take a short form from the
// sixth question on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ground/console/console.hpp"
#include "ground/platform/line_file.hpp"
#include "ground/run/run_state.hpp"

namespace tavolin {

// The suffix after the shown number p + 1 of the 0-based position p: "st ",
// "nd ", "rd " for the first three, "th " for every other (21th included).
std::string_view ordinal_suffix(std::int32_t p);

// Asks the kind of the next question (SOM_NUMBER: questions finished so far)
// until one of t, T, m, M, f, F is typed, writes it as the kind line and
// returns it as typed.
char KIND_OF_QUIZ(Console& con, LineFile& YOURQUIZ, std::int16_t SOM_NUMBER);

// Asks for one question text or one answer text (KIND "question" or
// "answer", QUESTION_NUMBER its 0-based position) and writes it unchanged as
// one line.
std::string WRITE_QUIZ_LOOP_QUES(Console& con, LineFile& YOURQUIZ, std::int16_t QUESTION_NUMBER,
                                 std::string_view KIND);

// Asks how many answers a multiple-choice question has: 1 to ANSWERCRAND.
std::int16_t ANS_NUMBER(Console& con);

// Asks which of the NUM_CORRECT answers is correct (LOOP: multiple-choice
// questions so far, the current one included) and writes the correct-answer
// line.
std::int16_t WHICH_CORRECT(Console& con, LineFile& YOURQUIZ, std::int16_t NUM_CORRECT, std::int16_t LOOP);

// Asks whether the statement is true (LOOP: true/false questions so far, the
// current one included) and writes 1 for true, 2 for false.
void WHICH_CORRECT_T_F(Console& con, LineFile& YOURQUIZ, std::int16_t LOOP);

// Asks whether another question follows (SOM_NUMBER_1: questions finished
// so far): 0 for another one, 1 to stop.
std::int16_t CONTINUE(Console& con, std::int16_t SOM_NUMBER_1);

// The question loop over the open, empty quiz file: questions until the
// author declines, then the end marker "P" with no line end, the file closed,
// the screen cleared and the menu form following report mode.
void write_questions(Console& con, RunState& st, LineFile& YOURQUIZ);

}  // namespace tavolin
