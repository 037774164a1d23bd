// Taking quizzes with the real binary on a pseudo-terminal: a quiz of all
// three kinds from the menu to its grade, keys typed during a pause, the
// forced close on a question of no kind, and a quiz file whose escape
// sequences must not reach the terminal.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <string>
#include <thread>

#include "support/pty_harness.hpp"
#include "support/screen_model.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace std::chrono_literals;
using tavolin::test::PtyProcess;
using tavolin::test::ScreenModel;
using tavolin::test::TempDir;

constexpr std::string_view kMenuPrompt = "Numbers 1-4   > ";
constexpr std::string_view kFilePrompt = "(Make sure to use the same capitalization as the actual file.)";
constexpr std::string_view kAnswerPrompt = "Please enter the number of your answer.";

constexpr std::string_view kExample =
    "T\r\nThe sun rises in the east.\r\n2\r\nTrue\r\nFalse\r\n1\r\n"
    "m\r\nWhich of these animals is a mammal?\r\n3\r\nShark\r\nDolphin\r\nTrout\r\n2\r\n"
    "F\r\nThe capital of France is ____.\r\n1\r\nParis\r\n1\r\nP";

class PtyTaking : public ::testing::Test {
protected:
    PtyProcess::Options options() const {
        PtyProcess::Options o;
        o.cwd = dir.path();
        return o;
    }

    // Starts a quiz of the named file from the menu.
    static void start_quiz(PtyProcess& p, std::string_view file) {
        ASSERT_TRUE(p.wait_for(kMenuPrompt));
        p.send("2\r");
        ASSERT_TRUE(p.wait_for(kFilePrompt));
        ASSERT_TRUE(p.wait_for("> "));
        p.send(std::string(file) + "\r");
    }

    // Waits until the output since the last match holds `needle`, without
    // moving the match mark.
    static bool wait_seen(PtyProcess& p, std::string_view needle, std::chrono::milliseconds timeout = 5s) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (p.output().find(needle, p.mark()) == std::string::npos) {
            if (std::chrono::steady_clock::now() > end) return false;
            p.drain(20ms);
        }
        return true;
    }

    static int exit_code(PtyProcess& p) {
        const auto status = p.wait_exit(15s);
        if (!status || !WIFEXITED(*status)) return -1;
        return WEXITSTATUS(*status);
    }

    TempDir dir;
};

TEST_F(PtyTaking, AQuizOfAllThreeKindsToItsGrade) {
    dir.write("q.tav", kExample);
    PtyProcess p(options());
    start_quiz(p, "q.tav");
    int wrong = 0;
    for (int k = 1; k <= 3; ++k) {
        // A wrong answer before is followed by a 7 s pause.
        ASSERT_TRUE(p.wait_for("Question " + std::to_string(k) + " out of 3", 12s)) << p.output();
        const std::size_t heading = p.mark();
        // The whole question is there once its prompt is.
        const auto at_prompt = [&] {
            const std::string shown = p.output().substr(heading);
            return shown.find(kAnswerPrompt) != std::string::npos || shown.find("____.") != std::string::npos;
        };
        const auto end = std::chrono::steady_clock::now() + 5s;
        while (!at_prompt() || !wait_seen(p, "> ", 50ms)) {
            ASSERT_LT(std::chrono::steady_clock::now(), end) << p.output().substr(heading);
        }
        const std::string shown = p.output().substr(heading);
        if (shown.find("The sun rises") != std::string::npos) {
            EXPECT_NE(shown.find("    1)  True    2) False"), std::string::npos) << shown;
            p.send("1\r");
        } else if (shown.find("mammal") != std::string::npos) {
            std::smatch m;
            ASSERT_TRUE(std::regex_search(shown, m, std::regex(R"((\d)\) +Dolphin)"))) << shown;
            p.send(m[1].str() + "\r");
        } else {
            ASSERT_NE(shown.find("The capital of France is ____."), std::string::npos) << shown;
            p.send("  Lyon \r");
            ++wrong;
            ASSERT_TRUE(p.wait_for("*incorrect!*"));
            ASSERT_TRUE(p.wait_for("The correct answer was Paris."));
            continue;
        }
        ASSERT_TRUE(p.wait_for("*correct*"));
    }
    EXPECT_EQ(wrong, 1);
    // The main loop grades the quiz: 2 of 3.
    ASSERT_TRUE(p.wait_for("Your grade on the quiz is ", 12s)) << p.output().substr(p.mark());
    ASSERT_TRUE(p.wait_for("66.67"));
    ASSERT_TRUE(p.wait_for(" to continue"));
    p.send("\x1b[3~");  // the delete key; it stays as the first key of the menu answer
    ASSERT_TRUE(p.wait_for(kMenuPrompt));
    p.send("4\r");
    EXPECT_EQ(exit_code(p), 0);
    tavolin::test::expect_same_settings(p.settings_before(), p.settings_now());
}

