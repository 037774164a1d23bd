// Fuzz target: the quiz-file checker of tavolin-check.
//
// The input is the content of a quiz file. It is checked, and then taken the
// way the program takes a quiz (the first-line check, the count pass, every
// counted question found and read). Checked for every file:
//   - no crash, no hang, no undefined behaviour;
//   - the checker reports no error exactly when the program takes the file
//     and gives every question it counts without ending the run, and then
//     counts the same questions of each kind;
//   - every finding names a line of the file, in order;
//   - the file is left as it was.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "authoring/quiz_check.hpp"
#include "invariant.hpp"
#include "support/program_reads.hpp"

namespace {

std::string quiz_name;

using fuzzing::check;
using fuzzing::fail;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    quiz_name = fuzzing::scratch_folder("check") + "/q.tav";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    fuzzing::write_whole_file(quiz_name.c_str(), content);
    std::optional<tavolin::QuizFile> file = tavolin::QuizFile::open(quiz_name);
    if (!file) fail("a plain file could not be opened");
    std::int64_t last_line = 0;
    const tavolin::CheckSummary summary = tavolin::check_quiz_file(*file, [&](const tavolin::Finding& f) {
        check(f.line >= 1 && f.line >= last_line, "a finding out of the order of the lines");
        check(!f.text.empty(), "a finding that says nothing");
        last_line = f.line;
    });
    const tavolin::test::ProgramTake take = tavolin::test::program_take(quiz_name);
    check((summary.errors == 0) == take.taken, "the checker and the program disagree on the file");
    if (take.taken) {
        check(summary.true_false == take.kinds[0] && summary.multiple_choice == take.kinds[1] &&
                  summary.fill_in == take.kinds[2],
              "the checker counts other questions than the program gives");
    }
    check(fuzzing::read_whole_file(quiz_name.c_str()) == content, "the checker changed the file");
    return 0;
}
