// Line editing over raw byte streams: the bytes a terminal sends go through
// the key decoder into the line editor, and both the resulting text and the
// echo on the screen are checked.
#include "shell/console/line_editor.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "shell/console/key_decoder.hpp"
#include "shell/console/utf8.hpp"

namespace {

using tavolin::Key;
using tavolin::KeyDecoder;
using tavolin::LineEditor;

// The lines a stream of bursts gives. Bytes of one burst arrive together; a
// second passes between bursts (so an ESC ending a burst is a lone Escape).
// The echo is played on a one-line "screen" (erasing whole characters) and
// must always show the text being edited, tabs shown as blanks.
struct Typed {
    std::vector<std::string> lines;
    bool ended = false;  // the editor reported the end of the input
};

Typed type(std::vector<std::string_view> bursts) {
    Typed result;
    KeyDecoder decoder;
    LineEditor editor;
    std::string screen;
    std::uint64_t now = 0;
    auto apply = [&](const Key& key) {
        if (result.ended) return;
        const LineEditor::Effect e = editor.apply(key);
        for (std::size_t n = 0; n < e.erase_columns; ++n) {
            ASSERT_FALSE(screen.empty()) << "erased more than was echoed";
            screen.erase(tavolin::utf8::last_char_start(screen));
        }
        screen += e.echo;
        std::string shown = editor.text();
        for (char& c : shown) c = c == '\t' ? ' ' : c;
        if (e.done || e.end_of_input) {
            if (e.done) result.lines.push_back(editor.text());
            result.ended = e.end_of_input;
            editor = LineEditor();
            screen.clear();
        } else {
            ASSERT_EQ(screen, shown) << "the echo does not show the line";
        }
    };
    for (const std::string_view burst : bursts) {
        now += 1000;
        for (const char c : burst) {
            decoder.expire(now);
            decoder.feed(static_cast<unsigned char>(c), now);
            while (auto key = decoder.take()) apply(*key);
        }
    }
    decoder.finish();
    while (auto key = decoder.take()) apply(*key);
    apply(Key::of(Key::Kind::EndOfFile));
    return result;
}

std::vector<std::string> lines(std::vector<std::string_view> bursts) { return type(std::move(bursts)).lines; }

using Lines = std::vector<std::string>;

TEST(LineEditor, BackspaceErasesTheCharacterBefore) {
    EXPECT_EQ(lines({"hx\x7fi\r"}), Lines{"hi"});
    EXPECT_EQ(lines({"hx\x08i\r"}), Lines{"hi"});
    EXPECT_EQ(lines({"\x7f\x7f" "ab\x7f\x7f\x7f" "c\r"}), Lines{"c"});
}

TEST(LineEditor, LoneEscapeWipesTheLine) {
    EXPECT_EQ(lines({"abc\x1b", "de\r"}), Lines{"de"});
    EXPECT_EQ(lines({"\x1b", "x\r"}), Lines{"x"});  // on an empty line it does nothing
    LineEditor editor;
    for (const char c : std::string_view("abc")) editor.apply(Key::character(std::string_view(&c, 1)));
    const LineEditor::Effect e = editor.apply(Key::of(Key::Kind::Escape));
    EXPECT_EQ(e.erase_columns, 3u);
    EXPECT_EQ(editor.text(), "");
}

TEST(LineEditor, KeysWithoutACharacterLeaveNoTrace) {
    for (const std::string_view seq :
         {"\x1b[A", "\x1b[B", "\x1b[C", "\x1b[D", "\x1b[H", "\x1b[F", "\x1b[1~", "\x1b[4~", "\x1b[2~", "\x1b[3~",
          "\x1b[5~", "\x1b[6~", "\x1bOP", "\x1bOQ", "\x1bOR", "\x1bOS", "\x1b[15~", "\x1b[17~", "\x1b[18~",
          "\x1b[19~", "\x1b[20~", "\x1b[21~", "\x1b[23~", "\x1b[24~", "\x1bOA", "\x1bOH", "\x1b[[A", "\x1b[1;5D"}) {
        EXPECT_EQ(lines({std::string("ab") + std::string(seq) + "c\r"}), Lines{"abc"}) << seq.substr(1);
    }
}

TEST(LineEditor, UnknownSequenceIsNeverTakenForEscape) {
    // Were any of these read as Escape, the line would be wiped.
    for (const std::string_view seq : {"\x1b[200~", "\x1b[?1;2c", "\x1b[99x", "\x1b[1 q"}) {
        EXPECT_EQ(lines({std::string("abc") + std::string(seq) + "\r"}), Lines{"abc"}) << seq.substr(1);
    }
    // A sequence cut off by the end of its burst is not Escape either.
    EXPECT_EQ(lines({"abc\x1b[1", "\r"}), Lines{"abc"});
}

TEST(LineEditor, LoneEscapeAgainstAnArrowByTheClock) {
    // Same bytes, different timing: ESC then "[A" a second later is Escape
    // followed by two characters; all in one burst it is the Up arrow.
    EXPECT_EQ(lines({"abc\x1b", "[A\r"}), Lines{"[A"});
    EXPECT_EQ(lines({"abc\x1b[A\r"}), Lines{"abc"});
}

TEST(LineEditor, ThreeHundredTypedCharactersKeep254) {
    std::string typed;
    for (int i = 0; i < 300; ++i) typed += static_cast<char>('a' + i % 26);
    const Lines got = lines({typed + "\r"});
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], typed.substr(0, 254));
    // A full line still takes Backspace, and then one more character.
    EXPECT_EQ(lines({typed + "\x7fZ\r"}), Lines{typed.substr(0, 253) + "Z"});
}

