// The walker of the quiz format: the one place that knows what the program
// makes of each line of a quiz file. The first-line check, the count pass
// that notes where each question begins, the reading of a drawn question and
// tavolin-check all walk a file through it, so they cannot disagree.
//
// A walk reads line 1 as the first kind line, then one record at a time: its
// kind line, question line, answer-count line n, n answer lines and its
// correct-answer line, and then the line after it (the next kind line, or the
// end marker "P"). What it meets is told record by record; every line of a
// record can also be shown to a looker, as the program keeps it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/quiz_reader.hpp"

namespace tavolin {

// Codes of the first-line check.
inline constexpr std::int16_t kKindTrueFalse = 0;
inline constexpr std::int16_t kKindMultipleChoice = 1;
inline constexpr std::int16_t kKindFillIn = 2;
inline constexpr std::int16_t kKindEndMarker = -1;
inline constexpr std::int16_t kKindNotQuiz = 3;

// What the first-line check makes of line 1: only its first byte counts
// (t/T 0, m/M 1, f/F 2, capital P -1, anything else 3, an empty line and an
// empty file included). A file that begins with the byte-order mark of
// UTF-16 (FF FE or FE FF) is no quiz file either, and is told apart.
struct FirstLine {
    std::int16_t code = kKindNotQuiz;
    bool empty_file = false;
    bool utf16 = false;
};
FirstLine first_line_check(std::optional<std::string_view> line);

// The first-line check on the current line of the file, moving to the start
// of the next line. For 3 it closes the file; telling the user is the
// dialogue's part (`utf16`, when asked for, says whether it was a UTF-16 file).
std::int16_t READ_KINDS(std::optional<QuizFile>& YOURQUIZ, bool* utf16 = nullptr);

// Where a line stands in its record.
enum class LinePart : std::uint8_t { kQuestion, kCount, kAnswer, kCorrect };

// A line of a record as the program keeps it.
struct SeenLine {
    LinePart part = LinePart::kQuestion;
    QuestionKind kind = QuestionKind::kNone;  // the kind of its record
    std::int64_t number = 0;                  // its line, from 1
    // The bytes kept, valid until the next line is read. (A reference to the
    // walker's own view: copying the view the reader has just written, as one
    // 16-byte load, stalls on every line.)
    const std::string_view& text;
    std::size_t length = 0;                   // the bytes of the whole line, without its line end
    std::size_t keep = kLineKeep;             // how many of them the program keeps
    int answer = 0;                           // kAnswer: 1 to n
};

class LineLooker {
public:
    virtual void look(const SeenLine& line) = 0;

protected:
    LineLooker() = default;
    LineLooker(const LineLooker&) = default;
    LineLooker& operator=(const LineLooker&) = default;
    ~LineLooker() = default;
};

// One record as the walk met it.
struct WalkedRecord {
    // How the record ended: read whole; the file ended inside it (`missing`
    // says at which line); or its answer count is no whole number from 1 to
    // 100, so the lines after it have no known place and the walk stops.
    enum class End : std::uint8_t { kComplete, kCut, kStop };

