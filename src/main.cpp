#include "shell/main_loop.hpp"
#include "shell/scripted_console.hpp"

int main() {
    tavolin::ScriptedConsole con;
    tavolin::RunState st;
    return tavolin::run_program(con, st);
}
