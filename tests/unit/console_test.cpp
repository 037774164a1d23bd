// The console services every dialogue reads with, through the scripted
// console: keys decoded and edited into lines with their echo, the reads of a
// character and a whole number, the key wait and its pending key, and the
// end of the input during the key wait.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "ground/console/key_decoder.hpp"
#include "support/scripted_console.hpp"
#include "ground/base/errors.hpp"

namespace tavolin {
namespace {

TEST(LineInput, EditingKeysAndTheirEcho) {
    using Lines = std::vector<std::string>;
    const std::vector<std::tuple<std::vector<std::string_view>, Lines, std::string>> cases = {
        {{"hx\x7fi\r"}, {"hi"}, "hi\n"},
        {{"ab\b\bc\r"}, {"c"}, "c\n"},
        {{"abc\x1b", "d\r"}, {"d"}, "d\n"},                          // a lone Escape wipes the line
        {{"a\x1b[Ab\x1b[3~c\x1b[2~\x1bOP\x1b[15~\x1b[1;5D\r"}, {"abc"}, "abc\n"},  // keys that type nothing
        {{"a\x1b", "[Ab\r"}, {"[Ab"}, "[Ab\n"},                      // Escape alone, then the rest as typed
        {{"a\r\nb\nc\r"}, {"a", "b", "c"}, "a\nb\nc\n"},            // CR LF is one Enter
        {{"a\tb\x01\x1f\r"}, {"a\tb"}, "a b\n"},
        {{"\xc3\xa9x\x7f\x7f\xc3\xbc\r"}, {"\xc3\xbc"}, "\xc3\xbc\n"},
        {{"a\x1bxb\x1b\rc\r"}, {"abc"}, "abc\n"},                    // Alt with a key gives nothing
        {{"a\x1b[\rb\r"}, {"a", "b"}, "a\nb\n"},                  // a byte that breaks a sequence is a key
        {{"x\r\x7f\r"}, {"x", ""}, "x\n\n"}};                     // Backspace on an empty line erases nothing
    for (const auto& [bursts, lines, echo] : cases) {
        ScriptedConsole con;
        for (const std::string_view b : bursts) con.type(b);
        std::vector<std::string> got;
        while (con.unread() > 0) got.push_back(con.read_line());
        EXPECT_EQ(got, lines) << bursts[0];
        EXPECT_EQ(con.transcript(), echo) << bursts[0];
    }
    ScriptedConsole con;
    con.line(std::string(300, 'k'));
    EXPECT_EQ(con.read_line(), std::string(254, 'k'));
    con.line(std::string(253, 'k') + "\xc3\xa9" "z");
    EXPECT_EQ(con.read_line(), std::string(253, 'k') + "z");  // the limit never splits a character
}

TEST(Reads, CharacterAndWholeNumber) {
    ScriptedConsole con;
    con.lines({"", "yes"});
    EXPECT_EQ(con.read_char(), '\r');
    EXPECT_EQ(con.read_char(), 'y');
    const std::vector<std::tuple<std::vector<std::string_view>, std::int16_t, bool>> numbers = {
        {{"12 abc"}, 12, true}, {{"", " \t", "  7"}, 7, true}, {{"-3"}, -3, true}, {{"+5"}, 5, true},
        {{"007\tx"}, 7, true},  {{"abc"}, 0, false},           {{"1.5"}, 0, false}, {{"-"}, 0, false},
        {{"12abc"}, 0, false},  {{"40000"}, 32767, true},      {{"-99999999999999999999"}, -32768, true}};
    for (const auto& [lines, value, ok] : numbers) {
        ScriptedConsole c;
        for (const std::string_view l : lines) c.line(l);
        const NumberInput n = c.read_number();
        EXPECT_EQ(n.value, value) << lines.back();
        EXPECT_EQ(n.ok, ok) << lines.back();
        EXPECT_EQ(c.unread(), 0U);
    }
}

TEST(Reads, TheKeyWaitKeepsItsKeyForTheNextLine) {
    const std::vector<std::pair<std::string_view, std::string>> keys = {
        {"1", "12"}, {"\r", ""}, {"\x1b[3~", "2"}, {"\x1b[A", "2"}};
    for (const auto& [key, line] : keys) {
        ScriptedConsole con;
        con.type(key);
        con.line("2");
        con.wait_key();
        EXPECT_EQ(con.read_line(), line) << key;
    }
    ScriptedConsole con;
    con.type("ab\r");
    con.wait_key();
    con.wait_key();  // a key already waiting ends the wait at once and is kept
    EXPECT_EQ(con.read_line(), "ab");
    ScriptedConsole none;
    EXPECT_THROW(none.wait_key(), EndOfInput);
}

// Bytes that come apart, each burst at its time in milliseconds, told first
// of that time as a terminal does: a sequence stays one key while each byte
// comes within 50 ms of the latest one before it; a lone Escape, a cut-off
// sequence or half a character is settled once 50 ms have passed. The keys:
// "Esc", "-" for an ignored key, else the character.
TEST(KeyDecoder, TheTimeoutCountsFromTheLatestByte) {
    using Bursts = std::vector<std::pair<std::string_view, std::uint64_t>>;
    const std::vector<std::pair<Bursts, std::string>> cases = {
        {{{"\x1b", 1000}, {"[", 1049}, {"A", 1098}}, "-"},
        {{{"\x1b[1", 1000}, {"5", 1049}, {"~", 1098}}, "-"},
        {{{"\x1b", 1000}, {"\x1b", 1040}, {"[", 1080}, {"A", 1120}}, "-"},
        {{{"\xc3", 1000}, {"\xa9", 1049}}, "\xc3\xa9"},
        {{{"\x1b", 1000}, {"[A", 1050}}, "Esc [ A"},
        {{{"\x1b[1", 1000}, {"~", 1050}}, "- ~"},
        {{{"\xc3", 1000}, {"\xa9", 1050}}, "\xc3 \xa9"}};
    for (const auto& [bursts, keys] : cases) {
        KeyDecoder d;
        std::string got;
        for (const auto& [bytes, ms] : bursts) {
            d.expire(ms);
            for (const char b : bytes) d.feed(static_cast<unsigned char>(b), ms);
            for (auto key = d.take(); key; key = d.take()) {
                got += (got.empty() ? "" : " ") + (key->kind == Key::Kind::Char ? std::string(key->text()) : key->kind == Key::Kind::Escape ? "Esc" : "-");
            }
        }
        EXPECT_EQ(got, keys) << bursts.front().first << bursts.back().second;
    }
}

}  // namespace
}  // namespace tavolin
