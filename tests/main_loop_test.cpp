#include <gtest/gtest.h>

#include <string>

#include "shell/errors.hpp"
#include "shell/main_loop.hpp"
#include "shell/console/scripted_console.hpp"

namespace tavolin {
namespace {

// What the screen holds from the first menu prompt on (the title screen is
// checked on its own).
std::string after_title(const ScriptedConsole& con) {
    const std::string& t = con.transcript();
    return t.substr(t.find("\nNumbers 1-4   > "));
}

TEST(MainLoop, StartsOnAClearedScreenWithTheTitleAndAsksBelowIt) {
    ScriptedConsole con;
    RunState st;
    con.line("quit");
    EXPECT_EQ(run_program(con, st), 0);
    const std::string& t = con.transcript();
    EXPECT_EQ(t.find("{c15}{clear}\n{c9}" + std::string(79, '*')), 0U);
    // The prompt follows the title screen directly: no menu box in between.
    EXPECT_EQ(t.find("MENU"), std::string::npos);
    EXPECT_NE(t.find(std::string(79, '*') + "\n{c15}{show}\nNumbers 1-4   > quit\n"), std::string::npos);
}

TEST(MainLoop, QuitWithNoGradeThanksAfterHalfASecondAndClosesAfterOneAndAHalf) {
    for (const char* word : {"quit", "4", " Exit "}) {
        ScriptedConsole con;
        RunState st;
        con.line(word);
        EXPECT_EQ(run_program(con, st), 0);
        EXPECT_EQ(after_title(con), std::string("\nNumbers 1-4   > ") + word +
                                        "\n{clear}{hide}{pause 500}Thank you for using Tavolin.\n"
                                        "{hide}{pause 500}{hide}{pause 500}\n");
        EXPECT_EQ(con.unread(), 0U);
    }
}

TEST(MainLoop, ChatterRepliesBelowThePromptAndAsksAgainWithoutClearing) {
    ScriptedConsole con;
    RunState st;
    con.lines({"hi", "HELLO!", "cow", "quit"});
    run_program(con, st);
    EXPECT_EQ(con.clears(), 2);  // at start and at quit only
    EXPECT_NE(con.text().find("Numbers 1-4   > hi\nHi!\n\nNumbers 1-4   > HELLO!\nHi.\n\n"
                              "Numbers 1-4   > cow\nYes?\n\nNumbers 1-4   > quit\n"),
              std::string::npos);
}

TEST(MainLoop, MenuRedrawsTheBoxEveryTime) {
    ScriptedConsole con;
    RunState st;
    con.lines({"menu", "MENU", "quit"});
    run_program(con, st);
    EXPECT_EQ(con.clears(), 4);
    const std::string t = con.text();
    std::size_t boxes = 0;
    for (std::size_t at = t.find("  MENU  "); at != std::string::npos; at = t.find("  MENU  ", at + 1)) ++boxes;
    EXPECT_EQ(boxes, 2U);
}

TEST(MainLoop, InvalidAnswersAreAskedAgain) {
    ScriptedConsole con;
    RunState st;
    con.lines({"5", "quit"});
    run_program(con, st);
    EXPECT_NE(con.text().find("Numbers 1-4   > 5\n\nYour choice was invalid, try again.\nNumbers 1-4   > quit\n"),
              std::string::npos);
}

TEST(MainLoop, EndOfInputAtTheMenuEndsTheRun) {
    ScriptedConsole con;
    RunState st;
    con.line("hi");
    EXPECT_THROW(run_program(con, st), EndOfInput);
}

}  // namespace
}  // namespace tavolin
