// The console on a POSIX terminal (or on a pipe or a file).
//
// Input. When the input is a terminal it is put in raw mode for the whole run:
// no canonical mode, no echo, no IEXTEN (so Ctrl-V and Ctrl-O reach nobody),
// no CR/NL translation, no XON/XOFF, no stripping of the eighth bit; signals
// stay on, so Ctrl-C, Ctrl-\ and Ctrl-Z work as usual; output post-processing
// stays on, so "\n" still becomes CR LF; VMIN 1, VTIME 0. The change is made
// with TCSANOW, so keys typed before the first prompt are kept for the first
// answer (as keys typed during a pause are kept for the next one). At the
// end of the run it is undone with TCSAFLUSH: keys still unread then (typed
// during the closing countdown, say) are dropped rather than left to run in
// the shell as a command. A stop with Ctrl-Z undoes it with TCSADRAIN, which
// keeps them for the program when it goes on. The program echoes what is
// typed itself (through the line editor). Input that is not a terminal is
// read as it comes and echoed the same way, so a transcript reads like the
// screen; its end, or a hang-up of the terminal, ends the input (a line typed
// at a terminal that hung up is dropped, not taken as an answer).
//
// Output is collected in memory and written (one write(2) loop) before every
// pause, before every read that has to wait for a key, and at the end.
//
// Escape sequences used (only when the output is a terminal; output to a pipe
// or a file is plain text with no escape sequences at all, and colours,
// clears and the cursor are then not shown). The terminal's conventions in
// the environment, read when the console is made, take some away: with
// NO_COLOR set to anything but nothing, no SGR is written; with TERM=dumb,
// no escape sequence at all: the screen is cleared as on a pipe, and typed
// text is erased with backspaces and blanks.
//   ESC [ n m      SGR: set the foreground colour (n = 30-37, 90-97)
//   ESC [ 0 m      SGR: back to the terminal's own colours (at the end)
//   ESC [ H        CUP: cursor to the top-left corner
//   ESC [ 2 J      ED:  erase the whole screen (with ESC [ H: clear screen)
//   ESC [ ? 25 l   DECTCEM: hide the cursor
//   ESC [ ? 25 h   DECTCEM: show the cursor
//   ESC [ n G      CHA: cursor to column n of its row (erasing typed text)
//   ESC [ K        EL:  erase from the cursor to the end of the row
//   ESC [ A        CUU: cursor up one row (erasing text that wrapped)
// (Typed text is followed in columns, a wide character taking two and a
// combining mark none; see RowCursor.)
//   BS (0x08)      cursor left one column (erasing; also "\b \b" on a pipe)
// The background colour is never set.
//
// The terminal is given back on every way out through one path: the
// destructor, and the handler of SIGQUIT, which ends the row the cursor
// stands in, writes the colour reset and "show cursor" and puts back the
// saved settings (async-signal-safe calls only, from static storage), then
// raises the signal again with its default action so that the caller sees
// the death by that signal, and the shell's word for it comes on a row of
// its own. SIGINT (Ctrl-C), SIGTERM and SIGHUP ask the run to end without
// cutting it off: their handler only notes the signal (the first one) and
// wakes the program, whose key read or pause throws EndRequested, so that
// the run finishes its report on the way out; main ends the row (not after
// Ctrl-C: an interactive bash ends it itself), destroys the console and
// ends by the same signal (end_as_requested). SIGTSTP (Ctrl-Z) gives the
// terminal back, stops, and on continuing goes back to raw mode (TCSADRAIN:
// keys typed meanwhile are kept) with the colour and cursor as they were.
// Then, as readline does, the current row is drawn again on the row where
// the cursor now stands (the shell has written its own lines in between):
// the prompt and what had been typed, in their colours. The handler only
// sends a byte down a pipe of the console's own; the drawing is done by the
// program itself, in the key read or the pause that the stop interrupted,
// which then go on as they were (a pause runs for its full length, the time
// stopped not counted). A signal
// that was ignored when the console was made stays ignored.
//
// Only one TerminalConsole may exist at a time (the signal handlers share its
// saved settings through static storage).
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ground/console/console.hpp"
#include "ground/console/system_console.hpp"
#include "ground/console/key_decoder.hpp"
#include "ground/console/row_cursor.hpp"

namespace tavolin {

class TerminalConsole final : public SystemConsole {
public:
    // The descriptors default to the standard input and output.
    explicit TerminalConsole(int input_fd = 0, int output_fd = 1);
    ~TerminalConsole() override;

    void hide_cursor() override;
    void show_cursor() override;
    void pause(std::chrono::milliseconds ms) override;

    void flush();
    void finish_line() override;
    // The terminal's width, when the output is a terminal.
    [[nodiscard]] std::optional<int> width() const override;

protected:
    void put_text(std::string_view text) override;
    void put_colour(int colour) override;
    void put_clear() override;
    Key read_key() override;
    void erase_back(std::string_view erased) override;

private:
    void refresh_width();
    void put(std::string_view bytes);
    enum class Wait : std::uint8_t {
        kReadable,   // the input can be read (or its failure shows in the read)
        kTimedOut,   // the timeout passed
        kContinued,  // a signal came: continued after a stop (the row drawn again), or asked to end
    };
    Wait wait_for_input(int timeout_ms);
    // Empties the wake-up pipe; true when the program was continued.
    bool take_wake_up();
    void redraw_row();

    int in_;
    int out_;
    bool input_tty_ = false;
    bool output_tty_ = false;
    bool escapes_ = false;  // the output is a terminal that takes escape sequences
    bool colours_ = false;  // and colours are wanted

    std::string buffer_;
    // On a pipe or a file: the collected output up to here may not be taken
    // back (it ends in a "\b \b" already).
    std::size_t rubbed_out_ = 0;
    // Where the cursor is, over the rows the current line has wrapped onto.
    RowCursor cursor_;

    KeyDecoder decoder_;
    std::array<unsigned char, 256> input_{};
    std::size_t input_pos_ = 0;
    std::size_t input_len_ = 0;
    std::uint64_t input_time_ = 0;
    bool input_ended_ = false;
    bool hang_up_wipe_ = false;  // an Escape is owed before the end of a terminal's input
};

}  // namespace tavolin
