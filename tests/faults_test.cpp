// Faults met by the real tavolin binary on a pseudo-terminal: files that
// cannot be written, a results log that fills up or cannot be written, signals
// in the middle of a dialogue, the end of input at every kind of prompt, and a
// quiz file that changes between two questions. In each the program must keep
// every line it has written, never damage a file, give the terminal back and
// end (or go on) as it should.
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/pty_harness.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace std::chrono_literals;
using tavolin::test::PtyProcess;
using tavolin::test::TempDir;

constexpr std::string_view kMenuPrompt = "Numbers 1-4   > ";
constexpr std::string_view kNamePrompt = "What would you like to name your file? (Type Quit to exit this choice.)\r\n> ";
constexpr std::string_view kKindPrompt =
    "(Type 'T' for True/False, 'M' for Multiple Choice, or 'F' for Fill in the Blank)\r\n> ";
constexpr std::string_view kQuizPrompt = "(Make sure to use the same capitalization as the actual file.)\r\n> ";
constexpr std::string_view kAnswerPrompt = "Please enter the number of your answer.\r\n> ";
constexpr std::string_view kKeyWait = " to continue";
constexpr std::string_view kLogName = "Encrypted_file.csf";

// A checker named in TAVOLIN_WRAPPER (valgrind) makes the program much
// slower; every wait grows with it.
int slowness() {
    const char* wrapper = std::getenv("TAVOLIN_WRAPPER");
    return (wrapper != nullptr && *wrapper != '\0') ? 10 : 1;
}
std::chrono::milliseconds patience(std::chrono::milliseconds base = 5s) { return base * slowness(); }

// One line of the results log as the program writes it: nineteen signed
// decimal numbers (no plus sign, no leading zeros), each followed by one
// blank, then the name, then CR LF.
bool well_formed_log_line(std::string_view line, std::string_view name) {
    if (line.size() < 2 || line.substr(line.size() - 2) != "\r\n") return false;
    line.remove_suffix(2);
    for (int field = 0; field < 19; ++field) {
        std::size_t i = 0;
        if (i < line.size() && line[i] == '-') ++i;
        const std::size_t digits = i;
        while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
        if (i == digits || i - digits > 19) return false;
        if (line[digits] == '0' && i - digits > 1) return false;
        if (line[digits] == '0' && digits == 1) return false;  // "-0"
        if (i >= line.size() || line[i] != ' ') return false;
        line.remove_prefix(i + 1);
    }
    return line == name;
}

// The lines a log gained, when it starts with what it held before.
std::optional<std::vector<std::string>> added_lines(const std::string& before, const std::string& after) {
    if (after.compare(0, before.size(), before) != 0) return std::nullopt;
    std::vector<std::string> lines;
    std::size_t at = before.size();
    while (at < after.size()) {
        const std::size_t end = after.find("\r\n", at);
        if (end == std::string::npos) return std::nullopt;  // a piece of a line
        lines.push_back(after.substr(at, end + 2 - at));
        at = end + 2;
    }
    return lines;
}

// A log line such as the program could have written before.
std::string seed_log_line(std::string_view name) {
    std::string line;
    for (int i = 0; i < 19; ++i) line += std::to_string(i * 37 - 300) + " ";
    return line + std::string(name) + "\r\n";
}

// A quiz of one true/false question, answered correctly by 1.
constexpr std::string_view kOneQuestion = "t\r\nIs the sky blue?\r\n2\r\nTrue\r\nFalse\r\n1\r\nP";

class Faults : public ::testing::Test {
protected:
    PtyProcess::Options options() const {
        PtyProcess::Options o;
        o.cwd = dir.path();
        return o;
    }
    static std::optional<int> exit_code(PtyProcess& p, std::chrono::milliseconds within = 10s) {
        const auto status = p.wait_exit(patience(within));
        if (!status || !WIFEXITED(*status)) return std::nullopt;
        return WEXITSTATUS(*status);
    }
    static void expect_given_back(const PtyProcess& p) {
        tavolin::test::expect_same_settings(p.settings_before(), p.settings_now());
        EXPECT_NE(p.output().rfind("\x1b[?25h"), std::string::npos) << "the cursor is shown again";
    }
    static void expect(PtyProcess& p, std::string_view text) {
        ASSERT_TRUE(p.wait_for(text, patience())) << "waiting for: " << text << "\noutput:\n" << p.output();
    }
    // From the menu to the first kind prompt of a new quiz file.
    static void start_quiz_file(PtyProcess& p, std::string_view name) {
        expect(p, kMenuPrompt);
        p.send("1\r");
        expect(p, kNamePrompt);
        p.send(std::string(name) + "\r");
    }

