// Reading the results log for the previous line: one streaming pass over the
// bytes in chunks of any size, keeping only the nineteen numbers of the line
// being read and of the last complete line, so memory does not grow with the
// file.
//
// A line is nineteen signed decimal numbers and then the rest of the line, the
// name, which is skipped. Before each number blanks, tabs and line ends are
// skipped; a number is an optional sign and at least one digit and ends at a
// blank, a tab, a line end or the end of the file. Anything else where a number
// belongs (a letter, a lone sign, a number beyond the 64-bit range) makes the
// log corrupt, and so does the end of the file inside a line before its
// nineteenth number: a log ending in an empty line or a line of blanks is
// corrupt. An empty file is sound and has no line.
#pragma once

#include <cstddef>
#include <cstdint>

#include "resultlog/log_scheme.hpp"

namespace tavolin::logscheme {

class LastLineReader {
public:
    // The next bytes of the file. Returns false once the log is known to be
    // corrupt (later calls change nothing).
    bool feed(const char* data, std::size_t size);
    // The end of the file. Returns false if the log is corrupt.
    bool finish();

    [[nodiscard]] bool corrupt() const { return corrupt_; }
    // Whether any complete line was read, and the numbers of the last one
    // (all zero when there was none).
    [[nodiscard]] bool has_line() const { return has_line_; }
    [[nodiscard]] const Fields& last() const { return lines_[last_]; }
    // Whether any byte was read, and the last one: whether the file ends with
    // a line end.
    [[nodiscard]] bool empty() const { return empty_; }
    [[nodiscard]] char last_byte() const { return last_byte_; }

private:
    enum class Phase : std::uint8_t { Skip, Number, Name };

    bool fail() {
        corrupt_ = true;
        return false;
    }
    bool end_number();
    void end_line();

    Fields lines_[2]{};  // the last complete line and the one being read
    std::size_t last_ = 0;
    Phase phase_ = Phase::Skip;
    std::size_t field_ = 0;     // the number being read, 0 to 18
    bool started_ = false;      // bytes of a new line have been read
    bool negative_ = false;
    bool digits_ = false;       // the number has at least one digit
    std::uint64_t magnitude_ = 0;
    bool has_line_ = false;
    bool corrupt_ = false;
    bool empty_ = true;
    char last_byte_ = 0;
};

}  // namespace tavolin::logscheme
