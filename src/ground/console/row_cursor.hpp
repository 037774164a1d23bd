// Follows the cursor of a terminal over the text written to it, so that typed
// text can be erased after it has wrapped onto further rows: with no I/O of
// its own, it gives the escape sequences that erase.
//
// A character takes the columns the width table gives it. One that does not
// fit in what is left of the row goes to the start of the next row, as
// terminals wrap: a wide character at the last column leaves that column
// empty. A full row keeps the cursor on it until the next character comes
// (the terminal's pending wrap).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavolin {

class RowCursor {
public:
    void set_width(std::size_t columns) { width_ = columns > 0 ? columns : 1; }
    // Text written at the cursor: escape sequences take no room, a line end
    // starts a new line.
    void track(std::string_view text);
    // The cursor at the start of a new line (a cleared screen, a row drawn again).
    void restart();
    // Whether the cursor stands after text on its line.
    [[nodiscard]] bool mid_row() const { return column_ != 0 || !row_ends_.empty(); }
    // Moves back over `erased`, the text written last, and gives what erases
    // it: for each row it stood on, from the last, "ESC [ n G" to the column
    // where it began on that row and "ESC [ K", with "ESC [ A" between rows.
    std::string erase(std::string_view erased);

private:
    void advance(std::size_t columns);

    std::size_t width_ = 80;
    std::size_t column_ = 0;              // columns used on the cursor's row
    std::vector<std::size_t> row_ends_;  // columns used on each row the line wrapped from
    // Where the text being written stands in an escape sequence.
    enum class Escape : std::uint8_t { kNone, kAfterEsc, kInCsi };
    Escape escape_state_ = Escape::kNone;
};

}  // namespace tavolin
