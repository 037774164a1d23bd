// The quiz-making dialogue run against a scripted console in a fresh folder:
// the file name dialogue, the question dialogue, and the quiz file they write.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "authoring/file_naming.hpp"
#include "authoring/make_quiz.hpp"
#include "authoring/question_dialogue.hpp"
#include "resultlog/encodeon.hpp"
#include "shell/errors.hpp"
#include "shell/console/scripted_console.hpp"
#include "support/temp_dir.hpp"

namespace tavolin {
namespace {

using test::ChangeDir;
using test::TempDir;

const std::string kNamePrompt = "\nWhat would you like to name your file? (Type Quit to exit this choice.)\n> ";
const std::string kShortNamePrompt = "\nWhat would you like to name your file? > ";
const std::string kExists =
    "The file name that you specified already exists.\nAre you sure you want to overwrite? Yes or No  > ";
const std::string kFallback =
    "It was determined that the file name that you entered was not useable.\n"
    "The file, 'tavtest1.tav' will be used instead.\n";

const std::string kKindLong = "\nWould you like a True/False, Multiple Choice, or Fill in the Blank question?\n";
const std::string kKindHint = "(Type 'T' for True/False, 'M' for Multiple Choice, or 'F' for Fill in the Blank)\n";
const std::string kKindShort = "\nTrue/False, Multiple Choice, or Fill in the Blank question?\n";
const std::string kTrueFalse = "Is the answer to this question, 'True' or 'False'?\n";
const std::string kTrueFalseHint = "('T' for TRUE and 'F' for False.)\n";
const std::string kContinueLong = "\nWould you like to put another question on your quiz?\n";
const std::string kContinueHint = "('Y' for Yes and 'N' for No.)\n";
const std::string kContinueShort = "\nAnother question on your quiz?\n";
const std::string kChoiceHint = "(Type '1' for the first, '2' for the second...)\n";
const std::string kInvalid = "\nThat is an invalid input.\nTry a correct number   > ";
const std::string kTooSmall = "\n*The input you gave is too small*.\nTry a correct number   > ";
const std::string kTooHigh = "\n*The number you entered is too high!*\nBe reasonable and pick a number under 100.   > ";
const std::string kTooLarge = "\n*The number you have picked is too large!*\nBe reasonable and pick a good number   > ";
const std::string kWarning = "Warning: The number you have picked is above normal viewable size!\n";

std::size_t count_of(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

std::vector<std::string> split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
    parts.push_back(text.substr(start));
    return parts;
}

// Each test runs in its own empty folder holding an empty results log, so
// that the log's console messages stay out of the transcripts and every
// event adds a line.
class Authoring : public ::testing::Test {
protected:
    Authoring() : cd_(dir_.path()) {
        dir_.write(kLogFileName, "");
        st_.QUIT_PROCESS = 0;  // as the main loop leaves it before a choice
    }

    void script(std::initializer_list<std::string_view> lines) { con_.lines(lines); }
    void run() { make_quiz(con_, st_); }

    [[nodiscard]] std::vector<std::string> log_lines() const {
        std::vector<std::string> lines = split(dir_.read(kLogFileName), "\r\n");
        EXPECT_EQ(lines.back(), "") << "the log must end in a line end";
        lines.pop_back();
        return lines;
    }
    [[nodiscard]] bool log_names_only(const std::string& name) const {
        const std::vector<std::string> lines = log_lines();
        return lines.size() == 1 && lines[0].size() > name.size() &&
               lines[0].compare(lines[0].size() - name.size() - 1, std::string::npos, " " + name) == 0;
    }

