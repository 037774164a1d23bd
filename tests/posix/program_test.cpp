// The real program on a pseudo-terminal, typed at as a user would: editing at
// the menu, typeahead through a pause and the key wait's pending key, Ctrl-C
// and Ctrl-D giving the terminal back, one whole run in report mode, and the
// files that cannot be written.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>

#include "support/pty_harness.hpp"
#include "support/temp_dir.hpp"

namespace tavolin {
namespace {

using test::Pty;
using namespace std::chrono_literals;

constexpr std::string_view kMenu = "Numbers 1-4   > ";
constexpr std::string_view kReset = "\x1b[0m\x1b[?25h";
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
    expect(kMenu);
    pty->send("\x04");
    EXPECT_EQ(exit_code(), 2);
    expect_given_back();
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

TEST_F(Program, WholeRunInReportMode) {
    dir.write("q.tav", kQuiz);
    start();
    expect(kMenu);
    pty->send("3\r");
    expect("This will store your quiz results in the file 'report.txt.'");
    pty->send("q.tav\r");
    expect("Please enter the number of your answer.\r\n> ");
    pty->send("1\r");
    expect("Your grade on the quiz is A, with a 100.00%.\r\nYou did Moo-st excellent!\r\n");
    expect("delete key");
    pty->send("\x1b[3~");
    expect("Numbers 1-3   > ");
    pty->send("3\r");
    expect("Your grade on the quiz that you took was 100.00%.\r\nYou did Moo-st excellent!\r\nYour grade was an A.\r\n");
    EXPECT_EQ(exit_code(), 0);
    expect_given_back();
    std::string plain = pty->output().substr(pty->output().rfind("Thank you for using Tavolin."));
    for (std::size_t at; (at = plain.find("\x1b[?25l")) != std::string::npos;) plain.erase(at, 6);
    EXPECT_EQ(plain, "Thank you for using Tavolin.\r\nSeven seconds until program closes.." + std::string(11, '.') +
                         "program closing.\r\n" + std::string(kReset));
    EXPECT_NE(dir.read("report.txt").find(" \r\nOn Quiz 1 using file, 'q.tav' you missed 0\r\nout of 1, your score was "
                                          "100.00%.\r\n \r\nThank you for using Tavolin!!\r\n"),
              std::string::npos);
}

// ---- files that cannot be written ----

// A quiz file that cannot take a line: a full device, and a file that meets
// the file-size limit (SIGXFSZ left at its default, which would kill the
// program with the terminal still raw).
TEST_F(Program, AQuizFileThatCannotTakeALineEndsTheRunWithAnInputOutputError) {
    for (const bool device : {true, false}) {
        pty = std::make_unique<Pty>();
        Pty::Options options;
        if (!device) options.file_size_limit = 200;  // room for valgrind's own small files
        start(options);
        pty->send(device ? "1\r/dev/full\r" : "1\rq.tav\r");
        if (device) expect("Are you sure you want to overwrite? Yes or No  > ");
        pty->send(device ? "y\rt\r" : "t\r" + std::string(240, 'q') + "\r");
        EXPECT_EQ(exit_code(), 1);
        expect_given_back();
        const std::size_t message = pty->output().find(device ? "input/output error: /dev/full: No space left on device"
                                                               : "input/output error: q.tav: File too large");
        ASSERT_NE(message, std::string::npos) << pty->output();
        EXPECT_LT(pty->output().rfind(kReset), message) << "the message comes after the terminal is given back";
    }
}

// Anything but a plain file named report.txt: a folder, and a named pipe
// (opening it for writing would hold the run up for good).
class ReportTxtNotAFile : public Program, public ::testing::WithParamInterface<std::pair<bool, const char*>> {};

TEST_P(ReportTxtNotAFile, EndsTheRunAndLeavesTheQuizAlone) {
    const auto& [folder, reason] = GetParam();
    const std::string path = dir.file("report.txt");
    ASSERT_EQ(folder ? ::mkdir(path.c_str(), 0755) : ::mkfifo(path.c_str(), 0644), 0);
    dir.write("q.tav", kQuiz);
    start();
    pty->send("3\rq.tav\r1\r");
    EXPECT_EQ(exit_code(), 1);
    expect_given_back();
    EXPECT_NE(pty->output().find(std::string("input/output error: report.txt: ") + reason), std::string::npos)
        << pty->output();
    EXPECT_EQ(dir.read("q.tav"), kQuiz);
}

INSTANTIATE_TEST_SUITE_P(Program, ReportTxtNotAFile,
                         ::testing::Values(std::pair{true, "Is a directory"}, std::pair{false, "Not a regular file"}));

TEST_F(Program, ALogThatCannotTakeALineIsLeftAsItWasAndTheRunGoesOn) {
    std::string log;
    for (int i = 0; i < 19; ++i) log += std::to_string(i * 37 - 300) + " ";
    log += "earlier.tav\r\n";
    // A new line that fails part way, one that cannot begin (the log is at
    // the limit already), and a read-only log.
    for (const int room : {20, 0, -1}) {
        const bool read_only = room < 0;
        pty = std::make_unique<Pty>();
        dir.write("Encrypted_file.csf", log);
        Pty::Options options;
        if (read_only) {
            std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
            std::filesystem::permissions(dir.file("Encrypted_file.csf"), std::filesystem::perms::owner_read |
                                                                            std::filesystem::perms::others_read);
            options.as_nobody = true;
        } else {
            options.file_size_limit = static_cast<long>(log.size()) + room;
        }
        start(options);
        pty->send("2\rnone\rquit\r");  // an event: a quiz file opened (the word typed)
        expect("> quit\r\n");
        expect(kMenu);
        pty->send("\x04");
        EXPECT_EQ(exit_code(), 2);
        expect_given_back();
        EXPECT_EQ(dir.read("Encrypted_file.csf"), log) << read_only;
        EXPECT_NE(pty->output().find(read_only ? "The results log could not be opened for adding; this event was not logged."
                                               : "The results log could not be written; this event was not logged."),
                  std::string::npos);
    }
}

}  // namespace
}  // namespace tavolin