    TempDir dir;
};

// ---- files that cannot be written ----

TEST_F(Faults, AQuizFileNamedDevFullEndsTheRunWithAnInputOutputError) {
    PtyProcess p(options());
    start_quiz_file(p, "/dev/full");
    expect(p, "The file name that you specified already exists.");
    expect(p, "Are you sure you want to overwrite? Yes or No  > ");
    p.send("y\r");
    expect(p, kKindPrompt);
    p.send("t\r");  // the kind line is the first write, and it fails
    EXPECT_EQ(exit_code(p), 1);
    expect_given_back(p);
    const std::string& out = p.output();
    const std::size_t message = out.find("tavolin: input/output error: /dev/full: No space left on device");
    ASSERT_NE(message, std::string::npos) << out;
    EXPECT_LT(out.rfind("\x1b[?25h"), message) << "the message comes after the terminal is given back";
}

TEST_F(Faults, AFolderNamedReportTxtEndsTheRunAndLeavesTheQuizAndTheLogAlone) {
    ASSERT_EQ(::mkdir(dir.file("report.txt").c_str(), 0755), 0);
    dir.write("quiz.tav", kOneQuestion);
    const std::string log = seed_log_line("earlier.tav");
    dir.write(kLogName, log);
    PtyProcess p(options());
    expect(p, kMenuPrompt);
    p.send("3\r");
    expect(p, kQuizPrompt);
    p.send("quiz.tav\r");
    expect(p, kAnswerPrompt);
    p.send("1\r");
    EXPECT_EQ(exit_code(p), 1);
    expect_given_back(p);
    EXPECT_NE(p.output().find("tavolin: input/output error: report.txt: Is a directory"), std::string::npos)
        << p.output();
    EXPECT_EQ(dir.read("quiz.tav"), kOneQuestion);
    // The log holds what it held, and the two whole lines of the quiz's
    // events (opened, graded), which come before the report is made.
    const auto added = added_lines(log, dir.read(kLogName));
    ASSERT_TRUE(added) << "the log lost or broke a line";
    ASSERT_EQ(added->size(), 2U);
    for (const std::string& line : *added) EXPECT_TRUE(well_formed_log_line(line, "quiz.tav")) << line;
    struct stat info {};
    ASSERT_EQ(::stat(dir.file("report.txt").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

// ---- a results log that cannot take a line ----

TEST_F(Faults, ALogThatStopsAcceptingWritesIsCutBackAndTheRunGoesOn) {
    const std::string log = seed_log_line("earlier.tav") + seed_log_line("second one.tav");
    dir.write(kLogName, log);
    PtyProcess::Options o = options();
    // A new line gets a few bytes in before the limit: the write fails part way.
    o.file_size_limit = log.size() + 20;
    o.ignore_sigxfsz = true;
    PtyProcess p(o);
    start_quiz_file(p, "q.tav");
    expect(p, kKindPrompt);  // the run goes on to the question dialogue
    EXPECT_EQ(dir.read(kLogName), log) << "the log must be as it was before the event";
    // The quiz file is small enough for the limit: the dialogue goes on.
    p.send("f\r");
    expect(p, "> ");
    p.send("q\r");
    expect(p, "Please enter the correct answer > ");
    p.send(" a \r");
    expect(p, "> ");
    p.send("n\r");
    expect(p, kMenuPrompt);
    EXPECT_EQ(dir.read("q.tav"), "f\r\nq\r\n1\r\na\r\n1\r\nP");
    p.send("\x04");
    EXPECT_EQ(exit_code(p), 2);
    expect_given_back(p);
    EXPECT_EQ(dir.read(kLogName), log);
}

// Root is not stopped by the permission bits, so as root the program runs
// without the capabilities that override them.
std::vector<std::string> without_override(std::vector<std::string> command) {
    if (::geteuid() != 0) return command;
    command.insert(command.begin(), {"setpriv", "--bounding-set=-dac_override,-dac_read_search"});
    return command;
}

bool setpriv_available() { return ::geteuid() != 0 || std::system("setpriv --help >/dev/null 2>&1") == 0; }

TEST_F(Faults, AReadOnlyLogIsLeftAsItWasAndTheRunGoesOn) {
    if (!setpriv_available()) GTEST_SKIP() << "running as root and setpriv (util-linux) is missing";
    const std::string log = seed_log_line("earlier.tav");
    dir.write(kLogName, log);
    ASSERT_EQ(::chmod(dir.file(kLogName).c_str(), 0444), 0);
    dir.write("quiz.tav", kOneQuestion);
    PtyProcess::Options o = options();
    o.argv = without_override(tavolin::test::program_command());
    PtyProcess p(o);
    // A quiz made (event 4), opened (event 3) and graded (event 2).
    start_quiz_file(p, "made.tav");
    expect(p, kKindPrompt);
    p.send("f\r");
    expect(p, "> ");
    p.send("q\r");
    expect(p, "Please enter the correct answer > ");
    p.send("a\r");
    expect(p, "> ");
    p.send("n\r");
    expect(p, kMenuPrompt);
    p.send("2\r");
    expect(p, kQuizPrompt);
    p.send("quiz.tav\r");
    expect(p, kAnswerPrompt);
    p.send("1\r");
    expect(p, kKeyWait);
    p.send("\r");
    expect(p, kMenuPrompt);
    p.send("\x04");
    EXPECT_EQ(exit_code(p), 2);
    expect_given_back(p);
    EXPECT_EQ(dir.read(kLogName), log);
    EXPECT_EQ(dir.read("made.tav"), "f\r\nq\r\n1\r\na\r\n1\r\nP");
}

// ---- signals in the middle of the question dialogue ----

// Makes a multiple-choice question of two answers and stops before the
// second answer: the lines so far must be on disk.
constexpr std::string_view kLinesSoFar = "m\r\nWhich one?\r\n2\r\nthe first\r\n";

void type_until_second_answer(PtyProcess& p) {
    ASSERT_TRUE(p.wait_for(kMenuPrompt, patience()));
    p.send("1\r");
    ASSERT_TRUE(p.wait_for(kNamePrompt, patience()));
    p.send("cut.tav\r");
    ASSERT_TRUE(p.wait_for(kKindPrompt, patience()));
    p.send("m\r");
    ASSERT_TRUE(p.wait_for("What is the 1st question?\r\n> ", patience()));
    p.send("Which one?\r");
    ASSERT_TRUE(p.wait_for("How many answers do you want for this question?\r\n> ", patience()));
    p.send("2\r");
    ASSERT_TRUE(p.wait_for("What is the 1st answer?\r\n> ", patience()));
    p.send("the first\r");
    ASSERT_TRUE(p.wait_for("What is the 2nd answer?\r\n> ", patience()));
    p.send("half typ");  // a line not yet entered is not written
}

TEST_F(Faults, SignalsDuringTheQuestionDialogueKeepEveryLineEntered) {
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(sig));
        TempDir here;
        PtyProcess::Options o;
        o.cwd = here.path();
        PtyProcess p(o);
        type_until_second_answer(p);
        if (HasFatalFailure()) return;
        if (sig == SIGINT) {
            p.send("\x03");  // Ctrl-C at the terminal
        } else {
            p.signal(sig);
        }
        const auto status = p.wait_exit(patience());
        ASSERT_TRUE(status);
        EXPECT_TRUE((WIFSIGNALED(*status) && WTERMSIG(*status) == sig) ||
                    (WIFEXITED(*status) && WEXITSTATUS(*status) == 128 + sig))
            << "status " << *status;
        expect_given_back(p);
        EXPECT_EQ(here.read("cut.tav"), kLinesSoFar);
    }
}

TEST_F(Faults, AClosedTerminalDuringTheQuestionDialogueKeepsEveryLineEntered) {
    PtyProcess p(options());
    type_until_second_answer(p);
    if (HasFatalFailure()) return;
    p.hang_up();
    ASSERT_TRUE(p.wait_exit(patience())) << "the program must end when its terminal is gone";
    EXPECT_EQ(dir.read("cut.tav"), kLinesSoFar);
}

// ---- the end of input at every kind of prompt ----

struct PromptCase {
    const char* what;
    std::vector<std::pair<std::string, std::string>> steps;  // wait for the first, then type the second
    std::string last_prompt;                                 // where the input ends
};

std::vector<PromptCase> prompt_cases() {
    const std::string name_prompt(kNamePrompt);
    const std::string kind_prompt(kKindPrompt);
    return {
        {"menu", {}, std::string(kMenuPrompt)},
        {"file name", {{std::string(kMenuPrompt), "1\r"}}, name_prompt},
        {"overwrite question (character)",
         {{std::string(kMenuPrompt), "1\r"}, {name_prompt, "quiz.tav\r"}},
         "Are you sure you want to overwrite? Yes or No  > "},
        {"kind (character)", {{std::string(kMenuPrompt), "1\r"}, {name_prompt, "new.tav\r"}}, kind_prompt},
        {"question (text)",
         {{std::string(kMenuPrompt), "1\r"}, {name_prompt, "new.tav\r"}, {kind_prompt, "m\r"}},
         "What is the 1st question?\r\n> "},
        {"answer count (number)",
         {{std::string(kMenuPrompt), "1\r"},
          {name_prompt, "new.tav\r"},
          {kind_prompt, "m\r"},
          {"What is the 1st question?\r\n> ", "q\r"}},
         "How many answers do you want for this question?\r\n> "},
        {"answer count after an empty line (number)",
         {{std::string(kMenuPrompt), "1\r"},
          {name_prompt, "new.tav\r"},
          {kind_prompt, "m\r"},
          {"What is the 1st question?\r\n> ", "q\r"},
          {"How many answers do you want for this question?\r\n> ", "\r  \r"}},
         "\r\n"},
        {"quiz file", {{std::string(kMenuPrompt), "2\r"}}, std::string(kQuizPrompt)},
        {"quiz file retry", {{std::string(kMenuPrompt), "2\r"}, {std::string(kQuizPrompt), "none.tav\r"}},
         "Try again!     > "},
        {"answer number", {{std::string(kMenuPrompt), "2\r"}, {std::string(kQuizPrompt), "quiz.tav\r"}},
         std::string(kAnswerPrompt)},
        {"key wait",
         {{std::string(kMenuPrompt), "2\r"}, {std::string(kQuizPrompt), "quiz.tav\r"}, {std::string(kAnswerPrompt), "1\r"},
          {std::string(kKeyWait), "\x04"}},  // Ctrl-D only ends the wait
         std::string(kMenuPrompt)},
    };
}

TEST_F(Faults, CtrlDAtEveryKindOfPromptEndsTheRunAtOnce) {
    for (const PromptCase& c : prompt_cases()) {
        SCOPED_TRACE(c.what);
        TempDir here;
        here.write("quiz.tav", kOneQuestion);
        PtyProcess::Options o;
        o.cwd = here.path();
        PtyProcess p(o);
        for (const auto& [prompt, keys] : c.steps) {
            ASSERT_TRUE(p.wait_for(prompt, patience())) << prompt << "\n" << p.output();
            p.send(keys);
        }
        ASSERT_TRUE(p.wait_for(c.last_prompt, patience())) << c.last_prompt << "\n" << p.output();
        p.send("\x04");
        // The run ends within a second of the end of input.
        const auto status = p.wait_exit(patience(1s));
        ASSERT_TRUE(status) << "still running a second after the end of input";
        ASSERT_TRUE(WIFEXITED(*status));
        EXPECT_EQ(WEXITSTATUS(*status), 2);
        expect_given_back(p);
        EXPECT_EQ(here.read("quiz.tav"), kOneQuestion);
    }
}

TEST_F(Faults, TheEndOfAPipeAtEveryKindOfPromptEndsTheRunAtOnce) {
    // The same prompts, with the answers coming from a pipe that then ends.
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"menu", ""},
        {"file name", "1\n"},
        {"overwrite question", "1\nquiz.tav\n"},
        {"kind", "1\nnew.tav\n"},
        {"question", "1\nnew.tav\nm\n"},
        {"answer count", "1\nnew.tav\nm\nq\n"},
        {"answer", "1\nnew.tav\nm\nq\n2\n"},
        {"correct answer", "1\nnew.tav\nm\nq\n2\na\nb\n"},
        {"another question", "1\nnew.tav\nm\nq\n2\na\nb\n1\n"},
        {"quiz file", "2\n"},
        {"quiz file retry", "2\nnone.tav\n"},
        {"answer number", "2\nquiz.tav\n"},
        {"key wait", "2\nquiz.tav\n1\n"},
    };
    for (const auto& [what, input] : cases) {
        SCOPED_TRACE(what);
        TempDir here;
        here.write("quiz.tav", kOneQuestion);
        here.write("input", input);
        PtyProcess::Options o;
        o.cwd = here.path();
        std::string command;
        for (const std::string& word : tavolin::test::program_command()) command += " '" + word + "'";
        o.argv = {"/bin/sh", "-c", "exec" + command + " < input"};
        PtyProcess p(o);
        // Every pause the answers lead through (1.5 s after a right answer)
        // comes before the end of input; beyond them the run ends at once.
        const auto status = p.wait_exit(patience(3s));
        ASSERT_TRUE(status) << "still running after its input ended\n" << p.output();
        ASSERT_TRUE(WIFEXITED(*status));
        EXPECT_EQ(WEXITSTATUS(*status), 2);
        expect_given_back(p);
        EXPECT_EQ(here.read("quiz.tav"), kOneQuestion);
    }
}

