// The quiz-file checker behind tavolin-check: walks a quiz file through the
// program's own walker (quiz_walker.hpp) and turns what it meets into
// findings, each with its line.
//
// An error is what makes the program refuse the file, end the run on one of
// its questions, or give no question at all: a file the checker passes
// without an error is taken by the program and every question it counts can
// be given. A warning is what the program takes but the author may not
// expect (a cut-off last question, lines cut short, control bytes, bytes that
// are not UTF-8, a fill-in answer no typed answer can match, what stands
// after the end marker, questions beyond the 3000th).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "authoring/quiz_walker.hpp"

namespace tavolin {

struct Finding {
    enum class Severity : std::uint8_t { kWarning, kError };
    Severity severity = Severity::kError;
    std::int64_t line = 1;  // the first line of the file is 1
    std::string text;       // what was expected and what was found
};

struct CheckSummary {
    int errors = 0;
    int warnings = 0;
    // The questions the program gives, by kind.
    int true_false = 0;
    int multiple_choice = 0;
    int fill_in = 0;
    [[nodiscard]] int questions() const { return true_false + multiple_choice + fill_in; }
};

// Checks the file from its start; every finding goes to `report` in the order
// of its lines. Reading stops where a fault leaves the lines after it with no
// known place in a question (a broken answer count), and after the 3000th
// question, whose followers the program never reads.
CheckSummary check_quiz_file(QuizFile& file, const std::function<void(const Finding&)>& report);

// The line a file's summary ends with: "7 questions: 3 true/false, 2 multiple
// choice, 2 fill in the blank".
std::string summary_text(const CheckSummary& summary);

}  // namespace tavolin
