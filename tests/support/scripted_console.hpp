// A console for tests: keys are scripted in, and everything the program does
// to the screen comes out as a transcript. No real time passes: a pause is
// recorded, not slept.
//
// Input is given in bursts. The bytes of one burst arrive together; between
// two bursts a second passes, so an ESC at the end of a burst is a lone Escape
// while an ESC inside a burst starts a sequence. When the script is used up,
// the console reports the end of the input.
//
// The transcript holds the text as written (with echoed input, erased where
// the user erased it) and a mark for every other effect:
//   {c<n>} colour n   {clear}   {hide}   {show}   {pause <ms>}   {key}
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ground/console/console.hpp"
#include "ground/console/key_decoder.hpp"
#include "ground/console/row_cursor.hpp"

namespace tavolin {

class ScriptedConsole : public Console {
public:
    // One burst of raw bytes.
    void type(std::string_view bytes);
    // A typed line: the text and Enter, as one burst.
    void line(std::string_view text);
    // Several typed lines, each its own burst.
    void lines(std::initializer_list<std::string_view> texts);

    [[nodiscard]] const std::string& transcript() const { return transcript_; }
    // The text alone, without marks.
    [[nodiscard]] const std::string& text() const { return text_; }
    // The text written since the last clear of the screen.
    [[nodiscard]] std::string screen() const { return text_.substr(screen_start_); }
    [[nodiscard]] const std::vector<int>& pauses() const { return pauses_; }
    [[nodiscard]] int colour() const { return colour_; }
    [[nodiscard]] bool cursor_visible() const { return cursor_visible_; }
    [[nodiscard]] int clears() const { return clears_; }
    // Bytes of the script not yet read.
    [[nodiscard]] std::size_t unread() const { return input_.size(); }
    // Forgets the output so far (the input stays).
    void reset_output();

    // The screen width to report; none (like output to a file) unless set.
    // With a width, the cursor is followed as on a terminal of that width.
    void set_width(std::optional<int> columns) {
        width_ = columns;
        cursor_.set_width(static_cast<std::size_t>(columns.value_or(80)));
    }
    // What a terminal of that width is sent to erase typed text (the escape
    // sequences of RowCursor), all erasures one after another.
    [[nodiscard]] const std::string& erasures() const { return erasures_; }
    [[nodiscard]] std::optional<int> width() const override { return width_; }

    void hide_cursor() override;
    void show_cursor() override;
    void pause(std::chrono::milliseconds ms) override;

protected:
    void put_text(std::string_view text) override;
    void put_colour(int colour) override;
    void put_clear() override;
    Key read_key() override;
    void erase_back(std::string_view erased) override;
    void note_key_wait() override;

private:
    std::deque<std::pair<unsigned char, std::uint64_t>> input_;
    std::uint64_t burst_time_ = 0;
    KeyDecoder decoder_;

    std::string transcript_;
    std::string text_;
    std::size_t screen_start_ = 0;
    std::vector<int> pauses_;
    int colour_ = -1;
    bool cursor_visible_ = true;
    int clears_ = 0;
    std::optional<int> width_;
    RowCursor cursor_;
    std::string erasures_;
};

}  // namespace tavolin
