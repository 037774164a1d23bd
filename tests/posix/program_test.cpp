// The real program on a pseudo-terminal, typed at as a user would: editing at
// the menu, typeahead through a pause and the key wait's pending key, Ctrl-C
// and Ctrl-D giving the terminal back, keys typed during the closing countdown
// dropped, a question of no known kind, a file an ordinary user cannot read,
// the files that cannot be written, a log shared with another run; and where
// only a real terminal shows it: stopped with Ctrl-Z and brought back with fg
// (at a prompt with text typed, and at the key wait), Ctrl-D at the key wait,
// Ctrl-C, a hang-up or SIGTERM after a reported quiz, and the command-line
// arguments. (A hang-up with an answer half typed is the terminal console's
// own test.)
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "resultlog/encodeon.hpp"
#include "resultlog/log_scheme.hpp"
#include "support/expected.hpp"
#include "support/pty_harness.hpp"
#include "support/temp_dir.hpp"

namespace tavolin {
namespace {

using test::Pty;
using namespace std::chrono_literals;

constexpr std::string_view kMenu = "Numbers 1-4   > ";
constexpr std::string_view kReset = "\x1b[0m\x1b[?25h";
constexpr std::string_view kShellPrompt = "tav> ";
constexpr std::string_view kQuiz = "t\r\nCows moo.\r\n2\r\nTrue\r\nFalse\r\n1\r\nP";

class Program : public ::testing::Test {
protected:
    pid_t start(Pty::Options options = {}) {
        options.cwd = dir.path();
        return pid = pty->start_program(options);
    }
    void expect(std::string_view text) {
        ASSERT_TRUE(pty->wait_for(text)) << "waiting for: " << text << "\noutput:\n" << pty->output();
    }
    int exit_code() { return test::exit_code(*pty, pid); }
    // Ctrl-D at the menu's prompt: the end of the input, status 2.
    void end_input_at_the_menu() {
        expect(kMenu);
        pty->send("\x04");
        EXPECT_EQ(exit_code(), 2);
    }
    void expect_given_back() {
        test::expect_same_settings(pty->before(), pty->now());
        EXPECT_NE(pty->output().rfind(kReset), std::string::npos);
    }

