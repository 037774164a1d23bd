// The reading side of the quiz file, against hand-made files: the first-line
// check, the count pass and its index, the 3000 limit, finding and reading a
// record, whole-number lines, line ends and the end-of-file byte.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "authoring/quiz_reader.hpp"
#include "shell/run_state.hpp"
#include "shell/console/scripted_console.hpp"
#include "support/temp_dir.hpp"

namespace tavolin {
namespace {

// The worked example: a true/false, a multiple-choice and a fill-in record.
constexpr std::string_view kExample =
    "T\r\nThe sun rises in the east.\r\n2\r\nTrue\r\nFalse\r\n1\r\n"
    "m\r\nWhich of these animals is a mammal?\r\n3\r\nShark\r\nDolphin\r\nTrout\r\n2\r\n"
    "F\r\nThe capital of France is ____.\r\n1\r\nParis\r\n1\r\nP";

std::string lf_only(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c != '\r') out += c;
    }
    return out;
}

// A multiple-choice record with n answers "a1".."an".
std::string mc_record(int n, int correct, std::string_view kind = "m") {
    std::string r = std::string(kind) + "\r\nQ\r\n" + std::to_string(n) + "\r\n";
    for (int i = 1; i <= n; ++i) r += "a" + std::to_string(i) + "\r\n";
    return r + std::to_string(correct) + "\r\n";
}

class QuizReaderTest : public ::testing::Test {
protected:
    QuizReaderTest() : cd_(dir_.path()) {}

    // Opens `content` as a quiz file.
    QuizFile file_of(std::string_view content, std::string_view name = "q.tav") {
        dir_.write(name, content);
        auto f = QuizFile::open(std::string(name));
        if (!f) throw std::runtime_error("cannot open test file");
        return std::move(*f);
    }

    // The count pass over `content`; false when it is rejected.
    bool count(std::string_view content) {
        QuizFile f = file_of(content);
        return count_pass(f, st_);
    }

    std::vector<std::int32_t> index() const {
        return {st_.NAME.begin() + 1, st_.NAME.begin() + 1 + st_.TEMP};
    }

    // The first-line check on `content`: the code, and the console text.
    std::pair<std::int16_t, std::string> first_line(std::string_view content) {
        std::optional<QuizFile> f = file_of(content);
        ScriptedConsole con;
        const std::int16_t code = READ_KINDS(con, f);
        EXPECT_EQ(f.has_value(), code != kKindNotQuiz);
        return {code, con.transcript()};
    }

    test::TempDir dir_;
    test::ChangeDir cd_;
    RunState st_;
};

// ---- first-line check ----

TEST_F(QuizReaderTest, FirstLineKindLettersInEitherCaseAndTheEndMarker) {
    EXPECT_EQ(first_line("t\r\n").first, kKindTrueFalse);
    EXPECT_EQ(first_line("T\r\n").first, kKindTrueFalse);
    EXPECT_EQ(first_line("m\r\n").first, kKindMultipleChoice);
    EXPECT_EQ(first_line("M").first, kKindMultipleChoice);
    EXPECT_EQ(first_line("f\r\n").first, kKindFillIn);
    EXPECT_EQ(first_line("F\n").first, kKindFillIn);
    EXPECT_EQ(first_line("P").first, kKindEndMarker);
    // Only the first character counts.
    EXPECT_EQ(first_line("True\r\nq\r\n2\r\nTrue\r\nFalse\r\n1\r\nP").first, kKindTrueFalse);
}

TEST_F(QuizReaderTest, FirstLineAnythingElseIsNoQuizFile) {
    const std::string two_lines =
        "This file is not properly formatted.\nFile name may have been improperly entered.\n";
    for (const std::string_view content : {"", "\r\n", "\n", "p", "x\r\nQ", " T\r\n", "\x1aT\r\n"}) {
        const auto [code, text] = first_line(content);
        EXPECT_EQ(code, kKindNotQuiz) << "content: " << testing::PrintToString(std::string(content));
        EXPECT_EQ(text, two_lines);
    }
}

