// Everything that lives for the whole run, in one place, passed by reference
// to every dialogue. The field names are the program's own; the start values
// are those the run begins with. Fields that each dialogue sets before use
// start at zero or empty.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "ground/base/limits.hpp"
#include "ground/platform/line_file.hpp"
#include "ground/platform/platform.hpp"

namespace tavolin {

struct RunState {
    // Menu and screen.
    std::int16_t MENUD_CHOICE = 0;
    std::int16_t QUIT_PROCESS = 5;  // 5: keep the screen, ask below it
    std::int16_t REDUMBDANZ = 0;    // menu form: 0 four options, else three

    // Report mode and the report file.
    std::int16_t REPORT_ON = 0;
    std::int16_t REPORT_LOOP = 0;
    double REPORT_AVE = 0.0;
    std::optional<LineFile> REPORT;

    // Grades of the run and of the current quiz.
    std::int16_t MASTER_LOOP = 0;
    double MASTER_GRADE = 0.0;
    double GRADE_AVERAGED = 0.0;
    char LETTER_GRADED = 0;
    std::int16_t TIMES_LOOP = 0;
    double VALUE_1 = 0.0;
    std::string N_O_F;

    std::int16_t LOOP_ENCODER = 0;
    std::int16_t INVALID_TYPE = 0;
    std::int32_t I = 0;

    // Chatter counters; X is shared with authoring and loading loops.
    std::int16_t LOOP = 0;
    std::int16_t LOOP2 = 0;
    std::int16_t LOOP3 = 0;
    std::int16_t LOOP4 = 0;
    std::int32_t X = 0;

    // Quiz naming.
    std::int16_t NONDOUBLE = 0;
    std::int16_t LEGIT_NAME = 0;
    std::int16_t QUIT_KNOWN = 0;
    std::int16_t CHECK_VAL = 0;
    std::int16_t SKIP_CHECK = 0;
    std::string NAMED_FILE;

    // Quiz selection, loading and order.
    std::int16_t QUIT_KNOWN_2 = 0;
    std::int16_t GO_ON = 0;
    std::int32_t NUM1RAN = 0;
    std::int32_t LOOPRAN = 0;
    std::int32_t YRAND = 0;
    std::int16_t ZRAND = 0;
    std::int16_t LOOP3RAN = 0;
    std::int16_t LOOP1RAN = 0;
    std::int16_t LOOP4RAN = 0;
    std::int16_t TEMP = 0;
    std::int16_t EXITMASSCODE = 0;
    std::int16_t CUTSHORTCODE = 0;  // 1: the file ends inside its last record, which is left out
    std::int32_t XT = 0;
    std::array<std::int32_t, MASS + 1> NAME{};  // question index, used from 1
    std::string STRING1;

    // Authoring.
    char CHOSEN_KIND_OF_QUIZ = 0;
    std::string KIND_WORD;
    std::int16_t NUMBER_OF_ANSWERS = 0;
    std::int16_t TIMES_LOOPED = 0;
    std::int16_t TIME_LOOPED = 0;
    std::int16_t ANO_LOOP_M = 0;
    std::int16_t ANO_LOOP_T = 0;
    std::string FILLINBLANK;

    // Presentation and checking of one question.
    std::int16_t READ_NUMBER_OF_ANSWERS = 0;
    std::int16_t CORRECT_CHOICE = 0;
    std::int16_t USER_CHOICE = 0;
    std::string FILLINBLANK1;
    std::string FILLINBLANK2;

    // Clocks and chance.
    Platform platform;
};

}  // namespace tavolin
