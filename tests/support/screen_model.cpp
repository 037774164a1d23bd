#include "support/screen_model.hpp"

#include <algorithm>
#include <cstdlib>

namespace tavolin::test {

ScreenModel::ScreenModel(int rows, int cols)
    : rows_(static_cast<std::size_t>(rows)), cols_(static_cast<std::size_t>(cols)) {
    cells_.assign(1, std::vector<std::string>(cols_, " "));
}

void ScreenModel::new_row() {
    ++row_;
    if (row_ == cells_.size()) cells_.emplace_back(cols_, " ");
}

void ScreenModel::put(std::string cell) {
    if (pending_wrap_) {
        pending_wrap_ = false;
        col_ = 0;
        new_row();
    }
    cells_[row_][col_] = std::move(cell);
    last_cell_ = std::pair(row_, col_);
    if (col_ + 1 == cols_) {
        pending_wrap_ = true;
    } else {
        ++col_;
    }
}

void ScreenModel::control(char final, const std::string& params) {
    const bool private_mode = !params.empty() && params[0] == '?';
    const int n = params.empty() || private_mode ? 0 : std::atoi(params.c_str());
    const std::size_t screen_top = cells_.size() > rows_ ? cells_.size() - rows_ : 0;
    switch (final) {
        case 'm': return;
        case 'h':
        case 'l':
            if (private_mode) return;
            break;
        case 'G':
            col_ = std::min<std::size_t>(static_cast<std::size_t>(std::max(n, 1)) - 1, cols_ - 1);
            pending_wrap_ = false;
            return;
        case 'K':
            if (n != 0) break;
            for (std::size_t c = col_; c < cols_; ++c) cells_[row_][c].assign(1, ' ');
            return;
        case 'A': {
            const std::size_t up = static_cast<std::size_t>(std::max(n, 1));
            row_ = row_ >= screen_top + up ? row_ - up : screen_top;
            pending_wrap_ = false;
            return;
        }
        case 'H':
            if (!params.empty()) break;
            row_ = screen_top;
            col_ = 0;
            pending_wrap_ = false;
            return;
        case 'J':
            if (n != 2) break;
            // The history ends here: what was before the clear is gone.
            cells_.assign(rows_, std::vector<std::string>(cols_, " "));
            row_ = 0;
            col_ = 0;
            pending_wrap_ = false;
            last_cell_.reset();
            return;
        default: break;
    }
    ++unknown_;
}

void ScreenModel::feed(std::string_view bytes) {
    for (const char ch : bytes) {
        const auto byte = static_cast<unsigned char>(ch);
        if (escape_ == 1) {
            if (ch == '[') {
                escape_ = 2;
                params_.clear();
            } else {
                escape_ = 0;
                ++unknown_;
            }
            continue;
        }
        if (escape_ == 2) {
            if (byte >= 0x40 && byte <= 0x7e) {
                escape_ = 0;
                control(ch, params_);
            } else {
                params_ += ch;
            }
            continue;
        }
        switch (ch) {
            case '\x1b': escape_ = 1; break;
            case '\r':
                col_ = 0;
                pending_wrap_ = false;
                break;
            case '\n':
                pending_wrap_ = false;
                new_row();
                break;
            case '\b':
                // As xterm: from the pending wrap, too, one column left.
                pending_wrap_ = false;
                if (col_ > 0) --col_;
                break;
            case '\t':
                col_ = std::min((col_ / 8 + 1) * 8, cols_ - 1);
                break;
            default:
                if ((byte & 0xc0) == 0x80 && last_cell_) {
                    // A UTF-8 continuation joins the cell just written.
                    cells_[last_cell_->first][last_cell_->second] += ch;
                } else if (byte >= 0x20 && byte != 0x7f) {
                    put(std::string(1, ch));
                }
                break;
        }
    }
}

std::string ScreenModel::row_text(std::size_t row) const {
    std::string text;
    for (const std::string& cell : cells_[row]) text += cell;
    const std::size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

std::vector<std::string> ScreenModel::lines() const {
    std::size_t last = cells_.size();
    while (last > 0 && last - 1 > row_ && row_text(last - 1).empty()) --last;
    std::vector<std::string> out;
    for (std::size_t r = 0; r < last; ++r) out.push_back(row_text(r));
    return out;
}

std::string ScreenModel::row_at_cursor() const { return row_text(row_); }

}  // namespace tavolin::test