    TempDir dir_;
    ChangeDir cd_;
    ScriptedConsole con_;
    RunState st_;
};

// A minimal question after the naming dialogue: one fill-in question, then no.
const std::string kOneQuestionFile = "f\r\nQ?\r\n1\r\nA\r\n1\r\nP";

void add_one_question(ScriptedConsole& con) { con.lines({"f", "Q?", "A", "n"}); }

// ---------------------------------------------------------------------------
// The quiz file and the whole dialogue

TEST_F(Authoring, WorkedExampleGivesTheNineteenLinesAndTheExactDialogue) {
    st_.REPORT_ON = 1;
    script({"quiz.tav",
            "T", "The sun rises in the east.", "t", "y",
            "m", "Which of these animals is a mammal?", "3", "Shark", "Dolphin", "Trout", "2", "y",
            "F", "The capital of France is ____.", " Paris ", "n"});
    run();

    EXPECT_EQ(dir_.read("quiz.tav"),
              "T\r\nThe sun rises in the east.\r\n2\r\nTrue\r\nFalse\r\n1\r\n"
              "m\r\nWhich of these animals is a mammal?\r\n3\r\nShark\r\nDolphin\r\nTrout\r\n2\r\n"
              "F\r\nThe capital of France is ____.\r\n1\r\nParis\r\n1\r\n"
              "P");
    EXPECT_EQ(con_.transcript(),
              kNamePrompt + "quiz.tav\n" +
              kKindLong + kKindHint + "> T\n" +
              "{clear}" + std::string(80, '_') + "\n" +
              "\nWhat is the 1st question?\n> The sun rises in the east.\n" +
              "\n" + kTrueFalse + kTrueFalseHint + "> t\n" +
              kContinueLong + kContinueHint + "> y\n" +
              kKindLong + kKindHint + "> m\n" +
              "{clear}\nWhat is the 2nd question?\n> Which of these animals is a mammal?\n" +
              "\nHow many answers do you want for this question?\n> 3\n" +
              "\nWhat is the 1st answer?\n> Shark\n" +
              "What is the 2nd answer?\n> Dolphin\n" +
              "What is the 3rd answer?\n> Trout\n" +
              "\nWhich of the 3 answers are correct?\n" + kChoiceHint + "> 2\n" +
              kContinueLong + kContinueHint + "> y\n" +
              kKindLong + "> F\n" +
              "{clear}\nWhat is the 3rd question?\n> The capital of France is ____.\n" +
              "Please enter the correct answer >  Paris \n" +
              kContinueLong + "> n\n" +
              "{clear}");
    EXPECT_EQ(st_.QUIT_PROCESS, 0);
    EXPECT_EQ(st_.REDUMBDANZ, 1) << "the menu form follows report mode after a quiz is made";
    EXPECT_EQ(st_.X, 3) << "the answer loop leaves X at its last value";
    EXPECT_EQ(con_.unread(), 0u);
    EXPECT_TRUE(log_names_only("quiz.tav"));
}

TEST_F(Authoring, TextIsKeptAsTypedAndOnlyTheFillInAnswerIsTrimmed) {
    script({"q.tav",
            "M", "  Spaced question  ", "2", "  first ", "", "2", "y",
            "f", "\tTabbed\t", " \t both ends \t ", "n"});
    run();
    EXPECT_EQ(dir_.read("q.tav"),
              "M\r\n  Spaced question  \r\n2\r\n  first \r\n\r\n2\r\n"
              "f\r\n\tTabbed\t\r\n1\r\nboth ends\r\n1\r\nP");
}

TEST_F(Authoring, KindAndTrueFalseAnswersGoByTheirFirstLetterAndRepeatSilently) {
    script({"q.tav", "x", "", "True", "Statement", "maybe", "", "False", "n"});
    run();
    EXPECT_EQ(dir_.read("q.tav"), "T\r\nStatement\r\n2\r\nTrue\r\nFalse\r\n2\r\nP");
    // Three kind prompts and three true/false prompts, each repeated whole with
    // no message; the empty line before the true/false question comes once.
    EXPECT_EQ(count_of(con_.transcript(), kKindLong + kKindHint + "> "), 3u);
    EXPECT_NE(con_.transcript().find("\n" + kTrueFalse + kTrueFalseHint + "> maybe\n" + kTrueFalse +
                                     kTrueFalseHint + "> \n" + kTrueFalse + kTrueFalseHint + "> False\n"),
              std::string::npos);
}

TEST_F(Authoring, OneFillInQuestionGivesFiveLinesAndTheMarker) {
    script({"q.tav"});
    add_one_question(con_);
    run();
    EXPECT_EQ(dir_.read("q.tav"), kOneQuestionFile);
}

TEST_F(Authoring, OneAnswerMultipleChoiceAcceptsOnlyOne) {
    script({"q.tav", "m", "Only?", "1", "Yes", "2", "1", "n"});
    run();
    EXPECT_EQ(dir_.read("q.tav"), "m\r\nOnly?\r\n1\r\nYes\r\n1\r\nP");
    EXPECT_NE(con_.transcript().find("\nWhat is the 1st answer?\n> Yes\n"
                                     "\nYou have chosen to have only one answer, but please type '1' to continue.\n"
                                     "> 2\n" +
                                     kTooLarge + "1\n"),
              std::string::npos);
    EXPECT_EQ(count_of(con_.transcript(), "Which of the"), 0u);
}

// ---------------------------------------------------------------------------
// Prompt forms by the number of questions

TEST_F(Authoring, PromptsShortenAfterTwoAndAfterFiveQuestions) {
    con_.line("q.tav");
    for (int q = 1; q <= 7; ++q) con_.lines({"t", "S", "t", q < 7 ? "y" : "n"});
    run();

    // Screen k (after the k-th clear) holds question k, its continue prompt
    // and the kind prompt of question k + 1.
    const std::vector<std::string> screens = split(con_.transcript(), "{clear}");
    ASSERT_EQ(screens.size(), 9u);
    EXPECT_EQ(screens[0], kNamePrompt + "q.tav\n" + kKindLong + kKindHint + "> t\n");
    const std::string tf_hinted = "\n" + kTrueFalse + kTrueFalseHint + "> t\n";
    const std::string tf_plain = "\n" + kTrueFalse + "> t\n";
    const std::vector<std::string> tail = {
        "",
        tf_hinted + kContinueLong + kContinueHint + "> y\n" + kKindLong + kKindHint + "> t\n",  // after 1
        tf_hinted + kContinueLong + kContinueHint + "> y\n" + kKindLong + "> t\n",              // after 2
        tf_hinted + kContinueLong + "> y\n" + kKindLong + "> t\n",                              // after 3
        tf_hinted + kContinueLong + "> y\n" + kKindLong + "> t\n",                              // after 4
        tf_plain + kContinueLong + "> y\n" + kKindShort + "> t\n",                              // after 5
        tf_plain + kContinueShort + "> y\n" + kKindShort + "> t\n",                             // after 6
        tf_plain + kContinueShort + "> n\n",                                                    // after 7
    };
    for (std::size_t k = 1; k <= 7; ++k) {
        const std::string& screen = screens[k];
        ASSERT_GE(screen.size(), tail[k].size()) << "screen " << k;
        EXPECT_EQ(screen.substr(screen.size() - tail[k].size()), tail[k]) << "screen " << k;
        EXPECT_EQ(screen.find(std::string(80, '_')) == std::string::npos, k != 1) << "screen " << k;
    }
    EXPECT_EQ(screens[8], "");
}

TEST_F(Authoring, OrdinalsGoStNdRdThAndThOnFrom21) {
    EXPECT_EQ(ordinal_suffix(0), "st ");
    EXPECT_EQ(ordinal_suffix(1), "nd ");
    EXPECT_EQ(ordinal_suffix(2), "rd ");
    EXPECT_EQ(ordinal_suffix(3), "th ");
    EXPECT_EQ(ordinal_suffix(20), "th ");

    con_.line("q.tav");
    for (int q = 1; q <= 20; ++q) con_.lines({"f", "Q", "A", "y"});
    con_.lines({"m", "Q21", "23"});
    for (int a = 1; a <= 23; ++a) con_.line("a" + std::to_string(a));
    con_.lines({"23", "n"});
    run();
    const std::string& t = con_.transcript();
    EXPECT_NE(t.find("{clear}\nWhat is the 21th question?\n> Q21\n"), std::string::npos);
    EXPECT_NE(t.find("\nWhat is the 1st answer?\n> a1\nWhat is the 2nd answer?\n> a2\n"
                     "What is the 3rd answer?\n> a3\nWhat is the 4th answer?\n> a4\n"),
              std::string::npos);
    EXPECT_NE(t.find("What is the 21th answer?\n> a21\nWhat is the 22th answer?\n> a22\n"
                     "What is the 23th answer?\n> a23\n"),
              std::string::npos);
    EXPECT_NE(t.find("\nWhich of the 23 answers are correct?\n" + kChoiceHint + "> 23\n"), std::string::npos);
    // Twenty fill-in records of five lines, then the 23-answer record.
    const std::string file = dir_.read("q.tav");
    EXPECT_EQ(count_of(file, "\r\n"), 20u * 5 + 27);
    EXPECT_TRUE(file.ends_with("\r\na23\r\n23\r\nP"));
}

TEST_F(Authoring, ChoiceHintForTheFirstFourMultipleChoiceQuestionsOnly) {
    con_.line("q.tav");
    // Multiple choice, true/false, and four more multiple choice.
    con_.lines({"m", "Q", "2", "a", "b", "1", "y"});
    con_.lines({"t", "S", "t", "y"});
    for (int q = 0; q < 4; ++q) con_.lines({"M", "Q", "2", "a", "b", "2", q < 3 ? "y" : "n"});
    run();
    const std::vector<std::string> screens = split(con_.transcript(), "{clear}");
    ASSERT_EQ(screens.size(), 8u);
    const std::vector<bool> hinted = {false, true, false, true, true, true, false};
    for (std::size_t k = 1; k <= 6; ++k) {
        EXPECT_EQ(screens[k].find(kChoiceHint) != std::string::npos, hinted[k]) << "question " << k;
    }
    EXPECT_EQ(st_.ANO_LOOP_M, 5);
    EXPECT_EQ(st_.ANO_LOOP_T, 1);
    EXPECT_EQ(st_.TIMES_LOOPED, 6);
    EXPECT_EQ(st_.X, 2);
}

// ---------------------------------------------------------------------------
// Number prompts

TEST_F(Authoring, AnswerCountMessagesAndTheLimitOf100) {
    con_.lines({"q.tav", "m", "Q", "0", "abc", "-3", "101", "99999", "100"});
    for (int a = 1; a <= 100; ++a) con_.line("a" + std::to_string(a));
    con_.lines({"100", "n"});
    run();
    EXPECT_NE(con_.transcript().find("\nHow many answers do you want for this question?\n> 0\n" + kInvalid +
                                     "abc\n" + kInvalid + "-3\n" + kTooSmall + "101\n" + kTooHigh + "99999\n" +
                                     kTooHigh + "100\n" + kWarning + "\nWhat is the 1st answer?\n"),
              std::string::npos);
    const std::string file = dir_.read("q.tav");
    EXPECT_EQ(count_of(file, "\r\n"), 104u);
    EXPECT_TRUE(file.starts_with("m\r\nQ\r\n100\r\na1\r\n"));
    EXPECT_TRUE(file.ends_with("\r\na99\r\na100\r\n100\r\nP"));
}

TEST(AnswerCount, WarningFrom68On) {
    ScriptedConsole con;
    con.lines({"68", "67", "12 and words", "", "  5"});
    EXPECT_EQ(ANS_NUMBER(con), 68);
    EXPECT_NE(con.transcript().find("> 68\n" + kWarning), std::string::npos);
    con.reset_output();
    EXPECT_EQ(ANS_NUMBER(con), 67);
    EXPECT_EQ(con.transcript(), "\nHow many answers do you want for this question?\n> 67\n");
    EXPECT_EQ(ANS_NUMBER(con), 12);
    EXPECT_EQ(ANS_NUMBER(con), 5);
}

TEST_F(Authoring, CorrectAnswerMessages) {
    std::int16_t error = 0;
    auto file = create_quiz_file("c.tav", error);
    ASSERT_TRUE(file);
    con_.lines({"5", "0", "abc", "-1", "-99999", "99999", "4"});
    EXPECT_EQ(WHICH_CORRECT(con_, *file, 4, 1), 4);
    EXPECT_EQ(con_.transcript(), "\nWhich of the 4 answers are correct?\n" + kChoiceHint + "> 5\n" + kTooLarge +
                                     "0\n" + kInvalid + "abc\n" + kInvalid + "-1\n" + kTooSmall + "-99999\n" +
                                     kTooSmall + "99999\n" + kTooLarge + "4\n");
    file->close();
    EXPECT_EQ(dir_.read("c.tav"), "4\r\n");
}

// ---------------------------------------------------------------------------
// The file name dialogue

TEST_F(Authoring, QuitInTwoSpellingsBacksOutAndTheHintGoesAfterTwo) {
    dir_.write("keep.tav", "untouched");
    script({"Quit"});
    run();
    EXPECT_EQ(con_.transcript(), kNamePrompt + "Quit\n");
    EXPECT_EQ(st_.QUIT_PROCESS, 5);
    EXPECT_EQ(st_.QUIT_KNOWN, 1);

    // Quit at the prompt after a no to the overwrite question counts too.
    con_.reset_output();
    st_.QUIT_PROCESS = 0;
    script({"keep.tav", "n", "quit"});
    run();
    EXPECT_EQ(con_.transcript(), kNamePrompt + "keep.tav\n" + kExists + "n\n" + kNamePrompt + "quit\n");
    EXPECT_EQ(st_.QUIT_PROCESS, 5);
    EXPECT_EQ(st_.QUIT_KNOWN, 2);

    con_.reset_output();
    st_.QUIT_PROCESS = 0;
    script({"Quit"});
    run();
    EXPECT_EQ(con_.transcript(), kShortNamePrompt + "Quit\n");
    EXPECT_EQ(st_.QUIT_KNOWN, 3);

    EXPECT_EQ(dir_.read("keep.tav"), "untouched");
    EXPECT_TRUE(log_lines().empty()) << "backing out makes no log entry";
    EXPECT_FALSE(dir_.exists("Quit"));
    EXPECT_FALSE(dir_.exists("quit"));
    EXPECT_FALSE(dir_.exists(std::string(kDefaultQuizName)));
}

TEST_F(Authoring, QuitInCapitalsOrWithABlankIsAFileName) {
    script({"QUIT"});
    add_one_question(con_);
    run();
    EXPECT_EQ(st_.QUIT_PROCESS, 0);
    EXPECT_EQ(dir_.read("QUIT"), kOneQuestionFile);

    st_.QUIT_PROCESS = 0;
    script({" quit"});
    add_one_question(con_);
    run();
    EXPECT_EQ(st_.QUIT_PROCESS, 0);
    EXPECT_EQ(dir_.read(" quit"), kOneQuestionFile);
    EXPECT_EQ(st_.QUIT_KNOWN, 0);
    EXPECT_EQ(log_lines().size(), 2u);
}

TEST_F(Authoring, OverwriteOnYes) {
    dir_.write("old.tav", "old content that is longer than the new quiz file\r\n");
    script({"old.tav", "y"});
    add_one_question(con_);
    run();
    EXPECT_TRUE(con_.transcript().starts_with(kNamePrompt + "old.tav\n" + kExists + "y\n" + kKindLong))
        << con_.transcript();
    EXPECT_EQ(dir_.read("old.tav"), kOneQuestionFile);
    EXPECT_TRUE(log_names_only("old.tav"));
}

TEST_F(Authoring, NoThenAnotherExistingNameAsksAgainForThatFile) {
    dir_.write("a.tav", "A");
    dir_.write("b.tav", "B");
    script({"a.tav", "N", "b.tav", "Yes"});
    add_one_question(con_);
    run();
    EXPECT_NE(con_.transcript().find(kNamePrompt + "a.tav\n" + kExists + "N\n" + kNamePrompt + "b.tav\n" + kExists +
                                     "Yes\n" + kKindLong),
              std::string::npos);
    EXPECT_EQ(dir_.read("a.tav"), "A");
    EXPECT_EQ(dir_.read("b.tav"), kOneQuestionFile);
    EXPECT_TRUE(log_names_only("b.tav"));
}

TEST_F(Authoring, NoThenANewNameCreatesItAndLeavesTheOldOne) {
    dir_.write("a.tav", "A");
    script({"a.tav", "nope", "new.tav"});
    add_one_question(con_);
    run();
    EXPECT_EQ(dir_.read("a.tav"), "A");
    EXPECT_EQ(dir_.read("new.tav"), kOneQuestionFile);
    EXPECT_EQ(st_.NAMED_FILE, "new.tav");
    EXPECT_TRUE(log_names_only("new.tav"));
}

TEST_F(Authoring, OverwriteQuestionTakesOnlyAYesOrNoFirstLetter) {
    dir_.write("a.tav", "A");
    script({"a.tav", "maybe", "", " y", "yes please"});
    add_one_question(con_);
    run();
    EXPECT_NE(con_.transcript().find(kExists + "maybe\n"
                                     "Are you sure you want to overwrite? Yes or No  > \n"
                                     "Are you sure you want to overwrite? Yes or No  >  y\n"
                                     "Are you sure you want to overwrite? Yes or No  > yes please\n" +
                                     kKindLong),
              std::string::npos);
    EXPECT_EQ(count_of(con_.transcript(), "already exists"), 1u) << "the question alone is repeated";
    EXPECT_EQ(dir_.read("a.tav"), kOneQuestionFile);
}

TEST_F(Authoring, UncreatableNameFallsBackToTheDefaultWithOneLogEntry) {
    script({"no_such_folder/q.tav"});
    add_one_question(con_);
    run();
    EXPECT_TRUE(con_.transcript().starts_with(kNamePrompt + "no_such_folder/q.tav\n" + kFallback + kKindLong))
        << con_.transcript();
    EXPECT_EQ(dir_.read(std::string(kDefaultQuizName)), kOneQuestionFile);
    EXPECT_FALSE(dir_.exists("no_such_folder"));
    EXPECT_EQ(st_.NAMED_FILE, "no_such_folder/q.tav") << "the typed name is kept";
    EXPECT_EQ(st_.NONDOUBLE, 1);
    EXPECT_EQ(st_.LOOP_ENCODER, kEventMade);
    EXPECT_TRUE(log_names_only(std::string(kDefaultQuizName)))
        << "exactly one entry, naming the default file:\n" << dir_.read(kLogFileName);
}

TEST_F(Authoring, AFolderOrAnEmptyNameIsNotUsable) {
    ASSERT_EQ(::mkdir("folder", 0777), 0);
    script({"folder"});
    add_one_question(con_);
    run();
    EXPECT_EQ(con_.transcript().find(kExists), std::string::npos) << "a folder is not an existing quiz file";
    EXPECT_NE(con_.transcript().find("> folder\n" + kFallback), std::string::npos);
    EXPECT_EQ(dir_.read(std::string(kDefaultQuizName)), kOneQuestionFile);

    con_.reset_output();
    script({"", "y"});
    add_one_question(con_);
    run();
    EXPECT_TRUE(con_.transcript().starts_with(kNamePrompt + "\n" + kFallback)) << con_.transcript();
    EXPECT_EQ(log_lines().size(), 2u);
}

TEST_F(Authoring, UnwritableExistingFileIsTriedTwiceThenTheDefaultIsUsed) {
    // A file that exists but cannot be opened for writing: a read-only file,
    // or for a user who may write anything a read-only system file.
    std::string name = "readonly.tav";
    if (::geteuid() == 0) {
        name = "/sys/kernel/uevent_seqnum";
        const int probe = ::open(name.c_str(), O_WRONLY);
        if (probe >= 0) ::close(probe);
        if (probe >= 0 || ::access(name.c_str(), R_OK) != 0) GTEST_SKIP() << "no unwritable file to try";
    } else {
        dir_.write(name, "R");
        ASSERT_EQ(::chmod(name.c_str(), 0444), 0);
    }
    script({name, "y"});
    add_one_question(con_);
    run();
    EXPECT_NE(con_.transcript().find(kExists + "y\n" + kFallback + kKindLong), std::string::npos);
    EXPECT_EQ(dir_.read(std::string(kDefaultQuizName)), kOneQuestionFile);
    EXPECT_TRUE(log_names_only(std::string(kDefaultQuizName)));
    if (::geteuid() != 0) {
        EXPECT_EQ(dir_.read(name), "R");
    }
}

TEST_F(Authoring, AnExistingFileThatCannotBeReadIsStillAskedAbout) {
    dir_.write("secret.tav", "S");
    ASSERT_EQ(::chmod("secret.tav", 0200), 0);  // write-only
    script({"secret.tav", "n", "Quit"});
    run();
    EXPECT_EQ(con_.transcript(), kNamePrompt + "secret.tav\n" + kExists + "n\n" + kNamePrompt + "Quit\n");
    ASSERT_EQ(::chmod("secret.tav", 0600), 0);
    EXPECT_EQ(dir_.read("secret.tav"), "S") << "an existing file is emptied only after a yes";
}

TEST_F(Authoring, ANamedPipeIsNotUsable) {
    ASSERT_EQ(::mkfifo("pipe", 0666), 0);
    script({"pipe", "y"});
    add_one_question(con_);
    run();  // must not wait for a reader of the pipe
    EXPECT_NE(con_.transcript().find(kExists + "y\n" + kFallback), std::string::npos);
    EXPECT_EQ(dir_.read(std::string(kDefaultQuizName)), kOneQuestionFile);
}

TEST_F(Authoring, ExistenceTest) {
    dir_.write("here.tav", "");
    EXPECT_EQ(quiz_file_exists("here.tav"), 0);
    EXPECT_EQ(quiz_file_exists("/dev/full"), 0);
    EXPECT_NE(quiz_file_exists("absent.tav"), 0);
    EXPECT_NE(quiz_file_exists("."), 0);
    EXPECT_NE(quiz_file_exists(""), 0);
    EXPECT_NE(quiz_file_exists(std::string("here.tav\0x", 10)), 0);
}

// ---------------------------------------------------------------------------
// Failures while writing and broken-off dialogues

TEST_F(Authoring, AFailedWriteEndsWithAnErrorNamingTheFile) {
    script({"/dev/full", "y", "f", "never written"});
    try {
        run();
        FAIL() << "the write to /dev/full must fail";
    } catch (const FatalIoError& e) {
        EXPECT_EQ(e.path(), "/dev/full");
        EXPECT_FALSE(e.reason().empty());
    }
    EXPECT_NE(con_.transcript().find(kNamePrompt + "/dev/full\n" + kExists + "y\n" + kKindLong), std::string::npos);
    EXPECT_EQ(con_.transcript().find("What is the 1st question?"), std::string::npos);
}

TEST_F(Authoring, ADefaultFileThatCannotBeCreatedEndsTheRun) {
    ASSERT_EQ(::mkdir(std::string(kDefaultQuizName).c_str(), 0777), 0);
    script({"no_such_folder/q.tav", "f"});
    try {
        run();
        FAIL() << "creating the default file must fail";
    } catch (const FatalIoError& e) {
        EXPECT_EQ(e.path(), kDefaultQuizName);
    }
    EXPECT_TRUE(con_.transcript().ends_with(kFallback));
    EXPECT_TRUE(log_lines().empty());
}

TEST_F(Authoring, EveryEnteredLineIsOnDiskWhenTheDialogueIsCutOff) {
    script({"cut.tav", "T", "Statement", "t", "y", "m", "Which?", "3", "one", "two"});
    EXPECT_THROW(run(), EndOfInput);
    EXPECT_EQ(dir_.read("cut.tav"), "T\r\nStatement\r\n2\r\nTrue\r\nFalse\r\n1\r\nm\r\nWhich?\r\n3\r\none\r\ntwo\r\n");
    EXPECT_EQ(st_.X, 3) << "cut off while the third answer was asked";
}

}  // namespace
}  // namespace tavolin
