// Reading the results log: the one reader of its lines, for the program,
// which wants only the previous line, and for tavolin-log, which lists every
// line. One streaming pass over the bytes in chunks of any size, through a
// fixed amount of memory.
//
// A line is nineteen signed decimal numbers and then the rest of the line, the
// name. Before each number blanks, tabs and line ends are skipped; a number is
// an optional sign and at least one digit and ends at a blank, a tab, a line
// end or the end of the file. Anything else where a number belongs (a letter,
// a lone sign, a number beyond the 64-bit range) makes the log corrupt, and so
// does the end of the file inside a line before its nineteenth number: a log
// ending in an empty line or a line of blanks is corrupt. An empty file is
// sound and has no line.
//
// The program's way stops at the first fault and keeps only the numbers of
// the last line. tavolin-log's way (a list to fill) hands out every line with
// its name, where it stands in the file and, for a line the program cannot
// read, what is wrong with it; after a fault it goes on at the next line.
//
// Two ways through a line give the same result. The general one goes byte by
// byte and takes every case. The quick one, for the usual line whose nineteen
// numbers all stand within its first 128 bytes, each of at most 18
// characters, checks those bytes 16 at a time as bit masks; the program's way
// then keeps a copy of them and turns only the last line's copy into numbers.
// Any line the quick way is not sure of goes the general way.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "resultlog/log_scheme.hpp"

namespace tavolin::logscheme {

// One line of the log as tavolin-log lists it.
struct LogLine {
    std::int64_t line = 0;  // where its first number stands (the first line is 1)
    bool readable = false;  // nineteen numbers and a name, on that one line
    Fields fields{};        // when readable
    std::string name;       // the bytes after the nineteenth number's separator, without the CR of CR LF
    std::string fault;      // when not readable: what is wrong
};

class LogReader {
public:
    // Without a list, the program's way; with one, every line the bytes
    // complete is added to it.
    explicit LogReader(std::vector<LogLine>* every_line = nullptr) : out_(every_line) {}

    // The next bytes of the file. Returns false once the log is known to be
    // corrupt (the program's way then takes no more).
    bool feed(const char* data, std::size_t size);
    // The end of the file. Returns false if the log is corrupt.
    bool finish();

    [[nodiscard]] bool corrupt() const { return corrupt_at_ != 0; }
    // The line on which the program stops reading and calls the log corrupt.
    [[nodiscard]] std::int64_t corrupt_at() const { return corrupt_at_; }
    // After finish: whether any complete line was read before a fault, and
    // the numbers of the last one (all zero when there was none).
    [[nodiscard]] bool has_line() const { return has_line_; }
    [[nodiscard]] const Fields& last() const { return lines_[last_]; }
    // Whether any byte was read, and the last one: whether the file ends with
    // a line end.
    [[nodiscard]] bool empty() const { return empty_; }
    [[nodiscard]] char last_byte() const { return last_byte_; }

    // Bytes the quick way looks at from the start of a line.
    static constexpr std::size_t kQuickSpan = 128;
    // The most of a name that is kept.
    static constexpr std::size_t kNameKeep = 4096;

private:
    enum class Phase : std::uint8_t { kSkip, kNumber, kName, kResync };

    bool fault(std::string what, std::int64_t where);
    bool end_number();
    void end_line();
    void add_name(const char* from, const char* to);
    // The quick way from the start of a line with at least kQuickSpan bytes
    // before end: where reading goes on, or nullptr to take the general way.
    const char* quick_line(const char* p, const char* end);

    std::vector<LogLine>* out_;

    // Two slots: the last complete line and the one being read. A slot holds
    // either numbers or, the program's quick way, the bytes of its numbers.
    Fields lines_[2]{};
    std::array<char, kQuickSpan> quick_bytes_[2]{};
    bool quick_[2]{};
    std::size_t last_ = 0;

    Phase phase_ = Phase::kSkip;
    std::int64_t line_ = 1;          // the line the next byte stands on
    std::int64_t first_line_ = 0;    // the line the first number stands on
    std::int64_t numbers_end_ = 0;   // the line the nineteenth number stands on
    std::size_t field_ = 0;          // the number being read, 0 to 18
    bool started_ = false;           // a byte of the line being read has been taken
    bool negative_ = false;
    bool digits_ = false;            // the number has at least one digit
    std::uint64_t magnitude_ = 0;
    std::string name_;               // tavolin-log's way: the name so far
    std::size_t name_size_ = 0;      // its whole size, beyond what is kept
    bool name_cr_ = false;           // its last byte is a CR
    std::int64_t corrupt_at_ = 0;
    bool has_line_ = false;
    bool empty_ = true;
    char last_byte_ = 0;
};

}  // namespace tavolin::logscheme