TEST_F(QuizReaderTest, FirstLineMovesToTheNextLine) {
    std::optional<QuizFile> f = file_of("Mxyz\r\nsecond\r\n");
    ScriptedConsole con;
    EXPECT_EQ(READ_KINDS(con, f), kKindMultipleChoice);
    std::string line;
    ASSERT_TRUE(f->read_line(line));
    EXPECT_EQ(line, "second");
    EXPECT_EQ(con.transcript(), "");
}

// ---- count pass ----

TEST_F(QuizReaderTest, WorkedExampleIndexesLines1_7_14) {
    ASSERT_TRUE(count(kExample));
    EXPECT_EQ(st_.TEMP, 3);
    EXPECT_EQ(st_.LOOP3RAN, 3);
    EXPECT_EQ(st_.LOOP4RAN, 0);
    EXPECT_EQ(st_.EXITMASSCODE, 0);
    EXPECT_EQ(index(), (std::vector<std::int32_t>{1, 7, 14}));
    EXPECT_EQ(st_.LOOPRAN, 19);  // the end marker's line
    EXPECT_EQ(st_.STRING1, "P");
}

TEST_F(QuizReaderTest, LfOnlyAndMixedLineEndsCountAlike) {
    ASSERT_TRUE(count(lf_only(kExample)));
    EXPECT_EQ(index(), (std::vector<std::int32_t>{1, 7, 14}));
    std::string mixed(kExample);
    mixed.erase(mixed.find("Dolphin\r\n") + 7, 1);  // one line ended by LF alone
    ASSERT_TRUE(count(mixed));
    EXPECT_EQ(index(), (std::vector<std::int32_t>{1, 7, 14}));
}

TEST_F(QuizReaderTest, EndMarkerAloneAndKindLetterAloneGiveNoQuestions) {
    ASSERT_TRUE(count("P"));
    EXPECT_EQ(st_.TEMP, 0);
    ASSERT_TRUE(count("m"));
    EXPECT_EQ(st_.TEMP, 0);
    ASSERT_TRUE(count("m\r\n"));
    EXPECT_EQ(st_.TEMP, 0);
}

TEST_F(QuizReaderTest, MissingEndMarkerAndOneTrailingLineEndAreHarmless) {
    std::string without(kExample);
    without.resize(without.size() - 1);  // ends "1\r\n"
    ASSERT_TRUE(count(without));
    EXPECT_EQ(index(), (std::vector<std::int32_t>{1, 7, 14}));
    ASSERT_TRUE(count(without.substr(0, without.size() - 2)));  // ends "1"
    EXPECT_EQ(index(), (std::vector<std::int32_t>{1, 7, 14}));
    ASSERT_TRUE(count(std::string(kExample) + "\r\n"));
    EXPECT_EQ(st_.TEMP, 3);
}

TEST_F(QuizReaderTest, ByteTwentySixEndsTheFile) {
    // Everything after it is never read, a broken record included.
    ASSERT_TRUE(count(std::string(kExample) + "\x1a" + "m\r\nbroken\r\n"));
    EXPECT_EQ(st_.TEMP, 3);
    std::string cut(kExample);
    cut.insert(cut.find("m\r\nWhich"), "\x1a");
    ASSERT_TRUE(count(cut));
    EXPECT_EQ(index(), (std::vector<std::int32_t>{1}));
}

TEST_F(QuizReaderTest, ThreeThousandRecordsAreAllCounted) {
    std::string content;
    for (int i = 0; i < MASS; ++i) content += mc_record(1 + i % 4, 1);
    ASSERT_TRUE(count(content + "P"));
    EXPECT_EQ(st_.TEMP, MASS);
    EXPECT_EQ(st_.EXITMASSCODE, 0);
    std::int32_t line = 1;
    for (int k = 1; k <= MASS; ++k) {
        ASSERT_EQ(st_.NAME[static_cast<std::size_t>(k)], line) << "record " << k;
        line += 1 + (k - 1) % 4 + 4;
    }
}

