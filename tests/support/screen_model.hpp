// A small model of a terminal screen, to check what a user would see after a
// stream of output: the program's text with its line ends, the pending wrap at
// the right edge (a character written in the last column leaves the cursor
// there; the next one starts the next row), scrolling, and the few control
// sequences the console uses: BS, CR, LF, TAB, ESC [ n G (column), ESC [ K
// (erase to end of row), ESC [ n A (up), ESC [ H (home), ESC [ 2 J (erase
// screen). Colours and cursor visibility (ESC [ ... m / h / l) are skipped;
// any other sequence fails the model (unknown() counts them).
//
//   ScreenModel screen(24, 80);
//   screen.feed(process.output());
//   EXPECT_EQ(screen.row_at_cursor(), "Numbers 1-4   > hi");
//
// Every row ever written is kept (scrolled-off rows too), so lines() is the
// whole history from the last clear; a UTF-8 character takes one cell.
#pragma once

#include <cstddef>
#include <optional>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

namespace tavolin::test {

class ScreenModel {
public:
    ScreenModel(int rows, int cols);

    void feed(std::string_view bytes);

    // The rows from the last clear to the last one written, blanks at the
    // right cut off.
    [[nodiscard]] std::vector<std::string> lines() const;
    // The row the cursor is on, blanks at the right cut off.
    [[nodiscard]] std::string row_at_cursor() const;
    [[nodiscard]] std::size_t cursor_column() const { return col_; }  // 0-based
    // Escape sequences the model does not know (should stay 0).
    [[nodiscard]] int unknown() const { return unknown_; }

private:
    void put(std::string cell);
    void new_row();
    void control(char final, const std::string& params);
    std::string row_text(std::size_t row) const;

    std::size_t rows_;
    std::size_t cols_;
    std::vector<std::vector<std::string>> cells_;  // all rows; the screen is the last rows_
    std::size_t row_ = 0;                          // index into cells_
    std::size_t col_ = 0;
    bool pending_wrap_ = false;
    int unknown_ = 0;
    std::optional<std::pair<std::size_t, std::size_t>> last_cell_;  // for UTF-8 continuations
    // Escape parsing across feeds.
    int escape_ = 0;  // 1 after ESC, 2 inside CSI
    std::string params_;
};

}  // namespace tavolin::test
