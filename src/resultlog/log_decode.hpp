// Reading the results log back: what tavolin-log lists.
//
// Lines are taken exactly as the program takes them when it adds a line
// (log_reader.hpp): nineteen signed decimal numbers, each ending at a blank,
// a tab, a carriage return or a line end, blanks and line ends before each
// skipped, then the rest of the line as the name. Where the program would stop
// and call the log corrupt, the reading goes on at the next line, so that the
// whole log is listed; where it stopped first is kept.
//
// Each line is then decoded against the line before it by undoing the
// encoding, with the program's own arithmetic, and checked: every line holds
// fixed relations between its numbers (YR1, YR2 and YR3 follow one another by
// fixed offsets, and so do MO1 and MO2, DAY1 to DAY3, HR1 and HR2, MIN1 and
// MIN2, SEC2 and SEC3), SEC2 ties SEC1 to the line before, and the four event
// numbers follow from the line (a quiz file made) or partly from the line
// before (opened, graded). The event is the one whose relations hold. The
// decoded date and time must exist, and a graded quiz must have answered 1 to
// 3000 questions with a percentage from 0 to 100.
//
// This finds careless edits and deleted lines in the middle. It cannot find a
// changed percentage or question count that stays in its range, a changed or
// deleted last line, or a time field shifted consistently: the keys are in
// the published source, so anyone who means to can write lines that pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "resultlog/log_scheme.hpp"

namespace tavolin::logscheme {

// One line of the log as the program reads it.
struct LogLine {
    std::int64_t line = 0;  // where its first number stands (the first line is 1)
    bool readable = false;
    Fields fields{};         // when readable
    std::string name;        // when readable: the bytes after the nineteenth number's separator
    std::string fault;       // when not: what is wrong
};

// Splits a log's bytes, fed in chunks of any size, into lines.
class LineSplitter {
public:
    // The lines that the bytes so far complete are added to `out`.
    void feed(const char* data, std::size_t size, std::vector<LogLine>& out);
    // A last line the file ends in without its line end is added too.
    void finish(std::vector<LogLine>& out);

    // Where the program stops reading and calls the log corrupt (0: it does
    // not), and the last line the program reads as its previous line.
    [[nodiscard]] std::int64_t corrupt_at() const { return corrupt_at_; }
    [[nodiscard]] const std::optional<Fields>& program_last() const { return program_last_; }

    // The most of a name that is kept.
    static constexpr std::size_t kNameKeep = 4096;

private:
    enum class Phase : std::uint8_t { kSkip, kNumber, kName, kResync };

    const char* quick_line(const char* p, const char* nl, std::vector<LogLine>& out);
    void unreadable(std::string fault, std::int64_t fault_line, std::vector<LogLine>& out);
    bool end_number(std::vector<LogLine>& out);
    void end_line(std::vector<LogLine>& out);

    Phase phase_ = Phase::kSkip;
    std::int64_t line_ = 1;  // the line the next byte stands on
    LogLine current_;
    std::int64_t numbers_end_ = 0;  // the line the nineteenth number stands on
    std::size_t field_ = 0;
    bool started_ = false;  // a byte of the line being read has been taken
    bool negative_ = false;
    bool digits_ = false;
    std::uint64_t magnitude_ = 0;
    bool name_cr_ = false;  // the name so far ends in a carriage return
    std::int64_t corrupt_at_ = 0;
    std::optional<Fields> program_last_;
};

// What a line says.
struct Decoded {
    std::int64_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool time_exists = false;
    std::int16_t event = 0;  // 4 made, 3 opened, 2 graded; 0 when no event fits
    std::int64_t answered = 0;  // graded
    std::int64_t percent = 0;   // graded, rounded as stored
};

enum class Verdict : std::uint8_t {
    kOk,
    kAltered,          // a relation of the line fails
    kFollowsAltered,   // its own relations hold; those with the altered line before it do not
    kAfterUnreadable,  // decoded against the last readable line, before an unreadable one
    kUnreadable,       // not nineteen numbers and a name
};

struct CheckedLine {
    std::int64_t line = 0;
    Verdict verdict = Verdict::kOk;
    std::string detail;  // the relation that failed, or what the line was decoded against
    Decoded value;
    std::string name;
};

// Decodes a log's lines one after another, each against the last readable
// one before it (the first against the zeros the program puts in place of a
// missing previous line).
class LogDecoder {
public:
    CheckedLine next(LogLine line);

private:
    Fields previous_{};
    std::int64_t previous_line_ = 0;  // 0: none yet
    bool previous_altered_ = false;
    std::int64_t unreadable_since_ = 0;  // an unreadable line came after the previous one
};

// Undoes the encoding of `line` against `previous` for the given event: the
// time and, for a graded quiz, the questions and the percentage. No check.
Decoded decode_fields(const Fields& previous, const Fields& line, std::int16_t event);

// Whether the relations of the given event hold for `line` after `previous`
// (all of them: the time fields, the tie to the line before, the event's).
bool relations_hold(const Fields& previous, const Fields& line, std::int16_t event);

}  // namespace tavolin::logscheme
