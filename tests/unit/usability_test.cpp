// What a new user runs into, through the scripted console: quizzes cut off
// while they were made, blank lines after the end marker, a UTF-16 file, the
// default file that already exists, Ctrl-D at the key wait, the report
// finished at the end of the input, a question in its screen form and a
// window too narrow for the frames.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "authoring/file_naming.hpp"
#include "support/scripted_console.hpp"
#include "ground/base/errors.hpp"
#include "shell/main_loop.hpp"
#include "support/temp_dir.hpp"

namespace tavolin {
namespace {

namespace fs = std::filesystem;

const std::string kQuestion = "t\r\nQ\t1\x1b[2J\xff\r\n2\r\nTrue\r\nFalse\r\n1\r\n";
const std::string kNamePrompt = "\nWhat would you like to name your file? (Type Quit to exit this choice.)\n> ";
const std::string kOverwrite = "Are you sure you want to overwrite? Yes or No  > ";
const std::string kDefaultExists = "The file, 'tavtest1.tav' already exists.\n" + kOverwrite;
const std::string kDelete = "\x1b[3~";

// A fresh current folder holding a results log, which says nothing when it
// exists.
class Usability : public ::testing::Test {
protected:
    Usability() { dir.write("Encrypted_file.csf", ""); }
    test::TempDir dir;
    test::ChangeDir cd{dir.path()};
};

TEST_F(Usability, AQuizCutOffWhileItWasMadeGivesItsCompleteQuestions) {
    const std::string warning = "Warning! The last question of this file was cut off and will be left out.\n";
    const std::string given = "True/False: Q 1?[2J?\n";  // the screen form of the question
    const std::string refused = "This file is not properly formatted.\nFile name may have been improperly entered.\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {kQuestion + "m\r\n", warning + given},                       // a lone kind line
        {kQuestion + "m\r\nQ2\r\n", warning + given},                 // no answer count
        {kQuestion + "M\r\nQ2\r\n3\r\nA\r\nB\r\n", warning + given},  // too few answers
        {kQuestion + "m\r\nQ2\r\n2\r\nA\r\nB", warning + given},      // no correct-answer line
        {kQuestion + "f\r\nQ2\r\n1\r\n", warning + given},
        {kQuestion + "P", given},  // whole, with and without its end marker
        {kQuestion, given},
        {kQuestion + "P\r\n\r\n", given},  // blank lines after the end marker are harmless
        {kQuestion + "P\r\n \t\r\n\r\n\r\n", given},
        {kQuestion + "P\r\nx", warning + given},      // anything else after it is one more record
        {"m\r\nQ2\r\n2\r\nA\r\n", refused},               // nothing complete
        {kQuestion + "m\r\nQ2\r\nx\r\nA\r\n", refused},  // broken, not cut
        {kQuestion + "f\r\nQ2\r\n2\r\nA\r\nB\r\n1\r\n", refused},  // a fill-in count other than 1
        {std::string("\xFF\xFEt\0\r\0\n\0", 8),
         "This file is not properly formatted.\nThis file is saved as UTF-16; save it as UTF-8 to use it.\n"},
    };
    for (const auto& [file, screen] : cases) {
        SCOPED_TRACE(file);
        dir.write("q.tav", file);
        ScriptedConsole con;
        RunState st;
        con.lines({"2", "q.tav"});
        if (!screen.starts_with("This file is not")) {
            con.line("1");       // the answer
            con.type(kDelete);   // the key wait
        }
        con.line("quit");
        EXPECT_EQ(run_program(con, st), 0);
        EXPECT_NE(con.text().find("> q.tav\n" + screen), std::string::npos) << con.text();
        EXPECT_EQ(dir.read("q.tav"), file) << "the file is never changed";
    }
}

TEST_F(Usability, TheDefaultFileIsEmptiedOnlyAfterAYes) {
    // Typed after the unusable name, the dialogue after the fall-back lines,
    // the file made ("" for none).
    const std::vector<std::tuple<std::vector<std::string_view>, std::string, std::string>> cases = {
        {{"y"}, kDefaultExists + "y\n", "tavtest1.tav"},
        {{"Yes"}, kDefaultExists + "Yes\n", "tavtest1.tav"},
        {{"maybe", "n", "new.tav"}, kDefaultExists + "maybe\n" + kOverwrite + "n\n" + kNamePrompt + "new.tav\n", "new.tav"},
        {{"N", "Quit"}, kDefaultExists + "N\n" + kNamePrompt + "Quit\n", ""},
    };
    for (const auto& [typed, dialogue, made] : cases) {
        SCOPED_TRACE(dialogue);
        fs::remove("tavtest1.tav");
        if (!typed.empty()) dir.write("tavtest1.tav", "an older quiz");
        ScriptedConsole con;
        RunState st;
        st.QUIT_PROCESS = 0;  // as the menu leaves it
        con.line("no_such_folder/q.tav");
        for (const std::string_view line : typed) con.line(line);
        EXPECT_EQ(choose_new_quiz_file(con, st).has_value(), !made.empty());
        EXPECT_EQ(con.transcript(), kNamePrompt + "no_such_folder/q.tav\n" +
                                        "It was determined that the file name that you entered was not useable.\n"
                                        "The file, 'tavtest1.tav' will be used instead.\n" + dialogue);
        EXPECT_EQ(dir.read("tavtest1.tav"), made == "tavtest1.tav" ? "" : "an older quiz");
        EXPECT_TRUE(made.empty() || (fs::exists(made) && fs::file_size(made) == 0));
    }
}

// One graded quiz in report mode, then the given keys; the run ends at a quit
// or where the script runs out, and the report has its closing lines.
TEST_F(Usability, CtrlDAtTheKeyWaitAndTheEndOfTheInput) {
    const std::string thanks = "Thank you for using Tavolin!!\r\n";
    const std::vector<std::tuple<std::vector<std::string>, bool, std::string>> cases = {
        {{"\x04", "quit\r"}, true, " \r\n" + thanks},  // Ctrl-D only ends the wait
        {{}, false, " \r\n" + thanks},                 // the input ends at the key wait
        {{kDelete}, false, " \r\n" + thanks},          // ... at the menu
        {{"\x04", "2\r", "q.tav\r", "1\r", kDelete}, false, " \r\nYour average grade on the 2 quizzes was 100.00%.\r\n" + thanks},
    };
    for (const auto& [keys, quits, report_end] : cases) {
        SCOPED_TRACE(keys.size());
        dir.write("q.tav", kQuestion + "P");
        ScriptedConsole con;
        RunState st;
        con.lines({"3", "q.tav", "1"});
        for (const std::string& k : keys) con.type(k);
        if (quits) {
            EXPECT_EQ(run_program(con, st), 0);
            EXPECT_NE(con.text().find("Numbers 1-3   > quit\n"), std::string::npos) << con.text();
        } else {
            EXPECT_THROW(run_program(con, st), EndOfInput);
        }
        const std::string report = dir.read("report.txt");
        EXPECT_TRUE(report.ends_with("out of 1, your score was 100.00%.\r\n" + report_end)) << report;
    }
}

TEST_F(Usability, ANarrowWindowIsNamedBeforeTheTitleScreen) {
    const std::string title = "{c15}{clear}\n{c9}";
    const std::vector<std::pair<std::optional<int>, std::string>> cases = {
        {79, "{c15}{clear}Widen this window to 80 columns\n(it has 79), then press a key.\n{key}{clear}\n{c9}"},
        {80, title}, {std::nullopt, title},
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
