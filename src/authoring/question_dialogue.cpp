#include "authoring/question_dialogue.hpp"

#include <limits>

#include "ground/base/blanks.hpp"

namespace tavolin {

namespace {

// The warning threshold for the number of answers: from this many on, the
// answers of one question no longer fit on a screen when the quiz is taken.
constexpr std::int16_t kViewableAnswers = 68;

bool is_one_of(char c, std::string_view letters) { return letters.find(c) != std::string_view::npos; }

// Counters stop at the top of their range rather than wrap, so that a very
// long dialogue never turns the prompts back to their first form.
void count_up(std::int16_t& counter) {
    if (counter < std::numeric_limits<std::int16_t>::max()) ++counter;
}

// A number answer; text that is not a whole number counts as 0.
std::int16_t read_count(Console& con) {
    const NumberInput input = con.read_number();
    return input.ok ? input.value : 0;
}

void invalid_or_too_small(Console& con, std::int16_t n) {
    if (n == 0) {
        con.write_line("That is an invalid input.");
    } else {
        con.write_line("*The input you gave is too small*.");
    }
    con.write("Try a correct number   > ");
}

}  // namespace

std::string_view ordinal_suffix(std::int32_t p) {
    switch (p) {
        case 0: return "st ";
        case 1: return "nd ";
        case 2: return "rd ";
        default: return "th ";
    }
}

char KIND_OF_QUIZ(Console& con, LineFile& YOURQUIZ, std::int16_t SOM_NUMBER) {
    char KIND_OF_QUIZZED = 0;
    do {
        con.end_line();
        if (SOM_NUMBER < 5) con.write_line("Would you like a True/False, Multiple Choice, or Fill in the Blank question?");
        if (SOM_NUMBER < 2) {
            con.write_line("(Type 'T' for True/False, 'M' for Multiple Choice, or 'F' for Fill in the Blank)");
        }
        if (SOM_NUMBER >= 5) con.write_line("True/False, Multiple Choice, or Fill in the Blank question?");
        con.write("> ");
        KIND_OF_QUIZZED = con.read_char();
    } while (!is_one_of(KIND_OF_QUIZZED, "tTmMfF"));
    YOURQUIZ.write_line(std::string_view(&KIND_OF_QUIZZED, 1));
    return KIND_OF_QUIZZED;
}

std::string WRITE_QUIZ_LOOP_QUES(Console& con, LineFile& YOURQUIZ, std::int16_t QUESTION_NUMBER,
                                 std::string_view KIND) {
    const bool question = KIND == "question";
    if (question) {
        con.clear_screen();
        if (QUESTION_NUMBER == 0) con.write_line(std::string(80, '_'));
    }
    const std::int32_t QUESTION_NUMBERED = std::int32_t{QUESTION_NUMBER} + 1;
    if (QUESTION_NUMBER == 0 || question) con.end_line();
    con.write("What is the ");
    con.write_int(QUESTION_NUMBERED);
    con.write(ordinal_suffix(QUESTION_NUMBER));
    con.write(KIND);
    con.write_line("?");
    con.write("> ");
    std::string QUESTION_ANSWER = con.read_line();
    YOURQUIZ.write_line(QUESTION_ANSWER);
    return QUESTION_ANSWER;
}

std::int16_t ANS_NUMBER(Console& con) {
    con.end_line();
    con.write_line("How many answers do you want for this question?");
    con.write("> ");
    std::int16_t NUMBER_ANSWERS = read_count(con);
    while (NUMBER_ANSWERS > ANSWERCRAND || NUMBER_ANSWERS < 1) {
        con.end_line();
        if (NUMBER_ANSWERS > ANSWERCRAND) {
            con.write_line("*The number you entered is too high!*");
            con.write("Be reasonable and pick a number under ");
            con.write_int(ANSWERCRAND);
            con.write(".   > ");
        } else {
            invalid_or_too_small(con, NUMBER_ANSWERS);
        }
        NUMBER_ANSWERS = read_count(con);
    }
    if (NUMBER_ANSWERS >= kViewableAnswers) {
        con.write_line("Warning: The number you have picked is above normal viewable size!");
    }
    return NUMBER_ANSWERS;
}

std::int16_t WHICH_CORRECT(Console& con, LineFile& YOURQUIZ, std::int16_t NUM_CORRECT, std::int16_t LOOP) {
    con.end_line();
    if (NUM_CORRECT == 1) {
        con.write_line("You have chosen to have only one answer, but please type '1' to continue.");
    } else {
        con.write("Which of the ");
        con.write_int(NUM_CORRECT);
        con.write_line(" answers are correct?");
        if (LOOP < 5) con.write_line("(Type '1' for the first, '2' for the second...)");
    }
    con.write("> ");
    std::int16_t CORRECT_ANSWER = read_count(con);
    while (CORRECT_ANSWER > NUM_CORRECT || CORRECT_ANSWER < 1) {
        con.end_line();
        if (CORRECT_ANSWER > NUM_CORRECT) {
            con.write_line("*The number you have picked is too large!*");
            con.write("Be reasonable and pick a good number   > ");
        } else {
            invalid_or_too_small(con, CORRECT_ANSWER);
        }
        CORRECT_ANSWER = read_count(con);
    }
    YOURQUIZ.write_line(std::to_string(CORRECT_ANSWER));
    return CORRECT_ANSWER;
}

void WHICH_CORRECT_T_F(Console& con, LineFile& YOURQUIZ, std::int16_t LOOP) {
    char CORRECT_ANSWER = 0;
    con.end_line();
    do {
        con.write_line("Is the answer to this question, 'True' or 'False'?");
        if (LOOP < 5) con.write_line("('T' for TRUE and 'F' for False.)");
        con.write("> ");
        CORRECT_ANSWER = con.read_char();
    } while (!is_one_of(CORRECT_ANSWER, "tTfF"));
    const std::string_view T_F_CORRECT_ANS = (CORRECT_ANSWER == 't' || CORRECT_ANSWER == 'T') ? "1" : "2";
    YOURQUIZ.write_line(T_F_CORRECT_ANS);
}

std::int16_t CONTINUE(Console& con, std::int16_t SOM_NUMBER_1) {
    char CONTINUE_OR_NOT = 0;
    con.end_line();
    do {
        if (SOM_NUMBER_1 < 6) con.write_line("Would you like to put another question on your quiz?");
        if (SOM_NUMBER_1 < 3) con.write_line("('Y' for Yes and 'N' for No.)");
        if (SOM_NUMBER_1 >= 6) con.write_line("Another question on your quiz?");
        con.write("> ");
        CONTINUE_OR_NOT = con.read_char();
    } while (!is_one_of(CONTINUE_OR_NOT, "yYnN"));
    return (CONTINUE_OR_NOT == 'y' || CONTINUE_OR_NOT == 'Y') ? 0 : 1;
}

void write_questions(Console& con, RunState& st, LineFile& YOURQUIZ) {
    st.TIMES_LOOPED = 0;
    st.ANO_LOOP_M = 0;
    st.ANO_LOOP_T = 0;
    st.GO_ON = 0;
    do {
        st.CHOSEN_KIND_OF_QUIZ = KIND_OF_QUIZ(con, YOURQUIZ, st.TIMES_LOOPED);
        const char kind = st.CHOSEN_KIND_OF_QUIZ;

        st.KIND_WORD = "question";
        WRITE_QUIZ_LOOP_QUES(con, YOURQUIZ, st.TIMES_LOOPED, st.KIND_WORD);

        if (kind == 't' || kind == 'T') {
            st.NUMBER_OF_ANSWERS = 2;
        } else if (kind == 'f' || kind == 'F') {
            st.NUMBER_OF_ANSWERS = 1;
        } else {
            st.NUMBER_OF_ANSWERS = ANS_NUMBER(con);
        }
        YOURQUIZ.write_line(std::to_string(st.NUMBER_OF_ANSWERS));

        st.KIND_WORD = "answer";
        st.TIME_LOOPED = 0;
        if (kind == 'm' || kind == 'M') {
            // X is left at the last answer's number, as every loop over X does.
            for (st.X = 1;; ++st.X) {
                WRITE_QUIZ_LOOP_QUES(con, YOURQUIZ, st.TIME_LOOPED, st.KIND_WORD);
                count_up(st.TIME_LOOPED);
                if (st.X >= st.NUMBER_OF_ANSWERS) break;
            }
            count_up(st.TIMES_LOOPED);
            count_up(st.ANO_LOOP_M);
            WHICH_CORRECT(con, YOURQUIZ, st.NUMBER_OF_ANSWERS, st.ANO_LOOP_M);
        } else if (kind == 't' || kind == 'T') {
            YOURQUIZ.write_line("True");
            YOURQUIZ.write_line("False");
            count_up(st.TIMES_LOOPED);
            count_up(st.TIME_LOOPED);
            count_up(st.ANO_LOOP_T);
            WHICH_CORRECT_T_F(con, YOURQUIZ, st.ANO_LOOP_T);
        } else {
            con.write("Please enter the correct answer > ");
            st.FILLINBLANK = trim_blanks(con.read_line());
            YOURQUIZ.write_line(st.FILLINBLANK);
            YOURQUIZ.write_line("1");
            count_up(st.TIMES_LOOPED);
            count_up(st.TIME_LOOPED);
        }

        st.GO_ON = CONTINUE(con, st.TIMES_LOOPED);
    } while (st.GO_ON == 0);

    YOURQUIZ.write_text("P");
    YOURQUIZ.close();
    con.clear_screen();
    st.REDUMBDANZ = st.REPORT_ON;
}

}  // namespace tavolin
