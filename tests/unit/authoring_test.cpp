// Making a quiz: the whole question dialogue with the file it writes, the
// prompts that shorten as the quiz grows, the number prompts with every
// message, and the naming dialogue with its ways out.
#include "authoring/file_naming.hpp"
#include "authoring/question_dialogue.hpp"
#include "resultlog/encodeon.hpp"
#include "shell/chatter.hpp"
#include "support/expected.hpp"

namespace tavolin {
namespace {

using test::block;

class Authoring : public test::Dialogue {
protected:
    std::string write_quiz() {
        LineFile file = LineFile::create_or_fail("q.tav");
        write_questions(con, st, file);
        return dir.read("q.tav");
    }
};

TEST_F(Authoring, WorkedExampleDialogueAndFile) {
    con.lines({"T", "The sun rises in the east.", "t", "y", "m", "Which of these animals is a mammal?", "3", "Shark",
               "Dolphin", "Trout", "2", "y", "F", "The capital of France is ____.", " Paris ", "N"});
    st.REPORT_ON = 1;
    EXPECT_EQ(write_quiz(),
              "T\r\nThe sun rises in the east.\r\n2\r\nTrue\r\nFalse\r\n1\r\nm\r\nWhich of these animals is a mammal?\r\n"
              "3\r\nShark\r\nDolphin\r\nTrout\r\n2\r\nF\r\nThe capital of France is ____.\r\n1\r\nParis\r\n1\r\nP");
    EXPECT_EQ(shown(), block("authoring.txt", "worked example"));
    EXPECT_EQ(st.REDUMBDANZ, 1);
    EXPECT_EQ(st.X, 3);  // the answer loop leaves the shared counter at its last value
}

// Rejected letters repeat their prompt silently; a letter counts by the first
// character typed.
TEST_F(Authoring, PromptsShortenAfterTwoFourAndFiveQuestionsAndRepeatSilently) {
    con.lines({"x", "", "True", "  Q  ", "nope", "False", "maybe", "y"});
    for (int q = 1; q < 5; ++q) con.lines({"t", "q", "t", "y"});
    con.lines({"f", "q", "a", "y", "f", "q", "a", "n"});
    const std::string tf = "t\r\nq\r\n2\r\nTrue\r\nFalse\r\n1\r\n";
    EXPECT_EQ(write_quiz(), "T\r\n  Q  \r\n2\r\nTrue\r\nFalse\r\n2\r\n" + tf + tf + tf + tf + "f\r\nq\r\n1\r\na\r\n1\r\n" +
                                "f\r\nq\r\n1\r\na\r\n1\r\nP");
    EXPECT_EQ(shown(), block("authoring.txt", "seven questions"));
}

TEST_F(Authoring, OrdinalSuffixes) {
    LineFile file = LineFile::create_or_fail("q.tav");
    con.lines({"x", "y"});
    WRITE_QUIZ_LOOP_QUES(con, file, 20, "question");
    WRITE_QUIZ_LOOP_QUES(con, file, 22, "answer");
    EXPECT_EQ(shown(), "{clear}\nWhat is the 21th question?\n> x\nWhat is the 23th answer?\n> y\n");
}

TEST_F(Authoring, NumberPromptsAndTheirMessages) {
    con.lines({"0", "abc", "101", "-3", "68", "67", "", "", " 100"});
    EXPECT_EQ(ANS_NUMBER(con), 68);
    EXPECT_EQ(ANS_NUMBER(con), 67);
    EXPECT_EQ(ANS_NUMBER(con), 100);
    EXPECT_EQ(con.transcript(), block("authoring.txt", "answer counts"));
    con.reset_output();
    LineFile file = LineFile::create_or_fail("q.tav");
    con.lines({"5", "0", "x", "-1", "4 more", "1", "2", "1"});
    EXPECT_EQ(WHICH_CORRECT(con, file, 4, 4), 4);
    EXPECT_EQ(WHICH_CORRECT(con, file, 4, 5), 1);
    EXPECT_EQ(WHICH_CORRECT(con, file, 1, 1), 1);
    EXPECT_EQ(con.transcript(), block("authoring.txt", "correct answers"));
    EXPECT_EQ(dir.read("q.tav"), "4\r\n1\r\n1\r\n");
}

TEST_F(Authoring, NamingQuitOverwriteQuestionAndTheShortPrompt) {
    dir.write("old.tav", "keep");
    st.QUIT_PROCESS = 0;
    con.lines({"Quit", "old.tav", "", "maybe", "no", "quit", "QUIT"});
    EXPECT_FALSE(choose_new_quiz_file(con, st));
    EXPECT_EQ(st.QUIT_PROCESS, 5);
    st.QUIT_PROCESS = 0;
    EXPECT_FALSE(choose_new_quiz_file(con, st));
    st.QUIT_PROCESS = 0;
    EXPECT_TRUE(choose_new_quiz_file(con, st));
    EXPECT_EQ(con.transcript(), block("authoring.txt", "naming"));
    EXPECT_EQ(dir.read("old.tav"), "keep");
    EXPECT_TRUE(dir.exists("QUIT"));
    EXPECT_FALSE(dir.exists(kLogFileName));
}

TEST_F(Authoring, OverwriteOnYesAndFallbackToTheDefaultWithOneLogLine) {
    dir.write("old.tav", "old");
    st.QUIT_PROCESS = 0;
    dir.write(kLogFileName, "");
    con.lines({"old.tav", "yes please", "no/such/folder.tav"});
    auto made = choose_new_quiz_file(con, st);
    ASSERT_TRUE(made);
    made->write_line("x");
    EXPECT_EQ(dir.read("old.tav"), "x\r\n");
    con.reset_output();
    ASSERT_TRUE(choose_new_quiz_file(con, st));
    EXPECT_EQ(con.transcript(), block("authoring.txt", "fallback"));
    EXPECT_TRUE(dir.exists("tavtest1.tav"));
    const std::string log = dir.read(kLogFileName);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
    EXPECT_NE(log.find(" old.tav\r\n"), std::string::npos);
    EXPECT_EQ(log.substr(log.size() - 15), " tavtest1.tav\r\n");
}

}  // namespace
}  // namespace tavolin
