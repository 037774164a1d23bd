#include "authoring/quiz_check.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "ground/base/control_bytes.hpp"
#include "ground/base/limits.hpp"
#include "ground/base/text_width.hpp"
#include "ground/base/utf8.hpp"

namespace tavolin {

namespace {

using Severity = Finding::Severity;

// How much of a line a message quotes, in bytes.
constexpr std::size_t kQuoted = 40;

// A line as a message quotes it, in its screen form (control bytes and bytes
// that are not UTF-8 as '?'), a long line cut before the character that
// would pass kQuoted.
std::string found(std::string_view line) {
    if (line.empty()) return "an empty line";
    std::size_t cut = 0;
    while (cut < line.size()) {
        const std::size_t n = screen_char(line, cut).size;
        if (cut + n > kQuoted) break;
        cut += n;
    }
    std::string text = "'";
    text += screen_form(line.substr(0, cut));
    if (cut < line.size()) text += "...";
    text += '\'';
    return text;
}

bool is_line_blank(char c) { return c == ' ' || c == '\t'; }

bool is_control(char c) { return c != '\t' && is_control_byte(c); }

// Whether the text is printable ASCII throughout (no byte below a blank, no
// DEL, none above 127), eight bytes at a time: nearly every line of a long
// file is, and is passed over at the speed of a memchr.
bool printable_ascii(std::string_view text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHighs = 0x8080808080808080;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t w = 0;
        std::memcpy(&w, text.data() + i, 8);
        const std::uint64_t below_blank = (w - kOnes * 0x20) & ~w & kHighs;
        const std::uint64_t x = w ^ (kOnes * 0x7f);
        const std::uint64_t del = (x - kOnes) & ~x & kHighs;
        if ((below_blank | del | (w & kHighs)) != 0) return false;
    }
    for (; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte >= 0x7f) return false;
    }
    return true;
}

// What a shown line holds that a message is due for: a control character
// (a tab is none), bytes that are not UTF-8 (but for a character cut short at
// the end of a line that was cut: `cut`).
struct TextScan {
    bool control = false;
    bool not_utf8 = false;
};
TextScan scan(std::string_view text, bool cut) {
    TextScan found;
    if (printable_ascii(text)) return found;
    for (std::size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            found.control = found.control || is_control(text[at]);
            ++at;
            continue;
        }
        // A character beyond ASCII: a C1 control is shown as '?' as control
        // bytes are; a byte of no well-formed character is not UTF-8.
        const ScreenChar c = screen_char(text, at);
        if (c.placeholder && c.size > 1) found.control = true;
        if (c.placeholder && c.size == 1) {
            if (cut && utf8::is_cut_char(text.substr(at))) break;  // the rest of it was not kept
            found.not_utf8 = true;
        }
        at += c.size;
    }
    return found;
}

