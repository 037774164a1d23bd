#include "shell/main_loop.hpp"

namespace tavolin {

int run_program(Console& con, RunState&) {
    con.clear_screen();
    return 0;
}

}  // namespace tavolin
