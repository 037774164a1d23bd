// The results log through ENCODEON: when lines are added, what they hold, and
// that a log is never left half-written.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "resultlog/encodeon.hpp"
#include "shell/scripted_console.hpp"
#include "support/temp_dir.hpp"

namespace tavolin {
namespace {

class ResultLog : public ::testing::Test {
protected:
    test::TempDir dir;
    test::ChangeDir cd{dir.path()};
    Platform platform;
    ScriptedConsole con;

    void SetUp() override {
        platform.local_time = [] { return LocalTime{2026, 12, 7, 9, 30, 15}; };
    }
    std::string log() const { return dir.read(kLogFileName); }
    void event(std::int16_t code, std::string_view name = "quiz.tav", std::int16_t outof = 0, double grd = 0.0) {
        ENCODEON(con, platform, name, code, outof, grd);
    }
};

// The numbers of one log line, in their order on the line.
std::vector<long long> numbers_of(const std::string& line) {
    std::istringstream in(line);
    std::vector<long long> v(19);
    for (auto& n : v) in >> n;
    return v;
}

// The line that the empty log (zeros for the previous line) gives for event 4
// at 2026-12-07 09:30:15, worked out by hand from the key constants:
//   adjustments Round(0 / 7) - A: MOAP -41, HRAP -58, SECAP -127, YRAP -309,
//   DAYAP -482, MINAP -756; shifted time YR 2026-913+127 = 1240, MO 23+12-58 =
//   -23, DAYZ 61+7-41 = 27, HR 37+9-309 = -263, MIN 84+30-482 = -368, SEC
//   5+15-756 = -736; then YR1 1240+127-1024 = 343, YR2 -3228, YR3 -5946; MO1
//   -23-41-17 = -81, MO2 -352; DAY1 27+482-659 = -150, DAY2 -179, DAY3 -232;
//   HR1 -263-58-144 = -465, HR2 -536; MIN1 -368-756-833 = -1957, MIN2 38-1957 =
//   -1919; SEC1 -828, SEC2 -828+127-46 = -747, SEC3 -812; DIS1 Round(-352/613)
//   - 3 = -4, DIS2 Round(-5946/613) + 19 = 9, NIX2 Round(-1919/47) * -3 + 8 =
//   131, NIX1 -812 * 7 = -5684.
constexpr const char* kFirstLine =
    "-747 -5946 -465 -812 -5684 -81 -179 -3228 -150 -536 131 -232 -1957 -352 -4 9 -1919 -828 343 my quiz.tav\r\n";

TEST_F(ResultLog, AMissingLogIsToldAndNeverMade) {
    for (const std::int16_t code : {kEventMade, kEventOpened, kEventGraded}) event(code);
    EXPECT_FALSE(dir.exists(kLogFileName));
    const std::string once = "\nThe file, 'Encrypted_file.csf' was not found.\n";
    EXPECT_EQ(con.text(), once + once + once);
}

TEST_F(ResultLog, AnEmptyLogStartsFromZerosAndANameKeepsItsBlanks) {
    dir.write(kLogFileName, "");
    event(kEventMade, "my quiz.tav");
    EXPECT_EQ(con.text(), "");
    EXPECT_EQ(log(), kFirstLine);
}

TEST_F(ResultLog, EachLineFollowsFromTheOneBefore) {
    dir.write(kLogFileName, kFirstLine);
    // From the first line: MINAP = Round(-1919 / 7) - 756 = -1030 and HRAP =
    // Round(-536 / 7) - 58 = -135, so DIS2 = Round(GRD) + 6 - 1030 - 135 - 33,
    // with halves to even: 62.5 counts 62 and 87.5 counts 88.
    event(kEventGraded, "a.tav", 8, 62.5);
    event(kEventOpened, "b.tav");
    dir.write(kLogFileName, kFirstLine);
    event(kEventGraded, "c.tav", 8, 87.5);
    const std::string text = log();
    const std::string second = text.substr(std::string(kFirstLine).size());
    EXPECT_EQ(numbers_of(second)[15], 94 - 1030 - 135 - 33);

    dir.write(kLogFileName, kFirstLine);
    event(kEventGraded, "a.tav", 8, 62.5);
    const std::string graded = log().substr(std::string(kFirstLine).size());
    EXPECT_EQ(numbers_of(graded)[15], 68 - 1030 - 135 - 33);
    // NIX2 of event 2: OUTOF + SECAP - 72, SECAP = Round(-812 / 7) - 127 = -243.
    EXPECT_EQ(numbers_of(graded)[10], 8 - 243 - 72);
    EXPECT_EQ(graded.substr(graded.size() - 8), " a.tav\r\n");
}

TEST_F(ResultLog, ACorruptLogIsToldAndLeftAsItWas) {
    const std::string cases[] = {
        std::string(kFirstLine) + "\r\n",                               // ends in an empty line
        std::string(kFirstLine) + "   \r\n",                            // a line of blanks
        "-747 -5946 x -812 -5684 -81 -179 -3228 -150 -536 131 -232 -1957 -352 -4 9 -1919 -828 343 q\r\n",
        "-747 -5946 -465 -812 -5684 -81 -179 -3228 -150 -536 131 -232 -1957 -352 -4 9 -1919\r\n",
        "99999999999999999999 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 big\r\n",
    };
    for (const std::string& content : cases) {
        dir.write(kLogFileName, content);
        ScriptedConsole fresh;
        ENCODEON(fresh, platform, "quiz.tav", kEventMade, 0, 0.0);
        EXPECT_EQ(fresh.text(), "Encryption file is corrupt!\n") << content;
        EXPECT_EQ(log(), content);
    }
}

TEST_F(ResultLog, HugeHandEditedNumbersAreWellDefined) {
    const std::string edge =
        "9223372036854775807 -9223372036854775808 9223372036854775807 -9223372036854775808 1 2 3 4 5 "
        "9223372036854775807 -9223372036854775808 9223372036854775807 6 -9223372036854775808 7 8 "
        "9223372036854775807 9 10 edge\r\n";
    dir.write(kLogFileName, edge);
    for (const std::int16_t code : {kEventMade, kEventOpened, kEventGraded}) event(code, "x", 3000, 100.0);
    EXPECT_EQ(con.text(), "");
    const std::string after = log();
    EXPECT_EQ(std::count(after.begin(), after.end(), '\n'), 4);
}

TEST_F(ResultLog, AnAppendThatFailsPartWayLeavesTheLogByteForByte) {
    dir.write(kLogFileName, kFirstLine);
    const std::string before = log();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{before.size() + 10, before.size() + 10};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ScriptedConsole in_child;
        ENCODEON(in_child, platform, "quiz.tav", kEventMade, 0, 0.0);
        ::_exit(in_child.text() == "The results log could not be written; this event was not logged.\n" ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(log(), before);
}

}  // namespace
}  // namespace tavolin
