#include "taking/take_quiz.hpp"

#include "taking/order.hpp"
#include "taking/selection.hpp"

namespace tavolin {

void take_quiz(Console& con, RunState& st) {
    std::optional<QuizFile> YOURQUIZ = choose_quiz_file(con, st);
    if (st.QUIT_PROCESS == 5) return;
    if (!load_quiz(con, st, YOURQUIZ)) return;
    question_loop(con, st);
}

}  // namespace tavolin