TEST_F(QuizReaderTest, RecordsBeyondThreeThousandAreNotRead) {
    std::string content;
    for (int i = 0; i < MASS; ++i) content += mc_record(2, 1);
    // The 3001st record is broken; it is never looked at.
    ASSERT_TRUE(count(content + "m\r\nQ\r\nlots\r\n"));
    EXPECT_EQ(st_.TEMP, MASS);
    EXPECT_EQ(st_.LOOP3RAN, MASS);
    EXPECT_EQ(st_.EXITMASSCODE, 1);
    EXPECT_EQ(st_.NAME[MASS], 1 + (MASS - 1) * 6);
}

TEST_F(QuizReaderTest, BrokenLayoutsAreRejected) {
    const std::string good_tail = mc_record(2, 1) + "P";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"count not a number", "m\r\nQ\r\ntwo\r\na\r\nb\r\n1\r\n"},
        {"count empty", "m\r\nQ\r\n\r\na\r\nb\r\n1\r\n"},
        {"count 0", "m\r\nQ\r\n0\r\n1\r\n"},
        {"count negative", "m\r\nQ\r\n-2\r\na\r\nb\r\n1\r\n"},
        {"count 101", mc_record(101, 1)},
        {"count beyond 16 bits", "m\r\nQ\r\n99999\r\na\r\n1\r\n"},
        {"correct 0", mc_record(3, 0)},
        {"correct above n", mc_record(3, 4)},
        {"correct not a number", "m\r\nQ\r\n1\r\na\r\nx\r\n"},
        {"true/false correct 3", "t\r\nQ\r\n2\r\nTrue\r\nFalse\r\n3\r\n"},
        {"fill-in count 2", "f\r\nQ\r\n2\r\nParis\r\nx\r\n1\r\n"},
        {"end inside answers", "m\r\nQ\r\n3\r\na\r\nb\r\n"},
        {"end before correct line", "m\r\nQ\r\n2\r\na\r\nb\r\n"},
        {"end after question", "m\r\nQ\r\n"},
        {"end after question, no line end", "m\r\nQ"},
    };
    for (const auto& [what, record] : cases) {
        // Broken as the first record, and after a sound one.
        EXPECT_FALSE(count(record)) << what;
        EXPECT_EQ(st_.TEMP, 0) << what;
        EXPECT_FALSE(count(mc_record(2, 2) + record + good_tail)) << what << " (second)";
        EXPECT_EQ(st_.TEMP, 0) << what;
    }
}

TEST_F(QuizReaderTest, LineAfterEndMarkerStartsARecordThatEndsInside) {
    EXPECT_TRUE(count(std::string(kExample) + "\r\n\r\n") && st_.TEMP == 3 && st_.CUTSHORTCODE == 1);
    EXPECT_TRUE(count(std::string(kExample) + "\r\nextra") && st_.TEMP == 3 && st_.CUTSHORTCODE == 1);
}

TEST_F(QuizReaderTest, SoundOddities) {
    // Upper-case kinds, a number with a sign, blanks and a word after it, a
    // true/false record of three answers, 100 answers, and a record of no
    // known kind (refused only when drawn) all count.
    ASSERT_TRUE(count("M\r\nQ\r\n  +2 answers\r\na\r\nb\r\n\t2 x\r\n" + mc_record(3, 3, "t") + mc_record(100, 100) +
                      mc_record(2, 7, "x") + "P"));
    EXPECT_EQ(index(), (std::vector<std::int32_t>{1, 7, 14, 118}));
    // A fill-in record's correct-answer line is not used, so not checked.
    ASSERT_TRUE(count("f\r\nQ\r\n1\r\nParis\r\nwhatever\r\nP"));
    EXPECT_EQ(st_.TEMP, 1);
}

TEST_F(QuizReaderTest, LongLinesCountAsOneLine) {
    const std::string huge(200000, 'x');  // runs over several buffers
    ASSERT_TRUE(count("m\r\n" + huge + "\r\n2\r\n" + huge + "\r\nb\r\n1\r\n" + mc_record(1, 1) + "P"));
    EXPECT_EQ(index(), (std::vector<std::int32_t>{1, 7}));
}