    test::TempDir dir;
    std::unique_ptr<Pty> pty = std::make_unique<Pty>();
    pid_t pid = -1;
};

TEST_F(Program, EditingAtTheMenuAndTheEndOfInput) {
    start();
    pty->send("hx\x7fi\r");  // typed ahead of the title screen, edited
    expect("Hi!");
    expect(kMenu);
    pty->send("abc\x1b");
    expect("abc\x1b[17G\x1b[K");  // the lone Escape wiped "abc"
    pty->send("cow\r");
    expect("Yes?");
    expect(kMenu);
    pty->send("\x1b[Am\x1b[3~oo\r");
    expect("Moo?");
    end_input_at_the_menu();
    expect_given_back();
    EXPECT_TRUE(pty->output().ends_with(std::string(kMenu) + "\r\n" + std::string(kReset)));  // the shell's own row
    const std::string after = pty->output().substr(pty->output().find(kMenu));
    EXPECT_EQ(after.find('^'), std::string::npos) << "the terminal echoed by itself";
}

TEST_F(Program, TypeaheadThroughAPauseEndsTheKeyWaitAndStartsTheNextAnswer) {
    dir.write("q.tav", kQuiz);
    start();
    pty->send("2\rq.tav\r1\r");
    expect("*correct*");
    pty->send("2");  // during the pause after the answer
    expect("delete key");
    expect("Numbers 1-4   > 2");
    pty->send("\r");
    expect("What quiz file would you like to use?");
    pty->send("\x03");
    EXPECT_EQ(WTERMSIG(*test::wait_child(*pty, pid)), SIGINT);
    expect_given_back();
}

// Keys typed during the closing countdown, after the program has finished
// with the keyboard, are dropped as the terminal is given back, so that the
// shell does not run them.
TEST_F(Program, KeysTypedDuringTheClosingCountdownAreDropped) {
    start();
    expect(kMenu);
    pty->send("quit\r");
    expect("Thank you for using Tavolin.");  // a second of pauses still to come
    pty->send("report.txt\r");
    EXPECT_EQ(exit_code(), 0);
    expect_given_back();
    int unread = -1;
    EXPECT_EQ(::ioctl(pty->slave(), FIONREAD, &unread), 0);
    EXPECT_EQ(unread, 0);
}

// A question of no known kind (its first line passes the first-line check)
// ends the run after its message with status 3.
TEST_F(Program, AQuestionOfNoKnownKindEndsTheRunWithStatusThree) {
    dir.write("q.tav", "True\r\nCows moo.\r\n2\r\nTrue\r\nFalse\r\n1\r\nP");
    start();
    pty->send("2\rq.tav\r");
    expect("Program has violated continue prerogative and must close!\r\n");
    EXPECT_EQ(exit_code(), 3);
    expect_given_back();
}

// As an ordinary user (root may read anything): a file that exists but
// cannot be read is asked about before it would be emptied, cannot be taken
// as a quiz, and is left whole; a results log that can be read but not
// written is told of and left whole.
TEST_F(Program, AnUnreadableFileIsAskedAboutAndCannotBeTaken) {
    dir.write("secret.tav", "keep");
    dir.write(kLogFileName, "");
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    std::filesystem::permissions(dir.file("secret.tav"), std::filesystem::perms::owner_write);
    std::filesystem::permissions(dir.file(kLogFileName), std::filesystem::perms::owner_read | std::filesystem::perms::others_read);
    Pty::Options options;
    options.as_nobody = true;
    start(options);
    pty->send("1\rsecret.tav\rn\rQuit\r2\rsecret.tav\rQuit\r");  // the last Quit: an event, a quiz file opened
    expect("> secret.tav\r\nThe file name that you specified already exists.\r\n");
    expect("> secret.tav\r\nThat file does not exist!\r\n");
    expect("> Quit\r\nThe results log could not be opened for adding; this event was not logged.\r\n");
    end_input_at_the_menu();
    EXPECT_EQ(dir.read("secret.tav"), "keep");
    EXPECT_EQ(dir.read(kLogFileName), "");
}

// ---- files that cannot be written ----

// A file that cannot take a line ends the run with an input/output error,
// told after the terminal is given back: a quiz file on a full device or at
// the file-size limit (SIGXFSZ left at its default, which would kill the
// program with the terminal still raw), and a report.txt that is a folder or
// a named pipe (opening it for writing would hold the run up for good); the
// quiz taken is left alone.
TEST_F(Program, AFileThatCannotTakeALineEndsTheRunWithAnInputOutputError) {
    dir.write("q.tav", kQuiz);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"1\r/dev/full\ry\rt\r", "/dev/full: No space left on device"},
        {"1\rnew.tav\rt\r" + std::string(240, 'q') + "\r", "new.tav: File too large"},
        {"3\rq.tav\r1\r", "report.txt: Is a directory"},
        {"3\rq.tav\r1\r", "report.txt: Not a regular file"}};
    for (std::size_t k = 0; k < cases.size(); ++k) {
        pty = std::make_unique<Pty>();
        Pty::Options options;
        if (k == 1) options.file_size_limit = 200;  // room for valgrind's own small files
        std::filesystem::remove(dir.file("report.txt"));
        const std::string report = dir.file("report.txt");
        ASSERT_EQ(k < 2 ? 0 : k == 2 ? ::mkdir(report.c_str(), 0755) : ::mkfifo(report.c_str(), 0644), 0);
        start(options);
        pty->send(cases[k].first);
        EXPECT_EQ(exit_code(), 1);
        expect_given_back();
        const std::size_t message = pty->output().find("input/output error: " + cases[k].second);
        ASSERT_NE(message, std::string::npos) << pty->output();
        EXPECT_LT(pty->output().rfind(kReset), message) << "the message comes after the terminal is given back";
    }
    EXPECT_EQ(dir.read("q.tav"), kQuiz);
}

// Held by flock on an opening of its own, as a run holds the log for an event.
int hold_log(const test::TempDir& dir) {
    const int fd = ::open(dir.file(kLogFileName).c_str(), O_RDWR | O_APPEND | O_CLOEXEC);
    return ::flock(fd, LOCK_EX) == 0 ? fd : -1;
}

