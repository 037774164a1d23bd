// The results log: the numbers of a new line worked out by hand from the key
// constants and a fixed clock, the reading of the previous line, and the
// ways the file can be missing, corrupt, read-only or full.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "resultlog/encodeon.hpp"
#include "resultlog/log_keys.hpp"
#include "resultlog/log_reader.hpp"
#include "resultlog/log_scheme.hpp"
#include "shell/console/scripted_console.hpp"
#include "support/temp_dir.hpp"

namespace tavolin {
namespace {

constexpr std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin64 = std::numeric_limits<std::int64_t>::min();

// The keys the hand computations below use; if one is changed, these tests
// must be worked out again.
TEST(LogKeys, AreTheOnesTheHandComputationsUse) {
    using namespace logkey;
    EXPECT_EQ(D, 7.0);
    EXPECT_EQ(E, 613.0);
    EXPECT_EQ(F, 47.0);
    EXPECT_EQ(M1, -3);
    EXPECT_EQ(M2, 7);
    EXPECT_EQ((std::vector<long long>{A1, A2, A3, A4, A5, A6}), (std::vector<long long>{41, 58, 127, 309, 482, 756}));
    EXPECT_EQ((std::vector<long long>{B1, B2, B3, B4, B5, B6}), (std::vector<long long>{913, 23, 61, 37, 84, 5}));
    EXPECT_EQ((std::vector<long long>{C1, C2, C3, C4, C5, C6, C7, C8, C9, C10, C11, C12, C13, C14, C15}),
              (std::vector<long long>{1024, 3571, 2718, 17, 271, 659, 29, 53, 144, 71, 833, 38, 92, 46, 65}));
    EXPECT_EQ((std::vector<long long>{G1, G2, G3, G4, G5, G6, G7, G8, G9}),
              (std::vector<long long>{3, 19, 8, 57, 418, 4, 6, 33, 72}));
}

class LogTest : public ::testing::Test {
protected:
    LogTest() {
        // The clock of every event here: 15 March 2024, 13:47:29.
        platform_.local_time = [] { return LocalTime{2024, 3, 15, 13, 47, 29}; };
    }

    // One event; gives what it wrote on the console.
    std::string event(std::string_view name, std::int16_t code, std::int16_t outof = 0, double grd = 0.0) {
        ScriptedConsole con;
        ENCODEON(con, platform_, name, code, outof, grd);
        return con.text();
    }
    std::string log() const { return dir_.read(kLogFileName); }
    void set_log(std::string_view content) const { dir_.write(kLogFileName, content); }

