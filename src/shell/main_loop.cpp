#include "shell/main_loop.hpp"

#include <cstdint>
#include <optional>

#include "authoring/make_quiz.hpp"
#include "grading/grades.hpp"
#include "report/report.hpp"
#include "resultlog/encodeon.hpp"
#include "shell/chatter.hpp"
#include "ground/base/errors.hpp"
#include "shell/menu.hpp"
#include "taking/take_quiz.hpp"

namespace tavolin {

namespace {

inline constexpr int kScreenColumns = 80;

bool is_chatter(std::int16_t code) { return code >= menu_code::kGreeting && code <= menu_code::kHelp; }

// After every menu question: "menu" redraws and asks again, the report choice
// switches report mode on and becomes a plain quiz, and quit becomes 3.
void normalise_choice(Console& con, RunState& st) {
    while (st.MENUD_CHOICE == menu_code::kMenu) {
        st.QUIT_PROCESS = 0;
        st.MENUD_CHOICE = CALLD_MENU(con, st.REDUMBDANZ, 0);
    }
    if (st.MENUD_CHOICE == menu_code::kReport) {
        REPORT_INSTRUCTIONS(con, 3);
        st.REPORT_ON = 1;
        st.MENUD_CHOICE = menu_code::kTake;
    }
    if (st.MENUD_CHOICE == menu_code::kQuit) st.MENUD_CHOICE = 3;
}

void hide_and_pause(Console& con) {
    con.hide_cursor();
    con.pause_ms(500);
}

// The grade of a quiz just taken: log, report, letter, result line, comment,
// and a wait for any key.
void after_quiz(Console& con, RunState& st) {
    st.GRADE_AVERAGED = GRADE_AVERAGE(st.TIMES_LOOP, st.VALUE_1) * 100;
    if (st.MASTER_LOOP < INT16_MAX) ++st.MASTER_LOOP;
    st.LOOP_ENCODER = kEventGraded;
    ENCODEON(con, st.platform, st.N_O_F, st.LOOP_ENCODER, st.TIMES_LOOP, st.GRADE_AVERAGED);
    if (st.REPORT_ON == 1) {
        ++st.REPORT_LOOP;
        if (st.REPORT_LOOP == 1) {
            st.REPORT = LineFile::create_or_fail(kReportFileName);
            REPORT_TITLE_BAR(*st.REPORT);
        }
        REPORT_WRITE(*st.REPORT, st.N_O_F, st.REPORT_LOOP, st.GRADE_AVERAGED, st.VALUE_1, st.TIMES_LOOP);
        st.REPORT_AVE += st.GRADE_AVERAGED;
    }
    st.LETTER_GRADED = ASSIGN_GRADE(st.GRADE_AVERAGED);
    st.MASTER_GRADE += st.GRADE_AVERAGED;
    DISPLAY_RESULTS(con, st.LETTER_GRADED, st.GRADE_AVERAGED);
    GRADE_COMMENTS(con, st.GRADE_AVERAGED);
    con.hide_cursor();
    con.write("Press the ");
    con.set_colour(colour::kLightRed);
    con.write("delete key");
    con.set_colour(colour::kWhite);
    con.write_line(" to continue");
    st.QUIT_PROCESS = 0;
    con.wait_key();
    con.clear_screen();
    st.REDUMBDANZ = st.REPORT_ON;
}

// The report's closing lines (the average where there is one, the thanks),
// once, when a result was reported in this run.
void finish_report(RunState& st) {
    if (st.REPORT_ON == 1 && st.REPORT_LOOP > 0 && st.REPORT) {
        st.REPORT_AVE = st.REPORT_AVE / st.REPORT_LOOP;
        REPORT_F_WRITE(*st.REPORT, st.REPORT_LOOP, st.REPORT_AVE);
        st.REPORT->close();
        st.REPORT.reset();
    }
}

// The run's summary, the report's closing lines, the thanks and the countdown.
void closing(Console& con, RunState& st) {
    con.clear_screen();
    if (st.MASTER_LOOP > 0) {
        st.GRADE_AVERAGED = GRADE_AVERAGE(st.MASTER_LOOP, st.MASTER_GRADE);
        finish_report(st);
        con.write(st.MASTER_LOOP == 1 ? "Your grade on the quiz that you took was "
                                      : "Your average grade on all of these quizzes was ");
        con.write_fixed2(st.GRADE_AVERAGED, 2);
        con.write_line("%.");
        st.LETTER_GRADED = ASSIGN_GRADE(st.GRADE_AVERAGED);
        GRADE_COMMENTS(con, st.GRADE_AVERAGED);
        con.write(st.LETTER_GRADED == 'A' ? "Your grade was an " : "Your grade was a ");
        con.write(std::string_view(&st.LETTER_GRADED, 1));
        con.write_line(".");
        con.write_line("Thank you for using Tavolin.");
        for (st.I = 14; st.I >= 1; --st.I) {
            hide_and_pause(con);
            if (st.I == 14) con.write("Seven seconds until program closes..");
            if (st.I >= 2 && st.I <= 12) con.write(".");
            if (st.I == 2) con.write("program closing.");
        }
    } else {
        for (st.I = 3; st.I >= 1; --st.I) {
            hide_and_pause(con);
            if (st.I == 3) con.write_line("Thank you for using Tavolin.");
        }
    }
    con.end_line();
}

// Every frame is 79 columns and a line end, so a narrower window breaks them
// all. Said once at the start, before the title screen, in lines short enough
// for the narrow window itself (40 columns); the key that goes on is dropped,
// not kept for the menu's answer.
void warn_if_narrow(Console& con) {
    const std::optional<int> columns = con.width();
    if (!columns || *columns >= kScreenColumns) return;
    con.write_line("Widen this window to 80 columns");
    con.write("(it has ");
    con.write_int(*columns);
    con.write_line("), then press a key.");
    con.wait_key_dropped();
    con.clear_screen();
}

// The title screen, the menu loop and the closing sequence.
int run_menu(Console& con, RunState& st) {
    con.set_colour(colour::kWhite);
    con.clear_screen();
    warn_if_narrow(con);
    st.MENUD_CHOICE = MENU_CHOICE(con);
    st.QUIT_PROCESS = 5;
    st.MENUD_CHOICE = CALLD_MENU(con, st.REDUMBDANZ, st.QUIT_PROCESS);
    st.QUIT_PROCESS = 0;
    normalise_choice(con, st);

    while (st.MENUD_CHOICE == menu_code::kMake || st.MENUD_CHOICE == menu_code::kTake ||
           is_chatter(st.MENUD_CHOICE)) {
        if (is_chatter(st.MENUD_CHOICE)) {
            st.QUIT_PROCESS = 5;
            chatter_reply(con, st, st.MENUD_CHOICE);
        }
        if (st.MENUD_CHOICE == menu_code::kMake && st.QUIT_PROCESS != 5) make_quiz(con, st);
        if (st.MENUD_CHOICE == menu_code::kTake && st.QUIT_PROCESS != 5) {
            take_quiz(con, st);
            if (st.QUIT_PROCESS != 5 && st.TIMES_LOOP > 0) after_quiz(con, st);
        }
        if (is_chatter(st.MENUD_CHOICE)) st.QUIT_PROCESS = 5;
        st.MENUD_CHOICE = CALLD_MENU(con, st.REDUMBDANZ, st.QUIT_PROCESS);
        normalise_choice(con, st);
        st.QUIT_PROCESS = 0;
        st.INVALID_TYPE = 0;
    }
    closing(con, st);
    return kExitQuit;
}

}  // namespace

int run_program(Console& con, RunState& st) {
    try {
        return run_menu(con, st);
    } catch (const EndOfInput&) {
        // The input is gone, but the run's results are not: the report gets
        // the closing lines it would have had at a quit.
        finish_report(st);
        throw;
    } catch (const EndRequested&) {
        // So too when the run is told to end (a hang-up, SIGTERM, Ctrl-C).
        finish_report(st);
        throw;
    }
}

}  // namespace tavolin
