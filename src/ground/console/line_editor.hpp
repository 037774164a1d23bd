// The editing rules of one typed line, with no I/O of its own: a key goes in,
// what the screen must do comes out (take back some of the echo, then echo
// some text) and whether the line is finished.
//
// Rules: characters are appended while the line holds at most kMaxBytes bytes
// (a character that would not fit whole is refused, so a UTF-8 character is
// never split); Backspace removes the last character together with the
// combining marks after it; Escape removes the whole line; Enter ends it;
// Ctrl-D on an empty line, or the end of the input, ends input altogether;
// every other key changes nothing.
//
// The screen always shows the typed text in its screen form (a tab as a
// blank, a control byte or a byte that is not UTF-8 as '?'); each effect
// takes back the shown text from the first character that changed and echoes
// the rest anew. So a character whose bytes came as keys of their own (cut
// apart by a slow link) replaces the '?'s it was first shown as.
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
        std::string erase;         // the end of the echo to take back
        std::string echo;          // then text to write
        bool done = false;              // Enter: the line is complete
        bool end_of_input = false;      // no line will come
    };

    Effect apply(const Key& key);

    [[nodiscard]] const std::string& text() const { return text_; }

private:
    std::string text_;
    std::string shown_;  // text_ as the screen shows it
};

}  // namespace tavolin
