#include "authoring/make_quiz.hpp"

namespace tavolin {

void make_quiz(Console& con, RunState& st) {
    con.end_line();
    con.write_line("Making a quiz is not available yet.");
    st.QUIT_PROCESS = 5;
}

}  // namespace tavolin
