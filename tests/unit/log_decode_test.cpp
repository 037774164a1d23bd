// Reading the results log back: every line the program writes decodes to
// what was written; the lines are split as the program's own reader splits
// them; and what a careless edit breaks is named.
#include <array>
#include <cmath>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "grading/grades.hpp"
#include "resultlog/encodeon.hpp"
#include "resultlog/log_decode.hpp"
#include "support/expected.hpp"

namespace tavolin {
namespace {

using namespace logscheme;

// The log's bytes through the splitter in chunks of random sizes, each line
// decoded.
std::vector<CheckedLine> decoded(std::string_view bytes, std::mt19937& rng, LineSplitter* out = nullptr) {
    LineSplitter splitter;
    LogDecoder decoder;
    std::vector<LogLine> lines;
    // Byte by byte, in pieces of any size, or whole.
    const std::size_t piece = std::array<std::size_t, 3>{1, 1 + rng() % 300, bytes.size()}[rng() % 3];
    while (!bytes.empty()) {
        const std::size_t n = std::min<std::size_t>(bytes.size(), piece);
        splitter.feed(bytes.data(), n, lines);
        bytes.remove_prefix(n);
    }
    splitter.finish(lines);
    if (out != nullptr) *out = splitter;
    std::vector<CheckedLine> checked;
    for (const LogLine& l : lines) checked.push_back(decoder.next(l));
    return checked;
}

struct Event {
    LocalTime time;
    std::int16_t code = 0;
    std::int16_t answered = 0;
    double percent = 0.0;
    std::string name;
};

class LogReadBack : public test::Dialogue {
protected:
    void add(const Event& e) {
        st.platform.local_time = [t = e.time] { return t; };
        con.reset_output();
        ENCODEON(con, st.platform, e.name, e.code, e.answered, e.percent);
        ASSERT_EQ(con.text(), "");
    }
    // Each line checked out and decoded to the event written.
    static void expect_written(const std::vector<CheckedLine>& lines, const std::vector<Event>& events) {
        ASSERT_EQ(lines.size(), events.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const Decoded& d = lines[i].value;
            const Event& e = events[i];
            ASSERT_EQ(lines[i].verdict, Verdict::kOk) << i << ": " << lines[i].detail;
            // The percentage rounded halves to even; nothing graded but a graded quiz.
            const bool graded = e.code == kEventGraded;
            EXPECT_EQ((std::vector<std::int64_t>{lines[i].line, d.year, d.month, d.day, d.hour, d.minute, d.second,
                                                 d.event, d.answered, d.percent}),
                      (std::vector<std::int64_t>{static_cast<std::int64_t>(i) + 1, e.time.year, e.time.month,
                                                 e.time.day, e.time.hour, e.time.minute, e.time.second, e.code,
                                                 graded ? e.answered : 0,
                                                 graded ? static_cast<std::int64_t>(std::nearbyint(e.percent)) : 0}));
            EXPECT_EQ(lines[i].name, e.name);
        }
    }
};

Event random_event(std::mt19937& rng) {
    // Days up to the 28th: the ends of the months have a test of their own.
    Event e;
    const auto below = [&](unsigned n) { return static_cast<int>(rng() % n); };
    e.time = {1970 + below(400), 1 + below(12), 1 + below(28), below(24), below(60), below(60)};
    e.code = static_cast<std::int16_t>(2 + rng() % 3);
    if (e.code == kEventGraded) {
        e.answered = static_cast<std::int16_t>(rng() % 2 ? 8 << (rng() % 3) : 1 + rng() % MASS);
        e.percent = GRADE_AVERAGE(e.answered, static_cast<double>(rng() % (e.answered + 1U))) * 100;
    }
    const std::string_view letters = "ab ,\"\t'xyz.tav0123456789-";
    const std::size_t size = rng() % 3 == 0 ? 30 + rng() % 60 : rng() % 12;
    for (std::size_t i = 0; i < size; ++i) e.name += letters[rng() % letters.size()];
    if (rng() % 10 == 0) e.name += "\xc3\xa9";  // UTF-8
    return e;
}

// The round trip, through the program's own log code: the lines go in by
// ENCODEON, which reads each previous line back with its own reader (the
// quick way too, for lines of 128 bytes and more), and come out by the
// decoder, with CR LF and with LF line ends.
TEST_F(LogReadBack, EveryLineWrittenDecodesToWhatWasWritten) {
    std::mt19937 rng(1204);
    int halves = 0;
    for (int log = 0; log < 12; ++log) {
        dir.write(kLogFileName, "");
        std::vector<Event> events;
        const int size = 1 + static_cast<int>(rng() % 150);
        for (int i = 0; i < size; ++i) {
            events.push_back(random_event(rng));
            add(events.back());
            halves += events.back().code == kEventGraded && std::fmod(events.back().percent, 1.0) == 0.5;
        }
        std::string bytes = dir.read(kLogFileName);
        expect_written(decoded(bytes, rng), events);
        // Each line holds the relations of its own event and of no other.
        LineSplitter splitter;
        std::vector<LogLine> lines;
        splitter.feed(bytes.data(), bytes.size(), lines);
        Fields previous{};
        for (std::size_t i = 0; i < lines.size(); ++i) {
            for (const std::int16_t e : {kEventMade, kEventOpened, kEventGraded}) {
                EXPECT_EQ(relations_hold(previous, lines[i].fields, e), e == events[i].code) << i << " " << e;
            }
            previous = lines[i].fields;
        }
        std::erase(bytes, '\r');
        dir.write(kLogFileName, bytes);
        events.push_back(random_event(rng));
        add(events.back());
        expect_written(decoded(dir.read(kLogFileName), rng), events);
    }
    EXPECT_GT(halves, 10);
}

// Bytes to lines: "line:name" for a readable line, "line!fault" for one
// that is not.
TEST(LogLines, WhatMakesALine) {
    std::string nums;
    for (int i = 1; i <= 19; ++i) nums += std::to_string(i) + (i < 19 ? " " : "");
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {nums + " q.tav\r\n" + nums + "\tq 2.tav\n", {"1:q.tav", "2:q 2.tav"}},
        {nums + "\r\n" + nums, {"1:", "2:"}},
        {nums + " no line end", {"1:no line end"}},
        {nums + " a\r\n\r\n   \r\n" + nums + " b\r\n", {"1:a", "4:b"}},
        {nums + " a\r\n\r\n", {"1:a", "2!expected nineteen numbers and a name; found only blanks or empty lines before the end of the file"}},
        {"1 2 x 4\r\n" + nums + " b\r\n", {"1!expected number 3 of 19 (a sign and digits); found 'x'", "2:b"}},
        {"1 2 -\t4\r\n" + nums + " b", {"1!expected digits after the sign of number 3 of 19", "2:b"}},
        {"1 2 3\x01\r\n" + nums, {"1!expected number 3 of 19 (a sign and digits); found a control byte", "2:"}},
        {"1 2 3 4 5 6 7 8 9 10\r\n" + nums + " b\r\n", {"1!expected nineteen numbers and a name on one line; found them over lines 1 to 2"}},
        {"1 2\r\n3 x\r\n", {"1!expected number 4 of 19 (a sign and digits); found 'x' on line 2"}},
        {"99999999999999999999 " + nums.substr(2) + " q", {"1!expected number 1 of 19 within the signed 64-bit range; found more"}},
        {"9999999999999999999 " + nums.substr(2) + " q\n", {"1!expected number 1 of 19 within the signed 64-bit range; found more"}},
        {"1 2 3", {"1!expected nineteen numbers and a name; found the end of the file after 3 numbers"}},
        {nums + " " + std::string(5000, 'n') + "\r\n" + nums + " " + std::string(5000, 'm'),
         {"1:" + std::string(4096, 'n'), "2:" + std::string(4096, 'm')}},
    };
    std::mt19937 rng(3);
    for (const auto& [bytes, expected] : cases) {
        std::vector<std::string> got;
        for (const CheckedLine& l : decoded(bytes, rng)) {
            got.push_back(std::to_string(l.line) + (l.verdict == Verdict::kUnreadable ? "!" + l.detail : ":" + l.name));
        }
        EXPECT_EQ(got, expected) << bytes;
    }
    // The far ends of the range, and a plus sign, are numbers.
    LineSplitter splitter;
    decoded("-9223372036854775808 +9223372036854775807 " + nums.substr(4) + " q", rng, &splitter);
    EXPECT_EQ(splitter.program_last()->at(0), INT64_MIN);
    EXPECT_EQ(splitter.program_last()->at(1), INT64_MAX);
}

// A line whose numbers hold together but give a time that does not exist, or
// a graded quiz with a count or a percentage out of range, is altered.
TEST(LogLines, WhatALineGivesMustBePossible) {
    const std::string gone = "the date and time it gives do not exist: ";
    const std::vector<std::tuple<LocalTime, std::int16_t, double, std::string>> cases = {
        {{2024, 2, 29, 0, 0, 0}, 1, 0.0, ""}, {{2000, 2, 29, 23, 59, 59}, 3000, 100.0, ""},
        {{1, 1, 1, 0, 0, 0}, 1, 0.0, ""}, {{9999, 12, 31, 23, 59, 59}, 1, 0.0, ""},
        {{2023, 2, 29, 9, 9, 9}, 1, 0.0, gone + "2023-02-29 09:09:09"},
        {{1900, 2, 29, 0, 0, 0}, 1, 0.0, gone + "1900-02-29 00:00:00"},
        {{2024, 4, 31, 0, 0, 0}, 1, 0.0, gone + "2024-04-31 00:00:00"},
        {{2024, 13, 1, 0, 0, 0}, 1, 0.0, gone + "2024-13-01 00:00:00"},
        {{2024, 0, 1, 0, 0, 0}, 1, 0.0, gone + "2024-00-01 00:00:00"},
        {{2024, 1, 0, 0, 0, 0}, 1, 0.0, gone + "2024-01-00 00:00:00"},
        {{2024, 1, 1, 24, 0, 0}, 1, 0.0, gone + "2024-01-01 24:00:00"},
        {{2024, 1, 1, 0, 60, 0}, 1, 0.0, gone + "2024-01-01 00:60:00"},
        {{2024, 1, 1, 0, 0, 60}, 1, 0.0, gone + "2024-01-01 00:00:60"},
        {{2024, 1, 1, 0, -1, 0}, 1, 0.0, gone + "2024-01-01 00:-1:00"},
        {{10000, 1, 1, 0, 0, 0}, 1, 0.0, gone + "10000-01-01 00:00:00"},
        {{0, 1, 1, 0, 0, 0}, 1, 0.0, gone + "0-01-01 00:00:00"},
        {{2024, 1, 1, 0, 0, 0}, 0, 0.0, "the questions answered, 0, are not from 1 to 3000"},
        {{2024, 1, 1, 0, 0, 0}, 3001, 0.0, "the questions answered, 3001, are not from 1 to 3000"},
        {{2024, 1, 1, 0, 0, 0}, 1, 100.6, "the percentage, 101, is not from 0 to 100"},
        {{2024, 1, 1, 0, 0, 0}, 1, -0.6, "the percentage, -1, is not from 0 to 100"},
    };
    const auto check = [](const LocalTime& time, std::int16_t answered, double percent) {
        LogDecoder decoder;
        LogLine line;
        line.line = 1;
        line.readable = true;
        line.fields = next_fields({}, time, kEventGraded, answered, percent);
        return decoder.next(line);
    };
    for (const auto& [time, answered, percent, detail] : cases) {
        const CheckedLine checked = check(time, answered, percent);
        EXPECT_EQ(checked.verdict, detail.empty() ? Verdict::kOk : Verdict::kAltered) << detail;
        EXPECT_EQ(checked.detail, detail.empty() ? "" : detail + " (the zeros that stand in for a missing line)");
    }
    // The last day of every month exists, the day after it does not.
    const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int month = 1; month <= 12; ++month) {
        EXPECT_EQ(check({2023, month, days[month - 1], 12, 0, 0}, 5, 50).verdict, Verdict::kOk) << month;
        EXPECT_EQ(check({2023, month, days[month - 1] + 1, 12, 0, 0}, 5, 50).verdict, Verdict::kAltered) << month;
    }
}

