// The chatter words at the menu: every reply of every table in order of use,
// the growing sentence around each point where it changes, and the help
// counter that other dialogues share.
#include <string>
#include <vector>

#include "authoring/quiz_reader.hpp"
#include "taking/selection.hpp"
#include "shell/chatter.hpp"
#include "shell/main_loop.hpp"
#include "support/expected.hpp"

namespace tavolin {
namespace {

class Chatter : public test::Dialogue {};

TEST_F(Chatter, EveryReplyOfEveryWordInOrderBelowThePrompt) {
    std::string expected;
    for (const std::string& row : test::table("chatter.txt")) {
        const std::string word = row.substr(0, row.find(' '));
        con.line(word);
        expected += "Numbers 1-4   > " + word + "\n" + row.substr(word.size() + 1) + "\n\n";
    }
    con.lines({"2", "Quit", "1", "Quit", "quit"});  // backing out of a file prompt keeps the screen too
    EXPECT_EQ(run_program(con, st), 0);
    const std::string text = con.text();
    const std::size_t at = text.find("Numbers 1-4   > ");
    EXPECT_EQ(text.substr(at, expected.size()), expected);
    EXPECT_EQ(con.clears(), 2);  // at the start and at the quit, never between
}

TEST_F(Chatter, GrowingSentenceAroundEachChange) {
    std::vector<std::string> rows = test::table("growing.txt");
    for (int n = 1; n <= 71; ++n) {
        con.reset_output();
        chatter_reply(con, st, 9);
        if (!rows.empty() && std::stoi(rows.front()) == n) {
            EXPECT_EQ(con.text(), rows.front().substr(rows.front().find(' ') + 1) + "\n") << n;
            EXPECT_EQ(st.X, n);
            rows.erase(rows.begin());
        }
    }
    EXPECT_TRUE(rows.empty());
    con.reset_output();
    chatter_reply(con, st, 10);
    EXPECT_EQ(con.text(), "Maybe you should just check the readme.txt file.\n");
}

// The count of a quiz file leaves the shared counter at the last answer
// count of its loop plus one: 9 answers give 10, the help for 10.
TEST_F(Chatter, HelpAfterLoadingAQuizTakesItsReplyFromTheCount) {
    dir.write("q.tav", "t\r\nT?\r\n2\r\nTrue\r\nFalse\r\n1\r\nM\r\nQ?\r\n9\r\n" + std::string(9, 'a') + "\r\n" +
                           "b\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\ni\r\n1\r\nP");
    auto file = QuizFile::open("q.tav");
    ASSERT_TRUE(file && count_questions(*file, st));
    chatter_reply(con, st, 10);
    EXPECT_EQ(con.text(), "The 'help' command doesn't do anything else than tell you these four messages.\n");
}

}  // namespace
}  // namespace tavolin
