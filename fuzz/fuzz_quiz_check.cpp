// Fuzz target: the walker of the quiz format, as the count pass, the reading
// of a drawn question and tavolin-check's checker use it.
//
// The input is the content of a quiz file. Checked for every file:
//   - no crash, no hang, no undefined behaviour; every walk ends;
//   - the lines a walk shows rise one by one, and each record begins on the
//     line after the one before it ends: start lines rise;
//   - the questions the count pass gives are the complete records the
//     checker's walk counts, with the same start lines, and each of them is
//     read whole when drawn unless its kind line is no kind;
//   - every finding names a line inside the file, in the order of the lines;
//   - the file is left as it was.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/quiz_check.hpp"
#include "authoring/quiz_walker.hpp"
#include "invariant.hpp"

namespace {

std::string quiz_name;

using fuzzing::check;

// The lines of a file as the reader sees them: up to its first byte 26.
std::int64_t lines_in(std::string_view content) {
    content = content.substr(0, content.find('\x1a'));
    const auto ends = static_cast<std::int64_t>(std::count(content.begin(), content.end(), '\n'));
    return ends + (!content.empty() && content.back() != '\n' ? 1 : 0);
}

// Every line shown, in order.
class Order final : public tavolin::LineLooker {
public:
    std::int64_t last = 1;  // the kind line of the record being walked
    void look(const tavolin::SeenLine& line) override {
        check(line.number == last + 1, "a walk shows lines out of their order");
        check(line.text.size() <= line.keep && line.text.size() <= line.length, "a line kept beyond its limit");
        last = line.number;
    }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    quiz_name = fuzzing::scratch_folder("check") + "/q.tav";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    fuzzing::write_whole_file(quiz_name.c_str(), content);
    const std::int64_t lines = lines_in(content);

    // The walk with every line shown.
    std::optional<tavolin::QuizFile> file = tavolin::QuizFile::open(quiz_name);
    check(file.has_value(), "a plain file could not be opened");
    Order order;
    tavolin::QuizWalker walk(*file, &order);
    const tavolin::FirstLine first = walk.start();
    std::vector<std::int64_t> complete;
    tavolin::WalkedRecord r;
    std::int64_t next_start = 1;
    int told = 0;
    while (walk.next(r)) {
        check(++told <= lines, "a walk tells more records than the file has lines");
        check(r.start == next_start, "a record does not begin where the one before it ends");
        if (r.end != tavolin::WalkedRecord::End::kComplete) break;
        check(r.count >= 1 && r.count <= tavolin::ANSWERCRAND && order.last == r.start + 3 + r.count,
              "a complete record of another length than its count");
        complete.push_back(r.start);
        next_start = walk.kind_line_number();
        check(next_start == order.last + 1 || walk.ending() == tavolin::WalkEnd::kNoEndMarker,
              "the next kind line is not the line after the record");
        order.last = next_start;
    }
    check(!walk.next(r), "a walk goes on after its end");

    // The count pass gives exactly the complete records, up to the first
    // that makes the file refused.
    file = tavolin::QuizFile::open(quiz_name);
    const auto count = std::make_unique<tavolin::QuizCount>();
    const bool sound = tavolin::count_pass(*file, *count);
    check(count->questions <= static_cast<std::int16_t>(complete.size()), "the count pass counts more records");
    if (sound && first.code >= 0 && first.code <= 2 && walk.ending() != tavolin::WalkEnd::kStop) {
        check(count->questions == static_cast<std::int16_t>(complete.size()) || walk.ending() == tavolin::WalkEnd::kBeyond,
              "the count pass and the walk count other records");
    }
    for (std::int16_t k = 1; k <= count->questions; ++k) {
        const std::int32_t start = count->starts[static_cast<std::size_t>(k)];
        check(start == complete[static_cast<std::size_t>(k - 1)], "a question counted at another line");
        file = tavolin::QuizFile::open(quiz_name);
        std::string kind_line;
        check(tavolin::read_down_to(*file, start, kind_line), "a counted question cannot be found");
        const tavolin::QuestionKind kind = tavolin::kind_of(tavolin::lower_ascii(kind_line));
        tavolin::QuestionRecord record;
        check(kind == tavolin::QuestionKind::kNone || tavolin::read_record(*file, kind, record),
              "a counted question cannot be read when drawn");
    }

    // The checker names lines inside the file, in order.
    file = tavolin::QuizFile::open(quiz_name);
    std::int64_t last_line = 0;
    const tavolin::CheckSummary summary = tavolin::check_quiz_file(*file, [&](const tavolin::Finding& f) {
        check(f.line >= 1 && f.line >= last_line && f.line <= std::max<std::int64_t>(1, lines),
              "a finding outside the file or out of the order of the lines");
        check(!f.text.empty(), "a finding that says nothing");
        last_line = f.line;
    });
    if (summary.errors == 0) check(summary.questions() == count->questions, "a clean file's summary is not its count");
    check(fuzzing::read_whole_file(quiz_name.c_str()) == content, "the walk changed the file");
    return 0;
}