TEST(LineEditor, BackspaceRemovesAWholeUtf8Character) {
    EXPECT_EQ(lines({"a\xc3\xa9\x7f\r"}), Lines{"a"});
    EXPECT_EQ(lines({"a\xe2\x82\xac\x7f" "b\r"}), Lines{"ab"});
    EXPECT_EQ(lines({"\xf0\x9f\x98\x80\xc3\xa9\x7f\r"}), Lines{"\xf0\x9f\x98\x80"});
    EXPECT_EQ(lines({"\xc3\xa9\xc3\xa9\x1b", "\r"}), Lines{""});
}

TEST(LineEditor, TheLimitNeverSplitsACharacter) {
    const std::string a253(253, 'a');
    // Two bytes do not fit after 253: the character is refused whole, a
    // one-byte character still fits.
    EXPECT_EQ(lines({a253 + "\xc3\xa9" "b\r"}), Lines{a253 + "b"});
    const std::string a251(251, 'a');
    EXPECT_EQ(lines({a251 + "\xf0\x9f\x98\x80\r"}), Lines{a251});
    EXPECT_EQ(lines({a251 + "\xe2\x82\xac\r"}), Lines{a251 + "\xe2\x82\xac"});
}

TEST(LineEditor, CrLfIsOneEnter) {
    EXPECT_EQ(lines({"ab\r\ncd\r\n"}), (Lines{"ab", "cd"}));
    EXPECT_EQ(lines({"ab\ncd\n"}), (Lines{"ab", "cd"}));
    EXPECT_EQ(lines({"\r\r"}), (Lines{"", ""}));
}

TEST(LineEditor, TabIsKeptAndEchoedAsOneColumn) {
    EXPECT_EQ(lines({"a\tb\r"}), Lines{"a\tb"});
    EXPECT_EQ(lines({"a\t\x7f" "b\r"}), Lines{"ab"});
}

TEST(LineEditor, CtrlDEndsInputOnlyOnAnEmptyLine) {
    const Typed empty = type({"\x04"});
    EXPECT_TRUE(empty.ended);
    EXPECT_TRUE(empty.lines.empty());
    const Typed with_text = type({"ab\x04" "c\r"});
    EXPECT_EQ(with_text.lines, Lines{"abc"});
}

TEST(LineEditor, EndOfInputFinishesAnUnfinishedLine) {
    const Typed t = type({"last"});
    EXPECT_EQ(t.lines, Lines{"last"});
    LineEditor editor;
    EXPECT_TRUE(editor.apply(Key::of(Key::Kind::EndOfFile)).end_of_input);
}

TEST(LineEditor, ControlBytesAreIgnored) { EXPECT_EQ(lines({"a\x01\x02\x1f" "b\r"}), Lines{"ab"}); }

}  // namespace