TEST_F(PtyTaking, KeysTypedDuringAPauseArriveInTheNextAnswer) {
    dir.write("two.tav",
              "t\r\nFirst statement.\r\n2\r\nTrue\r\nFalse\r\n1\r\n"
              "t\r\nSecond statement.\r\n2\r\nTrue\r\nFalse\r\n1\r\nP");
    PtyProcess p(options());
    start_quiz(p, "two.tav");
    ASSERT_TRUE(p.wait_for("Question 1 out of 2"));
    ASSERT_TRUE(p.wait_for(kAnswerPrompt));
    ASSERT_TRUE(p.wait_for("> "));
    p.send("1\r");
    ASSERT_TRUE(p.wait_for("*correct*"));
    // The 1.5 s pause has begun: the next answer is typed now, and nothing
    // more is ever sent for it.
    p.send("1\r");
    const auto typed = std::chrono::steady_clock::now();
    ASSERT_TRUE(p.wait_for("Question 2 out of 2"));
    EXPECT_GE(std::chrono::steady_clock::now() - typed, 1s);  // the pause was not cut short
    ASSERT_TRUE(p.wait_for(kAnswerPrompt));
    ASSERT_TRUE(p.wait_for("*correct*", 5s)) << p.output().substr(p.mark());
    ASSERT_TRUE(p.wait_for("Your grade on the quiz is ", 5s));
    // The typed-ahead answer shows after the second question's prompt, as if
    // typed there.
    ScreenModel screen(24, 80);
    screen.feed(p.output());
    EXPECT_EQ(screen.unknown(), 0);
    ASSERT_TRUE(p.wait_for(" to continue"));
    p.send("\x1b[3~");  // the delete key; it stays as the first key of the menu answer
    ASSERT_TRUE(p.wait_for(kMenuPrompt));
    const std::string second = p.output().substr(p.output().rfind("Second statement."));
    EXPECT_NE(second.find("> 1"), std::string::npos) << second;
    p.send("4\r");
    EXPECT_EQ(exit_code(p), 0) << p.output().substr(p.mark());
}

TEST_F(PtyTaking, AQuestionOfNoKindClosesTheProgram) {
    dir.write("bad.tav", "True\r\nStatement.\r\n2\r\nTrue\r\nFalse\r\n1\r\nP");
    PtyProcess p(options());
    start_quiz(p, "bad.tav");
    ASSERT_TRUE(p.wait_for("Program has violated continue prerogative and must close!"));
    const auto shown = std::chrono::steady_clock::now();
    const auto status = p.wait_exit(10s);
    ASSERT_TRUE(status && WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 3);
    EXPECT_GE(std::chrono::steady_clock::now() - shown, 2500ms);  // the 3000 ms pause
    EXPECT_EQ(p.output().find("Statement."), std::string::npos);
    tavolin::test::expect_same_settings(p.settings_before(), p.settings_now());
}

TEST_F(PtyTaking, EscapeSequencesInAQuizFileAreShownAsPlaceholders) {
    const std::string esc = "\x1b]0;owned\x07\x1b[5;45m";
    dir.write("evil.tav", "m\r\nWho" + esc + "?\r\n1\r\nMe" + esc + "\r\n1\r\nP");
    PtyProcess p(options());
    start_quiz(p, "evil.tav");
    ASSERT_TRUE(p.wait_for(kAnswerPrompt));
    ASSERT_TRUE(p.wait_for("> "));
    p.send("1\r");
    ASSERT_TRUE(p.wait_for("*correct*"));
    ASSERT_TRUE(p.wait_for(" to continue", 5s));
    p.send("\x1b[3~");  // the delete key; it stays as the first key of the menu answer
    ASSERT_TRUE(p.wait_for(kMenuPrompt));
    p.send("4\r");
    EXPECT_EQ(exit_code(p), 0);
    const std::string& out = p.output();
    EXPECT_EQ(out.find("\x1b]0;"), std::string::npos);
    EXPECT_EQ(out.find('\x07'), std::string::npos);
    EXPECT_EQ(out.find("\x1b[5;45m"), std::string::npos);
    EXPECT_NE(out.find("Who?]0;owned??[5;45m?"), std::string::npos);
    EXPECT_NE(out.find("Me?]0;owned??[5;45m"), std::string::npos);
}

}  // namespace
