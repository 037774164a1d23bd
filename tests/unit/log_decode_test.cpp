// Reading the results log back: every line the program writes decodes to
// what was written; what makes a line; and what a careless edit breaks is
// named in words a teacher can act on.
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

// The log's bytes through the reader in chunks of random sizes, each line
// decoded.
std::vector<CheckedLine> decoded(std::string_view bytes, std::mt19937& rng) {
    std::vector<LogLine> lines;
    LogReader reader(&lines);
    LogDecoder decoder;
    // Byte by byte, in pieces of any size, or whole.
    const std::size_t piece = std::array<std::size_t, 3>{1, 1 + rng() % 300, bytes.size()}[rng() % 3];
    while (!bytes.empty()) {
        const std::size_t n = std::min<std::size_t>(bytes.size(), piece);
        reader.feed(bytes.data(), n);
        bytes.remove_prefix(n);
    }
    reader.finish();
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
}

// A line that gives a time that does not exist, or a graded quiz with a
// count or a percentage out of range, is broken, and none of its values is
// vouched for; the first line is checked against the start of the log.
TEST(LogLines, WhatALineGivesMustBePossible) {
    const std::vector<std::tuple<LocalTime, std::int16_t, double, std::string>> cases = {
        {{2024, 2, 29, 0, 0, 0}, 1, 0.0, ""}, {{2000, 2, 29, 23, 59, 59}, 3000, 100.0, ""},
        {{1, 1, 1, 0, 0, 0}, 1, 0.0, ""}, {{9999, 12, 31, 23, 59, 59}, 1, 0.0, ""},
        {{2023, 2, 29, 9, 9, 9}, 1, 0.0, "the time"}, {{1900, 2, 29, 0, 0, 0}, 1, 0.0, "the time"},
        {{2024, 4, 31, 0, 0, 0}, 1, 0.0, "the time"}, {{2024, 13, 1, 0, 0, 0}, 1, 0.0, "the time"},
        {{2024, 0, 1, 0, 0, 0}, 1, 0.0, "the time"}, {{2024, 1, 0, 0, 0, 0}, 1, 0.0, "the time"},
        {{2024, 1, 1, 24, 0, 0}, 1, 0.0, "the time"}, {{2024, 1, 1, 0, 60, 0}, 1, 0.0, "the time"},
        {{2024, 1, 1, 0, 0, 60}, 1, 0.0, "the time"}, {{2024, 1, 1, 0, -1, 0}, 1, 0.0, "the time"},
        {{10000, 1, 1, 0, 0, 0}, 1, 0.0, "the time"}, {{0, 1, 1, 0, 0, 0}, 1, 0.0, "the time"},
        {{2024, 1, 1, 0, 0, 0}, 0, 0.0, "the grade"}, {{2024, 1, 1, 0, 0, 0}, 3001, 0.0, "the grade"},
        {{2024, 1, 1, 0, 0, 0}, 1, 100.6, "the grade"}, {{2024, 1, 1, 0, 0, 0}, 1, -0.6, "the grade"},
        {{2024, 0, 1, 0, 0, 0}, 0, 0.0, "the time and the grade"},
    };
    const auto check = [](const LocalTime& time, std::int16_t answered, double percent) {
        LogDecoder decoder;
        LogLine line;
        line.line = 1;
        line.readable = true;
        line.fields = next_fields({}, time, kEventGraded, answered, percent);
        return decoder.next(line);
    };
    for (const auto& [time, answered, percent, what] : cases) {
        const CheckedLine checked = check(time, answered, percent);
        EXPECT_EQ(std::tuple(checked.verdict, checked.trusted, checked.value.event),
                  std::tuple(what.empty() ? Verdict::kOk : Verdict::kBroken, what.empty(), kEventGraded)) << what;
        EXPECT_EQ(checked.detail, what.empty() ? "" : what + (what.find(" and ") != std::string::npos ? " of this line do" : " of this line does") +
                                      " not follow from the start of the log: a line may have been changed or removed here");
    }
    // The last day of every month exists, the day after it does not.
    const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int month = 1; month <= 12; ++month) {
        EXPECT_EQ(check({2023, month, days[month - 1], 12, 0, 0}, 5, 50).verdict, Verdict::kOk) << month;
        EXPECT_EQ(check({2023, month, days[month - 1] + 1, 12, 0, 0}, 5, 50).verdict, Verdict::kBroken) << month;
    }
}