// ---- lines and numbers ----

TEST_F(QuizReaderTest, ReadLineKeepsItsBytesAndDropsTheLineEnd) {
    const std::string long_line(300, 'y');
    QuizFile f = file_of("a\r\n\r\nb\rc\r\n\n" + long_line + "\r\n" + std::string(255, 'z') + "\r\nlast\r");
    std::string line;
    ASSERT_TRUE(f.read_line(line));
    EXPECT_EQ(line, "a");
    ASSERT_TRUE(f.read_line(line));
    EXPECT_EQ(line, "");
    ASSERT_TRUE(f.read_line(line));
    EXPECT_EQ(line, "b\rc");  // a CR inside a line is text
    ASSERT_TRUE(f.read_line(line));
    EXPECT_EQ(line, "");
    ASSERT_TRUE(f.read_line(line));
    EXPECT_EQ(line, std::string(255, 'y'));  // cut, the rest skipped
    ASSERT_TRUE(f.read_line(line));
    EXPECT_EQ(line, std::string(255, 'z'));  // exactly 255 before CR LF
    ASSERT_TRUE(f.read_line(line));
    EXPECT_EQ(line, "last");
    EXPECT_TRUE(f.at_end());
    EXPECT_FALSE(f.read_line(line));
    EXPECT_EQ(f.lines_done(), 7);
}

TEST_F(QuizReaderTest, CrLfSplitAcrossBuffersIsOneLineEnd) {
    const std::string first(QuizFile::kBufferSize - 1, 'a');  // CR is the buffer's last byte
    QuizFile f = file_of(first + "\r\nnext\r\n");
    std::string line;
    ASSERT_TRUE(f.read_line(line, kAnswerKeep * 100));
    EXPECT_EQ(line, first);
    ASSERT_TRUE(f.read_line(line));
    EXPECT_EQ(line, "next");
}

TEST_F(QuizReaderTest, SkipLinesCountsWhatIsThere) {
    QuizFile f = file_of("1\n2\r\n3\n4");
    EXPECT_EQ(f.skip_lines(2), 2);
    std::string line;
    ASSERT_TRUE(f.read_line(line));
    EXPECT_EQ(line, "3");
    EXPECT_EQ(f.skip_lines(5), 1);  // the last line has no line end
    EXPECT_EQ(f.skip_lines(1), 0);
    EXPECT_EQ(f.lines_done(), 4);
}

TEST(WholeNumber, ReadsTheFirstWordAsASignedNumber) {
    EXPECT_EQ(whole_number("2"), 2);
    EXPECT_EQ(whole_number("  \t17 and more"), 17);
    EXPECT_EQ(whole_number("+5"), 5);
    EXPECT_EQ(whole_number("-3"), -3);
    EXPECT_EQ(whole_number("32767"), 32767);
    EXPECT_EQ(whole_number("-32768"), -32768);
    EXPECT_EQ(whole_number("007"), 7);
    for (const std::string_view bad : {"", "   ", "x", "2x", "-", "+", "32768", "-32769", "1e3",
                                       "99999999999999999999999"}) {
        EXPECT_FALSE(whole_number(bad).has_value()) << bad;
    }
}

TEST(KindLine, OnlyTheExactLettersAfterLowerCasing) {
    EXPECT_EQ(kind_of(lower_ascii("M")), QuestionKind::kMultipleChoice);
    EXPECT_EQ(kind_of(lower_ascii("t")), QuestionKind::kTrueFalse);
    EXPECT_EQ(kind_of(lower_ascii("F")), QuestionKind::kFillIn);
    for (const std::string_view bad : {"", "m ", " m", "true", "p", "P", "mm", "\xcd"}) {
        EXPECT_EQ(kind_of(lower_ascii(bad)), QuestionKind::kNone) << bad;
    }
    EXPECT_EQ(lower_ascii("AZaz@[\xc4"), "azaz@[\xc4");
}

