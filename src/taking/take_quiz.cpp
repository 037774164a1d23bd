#include "taking/take_quiz.hpp"

namespace tavolin {

void take_quiz(Console& con, RunState& st) {
    con.end_line();
    con.write_line("Taking a quiz is not available yet.");
    st.QUIT_PROCESS = 5;
}

}  // namespace tavolin
