// The tavolin program: the command line answered, or the run on the terminal
// and the one place where every way of ending it is turned into an exit
// status. The console is always destroyed (which gives the terminal back)
// before anything is written to standard error, so that a message never lands
// in raw mode or in a colour.
#include <cstdio>
#include <exception>
#include <optional>
#include <string>

#include "shell/arguments.hpp"
#include "ground/console/system_console.hpp"
#include "ground/base/errors.hpp"
#include "shell/main_loop.hpp"
#include "ground/run/run_state.hpp"

namespace {

// Writes a message on a line of its own to standard error.
void report(const std::string& message) {
    const std::string line = "tavolin: " + message + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv) {
    if (const auto answered = tavolin::answer_arguments(argc, argv)) return *answered;
    int status = 1;
    std::optional<std::string> message;
    try {
        const auto console = tavolin::make_system_console();
        tavolin::SystemConsole& con = *console;
        try {
            tavolin::RunState st;
            status = tavolin::run_program(con, st);
        } catch (const tavolin::EndOfInput&) {
            // The keyboard has gone: what is on the screen stays, the shell's
            // prompt comes on a row of its own.
            con.finish_line();
            status = tavolin::kExitEndOfInput;
        } catch (const tavolin::EndRequested&) {
            // A hang-up or SIGTERM, noted by the console: the report was
            // finished on the way here; the process ends by it below.
            con.finish_line();
        } catch (const tavolin::FatalIoError& e) {
            con.finish_line();
            message = "input/output error: " + e.path() + ": " + e.reason();
            status = tavolin::kExitIoError;
        } catch (const tavolin::ForcedClose&) {
            con.finish_line();
            status = tavolin::kExitForcedClose;
        } catch (const std::exception& e) {
            con.finish_line();
            message = e.what();
            status = 1;
        }
    } catch (const std::exception& e) {
        // The console itself could not be made (or given back).
        message = e.what();
        status = 1;
    }
    // A request to end that came during the run, however the run then ended,
    // decides how the process ends; a terminal that hung up takes no message.
    const auto request = tavolin::noted_end_request();
    if (message && !(request && request->terminal_gone)) report(*message);
    if (request) tavolin::end_as_requested(*request);
    return status;
}