// A log of four events (made, opened, graded, made) with one number of the
// graded line raised by one: the relation named for each of the nineteen,
// none for the two no relation covers (the questions answered and the
// percentage); the line after it is never counted altered.
TEST_F(LogReadBack, AnEditedNumberIsNamed) {
    dir.write(kLogFileName, "");
    const std::vector<Event> events = {{{2026, 1, 31, 9, 5, 7}, 4, 0, 0, "a.tav"},
                                       {{2026, 2, 1, 10, 0, 0}, 3, 0, 0, "a.tav"},
                                       {{2026, 2, 1, 10, 5, 59}, 2, 4, 50.0, "a.tav"},
                                       {{2026, 12, 31, 23, 59, 59}, 4, 0, 0, "b c.tav"}};
    for (const Event& e : events) add(e);
    const std::string log = dir.read(kLogFileName);
    std::mt19937 rng(5);
    expect_written(decoded(log, rng), events);
    const std::vector<std::string> named = {
        "SEC3 does not follow from SEC2", "YR3 does not follow from YR2", "HR2 does not follow from HR1",
        "SEC3 does not follow from SEC2", "NIX1 fits none of the three events", "MO2 does not follow from MO1",
        "DAY2 does not follow from DAY1", "YR2 does not follow from YR1", "DAY2 does not follow from DAY1",
        "HR2 does not follow from HR1", "", "DAY3 does not follow from DAY2", "MIN2 does not follow from MIN1",
        "MO2 does not follow from MO1", "DIS1 does not follow from the DIS1 and HR2 of the line before", "",
        "MIN2 does not follow from MIN1", "NIX1 fits none of the three events", "YR2 does not follow from YR1"};
    const std::size_t second = log.find('\n') + 1;
    const std::size_t third = log.find('\n', second) + 1;
    // The log with one number raised by one: the line starting at `line`, the
    // number at `field`.
    const auto edited = [&](std::size_t line, std::size_t field) {
        std::string copy = log;
        std::size_t at = line;
        for (std::size_t k = 0; k < field; ++k) at = copy.find(' ', at) + 1;
        const std::size_t end = copy.find(' ', at);
        copy.replace(at, end - at, std::to_string(std::stoll(copy.substr(at, end - at)) + 1));
        return decoded(copy, rng);
    };
    EXPECT_EQ(edited(second, field::DIS1)[1].detail, "DIS1 does not follow from DIS2 and the NIX2 of the line before");
    for (std::size_t field = 0; field < kFieldCount; ++field) {
        const std::vector<CheckedLine> lines = edited(third, field);
        EXPECT_EQ(lines[2].detail, named[field]) << field;
        EXPECT_EQ(lines[2].verdict, named[field].empty() ? Verdict::kOk : Verdict::kAltered) << field;
        EXPECT_TRUE(lines[3].verdict == Verdict::kOk || lines[3].verdict == Verdict::kFollowsAltered) << field;
        EXPECT_EQ(lines[0].verdict, Verdict::kOk);
        EXPECT_EQ(lines[1].verdict, Verdict::kOk);
    }
    // A line deleted from the middle, and one made unreadable.
    const std::vector<CheckedLine> deleted = decoded(log.substr(0, second) + log.substr(third), rng);
    EXPECT_EQ(deleted[1].verdict, Verdict::kAltered);
    EXPECT_EQ(deleted[1].detail, "SEC2 does not follow from SEC1 and the SEC3 of the line before");
    const std::vector<CheckedLine> garbled = decoded(log.substr(0, second) + "garbled\r\n" + log.substr(third), rng);
    EXPECT_EQ(garbled[1].verdict, Verdict::kUnreadable);
    EXPECT_EQ(garbled[2].verdict, Verdict::kAfterUnreadable);
    EXPECT_EQ(garbled[2].detail.substr(0, 48), "decoded against line 1, the last readable line: ");
    EXPECT_EQ(garbled[3].verdict, Verdict::kOk);
}

}  // namespace
}  // namespace tavolin
