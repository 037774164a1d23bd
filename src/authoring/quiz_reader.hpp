// The reading side of the quiz file: a record is a kind line, a question
// line, an answer-count line n, n answer lines and a correct-answer line; an
// end marker "P" follows the last record.
//
// Everything here reads the file as a stream through one fixed buffer, so the
// memory used does not grow with the file, and skipping lines allocates
// nothing: it runs at the speed of a plain memchr over the bytes. Lines end
// in CR LF or in LF alone; the first byte 26 (Ctrl-Z) ends the file, as if
// nothing came after it. Numbers found in a file (answer counts, the correct
// answer) are checked before anything is sized or indexed by them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ground/base/limits.hpp"
#include "ground/platform/files.hpp"

namespace tavolin {

// How much of a line is kept: a question line, a kind line, a fill-in answer
// and a number line keep their first 255 bytes; an answer line of a multiple
// choice or true/false record keeps 4096 (the writer never writes more than
// 255; the bound only keeps a hand-made file from filling the memory).
inline constexpr std::size_t kLineKeep = 255;
inline constexpr std::size_t kAnswerKeep = 4096;

// One quiz file open for reading from its start.
class QuizFile {
public:
    static constexpr std::size_t kBufferSize = 64 * 1024;

    // Opens a file for reading. Anything that cannot be read as a plain file
    // gives nothing: a missing or unreadable file, an empty name, a folder,
    // and devices or pipes (which could block the program or never end). The
    // error number that says why lands in `error` when one is asked for.
    static std::optional<QuizFile> open(const std::string& name, int* error = nullptr);

    // True when no byte is left before the end of the file (or a byte 26).
    [[nodiscard]] bool at_end();
    // Reads the next line into `out` without its line end, keeping its first
    // `keep` bytes and passing over the rest. False, with `out` empty, when
    // the file is at its end.
    bool read_line(std::string& out, std::size_t keep = kLineKeep);
    // The same as read_line, but the line comes as a view of the reader's own
    // buffer when it stands whole in it (no copy), else it is read into
    // `spare`. The view lasts until the next read.
    bool read_line_view(std::string_view& out, std::string& spare, std::size_t keep = kLineKeep);
    // Passes over the next line. False when the file is at its end.
    bool skip_line();
    // Passes over up to `count` lines; returns how many there were.
    std::int64_t skip_lines(std::int64_t count);
    // Lines read or passed over so far.
    [[nodiscard]] std::int64_t lines_done() const { return lines_done_; }
    // The length of the line read last, without its line end, before it was
    // cut to what is kept.
    [[nodiscard]] std::size_t last_length() const { return last_length_; }
    // A read from the system failed; the file was taken to end there.
    [[nodiscard]] bool failed() const { return failed_; }
    // A byte 26 ended the file with more bytes after it, which are never read.
    [[nodiscard]] bool bytes_after_end_byte() const { return bytes_after_end_byte_; }

private:
    explicit QuizFile(File file);
    bool fill();

    std::optional<File> file_;
    std::unique_ptr<char[]> buffer_;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool eof_ = false;
    bool failed_ = false;
    bool bytes_after_end_byte_ = false;
    std::int64_t lines_done_ = 0;
    std::size_t last_length_ = 0;
};

// A whole number on a line: leading blanks, tabs and line ends skipped, then
// a signed decimal number up to the next blank, tab or line end; the rest of
// the line is ignored. Nothing when the line holds no such number or the
// number lies outside -32768..32767.
std::optional<std::int16_t> whole_number(std::string_view line);

// The letters A to Z made small, every other byte kept.
std::string lower_ascii(std::string_view text);

// The kind of a question by its kind line made small: exactly "t", "m" or
// "f"; anything else is no kind at all.
enum class QuestionKind { kTrueFalse, kMultipleChoice, kFillIn, kNone };
QuestionKind kind_of(std::string_view lowered_kind_line);

// Codes of the first-line check.
inline constexpr std::int16_t kKindTrueFalse = 0;
inline constexpr std::int16_t kKindMultipleChoice = 1;
inline constexpr std::int16_t kKindFillIn = 2;
inline constexpr std::int16_t kKindEndMarker = -1;
inline constexpr std::int16_t kKindNotQuiz = 3;

// The first-line check: the code of the first character of the current line
// (t/T 0, m/M 1, f/F 2, capital P -1, anything else 3, an empty line and an
// empty file included), moving to the start of the next line. For 3 it closes
// the file; telling the user is the dialogue's part.
std::int16_t READ_KINDS(std::optional<QuizFile>& YOURQUIZ);

// What the count pass finds in a quiz file.
struct QuizCount {
    std::int16_t questions = 0;  // complete records, at most MASS; 0 for a broken file
    bool too_many = false;       // a record beyond the MASS-th begins (it and the rest are not read)
    bool cut_short = false;      // the file ends inside its last record, which is left out
    std::array<std::int32_t, MASS + 1> starts{};  // the line of the k-th record's kind line, from 1
    // n + 1 for the last record whose n answers were all read: the value the
    // count leaves in the counter the loading loop shares with the chatter.
    std::optional<std::int32_t> last_span;
};

// The count pass over a file opened afresh: reads line 1 and every record
// after it, noting where each record begins, up to MASS records.
//
// Returns false when a record breaks the layout: an answer count that is not
// a whole number from 1 to 100, a fill-in record ("f") whose count is not 1,
// or a multiple-choice or true/false record whose correct-answer line is not
// a whole number from 1 to its count. A file that ends right after a record's
// last line (no end marker) is sound. A file that ends inside its last record
// (a dialogue broken off while the quiz was made), wherever the cut falls,
// from a kind line alone to a missing correct-answer line, gives the complete
// records before it and is cut short; with no complete record before the cut
// it is broken, except that a kind line alone gives a quiz of no questions,
// as an end marker alone does.
bool count_pass(QuizFile& YOURQUIZ, QuizCount& count);

// Reads from the start of a file opened afresh down to line `line`, which
// lands in STRING1 (first 255 bytes); the next line to be read is the one
// after it. False when the file has fewer lines.
bool read_down_to(QuizFile& YOURQUIZ, std::int32_t line, std::string& STRING1);

// The rest of a drawn record, after its kind line.
struct QuestionRecord {
    std::string question;              // first 255 bytes
    std::int16_t count = 0;            // "m", "t": the answer count, 1..100
    std::vector<std::string> answers;  // "m", "t": the answers in file order
    std::int16_t correct = 0;          // "m", "t": 1..count
    std::string fill_answer;           // "f": the expected answer
};

// Reads the rest of a record of a known kind. For "m" and "t": the question
// line, the count, the answers and the correct-answer line; for "f": the
// question line, the count line (not used) and the answer line. False when the
// record does not fit the layout (the checks of count_pass; the count of a
// fill-in record is not used and not checked).
bool read_record(QuizFile& YOURQUIZ, QuestionKind kind, QuestionRecord& record);

}  // namespace tavolin