// ---- a quiz file that changes between two questions ----

constexpr std::string_view kTwoQuestions =
    "t\r\nFirst statement?\r\n2\r\nTrue\r\nFalse\r\n1\r\n"
    "t\r\nSecond statement?\r\n2\r\nTrue\r\nFalse\r\n1\r\nP";

TEST_F(Faults, AQuizFileDeletedBetweenTwoQuestionsEndsTheQuizWithTheQuestionsAnswered) {
    dir.write("two.tav", kTwoQuestions);
    PtyProcess p(options());
    expect(p, kMenuPrompt);
    p.send("2\r");
    expect(p, kQuizPrompt);
    p.send("two.tav\r");
    expect(p, kAnswerPrompt);
    p.send("1\r");
    expect(p, "*correct*");
    ASSERT_EQ(::unlink(dir.file("two.tav").c_str()), 0);  // during the pause after the answer
    expect(p, "The quiz file can no longer be opened!");
    expect(p, "The quiz ends here.");
    // The one question answered is graded as the quiz.
    expect(p, "Your grade on the quiz is ");
    expect(p, "100.00");
    expect(p, kKeyWait);
    p.send("\x04\x04");
    EXPECT_EQ(exit_code(p), 2);
    expect_given_back(p);
    EXPECT_FALSE(dir.exists("two.tav"));
}