    // Runs body in a child process and gives what it wrote to the pipe, or
    // "child failed" if it did not end normally.
    static std::string in_child(const std::function<std::string()>& body) {
        int fds[2];
        if (::pipe(fds) != 0) return "pipe failed";
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            const std::string out = body();
            const ssize_t n = ::write(fds[1], out.data(), out.size());
            ::_exit(n == static_cast<ssize_t>(out.size()) ? 0 : 1);
        }
        ::close(fds[1]);
        std::string out;
        char buf[4096];
        ssize_t n = 0;
        while ((n = ::read(fds[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<std::size_t>(n));
        ::close(fds[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child failed";
        return out;
    }

    test::TempDir dir_;
    test::ChangeDir cd_{dir_.path()};
    Platform platform_;
};

// The previous line of the one-line log tests. The fields that matter are
// MO2 290, HR2 300, SEC3 -800, YR3 -2300, DAY3 3400, MIN2 5300 (the
// adjustments), NIX2 1000 (event 3) and DIS1 -50 (event 2).
//                            SEC2 YR3  HR1 SEC3 NIX1 MO1 DAY2 YR2 DAY1 HR2 NIX2 DAY3 MIN1 MO2 DIS1 DIS2 MIN2 SEC1 YR1
const std::string kPrevious = "11 -2300 5 -800 99 7 8 9 10 300 1000 3400 12 290 -50 13 5300 14 15 old quiz.tav\r\n";

// Worked by hand, with the clock above:
//   Adjustments (Round to the nearest whole number):
//     MOAP  = Round(290/7 = 41.43)    - 41  = 41 - 41   = 0
//     HRAP  = Round(300/7 = 42.86)    - 58  = 43 - 58   = -15
//     SECAP = Round(-800/7 = -114.29) - 127 = -114 - 127 = -241
//     YRAP  = Round(-2300/7 = -328.57)- 309 = -329 - 309 = -638
//     DAYAP = Round(3400/7 = 485.71)  - 482 = 486 - 482 = 4
//     MINAP = Round(5300/7 = 757.14)  - 756 = 757 - 756 = 1
//   Shifted time:
//     YR = 2024 - 913 + 241 = 1352    MO = 23 + 3 - 15 = 11     DAYZ = 61 + 15 + 0 = 76
//     HR = 37 + 13 - 638 = -588       MIN = 84 + 47 + 4 = 135   SEC = 5 + 29 + 1 = 35
//   Time fields:
//     YR1 = 1352 + 241 - 1024 = 569   YR2 = 569 - 3571 = -3002   YR3 = -3002 - 2718 = -5720
//     MO1 = 11 + 0 - 17 = -6          MO2 = -6 - 271 = -277
//     DAY1 = 76 - 4 - 659 = -587      DAY2 = -587 - 29 = -616    DAY3 = -616 - 53 = -669
//     HR1 = -588 - 15 - 144 = -747    HR2 = -747 - 71 = -818
//     MIN1 = 135 + 1 - 833 = -697     MIN2 = 38 - 697 = -659
//     SEC1 = 35 - 92 = -57            SEC2 = -57 + 241 - 46 = 138   SEC3 = 138 - 65 = 73
TEST_F(LogTest, QuizMadeAfterOneLine) {
    set_log(kPrevious);
    EXPECT_EQ(event("new.tav", kEventMade), "");
    // DIS1 = Round(-277/613 = -0.45) - 3 = 0 - 3 = -3
    // DIS2 = Round(-5720/613 = -9.33) + 19 = -9 + 19 = 10
    // NIX2 = Round(-659/47 = -14.02) * -3 + 8 = 42 + 8 = 50
    // NIX1 = SEC3 * 7 = 73 * 7 = 511
    EXPECT_EQ(log(), kPrevious + "138 -5720 -747 73 511 -6 -616 -3002 -587 -818 50 -669 -697 -277 -3 10 -659 -57 569 new.tav\r\n");
}

TEST_F(LogTest, QuizOpenedAfterOneLine) {
    set_log(kPrevious);
    EXPECT_EQ(event("new.tav", kEventOpened), "");
    // DIS2 = 57 + YR3 = 57 - 5720 = -5663
    // DIS1 = DIS2 + previous NIX2 = -5663 + 1000 = -4663
    // NIX2 = MO2 - 418 = -277 - 418 = -695
    // NIX1 = SEC2 * 7 = 138 * 7 = 966
    EXPECT_EQ(log(), kPrevious + "138 -5720 -747 73 966 -6 -616 -3002 -587 -818 -695 -669 -697 -277 -4663 -5663 -659 -57 569 new.tav\r\n");
}

TEST_F(LogTest, QuizGradedAfterOneLineRoundsHalvesToEven) {
    set_log(kPrevious);
    EXPECT_EQ(event("new.tav", kEventGraded, 8, 62.5), "");
    // DIS1 = previous DIS1 + HRAP + 4 = -50 - 15 + 4 = -61
    // DIS2 = (Round(62.5) + 6) + MINAP + HRAP - 33 = (62 + 6) + 1 - 15 - 33 = 21
    // NIX2 = OUTOF + SECAP - 72 = 8 - 241 - 72 = -305
    // NIX1 = SEC1 * 7 = -57 * 7 = -399
    const std::string graded_62 = "138 -5720 -747 73 -399 -6 -616 -3002 -587 -818 -305 -669 -697 -277 -61 21 -659 -57 569 new.tav\r\n";
    EXPECT_EQ(log(), kPrevious + graded_62);

    set_log(kPrevious);
    EXPECT_EQ(event("new.tav", kEventGraded, 3000, 87.5), "");
    // DIS2 = (Round(87.5) + 6) + 1 - 15 - 33 = 94 - 47 = 47; NIX2 = 3000 - 241 - 72 = 2687
    EXPECT_EQ(log(), kPrevious + "138 -5720 -747 73 -399 -6 -616 -3002 -587 -818 2687 -669 -697 -277 -61 47 -659 -57 569 new.tav\r\n");
}

// An empty log: zeros stand in for the previous line.
//   MOAP -41, HRAP -58, SECAP -127, YRAP -309, DAYAP -482, MINAP -756
//   YR = 2024 - 913 + 127 = 1238   MO = 23 + 3 - 58 = -32   DAYZ = 61 + 15 - 41 = 35
//   HR = 37 + 13 - 309 = -259      MIN = 84 + 47 - 482 = -351   SEC = 5 + 29 - 756 = -722
//   YR1 = 1238 + 127 - 1024 = 341, YR2 = -3230, YR3 = -5948
//   MO1 = -32 - 41 - 17 = -90, MO2 = -361
//   DAY1 = 35 + 482 - 659 = -142, DAY2 = -171, DAY3 = -224
//   HR1 = -259 - 58 - 144 = -461, HR2 = -532
//   MIN1 = -351 - 756 - 833 = -1940, MIN2 = 38 - 1940 = -1902
//   SEC1 = -722 - 92 = -814, SEC2 = -814 + 127 - 46 = -733, SEC3 = -798
//   DIS1 = Round(-361/613 = -0.59) - 3 = -4   DIS2 = Round(-5948/613 = -9.70) + 19 = 9
//   NIX2 = Round(-1902/47 = -40.47) * -3 + 8 = 128   NIX1 = -798 * 7 = -5586
const std::string kFirstLine =
    "-733 -5948 -461 -798 -5586 -90 -171 -3230 -142 -532 128 -224 -1940 -361 -4 9 -1902 -814 341 My Quiz File.tav\r\n";

TEST_F(LogTest, EmptyLogGivesZerosAsThePreviousLineAndANameWithBlanksIsWrittenWhole) {
    set_log("");
    EXPECT_EQ(event("My Quiz File.tav", kEventMade), "");
    EXPECT_EQ(log(), kFirstLine);
}

TEST_F(LogTest, EachLineFollowsTheOneBefore) {
    set_log("");
    event("My Quiz File.tav", kEventMade);
    event("My Quiz File.tav", kEventOpened);
    event("My Quiz File.tav", kEventGraded, 4, 75.0);
    const std::string text = log();
    ASSERT_EQ(text.substr(0, kFirstLine.size()), kFirstLine);
    // The third line's DIS1 is the second line's DIS1 plus HRAP plus 4, where
    // HRAP comes from the second line's HR2.
    std::istringstream lines(text.substr(kFirstLine.size()));
    std::vector<std::vector<long long>> rows;
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream in(line);
        std::vector<long long> v(19);
        for (auto& x : v) in >> x;
        rows.push_back(v);
        EXPECT_EQ(line.substr(line.size() - 18), " My Quiz File.tav\r");
    }
    ASSERT_EQ(rows.size(), 2U);
    const long long hr2 = rows[0][9];
    const long long hrap = std::llround(static_cast<double>(hr2) / 7.0) - 58;
    EXPECT_EQ(rows[1][14], rows[0][14] + hrap + 4);
}

TEST_F(LogTest, MissingLogIsToldAndNotMade) {
    for (const std::int16_t code : {kEventMade, kEventOpened, kEventGraded}) {
        EXPECT_EQ(event("a.tav", code, 1, 100.0), "\nThe file, 'Encrypted_file.csf' was not found.\n");
    }
    EXPECT_FALSE(dir_.exists(kLogFileName));
}

TEST_F(LogTest, ALogThatIsNotARegularFileIsNotReadAndDoesNotHang) {
    ASSERT_EQ(::mkfifo(kLogFileName, 0644), 0);
    EXPECT_EQ(event("a.tav", kEventMade), "\nThe file, 'Encrypted_file.csf' was not found.\n");
}

TEST_F(LogTest, CorruptLogsAreLeftToTheByte) {
    const std::vector<std::string> corrupt = {
        kPrevious + "\r\n",                                                            // ends in an empty line
        kPrevious + "   \r\n",                                                         // ends in a line of blanks
        "11 -2300 5 -800 99 7 8 x 10 300 1000 3400 12 290 -50 13 5300 14 15 a\r\n",   // text in a field
        "11 -2300 5 -800 99 7 8 9a 10 300 1000 3400 12 290 -50 13 5300 14 15 a\r\n",  // a number running into text
        "11 -2300 5 -800 99 7 8 - 10 300 1000 3400 12 290 -50 13 5300 14 15 a\r\n",   // a sign alone
        "11 -2300 5 -800 99 7 8 9223372036854775808 10 300 1000 3400 12 290 -50 13 5300 14 15 a\r\n",  // 2^63
        "11 -2300 5 -800 99 7 8 -9223372036854775809 10 300 1000 3400 12 290 -50 13 5300 14 15 a\r\n",
        "11 -2300 5 -800 99 7 8 123456789012345678901234567890 10 300 1000 3400 12 290 -50 13 5300 14 15 a\r\n",
        "11 -2300 5 -800 99 7 8 9 10 300 1000 3400 12 290 -50 13 5300 14\r\n",        // the file ends before the 19th
        kPrevious + "1 2 3",
    };
    for (const std::string& content : corrupt) {
        set_log(content);
        for (const std::int16_t code : {kEventMade, kEventOpened, kEventGraded}) {
            EXPECT_EQ(event("a.tav", code, 1, 50.0), "Encryption file is corrupt!\n") << content;
            EXPECT_EQ(log(), content);
        }
    }
}

TEST_F(LogTest, SoundLogsOfUnusualShape) {
    // Leading zeros, plus signs, tabs and the 64-bit ends are numbers; line
    // ends between numbers are skipped like blanks; a last line without its
    // line end gets one before the new line.
    const std::vector<std::string> sound = {
        "0011 -2300 +5 -800\t99 7 8 9 10 300 1000 3400 12 290 -50 13 5300 14 15 old quiz.tav\r\n",
        "11 -2300 5 -800 99 7 8\r\n9 10 300 1000 3400 12 290 -50 13 5300 14 15 old quiz.tav\r\n",
        "\r\n11 -2300 5 -800 99 7 8 9 10 300 1000 3400 12 290 -50 13 5300 14 15 old quiz.tav\r\n",
        "11 -2300 5 -800 99 7 8 9 10 300 1000 3400 12 290 -50 13 5300 14 15 old quiz.tav",
        "1 -9223372036854775808 9223372036854775807 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 x\r\n" + kPrevious,
    };
    const std::string added = "138 -5720 -747 73 511 -6 -616 -3002 -587 -818 50 -669 -697 -277 -3 10 -659 -57 569 new.tav\r\n";
    for (const std::string& content : sound) {
        set_log(content);
        EXPECT_EQ(event("new.tav", kEventMade), "") << content;
        const std::string line_end = content.back() == '\n' ? "" : "\r\n";
        EXPECT_EQ(log(), content + line_end + added);
    }
}

TEST_F(LogTest, AnyOtherEventCodeAddsNothing) {
    set_log(kPrevious);
    EXPECT_EQ(event("a.tav", 1), "");
    EXPECT_EQ(event("a.tav", 5), "");
    EXPECT_EQ(log(), kPrevious);
}

// Hand-edited lines with values no line of this program holds: every step
// wraps, nothing stops.
TEST_F(LogTest, SixtyFourBitStepsWrap) {
    // Event 3: DIS1 = DIS2 + previous NIX2 = -5663 + -2^63, which wraps to
    // 2^63 - 5663 = 9223372036854770145.
    set_log("11 -2300 5 -800 99 7 8 9 10 300 -9223372036854775808 3400 12 290 -50 13 5300 14 15 x\r\n");
    EXPECT_EQ(event("new.tav", kEventOpened), "");
    EXPECT_NE(log().find(" -277 9223372036854770145 -5663 -659 "), std::string::npos) << log();

    // Event 2: DIS1 = previous DIS1 + HRAP + 4 = -2^63 - 15 + 4, which wraps to
    // 2^63 - 11 = 9223372036854775797.
    set_log("11 -2300 5 -800 99 7 8 9 10 300 1000 3400 12 290 -9223372036854775808 13 5300 14 15 x\r\n");
    EXPECT_EQ(event("new.tav", kEventGraded, 8, 62.5), "");
    EXPECT_NE(log().find(" -277 9223372036854775797 21 -659 "), std::string::npos) << log();
}

TEST_F(LogTest, ThirtyTwoBitStepsWrap) {
    // HR2 = -2^31 * 7: Round gives -2^31, and HRAP = -2^31 - 58 wraps to
    // 2^31 - 58 = 2147483590; event 2's DIS1 = 0 + 2147483590 + 4.
    set_log("0 0 0 0 0 0 0 0 0 -15032385536 0 0 0 0 0 0 0 0 0 x\r\n");
    EXPECT_EQ(event("new.tav", kEventGraded, 1, 100.0), "");
    std::istringstream in(log().substr(log().find('\n') + 1));
    std::vector<long long> v(19);
    for (auto& x : v) in >> x;
    EXPECT_EQ(v[14], 2147483594);
}

TEST(LogRound, HalvesGoToTheEvenNeighbour) {
    using logscheme::round_quotient;
    EXPECT_EQ(round_quotient(5, 2.0), 2);
    EXPECT_EQ(round_quotient(7, 2.0), 4);
    EXPECT_EQ(round_quotient(-5, 2.0), -2);
    EXPECT_EQ(round_quotient(-7, 2.0), -4);
    EXPECT_EQ(round_quotient(290, 7.0), 41);
    EXPECT_EQ(round_quotient(-2300, 7.0), -329);
    EXPECT_EQ(round_quotient(-3, 7.0), 0);
    EXPECT_EQ(round_quotient(-4, 7.0), -1);
    using logscheme::round_percentage;
    EXPECT_EQ(round_percentage(62.5), 62);
    EXPECT_EQ(round_percentage(87.5), 88);
    EXPECT_EQ(round_percentage(0.5), 0);
    EXPECT_EQ(round_percentage(99.5), 100);
    EXPECT_EQ(round_percentage(66.666), 67);
}

TEST(LogRound, QuotientsBeyondThirtyTwoBitsWrap) {
    using logscheme::round_quotient;
    // 2^63 - 1 = 7 * 1317624576693539401, whose low 32 bits are 1227133513.
    EXPECT_EQ(round_quotient(kMax64, 7.0), 1227133513);
    // -2^63 / 7 = -1317624576693539401.14, to the nearest -1317624576693539401.
    EXPECT_EQ(round_quotient(kMin64, 7.0), -1227133513);
    // Exact where a double is not: (2^53 + 1) * 2 + 1 halved is 2^53 + 1.5,
    // which goes to 2^53 + 2; its low 32 bits are 2.
    EXPECT_EQ(round_quotient((std::int64_t{1} << 54) + 3, 2.0), 2);
    using logscheme::round_percentage;
    EXPECT_EQ(round_percentage(1e10), 1410065408);  // 10^10 - 2 * 2^32
    EXPECT_EQ(round_percentage(-1e10), -1410065408);
    EXPECT_EQ(round_percentage(std::nan("")), 0);
    EXPECT_EQ(round_percentage(HUGE_VAL), 0);
}

// The previous line is the same however the file is cut into chunks.
TEST(LogReader, ChunkBoundariesChangeNothing) {
    const std::vector<std::string> logs = {
        kPrevious + kFirstLine,
        "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 -19\n 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 n",
        "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 -9223372036854775808",
        "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19\r\n\r\n",
        "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 x9\r\n",
        "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 name\r\n 1 2\r\n",
    };
    for (const std::string& text : logs) {
        logscheme::LastLineReader whole;
        const bool whole_ok = whole.feed(text.data(), text.size()) && whole.finish();
        logscheme::LastLineReader bytes;
        bool bytes_ok = true;
        for (const char c : text) bytes_ok = bytes.feed(&c, 1) && bytes_ok;
        bytes_ok = bytes.finish() && bytes_ok;
        EXPECT_EQ(whole_ok, bytes_ok) << text;
        EXPECT_EQ(whole.last(), bytes.last()) << text;
    }
    logscheme::LastLineReader r;
    const std::string& two = logs[1];
    ASSERT_TRUE(r.feed(two.data(), two.size()) && r.finish());
    EXPECT_EQ(r.last()[18], 19);
    logscheme::LastLineReader eof_number;
    ASSERT_TRUE(eof_number.feed(logs[2].data(), logs[2].size()) && eof_number.finish());
    EXPECT_EQ(eof_number.last()[18], kMin64);
    logscheme::LastLineReader empty_line_at_end;
    EXPECT_FALSE(empty_line_at_end.feed(logs[3].data(), logs[3].size()) && empty_line_at_end.finish());
}

// The quick way through a line (taken where 128 bytes of the line are in the
// chunk) and the general way (byte by byte) agree on every log, sound or not.
TEST(LogReader, QuickAndGeneralWaysAgree) {
    const std::vector<std::string> numbers = {
        "0", "7", "-745", "-5948", "131", "+5", "-0", "007", "999999999999999999", "-99999999999999999",
        "9223372036854775807", "-9223372036854775808", "00000000000000000000042"};
    const std::vector<std::string> broken = {"-", "+", "12a", "a", "1-2", "--3", ".5", "9223372036854775808",
                                             "-9223372036854775809", "123456789012345678901", "1,2", "5\x01"};
    const std::vector<std::string> blanks = {" ", " ", " ", " ", "\t", "  ", " \r", "\r\n", "\n  "};
    std::mt19937 random(20240315);
    auto pick = [&](const std::vector<std::string>& from, std::size_t first = 0) {
        return from[first + random() % (from.size() - first)];
    };
    int sound = 0;
    for (int trial = 0; trial < 3000; ++trial) {
        std::string text;
        const int lines = 1 + static_cast<int>(random() % 12);
        for (int l = 0; l < lines; ++l) {
            if (random() % 20 == 0) text += random() % 2 ? "\r\n" : "  \r\n";
            for (int f = 0; f < 19; ++f) {
                const unsigned roll = random() % 1000;
                if (roll < 4 && trial % 3 == 0) {
                    text += pick(broken);
                } else if (roll < 60) {
                    text += pick(numbers);
                } else {
                    text += std::to_string(static_cast<int>(random() % 20000) - 10000);
                }
                text += f == 18 && random() % 4 == 0 ? (random() % 2 ? "\r\n" : "") : (random() % 25 == 0 ? pick(blanks) : " ");
            }
            if (text.back() != '\n') text += "name " + std::string(random() % 200, 'n') + (random() % 3 == 0 ? " 1 2 x" : "") + "\r\n";
        }
        if (random() % 10 == 0) text.resize(text.size() - 2);
        if (random() % 10 == 0) text += pick(blanks);

        logscheme::LastLineReader quick;
        const bool quick_ok = quick.feed(text.data(), text.size()) && quick.finish();
        logscheme::LastLineReader general;
        bool general_ok = true;
        for (const char c : text) general_ok = general.feed(&c, 1) && general_ok;
        general_ok = general.finish() && general_ok;
        ASSERT_EQ(quick_ok, general_ok) << text;
        if (quick_ok) {
            ++sound;
            ASSERT_EQ(quick.last(), general.last()) << text;
        }
    }
    EXPECT_GT(sound, 1000);  // both kinds of log are well represented
    EXPECT_LT(sound, 2900);
}

// A write that cannot go through whole: the file size limit lets no byte, or
// only part of the line, onto the disk. The file is cut back to what it was.
TEST_F(LogTest, FailedAppendLeavesTheFileAsItWas) {
    for (const rlim_t room : {rlim_t{0}, rlim_t{10}}) {
        set_log(kPrevious);
        const std::string told = in_child([&] {
            std::signal(SIGXFSZ, SIG_DFL);  // the log must not rely on the caller ignoring it
            const rlimit limit{kPrevious.size() + room, kPrevious.size() + room};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return std::string("setrlimit failed");
            ScriptedConsole con;
            ENCODEON(con, platform_, "new.tav", kEventMade, 0, 0.0);
            return con.text();
        });
        EXPECT_EQ(told, "The results log could not be written; this event was not logged.\n") << room;
        EXPECT_EQ(log(), kPrevious) << room;
    }
    // With room, the same event goes through.
    EXPECT_EQ(event("new.tav", kEventMade), "");
    EXPECT_EQ(log(), kPrevious + "138 -5720 -747 73 511 -6 -616 -3002 -587 -818 50 -669 -697 -277 -3 10 -659 -57 569 new.tav\r\n");
}

// A log that can be read but not opened for adding. Root may write to any
// file whatever its mode, so the event runs in a child that has given up root
// for an ordinary user, on a log it may read but not write.
TEST_F(LogTest, ReadOnlyLogIsToldAndTheRunGoesOn) {
    set_log(kPrevious);
    ASSERT_EQ(::chmod(kLogFileName, 0444), 0);
    ASSERT_EQ(::chmod(dir_.path().c_str(), 0755), 0);
    const std::string told = in_child([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return std::string("setuid failed");
        ScriptedConsole con;
        ENCODEON(con, platform_, "new.tav", kEventOpened, 0, 0.0);
        ENCODEON(con, platform_, "new.tav", kEventGraded, 3, 100.0);
        return con.text();
    });
    EXPECT_EQ(told,
              "The results log could not be opened for adding; this event was not logged.\n"
              "The results log could not be opened for adding; this event was not logged.\n");
    EXPECT_EQ(log(), kPrevious);
}

}  // namespace
}  // namespace tavolin
