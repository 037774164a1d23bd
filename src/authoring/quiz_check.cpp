#include "authoring/quiz_check.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "ground/base/control_bytes.hpp"

namespace tavolin {

namespace {

using Severity = Finding::Severity;

// How much of a line a message quotes.
constexpr std::size_t kQuoted = 40;

// A line as a message quotes it: control bytes as '?', a long line cut.
std::string found(std::string_view line) {
    if (line.empty()) return "an empty line";
    std::string text = "'";
    for (const char c : line.substr(0, kQuoted)) text += is_control_byte(c) ? kControlPlaceholder : c;
    if (line.size() > kQuoted) text += "...";
    return text + "'";
}

bool is_control(char c) { return c != '\t' && is_control_byte(c); }

// Whether the text holds a control byte (a tab is none). Eight bytes at a
// time: a word with no byte below 0x20 and none equal to 0x7f is passed over
// whole, the rare word with a tab or a control byte is looked at byte by
// byte. (Every answer of a long file goes through here.)
bool has_control_byte(std::string_view text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHighs = 0x8080808080808080;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t w = 0;
        std::memcpy(&w, text.data() + i, 8);
        const std::uint64_t below_blank = (w - kOnes * 0x20) & ~w & kHighs;
        const std::uint64_t x = w ^ (kOnes * 0x7f);
        const std::uint64_t del = (x - kOnes) & ~x & kHighs;
        if ((below_blank | del) != 0 && std::any_of(text.begin() + static_cast<std::ptrdiff_t>(i),
                                                    text.begin() + static_cast<std::ptrdiff_t>(i + 8), is_control)) {
            return true;
        }
    }
    return std::any_of(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(), is_control);
}

std::string count_of(std::int64_t n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

// One walk over one file.
class Checker {
public:
    Checker(QuizFile& file, const std::function<void(const Finding&)>& report) : file_(file), report_(report) {}
    CheckSummary run();

private:
    enum class Outcome : std::uint8_t { kComplete, kCut, kStop };

    void say(Severity severity, std::int64_t line, std::string text) {
        pending_.push_back({severity, line, std::move(text)});
    }
    // Hands the findings held so far to the caller, in the order of their
    // lines.
    void flush();
    // The shown lines of a question: lines cut short, control bytes.
    void shown_line(std::string_view what, std::string_view text, std::size_t keep);
    Outcome question();
    Outcome cut(std::string_view expected);
    void last_line();
    void beyond_the_limit();

    QuizFile& file_;
    const std::function<void(const Finding&)>& report_;
    std::vector<Finding> pending_;
    CheckSummary summary_;
    int complete_ = 0;
    // The kind line of the question being read (or what stands in its place).
    std::string kind_line_;
    std::int64_t kind_no_ = 1;
};

void Checker::flush() {
    std::stable_sort(pending_.begin(), pending_.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    for (const Finding& f : pending_) {
        ++(f.severity == Severity::kError ? summary_.errors : summary_.warnings);
        report_(f);
    }
    pending_.clear();
}

void Checker::shown_line(std::string_view what, std::string_view text, std::size_t keep) {
    const std::int64_t line = file_.lines_done();
    if (file_.last_length() > keep) {
        say(Severity::kWarning, line,
            "expected " + std::string(what) + " of at most " + std::to_string(keep) + " bytes; found " +
                std::to_string(file_.last_length()) + " bytes: tavolin keeps only the first " + std::to_string(keep));
    }
    if (has_control_byte(text)) {
        say(Severity::kWarning, line,
            "expected " + std::string(what) + " of printable text; found control bytes, which tavolin shows as '?'");
    }
}

CheckSummary Checker::run() {
    std::string line;
    if (!file_.read_line(line)) {
        say(Severity::kError, 1, "expected a kind letter, t, m or f, on the first line; found an empty file");
    } else if (!line.empty() && line.front() == 'P') {
        say(Severity::kError, 1,
            "expected a question; found the end marker 'P' on the first line, so the file holds no question");
    } else if (line.empty() || std::string_view("tTmMfF").find(line.front()) == std::string_view::npos) {
        say(Severity::kError, 1,
            "expected a kind letter, t, m or f, at the start of the first line; found " + found(line) +
                ": tavolin refuses the file");
    } else {
        kind_line_ = std::move(line);
        for (;;) {
            if (file_.at_end()) {
                last_line();
                break;
            }
            if (complete_ == MASS) {
                beyond_the_limit();
                break;
            }
            const Outcome outcome = question();
            flush();
            if (outcome != Outcome::kComplete) break;
            const std::int64_t end = file_.lines_done();
            if (!file_.read_line(kind_line_)) {
                say(Severity::kWarning, end,
                    "expected the end marker 'P' after the last question; found the end of the file");
                break;
            }
            kind_no_ = file_.lines_done();
        }
        if (file_.at_end() && file_.bytes_after_end_byte()) {
            say(Severity::kWarning, std::max<std::int64_t>(1, file_.lines_done()),
                "expected the file to end at its byte 26 (Ctrl-Z); found more bytes after it, which tavolin "
                "never reads");
        }
    }
    flush();
    return summary_;
}

// The file ends right after a kind line (or what stands in its place).
void Checker::last_line() {
    if (complete_ == 0) {
        say(Severity::kError, kind_no_,
            "expected a question after the kind line; found the end of the file, so the file holds no question");
    } else if (kind_of(lower_ascii(kind_line_)) != QuestionKind::kNone) {
        say(Severity::kWarning, kind_no_,
            "expected a question after this kind line; found the end of the file: tavolin takes the question "
            "as cut off and leaves it out, with a warning");
    } else if (kind_line_ != "P") {
        say(Severity::kWarning, kind_no_,
            "expected the end marker 'P' as the last line; found " + found(kind_line_) + ", which tavolin passes over");
    }
}

// The file ends inside the question being read. What was found wrong in its
// shown lines does not matter: it is never shown.
Checker::Outcome Checker::cut(std::string_view expected) {
    std::erase_if(pending_, [](const Finding& f) { return f.severity == Severity::kWarning; });
    const std::string early = " ends early: expected " + std::string(expected) + "; found the end of the file";
    if (complete_ == 0) {
        say(Severity::kError, kind_no_, "the first question" + early + ": tavolin refuses the file");
    } else if (lower_ascii(kind_line_) == "p") {
        say(Severity::kWarning, kind_no_,
            "expected the end marker 'P' as the last line; found more lines after it: tavolin reads them as one "
            "more question, which ends early, before " + std::string(expected) + ", and leaves it out, with a warning");
    } else {
        say(Severity::kWarning, kind_no_, "this question" + early + ": tavolin leaves it out, with a warning");
    }
    return Outcome::kCut;
}

Checker::Outcome Checker::question() {
    const QuestionKind kind = kind_of(lower_ascii(kind_line_));
    std::string line;
    if (!file_.read_line(line)) return cut("the question line");
    if (kind != QuestionKind::kNone) shown_line("a question line", line, kLineKeep);

    if (!file_.read_line(line)) return cut("the answer-count line");
    const std::int64_t count_no = file_.lines_done();
    const std::optional<std::int16_t> n = whole_number(line);
    if (!n || *n < 1 || *n > ANSWERCRAND) {
        std::string after_marker;
        if (lower_ascii(kind_line_) == "p") {
            after_marker = " (tavolin reads the end marker 'P' on line " + std::to_string(kind_no_) +
                           ", with lines after it, as the kind line of one more question)";
        }
        say(Severity::kError, count_no,
            "expected the number of answers, a whole number from 1 to 100; found " + found(line) +
                ": the questions after it cannot be found, so checking stops here" + after_marker);
        return Outcome::kStop;
    }
    if (kind == QuestionKind::kFillIn && *n != 1) {
        say(Severity::kError, count_no,
            "expected 1 on the answer-count line of a fill-in-the-blank question; found " + found(line) +
                ": tavolin refuses the file");
    }
    if (kind == QuestionKind::kTrueFalse && *n != 2) {
        say(Severity::kWarning, count_no,
            "expected 2 answers, True and False, for a true/false question; found " + found(line) +
                ": taken as written");
    }

    const bool fill_in = kind == QuestionKind::kFillIn;
    std::string_view answer;
    for (int k = 1; k <= *n; ++k) {
        // The answers are looked at where they stand in the reader's buffer.
        if (!file_.read_line_view(answer, line, fill_in ? kLineKeep : kAnswerKeep)) {
            return cut("answer " + std::to_string(k) + " of " + std::to_string(*n));
        }
        if (kind == QuestionKind::kNone) continue;
        shown_line("an answer line", answer, fill_in ? kLineKeep : kAnswerKeep);
        const std::string_view true_false[] = {"True", "False"};
        if (kind == QuestionKind::kTrueFalse && k <= 2 && answer != true_false[k - 1]) {
            say(Severity::kWarning, file_.lines_done(),
                "expected '" + std::string(true_false[k - 1]) + "' as answer " + std::to_string(k) +
                    " of a true/false question; found " + found(answer) + ": taken as written");
        }
    }

    if (!file_.read_line(line)) return cut("the correct-answer line");
    const std::int64_t correct_no = file_.lines_done();
    if (fill_in) {
        if (line != "1") {
            say(Severity::kWarning, correct_no,
                "expected 1 on the correct-answer line of a fill-in-the-blank question; found " + found(line) +
                    " (tavolin does not use it)");
        }
    } else if (kind != QuestionKind::kNone) {
        const std::optional<std::int16_t> k = whole_number(line);
        if (!k || *k < 1 || *k > *n) {
            say(Severity::kError, correct_no,
                "expected the number of the correct answer, a whole number from 1 to " + std::to_string(*n) +
                    "; found " + found(line) + ": tavolin refuses the file");
        }
    }

    ++complete_;
    switch (kind) {
        case QuestionKind::kTrueFalse: ++summary_.true_false; break;
        case QuestionKind::kMultipleChoice: ++summary_.multiple_choice; break;
        case QuestionKind::kFillIn: ++summary_.fill_in; break;
        case QuestionKind::kNone:
            say(Severity::kError, kind_no_,
                lower_ascii(kind_line_) == "p"
                    ? std::string("expected the end marker 'P' as the last line; found more lines after it: "
                                  "tavolin reads it as the kind line of one more question, and ends the run "
                                  "when that question comes up")
                    : "expected a kind line of t, m or f alone; found " + found(kind_line_) +
                          ": tavolin ends the run when this question comes up");
            break;
    }
    return Outcome::kComplete;
}

// A question beyond the 3000th begins here: neither it nor anything after it
// is ever read by the program. Its followers are counted as far as their
// answer counts allow, and not judged.
void Checker::beyond_the_limit() {
    std::int64_t ignored = 0;
    bool all_counted = true;
    std::string line;
    while (!file_.at_end()) {
        ++ignored;
        if (!file_.skip_line() || !file_.read_line(line)) break;
        const std::optional<std::int16_t> n = whole_number(line);
        if (!n || *n < 1 || *n > ANSWERCRAND) {
            all_counted = false;
            break;
        }
        if (file_.skip_lines(*n + 1) != *n + 1 || !file_.read_line(line)) break;
    }
    // What could not be counted is still read, so that a byte 26 is found.
    while (file_.skip_line()) {
    }
    say(Severity::kWarning, kind_no_,
        "expected at most 3000 questions; found " + std::string(all_counted ? "" : "at least ") +
            std::to_string(ignored) + " more: tavolin gives the first 3000 and never reads the rest, from this "
            "line on");
}

}  // namespace

CheckSummary check_quiz_file(QuizFile& file, const std::function<void(const Finding&)>& report) {
    return Checker(file, report).run();
}

std::string summary_text(const CheckSummary& summary) {
    return count_of(summary.questions(), "question", "questions") + ": " + std::to_string(summary.true_false) +
           " true/false, " + std::to_string(summary.multiple_choice) + " multiple choice, " +
           std::to_string(summary.fill_in) + " fill in the blank";
}

}  // namespace tavolin
