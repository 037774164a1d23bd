#include "authoring/file_naming.hpp"

#include <cerrno>
#include <limits>

#include "resultlog/encodeon.hpp"
#include "ground/base/errors.hpp"
#include "ground/platform/files.hpp"

namespace tavolin {

namespace {

// A system error number as the 16-bit outcome code, never 0.
std::int16_t outcome_code(int error) {
    if (error <= 0 || error > std::numeric_limits<std::int16_t>::max()) return EIO;
    return static_cast<std::int16_t>(error);
}

bool has_nul(const std::string& name) { return name.find('\0') != std::string::npos; }

// Quit counts only when typed exactly so: no other letter case, no blanks.
bool is_quit(const std::string& name) { return name == "Quit" || name == "quit"; }

void count_quit(RunState& st) {
    st.QUIT_PROCESS = 5;
    if (st.QUIT_KNOWN < std::numeric_limits<std::int16_t>::max()) ++st.QUIT_KNOWN;
}

// The overwrite question, asked until its answer begins with y, Y, n or N;
// true on a yes.
bool overwrite_agreed(Console& con, RunState& st) {
    do {
        con.write("Are you sure you want to overwrite? Yes or No  > ");
        st.CHOSEN_KIND_OF_QUIZ = con.read_char();
    } while (std::string_view("yYnN").find(st.CHOSEN_KIND_OF_QUIZ) == std::string_view::npos);
    return st.CHOSEN_KIND_OF_QUIZ == 'y' || st.CHOSEN_KIND_OF_QUIZ == 'Y';
}

}  // namespace

std::string NAME_OF_FILE(Console& con, std::int16_t MESSAGE_OPT) {
    con.end_line();
    con.write("What would you like to name your file? ");
    if (MESSAGE_OPT < 2) con.write_line("(Type Quit to exit this choice.)");
    con.write("> ");
    std::string FILE_NAME = con.read_line();
    return FILE_NAME;
}

std::int16_t quiz_file_exists(const std::string& name) {
    if (has_nul(name)) return EINVAL;
    const int error = existing_file_check(name);
    return error == 0 ? 0 : outcome_code(error);
}

std::optional<LineFile> create_quiz_file(const std::string& name, std::int16_t& error) {
    if (has_nul(name)) {
        error = EINVAL;
        return std::nullopt;
    }
    int code = 0;
    auto file = LineFile::create(name, &code);
    error = file ? 0 : outcome_code(code);
    return file;
}

std::optional<LineFile> choose_new_quiz_file(Console& con, RunState& st) {
    std::optional<LineFile> YOURQUIZ;
    st.NONDOUBLE = 0;
    st.LEGIT_NAME = 0;

    st.NAMED_FILE = NAME_OF_FILE(con, st.QUIT_KNOWN);
    // Once round for every name typed; a no to emptying the default file
    // brings a new name.
    for (;;) {
        if (is_quit(st.NAMED_FILE)) count_quit(st);
        if (st.QUIT_PROCESS != 5) {
            st.CHECK_VAL = quiz_file_exists(st.NAMED_FILE);
            st.SKIP_CHECK = 0;
        }

        // The named file exists: overwrite it only on a yes, else ask for
        // another name, which may exist as well.
        bool overwrite_created = false;
        while (st.CHECK_VAL == 0 && st.QUIT_PROCESS != 5) {
            con.write_line("The file name that you specified already exists.");
            if (overwrite_agreed(con, st)) {
                std::int16_t error = 0;
                YOURQUIZ = create_quiz_file(st.NAMED_FILE, error);
                overwrite_created = YOURQUIZ.has_value();
                st.CHECK_VAL = -1;
                st.SKIP_CHECK = 1;
            } else {
                st.NAMED_FILE = NAME_OF_FILE(con, st.QUIT_KNOWN);
                if (is_quit(st.NAMED_FILE)) {
                    count_quit(st);
                } else {
                    st.CHECK_VAL = quiz_file_exists(st.NAMED_FILE);
                }
            }
        }

        if (st.SKIP_CHECK == 1 && st.CHECK_VAL == -1 && overwrite_created && st.QUIT_PROCESS != 5) {
            st.CHECK_VAL = 0;
            st.LEGIT_NAME = 1;
        }

        // A name that did not exist, or a second try after a failed overwrite.
        if (st.LEGIT_NAME == 0 && st.QUIT_PROCESS != 5) {
            YOURQUIZ = create_quiz_file(st.NAMED_FILE, st.CHECK_VAL);
        }

        if (st.CHECK_VAL == 0 || st.QUIT_PROCESS == 5) break;

        con.write_line("It was determined that the file name that you entered was not useable.");
        con.write_line("The file, 'tavtest1.tav' will be used instead.");
        // A default file that is already there is somebody's quiz: it is
        // emptied only on a yes (unless that yes was just given for it).
        const bool just_agreed = st.SKIP_CHECK == 1 && st.NAMED_FILE == kDefaultQuizName;
        if (!just_agreed && quiz_file_exists(std::string(kDefaultQuizName)) == 0) {
            con.write_line("The file, 'tavtest1.tav' already exists.");
            if (!overwrite_agreed(con, st)) {
                st.NAMED_FILE = NAME_OF_FILE(con, st.QUIT_KNOWN);
                continue;
            }
        }
        // The one creation whose failure ends the run.
        std::int16_t error = 0;
        YOURQUIZ = create_quiz_file(std::string(kDefaultQuizName), error);
        if (!YOURQUIZ) throw FatalIoError(std::string(kDefaultQuizName), error_text(error));
        st.LOOP_ENCODER = kEventMade;
        ENCODEON(con, st.platform, kDefaultQuizName, st.LOOP_ENCODER, 0, 0.0);
        st.NONDOUBLE = 1;
        break;
    }

    if (st.QUIT_PROCESS == 5) return std::nullopt;

    if (st.NONDOUBLE == 0) {
        st.LOOP_ENCODER = kEventMade;
        ENCODEON(con, st.platform, st.NAMED_FILE, st.LOOP_ENCODER, 0, 0.0);
    }
    return YOURQUIZ;
}

}  // namespace tavolin
