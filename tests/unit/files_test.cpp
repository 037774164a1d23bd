// The files the program reads and writes: the quiz file's first-line check,
// count, index and the limits read back; the report byte for byte; the
// results log's new line worked out by hand from the key constants and a
// fixed clock, its messages when it is missing or corrupt, and the reader of
// its last line both ways through it; the system's clock as the C library
// tells the time.
#include <cstdio>
#include <ctime>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "authoring/quiz_walker.hpp"
#include "taking/selection.hpp"
#include "report/report.hpp"
#include "resultlog/encodeon.hpp"
#include "resultlog/log_reader.hpp"
#include "support/expected.hpp"

namespace tavolin {
namespace {

class Files : public test::Dialogue {
protected:
    // Counts a quiz file of the given bytes; the index of the questions, or
    // {-1} when the file breaks the layout.
    std::vector<std::int32_t> indexed(const std::string& content) {
        dir.write("q.tav", content);
        auto file = QuizFile::open("q.tav");
        if (!file || !count_questions(*file, st)) return {-1};
        return {st.NAME.begin() + 1, st.NAME.begin() + 1 + st.TEMP};
    }
    std::string event(std::string_view name, std::int16_t code, std::int16_t outof = 0, double grd = 0.0) {
        con.reset_output();
        ENCODEON(con, st.platform, name, code, outof, grd);
        return con.text();
    }
};

// The first-line check; a UTF-8 byte-order mark, as Windows editors often
// write one, is skipped at the very start only, and whole only.
TEST_F(Files, FirstLineCheck) {
    const std::vector<std::pair<const char*, std::int16_t>> first = {
        {"t\r\n", 0}, {"T", 0}, {"True\r\nx", 0}, {"m\r\n", 1}, {"M\n", 1}, {"f\r\n", 2}, {"F", 2}, {"P", -1},
        {"", 3},      {"\r\n", 3}, {"p\r\n", 3}, {" T\r\n", 3}, {"x", 3}, {"\x1aT", 3}, {"\xEF\xBB\xBFm\r\n", 1},
        {"\xEF\xBB\xBF\xEF\xBB\xBFm", 3}, {"\xEF\xBBm", 3}, {"\xEF\xBB\xBF", 3}, {"\xEF\xBB\xBF\r\n", 3}};
    for (const auto& [content, code] : first) {
        dir.write("q.tav", content);
        std::optional<QuizFile> file = QuizFile::open("q.tav");
        con.reset_output();
        EXPECT_EQ(READ_KINDS(file), code) << content;
        EXPECT_EQ(file.has_value(), code != 3) << content;
    }
}

TEST_F(Files, CountAndIndex) {
    const std::string example = "T\r\nQ\r\n2\r\nTrue\r\nFalse\r\n1\r\nm\r\nQ\r\n3\r\na\r\nb\r\nc\r\n2\r\nF\r\nQ\r\n1\r\nx\r\n1";
    // Ended by the marker, by none, by one line end after the marker, by a
    // Ctrl-Z (which hides the question after it).
    for (const char* end : {"\r\nP", "\r\n", "\r\nP\r\n", "\x1a" "\r\nf\r\nQ\r\n1\r\nx\r\n1\r\n"}) {
        EXPECT_EQ(indexed(example + end), (std::vector<std::int32_t>{1, 7, 14})) << end;
    }
    EXPECT_EQ(indexed("T\nQ\n2\nTrue\nFalse\n1\nf\nQ\n1\nx\n1\nP"), (std::vector<std::int32_t>{1, 7}));
    EXPECT_EQ(indexed("P"), std::vector<std::int32_t>{});
    EXPECT_EQ(indexed("m"), std::vector<std::int32_t>{});
    std::string many;
    for (int q = 0; q < 3000; ++q) many += "f\r\nQ\r\n1\r\nA\r\n1\r\n";
    EXPECT_EQ(indexed(many + "P").size(), 3000U);
    const std::vector<std::pair<const char*, QuestionKind>> kinds = {
        {"t", QuestionKind::kTrueFalse}, {"T", QuestionKind::kTrueFalse},     {"m", QuestionKind::kMultipleChoice},
        {"M", QuestionKind::kMultipleChoice}, {"f", QuestionKind::kFillIn}, {"F", QuestionKind::kFillIn},
        {"p", QuestionKind::kNone}, {"t ", QuestionKind::kNone}, {"tt", QuestionKind::kNone},
        {"", QuestionKind::kNone}, {"true", QuestionKind::kNone}};
    for (const auto& [line, kind] : kinds) EXPECT_EQ(kind_of(lower_ascii(line)), kind) << line;
}

// The limits read back: a record of the most answers whole, one of more
// refused; a question line and a fill-in answer keep 255 bytes, an answer of
// the other kinds 4096, and never the CR of a line end.
TEST_F(Files, LimitsReadBack) {
    auto record = [](const char* kind, int answers, std::size_t answer_bytes) {
        std::string text = std::string(kind) + "\r\n" + std::string(300, 'q') + "\r\n" + std::to_string(answers) + "\r\n";
        for (int a = 0; a < answers; ++a) text += std::string(answer_bytes, 'a') + "\r\n";
        return text + std::to_string(answers) + "\r\nP";
    };
    EXPECT_EQ(indexed(record("m", 100, 1)), std::vector<std::int32_t>{1});
    EXPECT_EQ(indexed(record("m", 101, 1)), std::vector<std::int32_t>{-1});
    for (const auto& [kind, answers, bytes, keeps] : std::vector<std::tuple<const char*, int, std::size_t, std::size_t>>{
             {"m", 100, 4097, 4096}, {"t", 2, 4096, 4096}, {"f", 1, 256, 255}, {"f", 1, 254, 254}}) {
        dir.write("q.tav", record(kind, answers, bytes));
        auto file = QuizFile::open("q.tav");
        QuestionRecord r;
        ASSERT_TRUE(file && file->skip_line() && read_record(*file, kind_of(kind), r)) << kind << answers;
        const bool fill = *kind == 'f';
        EXPECT_EQ(r.question + "|" + (fill ? r.fill_answer : r.answers.back()), std::string(255, 'q') + "|" + std::string(keeps, 'a'));
        EXPECT_EQ(std::pair(r.answers.size(), static_cast<int>(r.correct)), std::pair(fill ? 0U : std::size_t(answers), fill ? 0 : answers));
    }
}

TEST_F(Files, ReportToTheByte) {
    {
        LineFile report = LineFile::create_or_fail("report.txt");
        REPORT_TITLE_BAR(report);
        EXPECT_EQ(dir.read("report.txt"), "") << "the banner goes out with the first result";
        REPORT_WRITE(report, "capitals.txt", 1, 75.0, 3.0, 4);
        REPORT_WRITE(report, "tavtest1.tav", 2, 0.0, 0.0, 3);  // a score of one digit keeps its width
        REPORT_F_WRITE(report, 2, 37.5);
        EXPECT_EQ(report.writes(), 3) << "a record in one write, so that a kill leaves it whole or not there";
    }
    EXPECT_EQ(dir.read("report.txt"), test::crlf(test::block("report.txt", "two quizzes")));
}

// The previous line of the log tests. The fields that matter are MO2 290,
// HR2 300, SEC3 -800, YR3 -2300, DAY3 3400, MIN2 5300 (the adjustments),
// NIX2 1000 (event 3) and DIS1 -50 (event 2). The clock: 2024-03-15 13:47:29.
//   Adjustments: MOAP = Round(290/7) - 41 = 0; HRAP = Round(300/7) - 58 = -15;
//   SECAP = Round(-800/7) - 127 = -241; YRAP = Round(-2300/7) - 309 = -638;
//   DAYAP = Round(3400/7) - 482 = 4; MINAP = Round(5300/7) - 756 = 1.
//   Shifted: YR 1352, MO 11, DAYZ 76, HR -588, MIN 135, SEC 35.
//   Fields: YR1 569, YR2 -3002, YR3 -5720; MO1 -6, MO2 -277; DAY1 -587,
//   DAY2 -616, DAY3 -669; HR1 -747, HR2 -818; MIN1 -697, MIN2 -659;
//   SEC1 -57, SEC2 138, SEC3 73.
const std::string kPrevious = "11 -2300 5 -800 99 7 8 9 10 300 1000 3400 12 290 -50 13 5300 14 15 old quiz.tav\r\n";
const std::string kTime = "138 -5720 -747 73 ";
const std::string kMiddle = " -6 -616 -3002 -587 -818 ";

TEST_F(Files, LogLineOfEachEventAfterOneLine) {
    const std::vector<std::tuple<std::int16_t, std::int16_t, double, std::string>> events = {
        // NIX1 = SEC3 * 7; NIX2 = Round(-659/47) * -3 + 8; DIS1 = Round(-277/613) - 3; DIS2 = Round(-5720/613) + 19
        {4, 0, 0.0, "511" + kMiddle + "50 -669 -697 -277 -3 10"},
        // NIX1 = SEC2 * 7; NIX2 = MO2 - 418; DIS2 = 57 + YR3; DIS1 = DIS2 + previous NIX2
        {3, 0, 0.0, "966" + kMiddle + "-695 -669 -697 -277 -4663 -5663"},
        // NIX1 = SEC1 * 7; NIX2 = 8 + SECAP - 72; DIS1 = -50 + HRAP + 4; DIS2 = (62 + 6) + MINAP + HRAP - 33
        {2, 8, 62.5, "-399" + kMiddle + "-305 -669 -697 -277 -61 21"},
        {2, 3000, 87.5, "-399" + kMiddle + "2687 -669 -697 -277 -61 47"}};
    // Alone, and after a line that leaves the previous one's "-2300" across
    // the first 64 KiB the log is read in.
    std::string far;
    for (int f = 0; f < 19; ++f) far += "0 ";
    far += std::string(65491, 'n') + "\r\n";
    for (const std::string& before : {std::string(), far}) {
        for (const auto& [code, outof, grd, fields] : events) {
            dir.write(kLogFileName, before + kPrevious);
            EXPECT_EQ(event("new q.tav", code, outof, grd), "");
            EXPECT_EQ(dir.read(kLogFileName), before + kPrevious + kTime + fields + " -659 -57 569 new q.tav\r\n") << code;
        }
    }
    // A last line without its line end gets one first, CR LF like every line
    // (LF after a lone CR), so the new line stands on a line of its own.
    for (const auto& [cut, repair] : {std::pair{2U, "\r\n"}, std::pair{1U, "\n"}}) {
        const std::string unended = kPrevious.substr(0, kPrevious.size() - cut);
        dir.write(kLogFileName, unended);
        EXPECT_EQ(event("new q.tav", 4), "");
        EXPECT_EQ(dir.read(kLogFileName), unended + repair + kTime + std::get<3>(events[0]) + " -659 -57 569 new q.tav\r\n");
    }
    dir.write(kLogFileName, kPrevious);
    EXPECT_EQ(event("new.tav", 5), "");
    EXPECT_EQ(dir.read(kLogFileName), kPrevious);
}

TEST_F(Files, LogMissingOrCorruptIsToldAndLeftAlone) {
    EXPECT_EQ(event("a.tav", 4), "\nThe file, 'Encrypted_file.csf' was not found.\n");
    EXPECT_FALSE(dir.exists(kLogFileName));
    // The last: a 20-digit number, which would wrap into the 64-bit range.
    for (const std::string& corrupt : {kPrevious + "\r\n", std::string("1 2 x 4\r\n"), "99999999999999999999" + kPrevious.substr(2)}) {
        dir.write(kLogFileName, corrupt);
        EXPECT_EQ(event("a.tav", 2, 1, 100.0), "Encryption file is corrupt!\n");
        EXPECT_EQ(dir.read(kLogFileName), corrupt);
    }
}

// What the reader of the log finds in its last line: the nineteen numbers,
// "none" or "corrupt". Fed the whole log at once, the quick way takes every
// line with 128 bytes ahead of it; fed pieces shorter than that, the plain way
// reads everything.
std::string shown_last(bool sound, const std::optional<logscheme::Fields>& last) {
    if (!sound) return "corrupt";
    if (!last) return "none";
    std::string numbers;
    for (const std::int64_t n : *last) numbers += (numbers.empty() ? "" : " ") + std::to_string(n);
    return numbers;
}

std::string last_line(std::string_view log, std::size_t piece) {
    logscheme::LogReader reader;  // once corrupt, it takes no more
    for (std::size_t at = 0; at < log.size(); at += piece) reader.feed(log.data() + at, std::min(piece, log.size() - at));
    const bool sound = reader.finish();
    return shown_last(sound, reader.has_line() ? std::optional(reader.last()) : std::nullopt);
}

TEST(LogReader, LastLineOfEveryLayoutBothWays) {
    for (const std::string& row : test::table("log_reader.txt")) {
        std::string log = row.substr(0, row.rfind(" => "));
        for (const auto& [escape, byte] : {std::pair{"\\t", '\t'}, {"\\r", '\r'}, {"\\n", '\n'}}) {
            for (std::size_t at; (at = log.find(escape)) != std::string::npos;) log.replace(at, 2, 1, byte);
        }
        for (const std::size_t piece : {log.size() + 1, std::size_t{1}, std::size_t{7}, std::size_t{127}}) {
            EXPECT_EQ(last_line(log, piece), row.substr(row.rfind(" => ") + 4)) << row << "\nin pieces of " << piece;
        }
    }
}

// Generated logs, sound and broken, read whole and in pieces of every size
// below 128: both ways through the reader find the same.
TEST(LogReader, TheQuickWayAndThePlainWayAgree) {
    std::mt19937 random(16);
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    auto any_of = [&](std::string_view choices) { return choices[pick(choices.size())]; };
    for (int n = 0; n < 4000; ++n) {
        std::string log;
        for (std::size_t lines = 1 + pick(4); lines > 0; --lines) {
            for (int field = 0; field < 19; ++field) {
                log += std::string(pick(4) == 0 ? 2 : 1, any_of(field == 0 ? "  " : " \t \r  "));
                if (pick(3) == 0) log += any_of("-+-");
                for (std::size_t digits = pick(32) == 0 ? 17 + pick(3) : 1 + pick(4); digits > 0; --digits) log += any_of("012345678999");
            }
            log += ' ' + std::string(pick(4) == 0 ? 60 + pick(80) : pick(8), any_of(" ab.t9-\t"));  // the name
            log += pick(3) == 0 ? "\n" : "\r\n";
        }
        if (pick(8) == 0) log[pick(log.size())] = any_of("x-+ \t\r\n0");
        if (pick(8) == 0) log.resize(pick(log.size()));
        if (pick(12) == 0) log += pick(2) == 0 ? "\r\n" : " \t\r\n";
        const std::string whole = last_line(log, log.size() + 1);
        EXPECT_EQ(last_line(log, 1 + pick(127)), whole) << log;
    }
}

// The local time the log takes, field by field as the C library gives it
// (the month counted from 1), read within one second.
TEST(Clock, TheLocalTimeIsTheCLibrarysOwn) {
    std::time_t now = 0;
    LocalTime t;
    while (now != std::time(nullptr)) {
        now = std::time(nullptr);
        t = system_local_time();
    }
    char expected[32];
    char got[80];
    std::strftime(expected, sizeof expected, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
    std::snprintf(got, sizeof got, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    EXPECT_STREQ(got, expected);
}

}  // namespace
}  // namespace tavolin
