// Whole runs of the program against the scripted console, compared whole
// with the screens as they should look: the title screen, the menu forms,
// the after-quiz sequence and the closing countdown, with every colour,
// clear, cursor change and pause in its place.
#include "shell/main_loop.hpp"
#include "shell/menu.hpp"

#include <tuple>
#include <vector>
#include "support/expected.hpp"

namespace tavolin {
namespace {

using test::block;

class Screens : public test::Dialogue {};

TEST_F(Screens, StartAndQuitAtOnce) {
    con.line("quit");
    EXPECT_EQ(run_program(con, st), 0);
    EXPECT_EQ(shown(), block("screens.txt", "start and quit"));
}

// One quiz answered wrongly, the key wait ended by Enter (which gives the
// menu an empty answer), then the closing lines of a run with one grade.
TEST_F(Screens, OneQuizThenQuit) {
    dir.write("one.tav", "t\r\nCows moo.\r\n2\r\nTrue\r\nFalse\r\n1\r\nP");
    random->draws = {1};
    con.lines({"2", "one.tav", "2"});
    con.type("\r");
    con.line("exit");
    EXPECT_EQ(run_program(con, st), 0);
    const std::string s = shown();
    const std::string title = block("screens.txt", "start and quit");
    const std::size_t prompt_end = title.find("> quit") + 2;
    ASSERT_EQ(s.substr(0, prompt_end), title.substr(0, prompt_end));
    EXPECT_EQ(s.substr(prompt_end), block("screens.txt", "one quiz then quit"));
    EXPECT_EQ(con.unread(), 0U);
}

TEST_F(Screens, MenuBoxInBothFormsAndInvalidAnswers) {
    for (const std::int16_t form : {0, 1}) {
        con.reset_output();
        con.lines({"hi !", "4", "menu"});
        EXPECT_EQ(CALLD_MENU(con, form, 0), form == 0 ? 4 : 5);
        const std::string box = block("screens.txt", form == 0 ? "menu box four" : "menu box three");
        const std::string again = "\n\nYour choice was invalid, try again.\n" + box.substr(box.size() - 16);
        EXPECT_EQ(shown(), box + "hi !" + again + (form == 0 ? "4\n" : "4" + again + "menu\n"));
        if (form == 0) {
            EXPECT_EQ(CALLD_MENU(con, 0, 5), 5);  // the answer left over
        }
    }
}

// Report mode from the menu: the hint, a quiz file without questions, two
// reported quizzes (the second, of one right answer in two, started by a key
// pressed at the key wait), the three-option menu, the closing lines of the
// screen and the report file whole, made anew over an older, longer one.
TEST_F(Screens, ReportModeRunToTheClosingLines) {
    const std::string quiz = "t\r\nCows moo.\r\n2\r\nTrue\r\nFalse\r\n1\r\nP";
    dir.write("one.tav", quiz);
    dir.write("two q.tav", "t\r\nFish fly.\r\n2\r\nTrue\r\nFalse\r\n2\r\n" + quiz);
    dir.write("report.txt", std::string(2000, 'o'));
    dir.write("empty.tav", "P");  // gives no question: nothing is graded, reported or counted
    random->draws = {1, 1, 1};
    con.lines({"3", "empty.tav", "3", "one.tav", "1"});
    con.type("2");
    con.lines({"", "two q.tav", "1", "1"});
    con.type("\x1b[3~");
    con.line("3");
    EXPECT_EQ(run_program(con, st), 0);
    const std::string s = shown();
    EXPECT_NE(s.find("> 3\n\nThis will store your quiz results in the file 'report.txt.'\n\nWhat quiz file"), std::string::npos);
    EXPECT_NE(s.find(block("screens.txt", "menu box three") + "2\n\nWhat quiz file"), std::string::npos);
    EXPECT_EQ(s.substr(s.rfind("{clear}")), block("screens.txt", "closing after two"));
    EXPECT_EQ(dir.read("report.txt"), test::crlf(block("report.txt", "whole run")));
}

// Every accepted word in both menu forms, typed with blanks and capitals.
TEST_F(Screens, MenuCodesOfEveryAcceptedWord) {
    const std::vector<std::tuple<const char*, int, int>> words = {
        {"1", 1, 1}, {" 2 ", 2, 2}, {"3", 3, 4}, {"\t4", 4, 0}, {"EXIT", 4, 4}, {"Quit", 4, 4}, {"menu", 5, 5},
        {"hi", 6, 6}, {"hi!", 6, 6}, {"Hello", 6, 6}, {"hello!", 6, 6}, {"hello.", 6, 6}, {"cow", 7, 7},
        {"moo", 8, 8}, {"MOO!", 8, 8}, {"varrowin", 9, 9}, {"HeLp", 10, 10}, {"hello!!", 0, 0}, {"1)", 0, 0},
        {"1 2", 0, 0}, {"", 0, 0}, {"moo.", 0, 0}, {"\xc3\x89xit", 0, 0}, {"5", 0, 0}, {"0", 0, 0}};
    for (const auto& [typed, four, three] : words) {
        EXPECT_EQ(menu_code_of(normalise_menu_answer(typed), 0), four) << typed;
        EXPECT_EQ(menu_code_of(normalise_menu_answer(typed), 1), three) << typed;
    }
}

}  // namespace
}  // namespace tavolin
