// The editing rules of one typed line, with no I/O of its own: a key goes in,
// what the screen must do comes out (erase some columns, then echo some text)
// and whether the line is finished.
//
// Rules: characters are appended while the line holds at most kMaxBytes bytes
// (a character that would not fit whole is refused, so a UTF-8 character is
// never split); Backspace removes the last whole character; Escape removes the
// whole line; Enter ends it; Ctrl-D on an empty line, or the end of the input,
// ends input altogether; every other key changes nothing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "ground/base/limits.hpp"
#include "ground/console/key_decoder.hpp"

namespace tavolin {

class LineEditor {
public:
    static constexpr std::size_t kMaxBytes = kTypedLineBytes;

    struct Effect {
        std::size_t erase_columns = 0;  // columns to erase before the cursor
        std::string echo;               // then text to write
        bool done = false;              // Enter: the line is complete
        bool end_of_input = false;      // no line will come
    };

    Effect apply(const Key& key);

    [[nodiscard]] const std::string& text() const { return text_; }

private:
    std::size_t erase_last();  // removes one character, returns its columns

    std::string text_;
};

}  // namespace tavolin