// ---- opening ----

TEST_F(QuizReaderTest, OnlyPlainFilesOpen) {
    dir_.write("quiz", "P");
    EXPECT_TRUE(QuizFile::open("quiz").has_value());
    EXPECT_FALSE(QuizFile::open("absent").has_value());
    EXPECT_FALSE(QuizFile::open("").has_value());
    ASSERT_EQ(::mkdir("folder", 0700), 0);
    EXPECT_FALSE(QuizFile::open("folder").has_value());
    ASSERT_EQ(::mkfifo("pipe", 0600), 0);
    EXPECT_FALSE(QuizFile::open("pipe").has_value());  // and does not block
    EXPECT_FALSE(QuizFile::open("/dev/null").has_value());
    ASSERT_EQ(::symlink("quiz", "link"), 0);
    EXPECT_TRUE(QuizFile::open("link").has_value());
}

// ---- finding and reading a record ----

TEST_F(QuizReaderTest, ReadDownLandsOnTheKindLine) {
    for (const std::int32_t line : {1, 7, 14}) {
        QuizFile f = file_of(kExample);
        std::string kind;
        ASSERT_TRUE(read_down_to(f, line, kind));
        EXPECT_EQ(kind, line == 1 ? "T" : line == 7 ? "m" : "F");
        EXPECT_EQ(f.lines_done(), line);
    }
    QuizFile f = file_of(kExample);
    std::string kind;
    EXPECT_FALSE(read_down_to(f, 20, kind));
}

TEST_F(QuizReaderTest, ReadRecordOfEachKind) {
    QuestionRecord r;
    QuizFile f = file_of(kExample);
    std::string kind;
    ASSERT_TRUE(read_down_to(f, 1, kind));
    ASSERT_TRUE(read_record(f, QuestionKind::kTrueFalse, r));
    EXPECT_EQ(r.question, "The sun rises in the east.");
    EXPECT_EQ(r.count, 2);
    EXPECT_EQ(r.answers, (std::vector<std::string>{"True", "False"}));
    EXPECT_EQ(r.correct, 1);
    ASSERT_TRUE(f.read_line(kind));
    ASSERT_TRUE(read_record(f, QuestionKind::kMultipleChoice, r));
    EXPECT_EQ(r.answers, (std::vector<std::string>{"Shark", "Dolphin", "Trout"}));
    EXPECT_EQ(r.correct, 2);
    ASSERT_TRUE(f.read_line(kind));
    ASSERT_TRUE(read_record(f, QuestionKind::kFillIn, r));
    EXPECT_EQ(r.question, "The capital of France is ____.");
    EXPECT_EQ(r.fill_answer, "Paris");
}

TEST_F(QuizReaderTest, ReadRecordKeepsLongAnswersUpToTheirBound) {
    const std::string answer(kAnswerKeep + 50, 'a');
    QuizFile f = file_of("Q\r\n1\r\n" + answer + "\r\n1\r\n");
    QuestionRecord r;
    ASSERT_TRUE(read_record(f, QuestionKind::kMultipleChoice, r));
    EXPECT_EQ(r.answers.at(0), std::string(kAnswerKeep, 'a'));
}

TEST_F(QuizReaderTest, ReadRecordRefusesWhatNoLongerFits) {
    QuestionRecord r;
    for (const std::string_view rest : {"Q\r\n0\r\n1\r\n", "Q\r\n101\r\n", "Q\r\n2\r\na\r\nb\r\n3\r\n",
                                        "Q\r\n2\r\na\r\n", "Q\r\nx\r\n", "Q"}) {
        QuizFile f = file_of(rest);
        EXPECT_FALSE(read_record(f, QuestionKind::kMultipleChoice, r)) << rest;
        EXPECT_LE(r.answers.size(), 2U);
    }
    QuizFile f = file_of("Q\r\n1\r\n");
    EXPECT_FALSE(read_record(f, QuestionKind::kFillIn, r));
}

}  // namespace
}  // namespace tavolin
