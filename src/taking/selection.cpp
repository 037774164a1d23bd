#include "taking/selection.hpp"

#include <limits>

#include "resultlog/encodeon.hpp"

namespace tavolin {

namespace {

bool is_quit(const std::string& typed) { return typed == "Quit" || typed == "quit"; }

void count_quit(RunState& st) {
    st.QUIT_PROCESS = 5;
    if (st.QUIT_KNOWN_2 < std::numeric_limits<std::int16_t>::max()) st.QUIT_KNOWN_2 += 1;
}

}  // namespace

void write_not_formatted(Console& con, bool utf16) {
    con.write_line("This file is not properly formatted.");
    con.write_line(utf16 ? "This file is saved as UTF-16; save it as UTF-8 to use it."
                         : "File name may have been improperly entered.");
}

bool count_questions(QuizFile& YOURQUIZ, RunState& st) {
    QuizCount count;
    const bool sound = count_pass(YOURQUIZ, count);
    st.NAME = count.starts;
    st.LOOP1RAN = count.questions;
    st.TEMP = count.questions;
    st.LOOP3RAN = count.questions;
    st.LOOP4RAN = 0;
    st.EXITMASSCODE = count.too_many ? 1 : 0;
    st.CUTSHORTCODE = count.cut_short ? 1 : 0;
    if (count.last_span) st.X = *count.last_span;
    return sound;
}

void WHAT_FILE(Console& con, std::int16_t COUNT_LOOP) {
    con.end_line();
    if (COUNT_LOOP < 2) {
        con.write_line("What quiz file would you like to use? (Type Quit to exit this option.)");
        con.write_line("(Make sure to use the same capitalization as the actual file.)");
    } else {
        con.write_line("Which quiz file would you like to use?");
        con.write_line("(Use the same capitalization as the actual file.)");
    }
    con.write("> ");
}

std::optional<QuizFile> choose_quiz_file(Console& con, RunState& st) {
    st.QUIT_PROCESS = 0;
    WHAT_FILE(con, st.QUIT_KNOWN_2);
    st.N_O_F = con.read_line();
    if (is_quit(st.N_O_F)) {
        count_quit(st);
        if (st.REPORT_LOOP == 0) st.REPORT_ON = 0;
        return std::nullopt;
    }
    std::optional<QuizFile> YOURQUIZ = QuizFile::open(st.N_O_F);
    while (!YOURQUIZ) {
        con.write_line("That file does not exist!");
        con.write("Try again!     > ");
        st.N_O_F = con.read_line();
        if (is_quit(st.N_O_F)) {
            count_quit(st);
            break;
        }
        YOURQUIZ = QuizFile::open(st.N_O_F);
    }
    st.LOOP_ENCODER = kEventOpened;
    ENCODEON(con, st.platform, st.N_O_F, st.LOOP_ENCODER, 0, 0.0);
    if (st.QUIT_PROCESS == 5) return std::nullopt;
    return YOURQUIZ;
}

void write_quiz_cut_short(Console& con, const RunState& st, std::string_view reason) {
    con.write_line(reason);
    con.write_line("The quiz ends here.");
    if (st.TIMES_LOOP > 0) con.write_line("The questions already answered count as the quiz.");
}

bool load_quiz(Console& con, RunState& st, std::optional<QuizFile>& YOURQUIZ) {
    con.clear_screen();
    st.TIMES_LOOP = 0;
    st.VALUE_1 = 0.0;
    bool utf16 = false;
    st.GO_ON = READ_KINDS(YOURQUIZ, &utf16);
    if (st.GO_ON == kKindNotQuiz) {
        write_not_formatted(con, utf16);
        st.GO_ON = -1;
        st.INVALID_TYPE = 1;
        st.QUIT_PROCESS = 5;
        return false;
    }
    YOURQUIZ.reset();
    if (st.GO_ON == kKindEndMarker) return false;  // a quiz without questions

    YOURQUIZ = QuizFile::open(st.N_O_F);
    if (!YOURQUIZ) {
        write_quiz_cut_short(con, st, "The quiz file can no longer be opened!");
        st.GO_ON = -1;
        st.QUIT_PROCESS = 5;
        return false;
    }
    st.platform.random->seed(st.platform.tick_ms());
    const bool sound = count_questions(*YOURQUIZ, st);
    YOURQUIZ.reset();
    if (!sound) {
        write_not_formatted(con);
        st.GO_ON = -1;
        st.INVALID_TYPE = 1;
        st.QUIT_PROCESS = 5;
        return false;
    }
    if (st.EXITMASSCODE == 1) {
        con.write_line("Warning! File too large!");
        con.write("Only the first ");
        con.write_int(MASS);
        con.write_line(" questions will be given.");
    }
    if (st.CUTSHORTCODE == 1 && st.TEMP > 0) {
        con.write_line("Warning! The last question of this file was cut off and will be left out.");
    }
    if (st.TEMP == 0) st.GO_ON = -1;
    return st.TEMP > 0;
}

}  // namespace tavolin
