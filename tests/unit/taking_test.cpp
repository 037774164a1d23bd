// Taking a quiz: a whole quiz of the three kinds with its draws, headings,
// answer rows, number messages and feedback; the answer layout at both sides
// of every threshold; the shown number of the correct answer for every
// shuffle; the quiz-file prompts and the ways loading turns a file away.
#include <filesystem>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "authoring/question_dialogue.hpp"
#include "authoring/quiz_reader.hpp"
#include "resultlog/encodeon.hpp"
#include "ground/base/blanks.hpp"
#include "ground/base/errors.hpp"
#include "support/expected.hpp"
#include "taking/checking.hpp"
#include "taking/presentation.hpp"
#include "taking/selection.hpp"
#include "taking/take_quiz.hpp"

namespace tavolin {
namespace {

using test::block;

const char* const kWorkedExample =
    "T\r\nThe sun rises in the east.\r\n2\r\nTrue\r\nFalse\r\n1\r\nm\r\nWhich of these animals is a mammal?\r\n3\r\n"
    "Shark\r\nDolphin\r\nTrout\r\n2\r\nF\r\nThe capital of France is ____.\r\n1\r\nParis\r\n1\r\nP";

class Taking : public test::Dialogue {};

TEST_F(Taking, WorkedExampleFromFirstQuestionToLast) {
    dir.write("quiz.tav", kWorkedExample);
    dir.write(kLogFileName, "");
    random->draws = {0, 2, 3, 2, 1, 2, 1};
    con.lines({"quiz.tav", "2", "paris", "0", "3", "-1", "1x", "", " 1 2"});
    take_quiz(con, st);
    EXPECT_EQ(shown(), block("taking.txt", "worked example"));
    EXPECT_TRUE(random->draws.empty());
    EXPECT_EQ(st.TIMES_LOOP, 3);
    EXPECT_EQ(st.VALUE_1, 2.0);
    EXPECT_EQ(random->seeds, 3);  // once for the quiz, then for each row of numbered answers
}

TEST_F(Taking, PromptsRetriesAndFilesTurnedAway) {
    dir.write(kLogFileName, "");
    dir.write("bad.tav", "p\r\nQ\r\n");
    std::string big;
    for (int q = 0; q < 3001; ++q) big += "f\r\nQ\r\n1\r\nA\r\n1\r\n";
    dir.write("big.tav", big + "P");
    con.lines({"Quit", "QUIT", "quit", " missing.tav", "bad.tav", "big.tav"});
    st.REPORT_ON = 1;
    EXPECT_FALSE(choose_quiz_file(con, st));
    EXPECT_EQ(st.REPORT_ON, 0);  // backing out before any report ends report mode
    st.REPORT_ON = 1;
    EXPECT_FALSE(choose_quiz_file(con, st));
    EXPECT_EQ(st.REPORT_ON, 1);  // not at the retry prompt
    for (const char* name : {"bad.tav", "big.tav"}) {
        st.QUIT_PROCESS = 0;
        auto file = choose_quiz_file(con, st);
        ASSERT_TRUE(file) << name;
        EXPECT_EQ(load_quiz(con, st, file), name == std::string("big.tav")) << name;
    }
    EXPECT_EQ(st.NAME[3000], 1 + 2999 * 5);
    EXPECT_EQ(shown(), block("taking.txt", "selection"));
    const std::string log = dir.read(kLogFileName);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3);  // "quit" after a retry, bad.tav, big.tav
}

TEST_F(Taking, AKindLineOfNoKindClosesTheProgramAfterItsPause) {
    dir.write("q.tav", "t \r\nQ\r\n2\r\nTrue\r\nFalse\r\n1\r\nP");
    random->draws = {1};
    con.line("q.tav");
    EXPECT_THROW(take_quiz(con, st), ForcedClose);
    const std::string t = con.transcript();
    EXPECT_EQ(t.substr(t.find("{clear}")), "{clear}Program has violated continue prerogative and must close!\n{pause 3000}");
}

// The shown number of the correct answer for every order of three answers,
// of either kind (three answers are shuffled even for true/false).
// The quiz file gone or cut short while the first question is shown: the
// quiz ends before the second, the question answered counting as the quiz.
TEST_F(Taking, AQuizFileGoneOrChangedBetweenQuestions) {
    struct Meddler final : Random {
        std::function<void()> at_second_seed;  // the first question's answers are shown
        int seeds = 0;
        void seed(std::uint32_t) override { if (++seeds == 2) at_second_seed(); }
        std::uint32_t below(std::uint32_t n) override { return n - 1; }
    };
    for (const bool gone : {true, false}) {
        dir.write("q.tav", "t\r\nQ1\r\n2\r\nTrue\r\nFalse\r\n1\r\nt\r\nQ2\r\n2\r\nTrue\r\nFalse\r\n1\r\nP");
        auto meddler = std::make_unique<Meddler>();
        meddler->at_second_seed = [&] {
            gone ? void(std::filesystem::remove(dir.file("q.tav"))) : dir.write("q.tav", "t\r\nQ1\r\n");
        };
        st.platform.random = std::move(meddler);
        con.reset_output();
        con.lines({"q.tav", "1"});
        take_quiz(con, st);
        EXPECT_NE(con.text().find(std::string(gone ? "The quiz file can no longer be opened!"
                                                   : "The quiz file has changed and is no longer properly formatted!") +
                                  "\nThe quiz ends here.\nThe questions already answered count as the quiz.\n"),
                  std::string::npos) << con.text();
        EXPECT_EQ(st.TIMES_LOOP, 1);
    }
}

TEST_F(Taking, CorrectAnswerIsFollowedThroughEveryShuffle) {
    const std::vector<std::string> answers = {"aaaaa", "bbbbb", "ccccc"};
    for (int run = 0; run < 36; ++run) {
        const QuestionKind kind = run < 18 ? QuestionKind::kMultipleChoice : QuestionKind::kTrueFalse;
        const auto correct = static_cast<std::int16_t>(run % 3 + 1);
        con.reset_output();
        random->draws = {static_cast<std::uint32_t>(run / 3 % 3 + 1), static_cast<std::uint32_t>(run / 9 % 2 + 1), 1};
        std::vector<std::string> pool = answers;
        const std::int16_t shown_as = ANSWERS_READ(con, st.platform, pool, correct, kind);
        const std::size_t at = con.text().find(std::to_string(shown_as) + ") ");
        ASSERT_NE(at, std::string::npos);
        EXPECT_EQ(con.text().substr(at + 3, 5), answers[static_cast<std::size_t>(correct - 1)]) << con.text();
        EXPECT_TRUE(random->draws.empty());
    }
}

// Blanks, tabs and line ends around a fill-in answer go on both sides: from
// the stored answer when it is written, from the typed one when it is judged.
// The program's generator, xoshiro128** seeded through splitmix64, against
// draws worked out from the published algorithms for two seeds.
TEST(Random, DrawsOfThePublishedGenerator) {
    DefaultRandom r;
    r.seed(1000);
    std::vector<std::uint32_t> draws;
    for (const std::uint32_t n : {2U, 3U, 7U, 100U, 1000U, 3000U, 65536U, 4294967295U, 1U}) draws.push_back(r.below(n));
    r.seed(0);
    for (int k = 0; k < 6; ++k) draws.push_back(r.below(100));
    EXPECT_EQ(draws, (std::vector<std::uint32_t>{0, 0, 6, 32, 124, 1414, 22912, 3395923969U, 0, 92, 42, 81, 42, 75, 86}));
}

TEST(FillIn, TrimmingAndTheExactComparison) {
    EXPECT_EQ(trim_blanks(" \t\r\nNew  York\t \n"), "New  York");
    const std::vector<std::tuple<const char*, const char*, int>> cases = {
        {"Paris", " \tParis\t ", 1}, {"Paris", "paris", 2}, {"New  York", "New York", 2}, {"", " \t ", 1}, {"\tx", "x", 2}};
    for (const auto& [stored, typed, user] : cases) {
        RunState st;
        st.FILLINBLANK1 = stored;
        st.FILLINBLANK2 = typed;
        compare_fill_in(st);
        EXPECT_EQ(st.USER_CHOICE, user) << typed;
        EXPECT_EQ(st.CORRECT_CHOICE, 1);
    }
}

// The rows of the answers, written as the entry numbers of each screen line;
// each text has the given columns, made of the given character (of one or
// two columns) and an 'x' to make up an odd number.
std::string rows(const std::vector<int>& lengths, std::string_view unit = "x", int unit_columns = 1) {
    ScriptedConsole con;
    AnswerLayout layout(con);
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        std::string text;
        for (int n = 0; n < lengths[i] / unit_columns; ++n) text += unit;
        if (lengths[i] % unit_columns != 0) text += 'x';
        layout.entry(static_cast<int>(i + 1), text);
    }
    const std::string schematic = std::regex_replace(con.text(), std::regex(" +([0-9]+)\\) [^ \n]+"), "$1,");
    return std::regex_replace(schematic, std::regex(",(\n|$)"), "$1");
}

