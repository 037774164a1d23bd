// The tavolin program: the command line answered, or the run on the terminal
// and the one place where every way of ending it is turned into an exit
// status. The console is always destroyed (which gives the terminal back)
// before anything is written to standard error, so that a message never lands
// in raw mode or in a colour.
#include <exception>
#include <string>

#include "shell/arguments.hpp"
#include "ground/cli/command_line.hpp"
#include "ground/console/system_console.hpp"
#include "ground/base/errors.hpp"
#include "shell/main_loop.hpp"
#include "ground/run/run_state.hpp"

int main(int argc, char** argv) {
    if (const auto answered = tavolin::answer_arguments(argc, argv)) return *answered;
    int status = 1;
    tavolin::command::Output out(tavolin::Stream::kOutput);  // nothing goes here: the console wrote it all
    tavolin::command::Output err(tavolin::Stream::kError);
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
            // A hang-up, SIGTERM or Ctrl-C, noted by the console: the report
            // was finished on the way here; the process ends by it below.
            con.finish_line();
        } catch (const tavolin::FatalIoError& e) {
            con.finish_line();
            err.line("tavolin: input/output error: " + e.path() + ": " + e.reason());
            status = tavolin::kExitIoError;
        } catch (const tavolin::ForcedClose&) {
            con.finish_line();
            status = tavolin::kExitForcedClose;
        } catch (const std::exception& e) {
            con.finish_line();
            err.line(std::string("tavolin: ") + e.what());
            status = 1;
        }
    } catch (const std::exception& e) {
        // The console itself could not be made (or given back).
        err.line(std::string("tavolin: ") + e.what());
        status = 1;
    }
    // Standard output that could not be written (to a pipe or a file: the
    // console tells a terminal that has gone from a fault) ends the run as an
    // input/output error does.
    if (const int error = tavolin::noted_write_error(); error != 0) {
        status = tavolin::kExitIoError;
        if (!tavolin::command::reader_gone(error)) err.line("tavolin: write error: " + tavolin::error_text(error));
    }
    // A request to end that came during the run, however the run then ended,
    // decides how the process ends; a terminal that hung up takes no message.
    const auto request = tavolin::noted_end_request();
    if (request && request->terminal_gone) tavolin::end_as_requested(*request);
    status = tavolin::command::finish("tavolin", out, err, status, tavolin::kExitIoError);
    if (request) tavolin::end_as_requested(*request);
    return status;
}