TEST_F(Program, ALogThatCannotTakeALineIsLeftAsItWasAndTheRunGoesOn) {
    std::string log;
    for (int i = 0; i < 19; ++i) log += std::to_string(i * 37 - 300) + " ";
    log += "earlier.tav\r\n";
    // A new line that fails part way, one that cannot begin (the log is at
    // the limit already), and a log that another run holds for its own event
    // past the wait.
    for (const int room : {20, 0, -1}) {
        pty = std::make_unique<Pty>();
        dir.write("Encrypted_file.csf", log);
        Pty::Options options;
        if (room >= 0) options.file_size_limit = static_cast<long>(log.size()) + room;
        const int other = room < 0 ? hold_log(dir) : -1;
        start(options);
        pty->send("2\rnone\rquit\r");  // an event: a quiz file opened (the word typed)
        expect("> quit\r\n");
        end_input_at_the_menu();
        expect_given_back();
        EXPECT_EQ(dir.read("Encrypted_file.csf"), log) << room;
        EXPECT_NE(pty->output().find(room < 0 ? "The results log is in use by another run; this event was not logged."
                                              : "The results log could not be written; this event was not logged."),
                  std::string::npos);
        if (other >= 0) ::close(other);
    }
}

// Another run's event on the log, played by this test: an event that comes
// meanwhile waits for it and then makes its line from the line added
// meanwhile, so that the chain holds.
TEST_F(Program, AnEventOnTheLogWaitsForAnotherRunsEventAndFollowsItsLine) {
    dir.write(kLogFileName, "");
    const int other = hold_log(dir);
    start();
    pty->send("2\rnone\rquit\r");
    expect("> quit\r\n");
    EXPECT_FALSE(pty->wait_for(kMenu, 1s)) << "the event did not wait";
    const std::string line = logscheme::format_line(
        logscheme::next_fields(logscheme::Fields{}, {2026, 12, 8, 14, 3, 5}, kEventMade, 0, 0), "other.tav");
    ASSERT_EQ(::write(other, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    ::close(other);
    end_input_at_the_menu();
    pty = std::make_unique<Pty>();
    Pty::Options listing;
    listing.argv = {TAVOLIN_LOG_BINARY};
    start(listing);
    expect("Encrypted_file.csf: 2 events, 0 broken, 0 unreadable.");
    EXPECT_EQ(exit_code(), 0);
    EXPECT_TRUE(dir.read(kLogFileName).starts_with(line));
}

// ---- where only a real terminal shows it ----

// Stops the program at the shell's terminal and brings it back.
void stop_and_fg(Pty& sh) {
    sh.send("\x1a");
    ASSERT_TRUE(sh.wait_for("Stopped")) << sh.output();
    ASSERT_TRUE(sh.wait_for(kShellPrompt));
    sh.send("fg\r");
    ASSERT_TRUE(sh.wait_for("fg\r\n"));
}

// Stopped with Ctrl-Z and brought back with fg from a shell with job control.
TEST_F(Program, CtrlZThenFgDrawsTheRowAgainAndTheKeyWaitTakesCtrlD) {
    dir.write("q.tav", kQuiz);
    Pty& sh = *pty;
    Pty::Options shell;
    shell.argv = {"bash", "--norc", "--noprofile", "-i"};
    start(shell);
    sh.send("bind 'set enable-bracketed-paste off'; PS1='ta''v> '\r");  // the echo does not hold the prompt
    ASSERT_TRUE(sh.wait_for(kShellPrompt)) << sh.output();
    std::string command;
    for (const std::string& word : test::program_command()) command += " '" + word + "'";
    sh.send(command + "\r");
    ASSERT_TRUE(sh.wait_for(kMenu));

    // At a prompt, with text typed: the prompt and the text come back on the
    // cursor's row, and the typed text is still the answer's start.
    sh.send("helo\x7f");  // an erased character is gone from the row
    ASSERT_TRUE(sh.wait_for("\x1b[K"));
    stop_and_fg(sh);
    ASSERT_TRUE(sh.wait_for(std::string(kMenu) + "hel"));
    EXPECT_EQ(sh.output().find("\x1b[?25l", sh.output().rfind("fg\r\n")), std::string::npos);  // the cursor stays
    const auto [row, column] = test::cursor_row(sh.output());
    EXPECT_EQ(row, std::string(kMenu) + "hel");
    EXPECT_EQ(column, kMenu.size() + 3);
    sh.send("p\r");
    ASSERT_TRUE(sh.wait_for("p\r\nPlease see the readme.txt file.\r\n"));  // "help" was answered

    // At the key wait: the cursor hidden again and white; Ctrl-D ends the
    // wait, not the run, and leaves the menu's answer empty, so that the next
    // Ctrl-D ends the input: the shell sees status 2.
    sh.send("2\rq.tav\r1\r");
    ASSERT_TRUE(sh.wait_for(" to continue\r\n"));
    stop_and_fg(sh);
    ASSERT_TRUE(sh.wait_for("\x1b[97m\x1b[?25l"));
    sh.send("\x04");
    ASSERT_TRUE(sh.wait_for(kMenu));
    sh.send("x\x7f\x04");
    ASSERT_TRUE(sh.wait_for(kShellPrompt));
    sh.send("echo status $?; exit\r");
    EXPECT_TRUE(sh.wait_for("status 2\r\n")) << sh.output();
    test::wait_child(sh, pid);
}

// A hang-up of the terminal, SIGHUP sent, SIGTERM sent, Ctrl-C typed, at the
// menu after a quiz in report mode: the report gets its closing lines, the
// prompt's line is ended (after Ctrl-C the shell ends it) and the run ends by
// the signal. A kill leaves the result whole.
TEST_F(Program, CtrlCAHangUpOrSIGTERMFinishesTheReportAndEndsByTheSignal) {
    dir.write("q.tav", kQuiz);
    for (const auto& [sig, hang_up] : {std::pair{SIGHUP, true}, std::pair{SIGHUP, false}, std::pair{SIGTERM, false},
                                       std::pair{SIGINT, false}, std::pair{SIGKILL, false}}) {
        SCOPED_TRACE(hang_up ? "hang-up" : std::to_string(sig));
        pty = std::make_unique<Pty>();
        start();
        pty->send("3\rq.tav\r1\r");
        expect(" to continue\r\n");
        pty->send("\x1b[3~");
        expect("Numbers 1-3   > ");
        hang_up ? pty->hang_up() : sig == SIGINT ? pty->send("\x03") : void(::kill(pid, sig));
        const auto status = test::wait_child(*pty, pid);
        EXPECT_TRUE(status && ((WIFSIGNALED(*status) && WTERMSIG(*status) == sig) ||
                               (WIFEXITED(*status) && WEXITSTATUS(*status) == 128 + sig)));
        EXPECT_TRUE(dir.read("report.txt").ends_with(sig == SIGKILL ? "'q.tav' you missed 0\r\nout of 1, your score was 100.00%.\r\n"
                                                                    : "100.00%.\r\n \r\nThank you for using Tavolin!!\r\n"));
        EXPECT_TRUE(hang_up || sig == SIGKILL ||
                    pty->output().ends_with(std::string("Numbers 1-3   > ") + (sig == SIGINT ? "" : "\r\n") + std::string(kReset)))
            << pty->output();
    }
}

// The command-line arguments, answered on standard output (the terminal
// here) or refused on standard error (a file elsewhere), without the
// console: the terminal's settings and the folder stay as they were.
TEST_F(Program, ArgumentsAreAnsweredWithoutTouchingTheTerminalOrTheFolder) {
    const std::string usage = "\nUsage: tavolin [--help | --version]   (tavolin --help tells more)\n";
    const std::string help = test::block("arguments.txt", "--help");
    const std::vector<std::tuple<std::vector<std::string>, std::string, std::string, int>> cases = {
        {{"--help"}, help, "", 0},
        {{"-h"}, help, "", 0},
        {{"--version"}, "tavolin (Tavolin) " TAVOLIN_VERSION "\nCopyright The Tavolin developers. MIT licence.\n", "", 0},
        {{"-x"}, "", "tavolin: unknown option -x" + usage, 64},
        {{"quiz.tav"}, "", "tavolin: unexpected operand quiz.tav" + usage, 64},
        {{"--help", "-"}, "", "tavolin: unexpected operand -" + usage, 64},
    };
    test::TempDir elsewhere;
    for (const auto& [args, out, err, status] : cases) {
        SCOPED_TRACE(args.back());
        Pty::Options o;
        o.argv = {"sh", "-c", "exec \"$@\" 2>\"$0\"", elsewhere.file("err")};
        for (const std::string& word : test::program_command()) o.argv.push_back(word);
        o.argv.insert(o.argv.end(), args.begin(), args.end());
        pty = std::make_unique<Pty>();
        start(o);
        EXPECT_EQ(exit_code(), status);
        EXPECT_EQ(pty->output(), test::crlf(out));  // the terminal ends each line with CR LF
        EXPECT_EQ(elsewhere.read("err"), err);
        test::expect_same_settings(pty->before(), pty->now());
        EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    }
}

}  // namespace
}  // namespace tavolin