std::string count_of(std::int64_t n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

// One walk over one file: what the walker meets, turned into findings.
class Checker final : public LineLooker {
public:
    Checker(QuizFile& file, const std::function<void(const Finding&)>& report)
        : file_(file), walk_(file, this), report_(report) {}
    CheckSummary run();
    void look(const SeenLine& line) override;

private:
    void say(Severity severity, std::int64_t line, std::string text) {
        pending_.push_back({severity, line, std::move(text)});
    }
    // Hands the findings held so far to the caller, in the order of their
    // lines.
    void flush();
    // The shown lines of a question: lines cut short, control bytes, bytes
    // that are not UTF-8.
    void shown_line(const SeenLine& line, std::string_view what);
    void fill_in_answer(const SeenLine& line);
    void record(const WalkedRecord& r);
    void cut(const WalkedRecord& r);
    void stop(const WalkedRecord& r);
    void ending();

    QuizFile& file_;
    QuizWalker walk_;
    const std::function<void(const Finding&)>& report_;
    std::vector<Finding> pending_;
    CheckSummary summary_;
    // The question, count and correct-answer lines of the record being
    // walked, as far as messages quote them.
    std::string question_;
    std::string count_;
    std::string correct_;
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

void Checker::look(const SeenLine& line) {
    const auto quoted = [&line] { return std::string(line.text.substr(0, kQuoted + 4)); };
    switch (line.part) {
        case LinePart::kQuestion:
            question_ = quoted();
            if (line.kind != QuestionKind::kNone) shown_line(line, "a question line");
            break;
        case LinePart::kCount: {
            count_ = quoted();
            const std::optional<std::int16_t> n = whole_number(line.text);
            if (line.kind == QuestionKind::kTrueFalse && n && *n >= 1 && *n <= ANSWERCRAND && *n != 2) {
                say(Severity::kWarning, line.number,
                    "expected 2 answers, True and False, for a true/false question; found " + found(count_) +
                        ": taken as written");
            }
            break;
        }
        case LinePart::kAnswer: {
            if (line.kind == QuestionKind::kFillIn) {
                fill_in_answer(line);
                break;
            }
            if (line.kind == QuestionKind::kNone) break;
            shown_line(line, "an answer line");
            const std::string_view true_false[] = {"True", "False"};
            if (line.kind == QuestionKind::kTrueFalse && line.answer <= 2 && line.text != true_false[line.answer - 1]) {
                say(Severity::kWarning, line.number,
                    "expected '" + std::string(true_false[line.answer - 1]) + "' as answer " +
                        std::to_string(line.answer) + " of a true/false question; found " + found(line.text) +
                        ": taken as written");
            }
            break;
        }
        case LinePart::kCorrect:
            correct_ = quoted();
            if (line.kind == QuestionKind::kFillIn && line.text != "1") {
                say(Severity::kWarning, line.number,
                    "expected 1 on the correct-answer line of a fill-in-the-blank question; found " + found(correct_) +
                        " (tavolin does not use it)");
            }
            break;
    }
}

void Checker::shown_line(const SeenLine& line, std::string_view what) {
    if (line.length > line.keep) {
        say(Severity::kWarning, line.number,
            "expected " + std::string(what) + " of at most " + std::to_string(line.keep) + " bytes; found " +
                std::to_string(line.length) + " bytes: tavolin keeps only the first " + std::to_string(line.keep));
    }
    const TextScan text = scan(line.text, line.length > line.text.size());
    if (text.control) {
        say(Severity::kWarning, line.number,
            "expected " + std::string(what) + " of printable text; found control bytes, which tavolin shows as '?'");
    }
    if (text.not_utf8) {
        say(Severity::kWarning, line.number,
            "expected UTF-8 text; found bytes that are not UTF-8 text: save the file as UTF-8");
    }
}

// A stored fill-in answer is compared whole with the typed one, which is
// trimmed of blanks and tabs and keeps at most kTypedLineBytes bytes.
void Checker::fill_in_answer(const SeenLine& line) {
    const std::string no_match = ", so no typed answer can match it";
    if (line.length > static_cast<std::size_t>(kTypedLineBytes)) {
        say(Severity::kWarning, line.number,
            "expected a fill-in answer of at most " + std::to_string(kTypedLineBytes) + " bytes; found " +
                std::to_string(line.length) + " bytes: a typed answer keeps " + std::to_string(kTypedLineBytes) +
                no_match);
    }
    const TextScan text = scan(line.text, line.length > line.text.size());
    if (text.control) {
        say(Severity::kWarning, line.number,
            "expected a fill-in answer of printable text; found a control byte, which no taker can type" + no_match);
    }
    if (!line.text.empty() && line.length == line.text.size() &&
        (is_line_blank(line.text.front()) || is_line_blank(line.text.back()))) {
        say(Severity::kWarning, line.number,
            "expected a fill-in answer with no blank or tab at either end; found " + found(line.text) +
                ": tavolin trims the typed answer" + no_match);
    }
    if (text.not_utf8) {
        say(Severity::kWarning, line.number,
            "expected UTF-8 text; found bytes that are not UTF-8 text: save the file as UTF-8");
    }
}

CheckSummary Checker::run() {
    const FirstLine first = walk_.start();
    const std::string& line = walk_.kind_line();
    if (first.empty_file) {
        say(Severity::kError, 1, "expected a kind letter, t, m or f, on the first line; found an empty file");
    } else if (first.utf16) {
        say(Severity::kError, 1,
            "expected a quiz file saved as UTF-8; found one saved as UTF-16 (it begins with the bytes " +
                std::string(line.front() == '\xFF' ? "FF FE" : "FE FF") +
                "): tavolin refuses it, so save the file as UTF-8");
    } else if (first.code == kKindEndMarker) {
        say(Severity::kError, 1,
            "expected a question; found the end marker 'P' on the first line, so the file holds no question");
    } else if (first.code == kKindNotQuiz) {
        say(Severity::kError, 1,
            "expected a kind letter, t, m or f, at the start of the first line; found " + found(line) +
                ": tavolin refuses the file");
    } else {
        WalkedRecord r;
        while (walk_.next(r)) {
            record(r);
            flush();
        }
        ending();
        if (file_.at_end() && file_.bytes_after_end_byte()) {
            say(Severity::kWarning, std::max<std::int64_t>(1, file_.lines_done()),
                "expected the file to end at its byte 26 (Ctrl-Z); found more bytes after it, which tavolin "
                "never reads");
        }
    }
    flush();
    return summary_;
}

void Checker::record(const WalkedRecord& r) {
    if (r.end == WalkedRecord::End::kStop) {
        stop(r);
        return;
    }
    if (r.fill_in_count_wrong) {
        say(Severity::kError, r.count_line,
            "expected 1 on the answer-count line of a fill-in-the-blank question; found " + found(count_) +
                ": tavolin refuses the file");
    }
    if (r.end == WalkedRecord::End::kCut) {
        cut(r);
        return;
    }
    if (r.correct_wrong) {
        // A kind line or the end marker where the correct answer stands:
        // the answer count is larger than the answers written.
        const bool next_record = correct_ == "P" || kind_of(lower_ascii(correct_)) != QuestionKind::kNone;
        const std::string count_hint = !next_record ? "" : ", so the answer count on line " +
            std::to_string(r.count_line) + " may be more than the answers written";
        say(Severity::kError, r.correct_line,
            "expected the number of the correct answer, a whole number from 1 to " + std::to_string(r.count) +
                "; found " + found(correct_) + count_hint + ": tavolin refuses the file");
    }
    switch (r.kind) {
        case QuestionKind::kTrueFalse: ++summary_.true_false; break;
        case QuestionKind::kMultipleChoice: ++summary_.multiple_choice; break;
        case QuestionKind::kFillIn: ++summary_.fill_in; break;
        case QuestionKind::kNone:
            say(Severity::kError, r.start,
                lower_ascii(r.kind_line) == "p"
                    ? std::string("expected the end marker 'P' as the last line; found more lines after it: "
                                  "tavolin reads it as the kind line of one more question, and ends the run "
                                  "when that question comes up")
                    : "expected a kind line of t, m or f alone; found " + found(r.kind_line) +
                          ": tavolin ends the run when this question comes up");
            break;
    }
}

// The file ends inside the record. What was found wrong in its shown lines
// does not matter: it is never shown.
void Checker::cut(const WalkedRecord& r) {
    std::erase_if(pending_, [](const Finding& f) { return f.severity == Severity::kWarning; });
    std::string expected;
    switch (r.missing) {
        case LinePart::kQuestion: expected = "the question line"; break;
        case LinePart::kCount: expected = "the answer-count line"; break;
        case LinePart::kAnswer:
            expected = "answer " + std::to_string(r.missing_answer) + " of " + std::to_string(r.count);
            break;
        case LinePart::kCorrect: expected = "the correct-answer line"; break;
    }
    const std::string early = " ends early: expected " + expected + "; found the end of the file";
    if (walk_.records() == 0) {
        say(Severity::kError, r.start, "the first question" + early + ": tavolin refuses the file");
    } else if (lower_ascii(r.kind_line) == "p") {
        say(Severity::kWarning, r.start,
            "expected the end marker 'P' as the last line; found more lines after it: tavolin reads them as one "
            "more question, which ends early, before " + expected + ", and leaves it out, with a warning");
    } else {
        say(Severity::kWarning, r.start, "this question" + early + ": tavolin leaves it out, with a warning");
    }
}

// The answer count is no whole number from 1 to 100: where the lines after
// it belong is unknown. When the walk went wrong at the record's start (a
// kind line left out, a blank line between two questions), the start is
// named rather than the count line two lines below it.
void Checker::stop(const WalkedRecord& r) {
    const std::string stops = "the questions after it cannot be found, so checking stops here";
    const bool after_marker = lower_ascii(r.kind_line) == "p";
    const std::optional<std::int16_t> n = whole_number(question_);
    if (r.kind == QuestionKind::kNone && !after_marker) {
        if (r.kind_line.find_first_not_of(" \t\r") == std::string::npos &&
            kind_of(lower_ascii(question_)) != QuestionKind::kNone) {
            say(Severity::kError, r.start,
                "expected a kind line of t, m or f; found " + found(r.kind_line) +
                    ", and a kind line after it: a question seems to begin on the next line, but tavolin allows "
                    "no blank line between two questions; " + stops);
            return;
        }
        if (n && *n >= 1 && *n <= ANSWERCRAND) {
            say(Severity::kError, r.start,
                "expected a kind line of t, m or f; found " + found(r.kind_line) +
                    ", and a number after it, as an answer count would be: a question seems to begin here "
                    "without its kind line; " + stops);
            return;
        }
    }
    std::string note;
    if (after_marker) {
        note = " (tavolin reads the end marker 'P' on line " + std::to_string(r.start) +
               ", with lines after it, as the kind line of one more question)";
    }
    say(Severity::kError, r.count_line,
        "expected the number of answers, a whole number from 1 to 100; found " + found(count_) + ": " + stops + note);
}

// How the walk ended, when no record was the last thing told.
void Checker::ending() {
    const std::int64_t last = walk_.kind_line_number();
    const std::string& line = walk_.kind_line();
    switch (walk_.ending()) {
        case WalkEnd::kEndMarker:
        case WalkEnd::kCut:
        case WalkEnd::kStop: break;
        case WalkEnd::kNoEndMarker:
            say(Severity::kWarning, file_.lines_done(),
                "expected the end marker 'P' after the last question; found the end of the file");
            break;
        case WalkEnd::kKindLineLast:
        case WalkEnd::kStrayLine:
            if (walk_.records() == 0) {
                say(Severity::kError, last,
                    "expected a question after the kind line; found the end of the file, so the file holds no "
                    "question");
            } else if (walk_.ending() == WalkEnd::kKindLineLast) {
                say(Severity::kWarning, last,
                    "expected a question after this kind line; found the end of the file: tavolin takes the "
                    "question as cut off and leaves it out, with a warning");
            } else {
                say(Severity::kWarning, last,
                    "expected the end marker 'P' as the last line; found " + found(line) +
                        ", which tavolin passes over");
            }
            break;
        case WalkEnd::kBeyond: {
            // A question beyond the 3000th begins here: neither it nor
            // anything after it is ever read by the program.
            const auto [more, all_counted] = walk_.pass_over_the_rest();
            say(Severity::kWarning, last,
                "expected at most 3000 questions; found " + std::string(all_counted ? "" : "at least ") +
                    std::to_string(more) + " more: tavolin gives the first 3000 and never reads the rest, from "
                    "this line on");
            break;
        }
    }
}

}  // namespace

CheckSummary check_quiz_file(QuizFile& file, const std::function<void(const Finding&)>& report) {
    Checker checker(file, report);
    return checker.run();
}

std::string summary_text(const CheckSummary& summary) {
    return count_of(summary.questions(), "question", "questions") + ": " + std::to_string(summary.true_false) +
           " true/false, " + std::to_string(summary.multiple_choice) + " multiple choice, " +
           std::to_string(summary.fill_in) + " fill in the blank";
}

}  // namespace tavolin