// A log of four events (made, opened, graded, opened) with one number of the
// graded line raised by one: what of it is named for each of the nineteen.
// The questions answered and the percentage, which the line carries freely,
// pass on their line; a changed count is caught by the opened quiz after it,
// a changed percentage by nothing. The line after a broken one is never
// counted broken.
TEST_F(LogReadBack, AnEditedNumberIsNamed) {
    dir.write(kLogFileName, "");
    const std::vector<Event> events = {{{2026, 1, 31, 9, 5, 7}, 4, 0, 0, "a.tav"},
                                       {{2026, 2, 1, 10, 0, 0}, 3, 0, 0, "a.tav"},
                                       {{2026, 2, 1, 10, 5, 59}, 2, 4, 50.0, "a.tav"},
                                       {{2026, 12, 31, 23, 59, 59}, 3, 0, 0, "b c.tav"}};
    for (const Event& e : events) add(e);
    const std::string log = dir.read(kLogFileName);
    std::mt19937 rng(5);
    expect_written(decoded(log, rng), events);
    const std::string time = "the time of this line does not follow from line 2";
    const std::string event = "the event of this line does not follow from line 2";
    // By position: SEC2 YR3 HR1 SEC3 NIX1 MO1 DAY2 YR2 DAY1 HR2 NIX2 DAY3 MIN1 MO2 DIS1 DIS2 MIN2 SEC1 YR1
    const std::vector<std::string> named = {
        time, time, time, time, event, time, time, time, time, time, "", time, time, time, event, "", time,
        "the time and the event of this line do not follow from line 2", time};
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
    const std::string removed = ": a line may have been changed or removed here";
    EXPECT_EQ(edited(second, field::DIS1)[1].detail, "the event of this line does not follow from line 1" + removed);
    for (std::size_t field = 0; field < kFieldCount; ++field) {
        const std::vector<CheckedLine> lines = edited(third, field);
        EXPECT_EQ(lines[2].detail, named[field].empty() ? "" : named[field] + removed) << field;
        EXPECT_EQ(std::pair(lines[2].verdict, lines[2].trusted),
                  std::pair(named[field].empty() ? Verdict::kOk : Verdict::kBroken, named[field].empty()))
            << field;
        const Verdict after = field == field::NIX2 ? Verdict::kBroken : Verdict::kOk;
        EXPECT_TRUE(lines[3].verdict == after || lines[3].verdict == Verdict::kSeeAbove) << field;
        EXPECT_EQ(lines[0].verdict, Verdict::kOk);
        EXPECT_EQ(lines[1].verdict, Verdict::kOk);
    }
    EXPECT_EQ(edited(third, field::NIX2)[2].value.answered, 4 + 1);
    EXPECT_EQ(edited(third, field::NIX2)[3].detail,
              "the event of this line does not follow from line 3: the questions answered on line 3 may have been "
              "changed, or a line removed here");
    // A line removed from the middle: the line after the gap is broken and
    // shows nothing it gives as fact.
    const std::vector<CheckedLine> deleted = decoded(log.substr(0, second) + log.substr(third), rng);
    EXPECT_EQ(std::pair(deleted[1].verdict, deleted[1].trusted), std::pair(Verdict::kBroken, false));
    EXPECT_TRUE(deleted[1].detail.ends_with(" from line 1" + removed)) << deleted[1].detail;
    // A line made unreadable: the one after it cannot be told, the next is sound.
    const std::vector<CheckedLine> garbled = decoded(log.substr(0, second) + "garbled\r\n" + log.substr(third), rng);
    EXPECT_EQ(garbled[1].verdict, Verdict::kUnreadable);
    EXPECT_EQ(garbled[2].verdict, Verdict::kSeeAbove);
    EXPECT_EQ(garbled[2].detail, "checked against line 1, the last readable line before it: whether this line follows cannot be told");
    EXPECT_EQ(garbled[3].verdict, Verdict::kOk);
}

}  // namespace
}  // namespace tavolin