// Lengths count columns: the same breaks with texts of wide characters and of
// letters with combining accents as with ASCII.
TEST(AnswerLayout, BothSidesOfEveryThreshold) {
    const std::vector<std::pair<std::vector<int>, const char*>> cases = {
        {{25, 26}, "1\n2"},                     // second entry: the row and it reach 61
        {{25, 25}, "1,2"},
        {{5, 5, 40, 5, 17}, "1,2,3\n4\n5"},     // second entry: with the row before's third over 61
        {{5, 5, 40, 5, 16}, "1,2,3\n4,5"},
        {{5, 5, 40, 12}, "1,2,3\n\n4"},         // fourth entry after a break: over 61
        {{5, 5, 40, 11}, "1,2,3\n4"},
        {{25, 26, 25}, "1\n2\n3"},              // third entry after a break: the two reach 61
        {{25, 26, 24}, "1\n2,3\n"},
        {{5, 5, 30, 5, 5, 12}, "1,2,3\n4,5\n6"},  // third entry: the sum with the old third over 61
        {{5, 5, 30, 5, 5, 11}, "1,2,3\n4,5,6\n"},
        {{5, 5, 41}, "1,2\n3"},                 // third entry: the row reaches 61
        {{5, 5, 40}, "1,2,3\n"},
    };
    for (const auto& [lengths, expected] : cases) {
        EXPECT_EQ(rows(lengths), expected) << lengths.size();
        EXPECT_EQ(rows(lengths, "\xe6\x97\xa5", 2), expected) << lengths.size();  // 日
        EXPECT_EQ(rows(lengths, "e\xcc\x81"), expected) << lengths.size();         // e and a combining acute
    }
    const std::vector<std::pair<std::vector<std::string_view>, std::string_view>> entries = {
        {{"", "abc"}, "    1)          2)   abc"},
        {{"\xc3\xa9", "S\xc3\xad", "N\xc3\xa3o"}, "    1)     \xc3\xa9    2)    S\xc3\xad    3)   N\xc3\xa3o\n"},
        {{"e\xcc\x81"}, "    1)     e\xcc\x81"},
        {{"東京", "大阪市", "北海道です", "はい"}, "    1)  東京    2) 大阪市    3) 北海道です\n    4)  はい"},
    };
    for (const auto& [texts, shown] : entries) {
        ScriptedConsole con;
        AnswerLayout layout(con);
        for (std::size_t i = 0; i < texts.size(); ++i) layout.entry(static_cast<int>(i + 1), texts[i]);
        EXPECT_EQ(con.text(), shown);
    }
}

}  // namespace
}  // namespace tavolin
