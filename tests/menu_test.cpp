#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "shell/menu.hpp"
#include "shell/console/scripted_console.hpp"

namespace tavolin {
namespace {

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(TitleScreen, FramesAreSeventyNineColumnsAndTextsStandWhereTheyShould) {
    ScriptedConsole con;
    EXPECT_EQ(MENU_CHOICE(con), 0);
    const auto lines = split_lines(con.text());
    ASSERT_EQ(lines.size(), 12U);
    EXPECT_EQ(lines[0], "");
    for (std::size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(lines[i].size(), 79U) << "line " << i;
    EXPECT_EQ(lines[1], std::string(79, '*'));
    EXPECT_EQ(lines[2], "*" + std::string(38, ' ') + "Created by Varrowin   v. 1.04          *");
    for (std::size_t i = 3; i <= 6; ++i) {
        EXPECT_EQ(lines[i].substr(0, 2), "* ");
        EXPECT_EQ(lines[i].back(), '*');
        EXPECT_EQ(lines[i][77], ' ');
    }
    EXPECT_EQ(lines[7], std::string(79, '*'));
    EXPECT_EQ(lines[8], "*  Please make your selection:" + std::string(47, ' ') + " *");
    EXPECT_EQ(lines[9], "*  1) Make a quiz  2) Use a quiz (already made)  3) Quiz and make a report    *");
    EXPECT_EQ(lines[10], "*  4) Quit" + std::string(67, ' ') + " *");
    EXPECT_EQ(lines[11], std::string(79, '*'));
}

TEST(TitleScreen, BannerLettersAreRedBetweenBlueFramesAndEndWhite) {
    ScriptedConsole con;
    MENU_CHOICE(con);
    const std::string& t = con.transcript();
    EXPECT_EQ(t.rfind("{c15}"), t.size() - 5);
    // The credit is white, between blue frame pieces.
    EXPECT_NE(t.find("\n*" + std::string(38, ' ') + "{c15}Created by Varrowin   v. 1.04       {c9}   *\n"),
              std::string::npos);
    // Each banner row: blue "* ", red letters (each its own capital), blue rest.
    std::size_t rows = 0;
    for (std::size_t at = t.find("{c9}* {c4}"); at != std::string::npos; at = t.find("{c9}* {c4}", at + 1)) {
        const std::size_t start = at + 10;
        const std::string row = t.substr(start, t.find("{c9}", start) - start);
        EXPECT_EQ(row.find_first_not_of(" TAVOLIN"), std::string::npos) << row;
        ++rows;
    }
    EXPECT_EQ(rows, 4U);
}

TEST(MenuBox, FourAndThreeOptionFormsAndThePrompt) {
    ScriptedConsole con;
    con.line("1");
    EXPECT_EQ(CALLD_MENU(con, 0, 0), 1);
    EXPECT_EQ(con.clears(), 1);
    auto lines = split_lines(con.text());
    ASSERT_EQ(lines.size(), 8U);
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(lines[i].size(), 79U) << i;
    EXPECT_EQ(lines[1], std::string(35, '*') + "  MENU  " + std::string(36, '*'));
    EXPECT_EQ(lines[4], "*     1) Make a quiz     2) Quiz     3) Quiz self and report!     4) Quit     *");
    EXPECT_EQ(lines[6], "");
    EXPECT_EQ(lines[7], "Numbers 1-4   > 1");
    EXPECT_NE(con.transcript().find("{show}{clear}{c9}"), std::string::npos);
    EXPECT_NE(con.transcript().find("{c15}MENU{c9}"), std::string::npos);

    ScriptedConsole three;
    three.line("2");
    EXPECT_EQ(CALLD_MENU(three, 1, 0), 2);
    lines = split_lines(three.text());
    EXPECT_EQ(lines[4], "*        1) Make a quiz      2) Quiz       3) Quit                            *");
    EXPECT_EQ(lines[7], "Numbers 1-3   > 2");
}

TEST(MenuBox, KeepingTheScreenAsksBelowWhatIsThere) {
    ScriptedConsole con;
    con.line("help");
    EXPECT_EQ(CALLD_MENU(con, 0, 5), 10);
    EXPECT_EQ(con.clears(), 0);
    EXPECT_EQ(con.text(), "\nNumbers 1-4   > help\n");
}

TEST(MenuAnswers, NormalisingTrimsBlanksAndLowersOnlyAsciiCapitals) {
    EXPECT_EQ(normalise_menu_answer("  \tHeLP \t"), "help");
    EXPECT_EQ(normalise_menu_answer(" 2 "), "2");
    EXPECT_EQ(normalise_menu_answer(""), "");
    EXPECT_EQ(normalise_menu_answer("   "), "");
    EXPECT_EQ(normalise_menu_answer("H\xc3\x89"), "h\xc3\x89");
}

TEST(MenuAnswers, AcceptedWordsPerMenuForm) {
    struct Case {
        const char* word;
        std::int16_t four;
        std::int16_t three;
    };
    const Case cases[] = {
        {"1", 1, 1},       {"2", 2, 2},       {"3", 3, 4},        {"4", 4, 0},      {"exit", 4, 4},
        {"quit", 4, 4},    {"menu", 5, 5},    {"hi", 6, 6},       {"hi!", 6, 6},    {"hello", 6, 6},
        {"hello!", 6, 6},  {"hello.", 6, 6},  {"cow", 7, 7},      {"moo", 8, 8},    {"moo!", 8, 8},
        {"varrowin", 9, 9}, {"help", 10, 10}, {"", 0, 0},         {"hi !", 0, 0},   {"hello!!", 0, 0},
        {"1)", 0, 0},      {"1 2", 0, 0},     {"5", 0, 0},        {"moo.", 0, 0},   {"hi.", 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(menu_code_of(c.word, 0), c.four) << c.word;
        EXPECT_EQ(menu_code_of(c.word, 1), c.three) << c.word;
    }
}

TEST(MenuAnswers, InvalidAnswersRepeatWithTheMessageUntilOneIsAccepted) {
    ScriptedConsole con;
    con.lines({"", "hi !", "4", "  EXIT  "});
    EXPECT_EQ(CALLD_MENU(con, 1, 5), 4);
    const std::string again = "\nYour choice was invalid, try again.\nNumbers 1-3   > ";
    EXPECT_EQ(con.text(), "\nNumbers 1-3   > \n" + again + "hi !\n" + again + "4\n" + again + "  EXIT  \n");
}

TEST(MenuAnswers, EditingKeysShapeTheAnswer) {
    ScriptedConsole con;
    con.type("hx\x7fi");
    con.type("\x1b[D\x1b[3~\r");  // arrow and Delete give nothing
    EXPECT_EQ(CALLD_MENU(con, 0, 5), 6);
    EXPECT_EQ(con.text(), "\nNumbers 1-4   > hi\n");
}

}  // namespace
}  // namespace tavolin
