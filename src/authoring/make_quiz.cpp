#include "authoring/make_quiz.hpp"

#include "authoring/file_naming.hpp"
#include "authoring/question_dialogue.hpp"

namespace tavolin {

void make_quiz(Console& con, RunState& st) {
    std::optional<LineFile> YOURQUIZ = choose_new_quiz_file(con, st);
    if (!YOURQUIZ) return;  // backed out with Quit: QUIT_PROCESS is 5
    write_questions(con, st, *YOURQUIZ);
}

}  // namespace tavolin
