// The console services every dialogue reads and writes with, on the scripted
// console: a character, a whole number, a line, the key wait with its pending
// key, and the number output.
#include <gtest/gtest.h>

#include "shell/console/console.hpp"
#include "shell/errors.hpp"
#include "shell/console/scripted_console.hpp"

namespace {

using tavolin::EndOfInput;
using tavolin::NumberInput;
using tavolin::ScriptedConsole;

TEST(ReadChar, FirstCharacterOfTheLine) {
    ScriptedConsole con;
    con.lines({"xyz", "", "  q"});
    EXPECT_EQ(con.read_char(), 'x');
    EXPECT_EQ(con.read_char(), '\r');  // an empty line
    EXPECT_EQ(con.read_char(), ' ');
    EXPECT_THROW(con.read_char(), EndOfInput);
}

TEST(ReadLine, EchoesTheEditedLineAndEndsIt) {
    ScriptedConsole con;
    con.type("hx\x7fi\r");
    EXPECT_EQ(con.read_line(), "hi");
    EXPECT_EQ(con.text(), "hi\n");
    EXPECT_THROW(con.read_line(), EndOfInput);
}

TEST(ReadLine, CtrlDOnAnEmptyLineEndsTheInput) {
    ScriptedConsole con;
    con.type("\x04");
    con.line("never read");
    EXPECT_THROW(con.read_line(), EndOfInput);
}

NumberInput number_of(std::string_view typed) {
    ScriptedConsole con;
    con.line(typed);
    return con.read_number();
}

TEST(ReadNumber, SkipsEmptyAndBlankLines) {
    ScriptedConsole con;
    con.lines({"", "  \t ", "12"});
    const NumberInput n = con.read_number();
    EXPECT_TRUE(n.ok);
    EXPECT_EQ(n.value, 12);
    // Each empty line was ended on the screen while the read went on waiting.
    EXPECT_EQ(con.text(), "\n    \n12\n");  // a tab is echoed as one blank
}

TEST(ReadNumber, TheNumberEndsAtABlankAndTheRestIsDropped) {
    ScriptedConsole con;
    con.lines({"12 abc", "next"});
    const NumberInput n = con.read_number();
    EXPECT_TRUE(n.ok);
    EXPECT_EQ(n.value, 12);
    EXPECT_EQ(con.read_line(), "next");
    EXPECT_EQ(number_of("  7\tx").value, 7);
}

TEST(ReadNumber, AnythingButDigitsIsAFormatFailure) {
    for (const std::string_view typed : {"abc", "12abc", "-", "+", "1.5", "0x10", "--3", "1,000", "\xc3\xa9"}) {
        const NumberInput n = number_of(typed);
        EXPECT_FALSE(n.ok) << typed;
        EXPECT_EQ(n.value, 0) << typed;
    }
}

TEST(ReadNumber, OptionalSign) {
    EXPECT_EQ(number_of("+5").value, 5);
    EXPECT_TRUE(number_of("+5").ok);
    EXPECT_EQ(number_of("-3").value, -3);
    EXPECT_EQ(number_of("007").value, 7);
    EXPECT_EQ(number_of("-0").value, 0);
}

TEST(ReadNumber, OutOfRangeCountsByItsSignAndNeverWraps) {
    EXPECT_EQ(number_of("32767").value, 32767);
    EXPECT_EQ(number_of("-32768").value, -32768);
    EXPECT_EQ(number_of("32768").value, 32767);
    EXPECT_EQ(number_of("-32769").value, -32768);
    EXPECT_EQ(number_of("99999").value, 32767);
    EXPECT_EQ(number_of("-99999").value, -32768);
    EXPECT_EQ(number_of("65537").value, 32767);  // would wrap to 1
    EXPECT_EQ(number_of("99999999999999999999999999").value, 32767);
    EXPECT_EQ(number_of("-99999999999999999999999999").value, -32768);
    EXPECT_TRUE(number_of("99999").ok);
}

TEST(WaitKey, ACharacterKeyStartsTheNextAnswer) {
    ScriptedConsole con;
    con.type("1");
    con.wait_key();
    EXPECT_EQ(con.transcript(), "{key}");
    con.type("2\r");
    EXPECT_EQ(con.read_line(), "12");
    EXPECT_EQ(con.text(), "12\n");
}

TEST(WaitKey, EnterGivesAnEmptyAnswerAtOnce) {
    ScriptedConsole con;
    con.type("\r");
    con.wait_key();
    con.line("later");
    EXPECT_EQ(con.read_line(), "");
    EXPECT_EQ(con.read_line(), "later");
}

TEST(WaitKey, DeleteEndsTheWaitAndIsDropped) {
    ScriptedConsole con;
    con.type("\x1b[3~");
    con.wait_key();
    EXPECT_EQ(con.unread(), 0u);  // the whole sequence was the key
    con.line("5");
    const NumberInput n = con.read_number();
    EXPECT_TRUE(n.ok);
    EXPECT_EQ(n.value, 5);
    EXPECT_EQ(con.text(), "5\n");
}

TEST(WaitKey, APendingKeyIsNotReplaced) {
    ScriptedConsole con;
    con.type("a");
    con.wait_key();
    con.type("b");
    con.wait_key();  // returns at once: a key is pending
    EXPECT_EQ(con.unread(), 1u);
    con.type("\r");
    EXPECT_EQ(con.read_line(), "ab");
}

TEST(WaitKey, EndOfInputDuringTheWait) {
    ScriptedConsole con;
    EXPECT_THROW(con.wait_key(), EndOfInput);
}

TEST(WriteNumbers, WholeNumbersWithWidths) {
    ScriptedConsole con;
    con.write_int(5);
    con.write("|");
    con.write_int(-42, 5);
    con.write("|");
    con.write_int(12345, 5);
    con.write("|");
    con.write_int(123456, 5);
    con.write("|");
    con.write_int(0, 0);
    con.write("|");
    con.write_int(-32768);
    EXPECT_EQ(con.text(), "5|  -42|12345|123456|0|-32768");
}

TEST(WriteNumbers, FixedTwoDecimals) {
    ScriptedConsole con;
    con.write_fixed2(7.5, 2);
    con.write("|");
    con.write_fixed2(100, 4);
    con.write("|");
    con.write_fixed2(0, 2);
    con.write("|");
    con.write_fixed2(7.5, 6);
    con.write("|");
    con.write_fixed2(3.125, 2);
    con.write("|");
    con.write_fixed2(66.666666, 4);
    EXPECT_EQ(con.text(), "7.50|100.00|0.00|  7.50|3.13|66.67");
}

}  // namespace
