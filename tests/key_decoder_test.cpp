// The key decoder on its own: raw bytes and times in, keys out, no terminal.
#include "shell/console/key_decoder.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

using tavolin::Key;
using tavolin::KeyDecoder;

// A key as a short word, so that whole streams compare as one string.
std::string name(const Key& key) {
    switch (key.kind) {
        case Key::Kind::Char: return "'" + std::string(key.text()) + "'";
        case Key::Kind::Enter: return "Enter";
        case Key::Kind::Backspace: return "BS";
        case Key::Kind::Escape: return "Esc";
        case Key::Kind::CtrlD: return "^D";
        case Key::Kind::Ignored: return "-";
        case Key::Kind::EndOfFile: return "EOF";
    }
    return "?";
}

std::string take_all(KeyDecoder& d) {
    std::string out;
    while (auto key = d.take()) out += (out.empty() ? "" : " ") + name(*key);
    return out;
}

// Feeds bytes as one burst at the given time, taking keys after every byte as
// a reader does.
std::string feed(KeyDecoder& d, std::string_view bytes, std::uint64_t now = 0) {
    std::string out;
    for (const char c : bytes) {
        d.expire(now);
        d.feed(static_cast<unsigned char>(c), now);
        const std::string keys = take_all(d);
        if (!keys.empty()) out += (out.empty() ? "" : " ") + keys;
    }
    return out;
}

// A whole stream, then the end of the input.
std::string decode(std::string_view bytes) {
    KeyDecoder d;
    std::string out = feed(d, bytes);
    d.finish();
    const std::string rest = take_all(d);
    if (!rest.empty()) out += (out.empty() ? "" : " ") + rest;
    return out;
}

TEST(KeyDecoder, PlainKeys) {
    EXPECT_EQ(decode("a Z~\t"), "'a' ' ' 'Z' '~' '\t'");
    EXPECT_EQ(decode("\x7f\x08"), "BS BS");
    EXPECT_EQ(decode("\x04"), "^D");
    EXPECT_EQ(decode("\x01\x1f"), "- -");  // other control bytes give nothing
}

TEST(KeyDecoder, EnterIsCrOrLfAndCrLfIsOne) {
    EXPECT_EQ(decode("a\rb"), "'a' Enter 'b'");
    EXPECT_EQ(decode("a\nb"), "'a' Enter 'b'");
    EXPECT_EQ(decode("a\r\nb"), "'a' Enter 'b'");
    EXPECT_EQ(decode("\r\r"), "Enter Enter");
    EXPECT_EQ(decode("\n\r\n\n"), "Enter Enter Enter");
}

TEST(KeyDecoder, EditingAndFunctionKeysGiveNoCharacter) {
    // CSI forms: arrows, Home/End (both forms), Insert, Delete, PgUp, PgDn,
    // F1-F12 as xterm sends them, and keys with modifiers.
    for (const std::string_view seq :
         {"\x1b[A", "\x1b[B", "\x1b[C", "\x1b[D", "\x1b[H", "\x1b[F", "\x1b[1~", "\x1b[4~", "\x1b[7~", "\x1b[8~",
          "\x1b[2~", "\x1b[3~", "\x1b[5~", "\x1b[6~", "\x1b[11~", "\x1b[12~", "\x1b[13~", "\x1b[14~", "\x1b[15~",
          "\x1b[17~", "\x1b[18~", "\x1b[19~", "\x1b[20~", "\x1b[21~", "\x1b[23~", "\x1b[24~", "\x1b[1;5C",
          "\x1b[1;2P", "\x1b[3;5~"}) {
        EXPECT_EQ(decode(std::string("a") + std::string(seq) + "b"), "'a' - 'b'") << seq.substr(1);
    }
    // SS3 forms: F1-F4 and the arrows, Home, End in application mode.
    for (const std::string_view seq :
         {"\x1bOP", "\x1bOQ", "\x1bOR", "\x1bOS", "\x1bOA", "\x1bOB", "\x1bOC", "\x1bOD", "\x1bOH", "\x1bOF"}) {
        EXPECT_EQ(decode(std::string("a") + std::string(seq) + "b"), "'a' - 'b'") << seq.substr(1);
    }
}

