// The quiz-file checker: it agrees with the program's own reading on every
// generated file (no error exactly when the program takes the file and can
// give every question), and names each fault with its line, in words typed
// out in tests/data/check.txt.
#include <random>
#include <string>
#include <vector>

#include "authoring/quiz_check.hpp"
#include "support/expected.hpp"
#include "support/program_reads.hpp"

namespace tavolin {
namespace {

class QuizCheck : public test::Dialogue {
protected:
    // The findings as tavolin-check words them, one a line.
    std::string check(const std::string& content, CheckSummary* summary = nullptr) {
        dir.write("q.tav", content);
        std::optional<QuizFile> file = QuizFile::open("q.tav");
        std::string said;
        const CheckSummary s = check_quiz_file(*file, [&](const Finding& f) {
            said += "q.tav:" + std::to_string(f.line) +
                    (f.severity == Finding::Severity::kError ? ": error: " : ": warning: ") + f.text + "\n";
        });
        if (summary != nullptr) *summary = s;
        return said;
    }
};

// A quiz file of a few questions, most of them sound, with the faults a hand
// edit makes: kind lines, counts and correct answers of every sort, lines cut
// short or too long, control bytes, what follows the end marker, LF line
// ends, a byte-order mark, a byte 26, and the file cut at any byte.
std::string generated_file(std::mt19937& rng) {
    auto pick = [&](auto... options) {
        const std::string all[] = {options...};
        return all[rng() % sizeof...(options)];
    };
    auto chance = [&](unsigned percent) { return rng() % 100 < percent; };
    const std::string end = chance(20) ? "\n" : "\r\n";
    std::string out = chance(5) ? "\xEF\xBB\xBF" : "";
    const int questions = static_cast<int>(rng() % 6);
    for (int q = 0; q < questions; ++q) {
        const std::string kind =
            chance(85) ? pick("t", "T", "m", "M", "f", "F") : pick("P", "p", "x", "", "t ", "True", "mm");
        const char k = static_cast<char>(kind.empty() ? 'x' : kind[0] | 0x20);
        int n = k == 't' ? 2 : k == 'f' ? 1 : 1 + static_cast<int>(rng() % 5);
        if (chance(5)) n = 100;
        std::string count = std::to_string(n);
        if (chance(10)) count = pick("0", "101", "abc", "", " 2", "+2", "2 two", "-1", "99999", "3");
        if (!count.empty() && count != "abc") n = std::max(0, std::min(std::atoi(count.c_str()), 104));
        out += kind + end + (chance(10) ? pick("Tab\there", "Bell\a", std::string(300, 'q')) : "Q?") + end;
        out += count + end;
        for (int a = 1; a <= n; ++a) {
            out += (k == 't' && a <= 2 && chance(95)) ? (a == 1 ? "True" : "False") : pick("A", "", "a\x1b[31m");
            out += end;
        }
        const std::string correct =
            chance(85) ? std::to_string(1 + rng() % std::max(n, 1)) : pick("0", "x", "", std::to_string(n + 1), "1 z");
        out += correct + end;
    }
    out += chance(80) ? "P" : pick("", "P\r\n", "P\r\n\r\n", "P\r\nm\r\nQ\r\n1\r\na\r\n1\r\nP", "x", "m", "P\r\nf\r\n");
    if (chance(5)) out.insert(rng() % (out.size() + 1), "\x1a");
    if (chance(15)) out.resize(rng() % (out.size() + 1));
    return out;
}

TEST_F(QuizCheck, NoErrorExactlyWhenTheProgramTakesTheFileAndGivesEveryQuestion) {
    std::mt19937 rng(20261208);
    int taken = 0;
    for (int round = 0; round < 2500; ++round) {
        const std::string content = generated_file(rng);
        CheckSummary summary;
        const std::string said = check(content, &summary);
        const test::ProgramTake program = test::program_take("q.tav");
        ASSERT_EQ(summary.errors == 0, program.taken) << said << "for the file:\n" << content;
        if (!program.taken) continue;
        ++taken;
        EXPECT_EQ((std::array<int, 3>{summary.true_false, summary.multiple_choice, summary.fill_in}), program.kinds)
            << content;
    }
    EXPECT_GT(taken, 600);  // both sides of the agreement are well tried
    EXPECT_LT(taken, 1900);
}

// Each case: the file's lines (joined by CR LF) and its findings, as the
// block of the same name in check.txt gives them.
TEST_F(QuizCheck, NamesEachFaultWithItsLine) {
    auto lines = [](std::initializer_list<std::string> ls) {
        std::string out;
        for (const std::string& l : ls) out += l + "\r\n";
        return out;
    };
    const std::string tf = lines({"t", "Cows moo.", "2", "True", "False", "1"});
    // Over 64 KiB, so that lines stand across the reader's buffers.
    const std::string one = lines({"f", "Question", "1", "Answer", "1"});
    std::string many;
    for (int q = 0; q < 3000; ++q) many += one;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"empty", ""}, {"first line", "x\r\n" + tf}, {"end marker first", "P\r\n" + tf}, {"lone kind line", "m"},
        {"cut in the first question", lines({"m", "Q", "3", "a", "b"})},
        {"faults that do not stop", tf + lines({"mx", "Q", "2", "a", "b", "1", "F", "Q", "2", "a", "b", "1", "M", "Q",
                                                "2", "a", "b", "3"}) + "P"},
        {"a count that stops", tf + lines({"m", "Q", "", "a", "b", "1"}) + "P"},
        {"true/false taken as written", lines({"T", "Q", "3", "Yes", "No", "Maybe", "1"}) + "P"},
        {"shown lines", lines({"m", "A unit separator\x1f in this question.", "5", std::string(4097, 'a'),
                               std::string(4096, 'c'), "a tab\tis fine", "delete this\x7f one", "caf\xc3\xa9 au lait",
                               "1", "f", std::string(255, 'Q'), "1", std::string(256, 'b'), "2"}) + "P"},
        {"after the end marker", tf + "P\r\n" + lines({"Q", "1", "a", "1"}) + "P"},
        {"a question after the end marker", tf + "P\r\n" + tf + "P"},
        {"an empty line after the end marker", tf + "P\r\n\r\n"},
        {"cut last question", tf + lines({"f", "Q", "1"})}, {"kind line last", tf + "m"}, {"no end marker", tf},
        {"stray last line", tf + "the end of this quiz, and a few more words after it"},
        {"byte 26", tf + "P\x1a" + tf}, {"byte 26 last", tf + "P\x1a"}, {"LF only", "t\nQ\n2\nTrue\nFalse\n1\nP"},
        {"3000 questions and more", many + one + "m\r\nQ\r\nx\r\n" + tf},
        {"2999 questions and a broken one", many.substr(0, many.size() - one.size()) + "m\r\nQ\r\nx\r\nP"},
    };
    for (const auto& [name, content] : cases) {
        CheckSummary summary;
        const std::string said = test::block("check.txt", name);
        EXPECT_EQ(check(content, &summary), said.empty() ? said : said + "\n") << name;
        if (summary.errors == 0) {
            EXPECT_EQ("q.tav: " + summary_text(summary), test::block("check.txt", name + " (summary)")) << name;
        }
    }
}

}  // namespace
}  // namespace tavolin
