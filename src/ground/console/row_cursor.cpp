#include "ground/console/row_cursor.hpp"

#include <algorithm>

#include "ground/base/text_width.hpp"

namespace tavolin {

void RowCursor::restart() {
    column_ = 0;
    row_ends_.clear();
    escape_state_ = Escape::kNone;
}

void RowCursor::advance(std::size_t columns) {
    if (columns == 0) return;
    if (column_ > 0 && column_ + columns > width_) {
        row_ends_.push_back(std::min(column_, width_));
        column_ = 0;
    }
    column_ = std::min(column_ + columns, width_);
}

void RowCursor::track(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (escape_state_ == Escape::kAfterEsc) {
            escape_state_ = byte == '[' ? Escape::kInCsi : Escape::kNone;
        } else if (escape_state_ == Escape::kInCsi) {
            if (byte >= 0x40 && byte <= 0x7e) escape_state_ = Escape::kNone;
        } else if (byte == 0x1b) {
            escape_state_ = Escape::kAfterEsc;
        } else if (byte == '\n') {
            restart();
        } else if (byte == '\r') {
            column_ = 0;
        } else if (byte == '\b') {
            if (column_ > 0) column_ = std::min(column_, width_) - 1;
        } else if (byte == '\t') {
            column_ = std::min((column_ / 8 + 1) * 8, width_);
        } else if (byte >= 0x20 && byte != 0x7f) {
            const ScreenChar c = screen_char(text, i);
            advance(static_cast<std::size_t>(c.columns));
            i += c.size;
            continue;
        }
        ++i;
    }
}

std::string RowCursor::erase(std::string_view erased) {
    std::vector<std::size_t> widths;
    for (std::size_t pos = 0; pos < erased.size();) {
        const ScreenChar c = screen_char(erased, pos);
        widths.push_back(static_cast<std::size_t>(c.columns));
        pos += c.size;
    }
    column_ = std::min(column_, width_);
    std::string seq;
    bool row_touched = false;
    auto erase_row_end = [&] { seq += "\x1b[" + std::to_string(column_ + 1) + "G\x1b[K"; };
    for (std::size_t i = widths.size(); i-- > 0;) {  // from the last character back
        const std::size_t w = widths[i];
        if (w == 0) continue;
        if (column_ == 0) {
            // The character ends the row above (before its empty last
            // column, if a wide character wrapped from there).
            if (row_ends_.empty()) break;
            if (row_touched) erase_row_end();
            seq += "\x1b[A";
            column_ = row_ends_.back();
            row_ends_.pop_back();
        }
        column_ -= std::min(w, column_);
        row_touched = true;
    }
    if (row_touched) erase_row_end();
    return seq;
}

}  // namespace tavolin
