// The quiz-file checker names each fault with its line, in words typed out
// in tests/data/check.txt. (It walks a file through the program's own
// walker, so it cannot disagree with the program's reading.)
#include <string>
#include <vector>

#include "authoring/quiz_check.hpp"
#include "support/expected.hpp"

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
        {"a count larger than the answers", tf + lines({"m", "Q", "3", "a", "b", "2"}) + "P"},
        {"true/false taken as written", lines({"T", "Q", "3", "Yes", "No", "Maybe", "1"}) + "P"},
        {"shown lines", lines({"m", "A unit separator\x1f in this question.", "5", std::string(4097, 'a'),
                               std::string(4096, 'c'), "a tab\tis fine", "delete this\x7f one and this\xc2\x85", "caf\xc3\xa9 au lait",
                               "1", "f", std::string(255, 'Q'), "1", std::string(256, 'b'), "2"}) + "P"},
        {"after the end marker", tf + "P\r\n" + lines({"Q", "1", "a", "1"}) + "P"},
        {"a question after the end marker", tf + "P\r\n" + tf + "P"},
        {"blank lines after the end marker", tf + "P\r\n \t\r\n\r\n"},
        {"a kind line left out", tf + lines({"What fruit is red?", "1", "Apple", "1"}) + "P"},
        {"a blank line between two questions", tf + "\r\n" + tf + "P"},
        {"fill-in answers no typed answer matches", lines({"f", "Capital of Spain?", "1", " Madrid", "1", "f", "Q", "1",
            "Yaound\be", "1", "f", "Q", "1", "tab\t", "1", "f", "Q", "1", std::string(255, 'b'), "1"}) + "P"},
        {"not UTF-8", lines({"m", "R\xe9ponse?", "4", "caf\xc3\xa9", "\xe9t\xe9", "\xed\xa0\x80", "\xe0\x80\xaf", "1", "f", std::string(253, 'q') +
            "\xe6\x97\xa5", "1", "ok", "1"}) + "R\xe9ponse"},
        {"UTF-16", std::string("\xFF\xFEt\0\r\0\n\0", 8)},
        {"quoted excerpts", tf + lines({std::string(40, 'k'), "Q", "1", "a", "1", "m", "Q", "1", "a",
            std::string(39, '9') + "\xc3\xa9"}) + "P"},
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
