#include "taking/order.hpp"

#include "authoring/quiz_walker.hpp"
#include "taking/checking.hpp"
#include "taking/presentation.hpp"
#include "taking/selection.hpp"

namespace tavolin {

void draw_question(RunState& st) {
    st.ZRAND = draw_from_one(*st.platform.random, st.TEMP);
    st.LOOP4RAN += 1;
    const auto slot = static_cast<std::size_t>(st.ZRAND);
    const auto last = static_cast<std::size_t>(st.TEMP);
    st.YRAND = st.NAME[slot];
    st.NAME[slot] = st.NAME[last];
    st.NAME[last] = 0;
}

bool give_question(Console& con, RunState& st) {
    std::optional<QuizFile> YOURQUIZ = QuizFile::open(st.N_O_F);
    if (!YOURQUIZ) {
        write_quiz_cut_short(con, st, "The quiz file can no longer be opened!");
        return false;
    }
    draw_question(st);
    const bool found = read_down_to(*YOURQUIZ, st.YRAND, st.STRING1);
    st.XT = static_cast<std::int32_t>(YOURQUIZ->lines_done());
    st.STRING1 = lower_ascii(st.STRING1);
    QuestionRecord record;
    if (found) {
        const QuestionKind kind = kind_of(st.STRING1);
        if (kind == QuestionKind::kNone) force_close(con);
        if (read_record(*YOURQUIZ, kind, record)) {
            write_heading(con, st, kind);
            st.TEMP -= 1;
            present_question(con, st, kind, record);
            judge_answer(con, st, kind);
            return true;
        }
    }
    write_quiz_cut_short(con, st, "The quiz file has changed and is no longer properly formatted!");
    return false;
}

void question_loop(Console& con, RunState& st) {
    while (st.GO_ON != -1 && st.QUIT_PROCESS != 5 && st.TEMP > 0) {
        if (!give_question(con, st)) {
            st.GO_ON = -1;
            if (st.TIMES_LOOP == 0) st.QUIT_PROCESS = 5;
            break;
        }
        if (st.TEMP == 0) st.GO_ON = -1;
    }
}

}  // namespace tavolin
