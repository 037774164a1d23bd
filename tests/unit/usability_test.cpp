// What a new user runs into, through the scripted console: quizzes cut off
// while they were made, the default file that already exists, Ctrl-D at the
// key wait, the report finished at the end of the input, a tab in a quiz and
// a window too narrow for the frames.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "authoring/file_naming.hpp"
#include "shell/console/scripted_console.hpp"
#include "shell/errors.hpp"
#include "shell/main_loop.hpp"
#include "taking/screen_text.hpp"

namespace tavolin {
namespace {

namespace fs = std::filesystem;

const std::string kTrueFalse = "t\r\nQ1\r\n2\r\nTrue\r\nFalse\r\n1\r\n";
const std::string kCutWarning = "Warning! The last question of this file was cut off and will be left out.\n";
const std::string kNotFormatted = "This file is not properly formatted.\nFile name may have been improperly entered.\n";
const std::string kNamePrompt = "\nWhat would you like to name your file? (Type Quit to exit this choice.)\n> ";
const std::string kFallback =
    "It was determined that the file name that you entered was not useable.\n"
    "The file, 'tavtest1.tav' will be used instead.\n";
const std::string kOverwrite = "Are you sure you want to overwrite? Yes or No  > ";
const std::string kDefaultExists = "The file, 'tavtest1.tav' already exists.\n" + kOverwrite;
const std::string kDelete = "\x1b[3~";

class Usability : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("tavolin-usability-" + std::to_string(std::random_device{}()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        previous_ = fs::current_path();
        fs::current_path(dir_);
        put("Encrypted_file.csf", "");  // a results log, which says nothing when it exists
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(dir_);
    }
    static void put(const std::string& name, const std::string& bytes) {
        std::ofstream(name, std::ios::binary) << bytes;
    }
    static std::string get(const std::string& name) {
        std::ostringstream out;
        out << std::ifstream(name, std::ios::binary).rdbuf();
        return out.str();
    }

    fs::path dir_;
    fs::path previous_;
};

// One answered true/false question: the answer, then Delete at the key wait.
void answer_true(ScriptedConsole& con) {
    con.line("1");
    con.type(kDelete);
}

TEST_F(Usability, AQuizCutOffWhileItWasMadeGivesItsCompleteQuestions) {
    struct Case {
        std::string file;
        std::string screen;  // after the file name
        bool given;
    };
    const std::vector<Case> cases = {
        {kTrueFalse + "m\r\n", kCutWarning + "True/False: Q1\n", true},                       // a lone kind line
        {kTrueFalse + "m\r\nQ2\r\n", kCutWarning + "True/False: Q1\n", true},                 // no answers
        {kTrueFalse + "M\r\nQ2\r\n3\r\nA\r\nB\r\n", kCutWarning + "True/False: Q1\n", true},  // too few
        {kTrueFalse + "m\r\nQ2\r\n2\r\nA\r\nB", kCutWarning + "True/False: Q1\n", true},      // no correct line
        {kTrueFalse + "f\r\nQ2\r\n1\r\n", kCutWarning + "True/False: Q1\n", true},
        {kTrueFalse + "P", "True/False: Q1\n", true},  // whole: no warning
        {kTrueFalse, "True/False: Q1\n", true},        // whole without its end marker
        {"m\r\nQ2\r\n2\r\nA\r\n", kNotFormatted, false},                       // nothing complete
        {kTrueFalse + "m\r\nQ2\r\nx\r\nA\r\n", kNotFormatted, false},          // broken, not cut
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        put("q.tav", c.file);
        ScriptedConsole con;
        RunState st;
        con.lines({"2", "q.tav"});
        if (c.given) answer_true(con);
        con.line("quit");
        EXPECT_EQ(run_program(con, st), 0);
        EXPECT_NE(con.text().find("> q.tav\n" + c.screen), std::string::npos) << con.text();
        EXPECT_EQ(st.MASTER_LOOP, c.given ? 1 : 0);
        EXPECT_EQ(get("q.tav"), c.file) << "the file is never changed";
    }
}

TEST_F(Usability, TheDefaultFileIsEmptiedOnlyAfterAYes) {
    struct Case {
        bool exists;
        std::vector<std::string_view> typed;  // after the unusable name
        std::string dialogue;                 // after the fall-back lines
        std::string new_file;                 // the file made, "" for none
    };
    const std::vector<Case> cases = {
        {true, {"y"}, kDefaultExists + "y\n", "tavtest1.tav"},
        {true, {"maybe", "n", "new.tav"}, kDefaultExists + "maybe\n" + kOverwrite + "n\n" + kNamePrompt + "new.tav\n", "new.tav"},
        {true, {"N", "Quit"}, kDefaultExists + "N\n" + kNamePrompt + "Quit\n", ""},
        {false, {}, "", "tavtest1.tav"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dialogue);
        fs::remove("tavtest1.tav");
        if (c.exists) put("tavtest1.tav", "an older quiz");
        ScriptedConsole con;
        RunState st;
        st.QUIT_PROCESS = 0;  // as the menu leaves it
        con.line("no_such_folder/q.tav");
        for (const std::string_view typed : c.typed) con.line(typed);
        const auto file = choose_new_quiz_file(con, st);
        EXPECT_EQ(con.transcript(), kNamePrompt + "no_such_folder/q.tav\n" + kFallback + c.dialogue);
        EXPECT_EQ(file.has_value(), !c.new_file.empty());
        if (!c.new_file.empty()) {
            EXPECT_TRUE(fs::exists(c.new_file));
            EXPECT_EQ(get(c.new_file), "");
        }
        if (c.new_file != "tavtest1.tav" && c.exists) {
            EXPECT_EQ(get("tavtest1.tav"), "an older quiz");
        }
    }
}

// One graded quiz in report mode, then the given keys; the run ends either
// at a quit or where the script runs out.
TEST_F(Usability, CtrlDAtTheKeyWaitAndTheEndOfTheInput) {
    const std::string closing_one = " \r\nThank you for using Tavolin!!\r\n";
    const std::string closing_two = " \r\nYour average grade on the 2 quizzes was 100.00%.\r\nThank you for using Tavolin!!\r\n";
    struct Case {
        std::vector<std::string> after;  // typed after the first quiz's answer
        bool quits;
        std::string report_end;
    };
    const std::vector<Case> cases = {
        {{"\x04", "quit\r"}, true, closing_one},      // Ctrl-D only ends the wait
        {{}, false, closing_one},                      // the input ends at the key wait
        {{kDelete}, false, closing_one},               // ... at the menu
        {{"\x04", "2\r", "q.tav\r", "1\r", kDelete}, false, closing_two},  // a second quiz
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.after.size());
        put("q.tav", kTrueFalse + "P");
        ScriptedConsole con;
        RunState st;
        con.lines({"3", "q.tav", "1"});
        for (const std::string& keys : c.after) con.type(keys);
        if (c.quits) {
            EXPECT_EQ(run_program(con, st), 0);
            EXPECT_NE(con.text().find("Numbers 1-3   > quit\n"), std::string::npos) << con.text();
        } else {
            EXPECT_THROW(run_program(con, st), EndOfInput);
        }
        const std::string report = get("report.txt");
        ASSERT_GE(report.size(), c.report_end.size());
        EXPECT_EQ(report.substr(report.size() - c.report_end.size()), c.report_end);
        EXPECT_FALSE(st.REPORT.has_value()) << "closed";
    }
}

TEST_F(Usability, ATabInAQuizIsShownAsABlankAndOtherControlBytesAsAQuestionMark) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a\tb\t", "a b "}, {"\x1b[2J", "?[2J"}, {"x\x7fy\r", "x?y?"}, {"\x07\n\x01", "???"}, {"plain", "plain"},
    };
    for (const auto& [file_text, screen] : cases) EXPECT_EQ(shown(file_text), screen);
}

TEST_F(Usability, ANarrowWindowIsNamedBeforeTheTitleScreen) {
    const std::string warning = "{c15}{clear}Widen this window to 80 columns (it has 79), then press a key.\n{key}{clear}\n{c9}";
    const std::vector<std::pair<std::optional<int>, std::string>> cases = {
        {79, warning}, {80, "{c15}{clear}\n{c9}"}, {200, "{c15}{clear}\n{c9}"}, {std::nullopt, "{c15}{clear}\n{c9}"},
    };
    for (const auto& [width, start] : cases) {
        ScriptedConsole con;
        RunState st;
        con.set_width(width);
        if (width == 79) con.type("x");  // the key that goes on is not kept
        con.line("quit");
        EXPECT_EQ(run_program(con, st), 0);
        EXPECT_EQ(con.transcript().substr(0, start.size()), start);
    }
}

}  // namespace
}  // namespace tavolin
