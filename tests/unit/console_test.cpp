// The console services every dialogue reads with, through the scripted
// console: keys decoded and edited into lines with their echo, the reads of a
// character and a whole number, the key wait and its pending key, and the
// end of the input during the key wait.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "ground/base/text_width.hpp"
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
        {{"x\r\x7f\r"}, {"x", ""}, "x\n\n"},                     // Backspace on an empty line erases nothing
        {{"a\xff\x01\r"}, {"a\xff"}, "a?\n"},                   // a byte that is not UTF-8 kept, shown as '?'
        {{"\xe6", "\x97\xa5\r"}, {"\xe6\x97\xa5"}, "\xe6\x97\xa5\n"},  // a character cut apart by time: '?'s, then itself
        {{"xe\xcc\x81\x7f\r"}, {"x"}, "x\n"}};                 // Backspace takes a combining mark with its letter
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

// What a terminal of the given width is sent to erase typed text, after a
// prompt: a wide character takes two columns, one that does not fit in the
// last column of a row goes to the next row and leaves that column empty.
TEST(LineInput, ErasingWideCharactersOverWrappedRows) {
    const std::vector<std::tuple<int, std::string_view, std::string_view, std::string_view, std::string>> cases = {
        {80, "Numbers 1-4   > ", "ab日本語cd\x7f", "ab日本語c", "\x1b[26G\x1b[K"},
        {10, "ready", "abcd日\x7f\x7f", "abc", "\x1b[1G\x1b[K\x1b[A\x1b[9G\x1b[K"},  // 日 left column 10 empty
        {10, "ready", "abc日x\x7f\x7f", "abc", "\x1b[1G\x1b[K\x1b[A\x1b[9G\x1b[K"},  // 日 filled the row
        {10, "ready", "ab日本語\x7f\x7f\x7f", "ab", "\x1b[3G\x1b[K\x1b[1G\x1b[K\x1b[A\x1b[8G\x1b[K"},
        {10, "ready", "ab日本語\x1b", "", "\x1b[1G\x1b[K\x1b[A\x1b[6G\x1b[K"},
        {10, "", "abcde\xcc\x81" "fghij\xcc\x81k\x7f\x7f", "abcde\xcc\x81" "fghi", "\x1b[1G\x1b[K\x1b[A\x1b[10G\x1b[K"},
    };
    for (const auto& [width, prompt, keys, line, erasures] : cases) {
        ScriptedConsole con;
        con.set_width(width);
        con.write(prompt);
        con.type(keys);
        con.type("\r");
        EXPECT_EQ(con.read_line(), line) << keys;
        EXPECT_EQ(con.erasures(), erasures) << keys;
        EXPECT_EQ(con.text(), std::string(prompt) + std::string(line) + "\n");
    }
}

// Columns and screen form of characters of every kind.
TEST(TextWidth, ColumnsAndScreenForm) {
    const std::vector<std::tuple<std::string_view, std::size_t, std::string_view>> cases = {
        {"plain", 5, "plain"}, {"\xc3\xa9", 1, "\xc3\xa9"}, {"e\xcc\x81", 1, "e\xcc\x81"},  // é, and e with a combining acute
        {"\xe6\x97\xa5", 2, "\xe6\x97\xa5"}, {"\xef\xbc\xa1", 2, "\xef\xbc\xa1"},       // 日, fullwidth A
        {"\xf0\x9f\x98\x80", 2, "\xf0\x9f\x98\x80"}, {"\xc2\xb1", 1, "\xc2\xb1"},        // an emoji, East Asian ambiguous
        {"\xf0\x9f\x87\xab\xe2\x98\xba", 3, "\xf0\x9f\x87\xab\xe2\x98\xba"},  // a letter shown as emoji, a smile as text
        {"\xe3\x82\x99\xe2\x80\x8d\xc2\xad", 1, "\xe3\x82\x99\xe2\x80\x8d\xc2\xad"},  // wide mark, ZWJ, soft hyphen
        {"\xf0\xaa\x9b\xa0", 2, "\xf0\xaa\x9b\xa0"},     // unassigned in plane 2
        {"a\tb\t", 4, "a b "}, {"\x1b[2J", 4, "?[2J"}, {"x\x7fy\r\xc2\x9b", 5, "x?y??"},  // DEL, CR, a C1 control
        {"\x80", 1, "?"}, {"\xe6\x97", 2, "??"},          // a stray continuation byte, a character cut short
        {"\xc0\xaf\xe0\x80\xaf\xed\xa0\x80", 8, "????????"},  // overlong forms, a surrogate
        {"\xf4\x8f\xbf\xbf\xf4\x90\x80\x80", 5, "\xf4\x8f\xbf\xbf????"},  // the last code point, one beyond
    };
    for (const auto& [text, columns, screen] : cases) {
        EXPECT_EQ(text_columns(text), columns) << text;
        EXPECT_EQ(screen_form(text), screen) << text;
    }
}

// For every text of two bytes, and each with a continuation byte after: the
// screen form has the text's columns, no control byte, and is its own screen form.
TEST(TextWidth, TheScreenFormIsSafeAndKeepsTheColumns) {
    for (unsigned n = 0; n < 0x20000; ++n) {
        const std::string text{static_cast<char>(n >> 9), static_cast<char>(n >> 1), static_cast<char>(0x80 + (n >> 3) % 64)};
        const std::string_view t = std::string_view(text).substr(0, 2 + n % 2);
        const std::string screen = screen_form(t);
        ASSERT_EQ(text_columns(screen), text_columns(t)) << n;
        ASSERT_EQ(screen_form(screen), screen) << n;
        ASSERT_TRUE(std::none_of(screen.begin(), screen.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }));
    }
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
