#include "authoring/quiz_walker.hpp"

namespace tavolin {

namespace {

constexpr std::string_view kLineBlanks = " \t\r";

// The answer count of a record, when it is one the layout allows.
std::optional<std::int16_t> answer_count(std::string_view line) {
    const auto n = whole_number(line);
    if (!n || *n < 1 || *n > ANSWERCRAND) return std::nullopt;
    return n;
}

}  // namespace

// ---- the first line ----

FirstLine first_line_check(std::optional<std::string_view> line) {
    FirstLine first;
    if (!line) {
        first.empty_file = true;
        return first;
    }
    first.utf16 = line->starts_with("\xFF\xFE") || line->starts_with("\xFE\xFF");
    switch (line->empty() ? '\0' : line->front()) {
        case 't':
        case 'T': first.code = kKindTrueFalse; break;
        case 'm':
        case 'M': first.code = kKindMultipleChoice; break;
        case 'f':
        case 'F': first.code = kKindFillIn; break;
        case 'P': first.code = kKindEndMarker; break;
        default: first.code = kKindNotQuiz; break;
    }
    return first;
}

std::int16_t READ_KINDS(std::optional<QuizFile>& YOURQUIZ, bool* utf16) {
    std::string line;
    const bool read = YOURQUIZ && YOURQUIZ->read_line(line, 2);
    const FirstLine first = first_line_check(read ? std::optional<std::string_view>(line) : std::nullopt);
    if (utf16 != nullptr) *utf16 = first.utf16;
    if (first.code == kKindNotQuiz) YOURQUIZ.reset();
    return first.code;
}

// ---- the walk ----

FirstLine QuizWalker::start() {
    const bool read = file_.read_line(kind_line_);
    kind_no_ = 1;
    return first_line_check(read ? std::optional<std::string_view>(kind_line_) : std::nullopt);
}

bool QuizWalker::line(LinePart part, QuestionKind kind, std::size_t keep, bool need_text, int answer) {
    if (looker_ == nullptr && !need_text) return file_.skip_line();
    if (!file_.read_line_view(text_, spare_, keep)) return false;
    if (looker_ != nullptr) looker_->look({part, kind, file_.lines_done(), text_, file_.last_length(), keep, answer});
    return true;
}

bool QuizWalker::blank() const {
    return file_.last_length() == text_.size() && text_.find_first_not_of(kLineBlanks) == std::string_view::npos;
}

bool QuizWalker::only_blanks_to_the_end() {
    while (file_.read_line_view(text_, spare_, kAnswerKeep)) {
        if (!blank()) return false;
    }
    return true;
}

QuizWalker::Met QuizWalker::record(WalkedRecord& r, bool drawn) {
    const QuestionKind kind = r.kind;
    const auto cut = [&r](LinePart part, int answer = 0) {
        r.end = WalkedRecord::End::kCut;
        r.missing = part;
        r.missing_answer = answer;
        return Met::kTold;
    };
    // After the end marker, lines that hold nothing but blanks and tabs (what
    // many editors leave at the end of a file) are no record at all.
    bool blank_after_marker = r.after_marker;
    if (!line(LinePart::kQuestion, kind, kLineKeep, blank_after_marker)) {
        return blank_after_marker ? Met::kNothing : cut(LinePart::kQuestion);
    }
    blank_after_marker = blank_after_marker && blank();
    if (!line(LinePart::kCount, kind, kLineKeep, true)) {
        return blank_after_marker ? Met::kNothing : cut(LinePart::kCount);
    }
    r.count_line = file_.lines_done();
    const bool fill_in = kind == QuestionKind::kFillIn;
    if (drawn && fill_in) {
        // A drawn fill-in record: its count line is not used, its answer is.
        return line(LinePart::kAnswer, kind, kLineKeep, true, 1) ? Met::kRecord : cut(LinePart::kAnswer, 1);
    }
    const std::optional<std::int16_t> n = answer_count(text_);
    if (!n) {
        if (blank_after_marker && blank() && only_blanks_to_the_end()) return Met::kNothing;
        r.end = WalkedRecord::End::kStop;
        return Met::kTold;
    }
    r.count = *n;
    r.fill_in_count_wrong = fill_in && *n != 1;
    if (looker_ == nullptr && !drawn) {
        const std::int64_t skipped = file_.skip_lines(*n);
        if (skipped != *n) return cut(LinePart::kAnswer, static_cast<int>(skipped) + 1);
    } else {
        for (int k = 1; k <= *n; ++k) {
            if (!line(LinePart::kAnswer, kind, fill_in ? kLineKeep : kAnswerKeep, true, k)) {
                return cut(LinePart::kAnswer, k);
            }
        }
    }
    if (!line(LinePart::kCorrect, kind, kLineKeep, true)) return cut(LinePart::kCorrect);
    r.correct_line = file_.lines_done();
    if (kind == QuestionKind::kMultipleChoice || kind == QuestionKind::kTrueFalse) {
        const std::optional<std::int16_t> k = whole_number(text_);
        r.correct_wrong = !k || *k < 1 || *k > *n;
        if (!r.correct_wrong) r.correct = *k;
    }
    return Met::kRecord;
}

bool QuizWalker::next(WalkedRecord& r) {
    if (done_) return false;
    if (file_.at_end()) {
        done_ = true;
        if (kind_line_ == "P") {
            ending_ = WalkEnd::kEndMarker;
        } else if (kind_of(lower_ascii(kind_line_)) != QuestionKind::kNone) {
            ending_ = WalkEnd::kKindLineLast;
        } else {
            ending_ = WalkEnd::kStrayLine;
        }
        return false;
    }
    if (records_ == MASS) {
        done_ = true;
        ending_ = WalkEnd::kBeyond;
        return false;
    }
    r = WalkedRecord{};
    r.start = kind_no_;
    r.kind_line = kind_line_;
    r.kind = kind_of(lower_ascii(kind_line_));
    r.after_marker = kind_line_ == "P";
    switch (record(r, false)) {
        case Met::kNothing:
            done_ = true;
            ending_ = WalkEnd::kEndMarker;
            return false;
        case Met::kTold:
            done_ = true;
            ending_ = r.end == WalkedRecord::End::kCut ? WalkEnd::kCut : WalkEnd::kStop;
            return true;
        case Met::kRecord: break;
    }
    ++records_;
    if (file_.read_line(kind_line_)) {
        kind_no_ = file_.lines_done();
    } else {
        done_ = true;
        ending_ = WalkEnd::kNoEndMarker;
    }
    return true;
}

bool QuizWalker::read_drawn(WalkedRecord& r) {
    if (r.kind == QuestionKind::kNone) return false;
    return record(r, true) == Met::kRecord && !r.correct_wrong;
}

std::pair<std::int64_t, bool> QuizWalker::pass_over_the_rest() {
    std::int64_t records = 0;
    bool all_counted = true;
    while (!file_.at_end()) {
        ++records;
        if (!file_.skip_line() || !file_.read_line_view(text_, spare_)) break;
        const std::optional<std::int16_t> n = answer_count(text_);
        if (!n) {
            all_counted = false;
            break;
        }
        if (file_.skip_lines(*n + 1) != *n + 1 || !file_.read_line_view(text_, spare_)) break;
    }
    // What could not be counted is still read, so that a byte 26 is found.
    while (file_.skip_line()) {
    }
    return {records, all_counted};
}

// ---- the program's reading ----

bool count_pass(QuizFile& YOURQUIZ, QuizCount& count) {
    count = QuizCount{};
    QuizWalker walk(YOURQUIZ);
    walk.start();
    WalkedRecord r;
    bool sound = true;
    while (walk.next(r)) {
        if (r.end == WalkedRecord::End::kStop || r.fill_in_count_wrong) {
            sound = false;
            break;
        }
        if (r.end == WalkedRecord::End::kCut) break;
        count.last_span = r.count + 1;
        if (r.correct_wrong) {
            sound = false;
            break;
        }
        count.questions += 1;
        count.starts[static_cast<std::size_t>(count.questions)] = static_cast<std::int32_t>(r.start);
    }
    if (sound) {
        const WalkEnd end = walk.ending();
        count.too_many = end == WalkEnd::kBeyond;
        // The record the file ends in is left out; the complete ones before
        // it are the quiz. With none before it, the file is refused, but for
        // a kind line alone, which gives a quiz of no questions.
        if (end == WalkEnd::kCut && count.questions == 0) sound = false;
        count.cut_short = sound && (end == WalkEnd::kCut || (end == WalkEnd::kKindLineLast && count.questions > 0));
    }
    if (!sound) count.questions = 0;  // a broken file gives no questions
    return sound;
}

bool read_down_to(QuizFile& YOURQUIZ, std::int32_t line, std::string& STRING1) {
    STRING1.clear();
    if (line < 1) return false;
    const std::int64_t before = static_cast<std::int64_t>(line) - 1;
    return YOURQUIZ.skip_lines(before) == before && YOURQUIZ.read_line(STRING1);
}

namespace {

// Keeps the texts of a drawn record as the walk shows them.
class Keeper final : public LineLooker {
public:
    explicit Keeper(QuestionRecord& record) : record_(record) {}
    void look(const SeenLine& line) override {
        if (line.part == LinePart::kQuestion) {
            record_.question = line.text;
        } else if (line.part == LinePart::kAnswer) {
            if (line.kind == QuestionKind::kFillIn) {
                record_.fill_answer = line.text;
            } else {
                record_.answers.emplace_back(line.text);
            }
        }
    }

private:
    QuestionRecord& record_;
};

}  // namespace

bool read_record(QuizFile& YOURQUIZ, QuestionKind kind, QuestionRecord& record) {
    record = QuestionRecord{};
    Keeper keeper(record);
    QuizWalker walk(YOURQUIZ, &keeper);
    WalkedRecord r;
    r.kind = kind;
    if (!walk.read_drawn(r)) return false;
    record.count = kind == QuestionKind::kFillIn ? 0 : r.count;
    record.correct = r.correct;
    return true;
}

}  // namespace tavolin