TEST(KeyDecoder, LinuxConsoleFunctionKeysAreOneKey) {
    // The Linux console sends F1-F5 as ESC [ [ A to ESC [ [ E.
    for (const std::string_view seq : {"\x1b[[A", "\x1b[[B", "\x1b[[C", "\x1b[[D", "\x1b[[E"}) {
        EXPECT_EQ(decode(std::string(seq) + "x"), "- 'x'") << seq.substr(1);
    }
}

TEST(KeyDecoder, UnknownSequencesAreConsumedToTheirFinalByte) {
    EXPECT_EQ(decode("\x1b[200~x"), "- 'x'");         // bracketed paste start
    EXPECT_EQ(decode("\x1b[?1;2cx"), "- 'x'");        // a device attribute reply
    EXPECT_EQ(decode("\x1b[12;40Rx"), "- 'x'");       // a cursor position report
    EXPECT_EQ(decode("\x1b[1 qx"), "- 'x'");          // an intermediate byte
    EXPECT_EQ(decode("\x1b[99;99;99;99zx"), "- 'x'");  // long parameters
}

TEST(KeyDecoder, ABrokenSequenceKeepsTheByteThatBrokeIt) {
    EXPECT_EQ(decode("\x1b[1\r"), "- Enter");
    EXPECT_EQ(decode("\x1b[\x7f"), "- BS");
    // A new ESC inside a sequence starts a sequence of its own.
    EXPECT_EQ(decode("\x1b[1\x1b[Ax"), "- - 'x'");
}

TEST(KeyDecoder, LoneEscapeIsTakenOnlyAfterTheTimeout) {
    KeyDecoder d;
    EXPECT_EQ(feed(d, "\x1b", 1000), "");
    ASSERT_TRUE(d.deadline());
    EXPECT_EQ(*d.deadline(), 1000 + KeyDecoder::kEscTimeoutMs);
    d.expire(1000 + KeyDecoder::kEscTimeoutMs - 1);
    EXPECT_EQ(take_all(d), "");
    d.expire(1000 + KeyDecoder::kEscTimeoutMs);
    EXPECT_EQ(take_all(d), "Esc");
    EXPECT_FALSE(d.deadline());
    EXPECT_EQ(feed(d, "a", 2000), "'a'");
}

TEST(KeyDecoder, ArrowSentInPiecesWithinTheTimeoutIsNotEscape) {
    KeyDecoder d;
    EXPECT_EQ(feed(d, "\x1b", 1000), "");
    EXPECT_EQ(feed(d, "[", 1020), "");
    EXPECT_EQ(feed(d, "A", 1040), "-");
    EXPECT_FALSE(d.deadline());
}

TEST(KeyDecoder, EscapeThenKeyAfterTheTimeoutIsEscapeThenTheKey) {
    KeyDecoder d;
    EXPECT_EQ(feed(d, "\x1b", 1000), "");
    // The reader missed the deadline; the next byte comes late: the ESC was alone.
    EXPECT_EQ(feed(d, "[", 1200), "Esc '['");
}

TEST(KeyDecoder, SequenceCutOffByTheTimeoutIsNeverEscape) {
    for (const std::string_view start : {"\x1b[", "\x1b[1;", "\x1bO"}) {
        KeyDecoder d;
        EXPECT_EQ(feed(d, start, 0), "");
        d.expire(1000);
        EXPECT_EQ(take_all(d), "-") << start.substr(1);
    }
    EXPECT_EQ(decode("\x1b["), "-");
    EXPECT_EQ(decode("\x1b"), "Esc");
}

TEST(KeyDecoder, AltWithEnterOrBackspaceGivesNothing) {
    // Within the timeout ESC and a control key are one Alt key: Alt+Enter
    // must neither wipe the line nor send it.
    EXPECT_EQ(decode("a\x1b\rb"), "'a' - 'b'");
    EXPECT_EQ(decode("a\x1b\x7f" "b"), "'a' - 'b'");
    // Pressed one after the other, they are Escape and then the key.
    KeyDecoder d;
    EXPECT_EQ(feed(d, "\x1b", 0), "");
    EXPECT_EQ(feed(d, "\r", 200), "Esc Enter");
}