TEST_F(Faults, AQuizFileRewrittenBetweenTwoQuestionsIsReadInItsNewState) {
    dir.write("two.tav", kTwoQuestions);
    PtyProcess p(options());
    expect(p, kMenuPrompt);
    p.send("2\r");
    expect(p, kQuizPrompt);
    p.send("two.tav\r");
    expect(p, kAnswerPrompt);
    p.send("1\r");
    expect(p, "*correct*");
    const std::string rewritten =
        "t\r\nNew first?\r\n2\r\nTrue\r\nFalse\r\n2\r\n"
        "t\r\nNew second?\r\n2\r\nTrue\r\nFalse\r\n2\r\nP";
    dir.write("two.tav", rewritten);
    expect(p, "Question 2 out of 2");
    expect(p, kAnswerPrompt);
    const std::string shown = p.output().substr(0, p.mark());
    EXPECT_TRUE(shown.find("New first?") != std::string::npos || shown.find("New second?") != std::string::npos)
        << shown;
    p.send("1\r");  // wrong now: the new file says False
    expect(p, "*incorrect!*");
    expect(p, "The correct answer was number 2.");
    ASSERT_TRUE(p.wait_for(kKeyWait, patience(15s)));  // after the 7 s pause of a wrong answer
    p.send("\x04\x04");
    EXPECT_EQ(exit_code(p, 20s), 2);
    expect_given_back(p);
    EXPECT_EQ(dir.read("two.tav"), rewritten);
}

TEST_F(Faults, AQuizFileBrokenBetweenTwoQuestionsEndsTheQuizWithItsMessage) {
    dir.write("two.tav", kTwoQuestions);
    PtyProcess p(options());
    expect(p, kMenuPrompt);
    p.send("2\r");
    expect(p, kQuizPrompt);
    p.send("two.tav\r");
    expect(p, kAnswerPrompt);
    p.send("1\r");
    expect(p, "*correct*");
    // Cut inside the first record: neither question can be read whole.
    dir.write("two.tav", "t\r\nFirst statement?\r\n2\r\nTrue\r\n");
    expect(p, "The quiz file has changed and is no longer properly formatted!");
    expect(p, "The quiz ends here.");
    expect(p, kKeyWait);
    p.send("\x04\x04");
    EXPECT_EQ(exit_code(p), 2);
    expect_given_back(p);
}

}  // namespace
