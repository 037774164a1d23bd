// Reading the results log back: what tavolin-log lists.
//
// Each line is decoded against the line before it: its time, and for a
// graded quiz its questions answered and percentage, are undone from its
// numbers with the adjustments the line before gives. Then the program's own
// encoder writes the line it would have written after that line with those
// values; where the two differ, the line does not follow from the line
// before. The event is not written on the line: each of the three is tried,
// and the one that leaves the fewest numbers differing is taken.
//
// What this can see follows from what a line takes from the line before:
// the six adjustments (of which only SECAP enters a number that is checked,
// SEC2; the others shift the time decoded), NIX2 when the line is a quiz
// opened, DIS1 and HRAP when it is a quiz graded. Any one number changed
// breaks its own line, but for NIX2 and DIS2 of a graded line, which carry
// its questions answered and its percentage: a changed percentage is seen
// only out of 0 to 100, a changed count out of 1 to 3000 or through the
// NIX2 a quiz opened right after it takes. A line removed from the middle
// breaks the line after the gap unless the lines on either side of it agree
// in all that line takes (about one time in a hundred). A removed last line,
// or lines written by someone who uses the keys in the published source,
// are not seen.
#pragma once

#include <cstdint>
#include <string>

#include "resultlog/log_reader.hpp"
#include "resultlog/log_scheme.hpp"

namespace tavolin::logscheme {

// What a line says.
struct Decoded {
    std::int64_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    std::int16_t event = 0;     // 4 made, 3 opened, 2 graded; 0 when it cannot be told
    std::int64_t answered = 0;  // when graded
    std::int64_t percent = 0;   // when graded, rounded as stored
};

enum class Verdict : std::uint8_t {
    kOk,
    kBroken,      // does not follow from the line before
    kSeeAbove,    // does not follow from a line that is broken, or from one before an unreadable one
    kUnreadable,  // not nineteen numbers and a name
};

struct CheckedLine {
    std::int64_t line = 0;
    Verdict verdict = Verdict::kOk;
    std::string detail;   // what is wrong, in words for the reader of the listing
    bool trusted = false;  // the time, answered and percent can be shown
    Decoded value;        // its event when it can be told; the rest when trusted
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
    std::int16_t previous_event_ = 0;
    bool previous_broken_ = false;
    bool unreadable_before_ = false;  // an unreadable line came after the previous one
};

}  // namespace tavolin::logscheme
