// The console services: the one way every dialogue of the program talks to
// the user. A backend supplies the primitives (write bytes, colour, clear,
// cursor, pause, and the next key); the services every dialogue reads with
// (a line, a character, a whole number, the key wait with its pending key)
// are built once here on top of the line editor, so that every backend
// behaves the same way.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ground/console/key_decoder.hpp"

namespace tavolin {

// The sixteen console colours by number.
namespace colour {
inline constexpr int kBlack = 0;
inline constexpr int kBlue = 1;
inline constexpr int kRed = 4;
inline constexpr int kLightBlue = 9;
inline constexpr int kLightRed = 12;
inline constexpr int kYellow = 14;
inline constexpr int kWhite = 15;
}  // namespace colour

// A whole number read from a line: the value, already settled into the
// 16-bit range (a number beyond it counts as the nearest end, so that it is
// too large or too small by its sign), and whether the text was a number.
struct NumberInput {
    std::int16_t value = 0;
    bool ok = false;
};

class Console {
public:
    Console() = default;
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;
    virtual ~Console() = default;

    // ---- screen services (the backend does the work, see put_text) ----
    // Text at the cursor in the current colour.
    void write(std::string_view text);
    void set_colour(int colour);
    void clear_screen();

    // ---- primitives a backend supplies ----
    virtual void hide_cursor() = 0;
    virtual void show_cursor() = 0;
    // Waits the full time without reading the keyboard; keys typed meanwhile
    // stay queued for the next read.
    virtual void pause(std::chrono::milliseconds ms) = 0;
    // The width of the screen in columns, when there is a screen whose width
    // can be asked (not when the output goes to a file or a pipe).
    [[nodiscard]] virtual std::optional<int> width() const { return std::nullopt; }

    // ---- output services ----
    void end_line() { write("\n"); }
    void write_line(std::string_view text) {
        write(text);
        end_line();
    }
    // A signed integer in decimal, blanks before it up to the width.
    void write_int(long long value, int width = 0);
    // A double with two decimals, halves rounded up, blanks up to the width.
    void write_fixed2(double value, int width);
    void pause_ms(int ms) { pause(std::chrono::milliseconds(ms)); }

    // ---- input services ----
    // One edited line, at most 254 bytes. Throws EndOfInput when input ends.
    std::string read_line();
    // The first byte of a typed line; an empty line gives '\r'.
    char read_char();
    // Skips empty and blank lines, then reads a signed decimal number that
    // ends at a blank, a tab or the line end; the rest of the line is dropped.
    NumberInput read_number();
    // Returns as soon as a key is pressed; the key is kept and becomes the
    // first keystroke of the next line read (all but Ctrl-D, which only ends
    // the wait).
    void wait_key();
    // Waits for a key and drops it: it does not reach the next line read.
    void wait_key_dropped();

protected:
    // What stands on the current row since the last line end (prompt, echo
    // of typed keys), in the pieces and colours it was written in, so that a
    // backend can draw the row again (after the program was stopped and
    // continued, say). A colour of -1 stands for none set yet.
    struct RowPiece {
        int colour = -1;
        std::string text;
    };
    [[nodiscard]] const std::vector<RowPiece>& current_row() const { return row_; }

    // The backend's side of write, set_colour and clear_screen.
    virtual void put_text(std::string_view text) = 0;
    virtual void put_colour(int colour) = 0;
    virtual void put_clear() = 0;

    // The next decoded key; blocks until one comes. At the end of the input a
    // backend returns Key::Kind::EndOfFile, then goes on doing so.
    virtual Key read_key() = 0;
    // Echo of typed keys: text at the cursor, as put_text writes it.
    virtual void put_echo(std::string_view text) { put_text(text); }
    // Takes back the end of the echo, `erased`, the text written last: the
    // screen no longer shows it and the cursor stands where it began.
    virtual void erase_back(std::string_view erased) = 0;
    // Told when the key wait starts to wait (a transcript can show it).
    virtual void note_key_wait() {}

private:
    Key next_key();
    void note_row(std::string_view text);
    void erase_row(std::size_t bytes);

    std::vector<RowPiece> row_;
    int colour_ = -1;

    std::optional<Key> pending_;
};

}  // namespace tavolin