TEST(KeyDecoder, TheTimeoutCountsFromTheLatestByteOfASequence) {
    // A sequence trickling in over a slow link, each byte within the timeout
    // of the one before, is one key however long it takes in all.
    KeyDecoder d;
    EXPECT_EQ(feed(d, "\x1b", 1000), "");
    EXPECT_EQ(feed(d, "[", 1040), "");
    EXPECT_EQ(feed(d, "1", 1080), "");
    EXPECT_EQ(feed(d, ";", 1120), "");
    ASSERT_TRUE(d.deadline());
    EXPECT_EQ(*d.deadline(), 1120 + KeyDecoder::kEscTimeoutMs);
    EXPECT_EQ(feed(d, "5", 1160), "");
    EXPECT_EQ(feed(d, "C", 1200), "-");
    EXPECT_EQ(feed(d, "x", 1300), "'x'");
}

TEST(KeyDecoder, RxvtShiftedKeysEndAtTheirDollar) {
    // rxvt sends Shift+Insert, Shift+Delete, Shift+Home ... as ESC [ n $.
    for (const std::string_view seq : {"\x1b[2$", "\x1b[3$", "\x1b[7$", "\x1b[8$", "\x1b[5$", "\x1b[6$"}) {
        EXPECT_EQ(decode(std::string("a") + std::string(seq) + "b"), "'a' - 'b'") << seq.substr(1);
    }
    // Its Ctrl and Ctrl+Shift forms end in '^' and '@'.
    EXPECT_EQ(decode("a\x1b[2^b\x1b[2@c"), "'a' - 'b' - 'c'");
}

TEST(KeyDecoder, Ss3KeysMayCarryModifierParameters) {
    for (const std::string_view seq : {"\x1bO2P", "\x1bO5A", "\x1bO2Q", "\x1bO5D", "\x1bO1;2P"}) {
        EXPECT_EQ(decode(std::string("a") + std::string(seq) + "b"), "'a' - 'b'") << seq.substr(1);
    }
}

TEST(KeyDecoder, AltKeysGiveNothing) {
    EXPECT_EQ(decode("\x1bxa"), "- 'a'");
    EXPECT_EQ(decode("\x1b\x1b[Aa"), "- 'a'");  // Alt+Up as some terminals send it
    // Alt with a UTF-8 character: none of its bytes is left over.
    EXPECT_EQ(decode("\x1b\xc3\xa9" "a"), "- 'a'");
    EXPECT_EQ(decode("\x1b\xe2\x82\xac" "a"), "- 'a'");
}

TEST(KeyDecoder, Utf8CharactersAreOneKey) {
    EXPECT_EQ(decode("\xc3\xa9"), "'\xc3\xa9'");
    EXPECT_EQ(decode("\xe2\x82\xac"), "'\xe2\x82\xac'");
    EXPECT_EQ(decode("\xf0\x9f\x98\x80"), "'\xf0\x9f\x98\x80'");
}

TEST(KeyDecoder, BrokenUtf8IsKeptByteByByte) {
    EXPECT_EQ(decode("\xc3" "a"), "'\xc3' 'a'");
    EXPECT_EQ(decode("\x80"), "'\x80'");      // a stray continuation
    EXPECT_EQ(decode("\xff\xc0"), "'\xff' '\xc0'");
    // Three held bytes and the byte that breaks them: four keys from one byte.
    EXPECT_EQ(decode("\xf0\x9f\x98\r"), "'\xf0' '\x9f' '\x98' Enter");
}

TEST(KeyDecoder, UnfinishedUtf8IsGivenUpAtTheTimeout) {
    KeyDecoder d;
    EXPECT_EQ(feed(d, "\xe2\x82", 500), "");
    ASSERT_TRUE(d.deadline());
    d.expire(500 + KeyDecoder::kEscTimeoutMs);
    EXPECT_EQ(take_all(d), "'\xe2' '\x82'");
}

}  // namespace
