#include "taking/checking.hpp"

#include "ground/base/blanks.hpp"
#include "ground/base/text_width.hpp"

namespace tavolin {

namespace {

// Half-second steps with the cursor hidden; the screen is cleared after the
// last one, then the cursor comes back.
void feedback_pause(Console& con, RunState& st, int steps) {
    for (st.I = steps; st.I >= 1; --st.I) {
        con.hide_cursor();
        con.pause_ms(500);
        if (st.I == 1) con.clear_screen();
    }
    con.show_cursor();
}

}  // namespace

void compare_fill_in(RunState& st) {
    st.CORRECT_CHOICE = 1;
    st.FILLINBLANK2 = trim_blanks(st.FILLINBLANK2);
    st.USER_CHOICE = st.FILLINBLANK1 == st.FILLINBLANK2 ? 1 : 2;
}

void judge_answer(Console& con, RunState& st, QuestionKind kind) {
    if (kind == QuestionKind::kFillIn) compare_fill_in(st);
    if (st.USER_CHOICE == st.CORRECT_CHOICE) {
        con.write("Your answer is  ");
        con.set_colour(colour::kLightBlue);
        con.write_line("*correct*");
        con.set_colour(colour::kWhite);
        con.end_line();
        con.end_line();
        st.VALUE_1 += 1;
        st.TIMES_LOOP += 1;
        feedback_pause(con, st, 3);
        return;
    }
    con.write("Your answer is ");
    con.set_colour(colour::kYellow);
    con.write_line("*incorrect!*");
    con.set_colour(colour::kWhite);
    if (kind == QuestionKind::kFillIn) {
        con.write("The correct answer was ");
        con.write(screen_form(st.FILLINBLANK1));
        con.write_line(".");
    } else {
        con.write("The correct answer was number ");
        con.write_int(st.CORRECT_CHOICE);
        con.write_line(".");
    }
    con.end_line();
    con.end_line();
    st.TIMES_LOOP += 1;
    feedback_pause(con, st, 14);
}

}  // namespace tavolin
