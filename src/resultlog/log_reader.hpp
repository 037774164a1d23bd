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
//
// Two ways through a line give the same result. The general one goes byte by
// byte and takes every case. The quick one, for the usual line whose nineteen
// numbers all stand within its first 128 bytes, each of at most 18
// characters, checks those bytes 16 at a time as bit masks and keeps a copy
// of them; only the copy of the last line is ever turned into numbers. Any
// line the quick way is not sure of goes the general way.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "resultlog/log_scheme.hpp"

namespace tavolin::logscheme {

class LastLineReader {
public:
    // The next bytes of the file. Returns false once the log is known to be
    // corrupt (later calls change nothing).
    bool feed(const char* data, std::size_t size);
    // Returns false if the log is corrupt.
    bool finish();

    [[nodiscard]] bool corrupt() const { return corrupt_; }
    // After finish: whether any complete line was read, and the numbers of the
    // last one (all zero when there was none).
    [[nodiscard]] bool has_line() const { return has_line_; }
    [[nodiscard]] const Fields& last() const { return lines_[last_]; }
    // Whether any byte was read, and the last one: whether the file ends with
    // a line end.
    [[nodiscard]] bool empty() const { return empty_; }
    [[nodiscard]] char last_byte() const { return last_byte_; }

    // Bytes the quick way looks at from the start of a line.
    static constexpr std::size_t kQuickSpan = 128;

private:
    enum class Phase : std::uint8_t { Skip, Number, Name };

    bool fail() {
        corrupt_ = true;
        return false;
    }
    bool end_number();
    void end_line();
    // The quick way from the start of a line with at least kQuickSpan bytes
    // before end: where reading goes on, or nullptr to take the general way.
    const char* quick_line(const char* p, const char* end);

    // Two slots: the last complete line and the one being read. A slot holds
    // either numbers (the general way) or the bytes of its numbers (quick).
    Fields lines_[2]{};
    std::array<char, kQuickSpan> quick_bytes_[2]{};
    std::size_t quick_size_[2]{};
    bool quick_[2]{};
    std::size_t last_ = 0;

    Phase phase_ = Phase::Skip;
    std::size_t field_ = 0;     // the number being read, 0 to 18
    bool started_ = false;      // a byte of the line being read has been taken
    bool negative_ = false;
    bool digits_ = false;       // the number has at least one digit
    std::uint64_t magnitude_ = 0;
    bool has_line_ = false;
    bool corrupt_ = false;
    bool empty_ = true;
    char last_byte_ = 0;
};

}  // namespace tavolin::logscheme