    End end = End::kComplete;
    std::int64_t start = 0;  // the line of its kind line
    std::string kind_line;   // the kind line as the file has it (first 255 bytes)
    QuestionKind kind = QuestionKind::kNone;
    bool after_marker = false;  // the kind line is the end marker "P", with more lines after it
    std::int16_t count = 0;     // the answer count, when it is one
    std::int16_t correct = 0;   // "m", "t": the correct answer, when it is one from 1 to count
    std::int64_t count_line = 0;
    std::int64_t correct_line = 0;
    // kCut: the line the file ended before, and for an answer line which.
    LinePart missing = LinePart::kQuestion;
    int missing_answer = 0;
    // Faults for which the program refuses the file: a fill-in record whose
    // count is not 1; a multiple-choice or true/false record whose
    // correct-answer line is not a whole number from 1 to its count.
    bool fill_in_count_wrong = false;
    bool correct_wrong = false;
};

// How a walk ended, once next() has said there is no further record.
enum class WalkEnd : std::uint8_t {
    kEndMarker,     // the last line is the end marker "P" (nothing but blanks, tabs and line ends after it)
    kNoEndMarker,   // the file ends right after a record's correct-answer line
    kKindLineLast,  // the last line is a kind line with nothing after it: a record cut off as it began
    kStrayLine,     // the last line is neither a kind line nor the end marker; it is passed over
    kCut,           // the file ends inside a record (the last record told)
    kStop,          // an answer count no whole number from 1 to 100 (the last record told)
    kBeyond,        // a record beyond the MASS-th begins; neither it nor anything after it is read
};

class QuizWalker {
public:
    // `looker`, when given, is shown every line of every record; without one,
    // lines the program only passes over are skipped unread.
    explicit QuizWalker(QuizFile& file, LineLooker* looker = nullptr) : file_(file), looker_(looker) {}

    // Reads line 1, the first kind line; what the first-line check makes of it.
    FirstLine start();
    // The next record, from its kind line to the line after it. False when
    // there is none; ending() then says why. A record that ends cut or
    // stopped is told, and is the last.
    bool next(WalkedRecord& record);
    [[nodiscard]] WalkEnd ending() const { return ending_; }
    // The last line read as a kind line: after the walk, the file's last line.
    [[nodiscard]] const std::string& kind_line() const { return kind_line_; }
    [[nodiscard]] std::int64_t kind_line_number() const { return kind_no_; }
    // Complete records met.
    [[nodiscard]] int records() const { return records_; }

    // After kBeyond: passes over the rest of the file, counting the records
    // it holds as far as their answer counts allow; the count, and whether
    // every one could be counted.
    std::pair<std::int64_t, bool> pass_over_the_rest();

    // The rest of a drawn record (its kind in `record`) whose kind line was
    // just read, as a question is given: for "m" and "t" the question line,
    // the count, the answers and the correct-answer line; for "f" the
    // question line, the count line (read and not used) and the answer line.
    // False when it does not fit the layout (the count pass's checks, but
    // for the count of "f").
    bool read_drawn(WalkedRecord& record);

private:
    enum class Met : std::uint8_t { kRecord, kTold, kNothing };
    Met record(WalkedRecord& r, bool drawn);
    // Reads the next line of the record; false at the end of the file.
    bool line(LinePart part, QuestionKind kind, std::size_t keep, bool need_text, int answer = 0);
    // The line just read holds nothing but blanks and tabs.
    [[nodiscard]] bool blank() const;
    // Reads on to the end; true when every line left holds nothing but
    // blanks and tabs.
    bool only_blanks_to_the_end();

    QuizFile& file_;
    LineLooker* looker_;
    std::string kind_line_;
    std::int64_t kind_no_ = 1;
    int records_ = 0;
    WalkEnd ending_ = WalkEnd::kEndMarker;
    bool done_ = false;
    std::string spare_;
    std::string_view text_;
};

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

// The count pass over a file opened afresh: walks line 1 and every record
// after it, noting where each record begins, up to MASS records.
//
// Returns false when a record breaks the layout (WalkedRecord's faults and a
// stopped walk). A file that ends right after a record's last line (no end
// marker) is sound. A file that ends inside its last record (a dialogue
// broken off while the quiz was made), wherever the cut falls, from a kind
// line alone to a missing correct-answer line, gives the complete records
// before it and is cut short; with no complete record before the cut it is
// broken, except that a kind line alone gives a quiz of no questions, as an
// end marker alone does.
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

// Reads the rest of a record of a known kind (QuizWalker::read_drawn).
bool read_record(QuizFile& YOURQUIZ, QuestionKind kind, QuestionRecord& record);

}  // namespace tavolin
