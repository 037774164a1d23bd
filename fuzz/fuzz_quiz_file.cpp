// Fuzz target: a quiz file from the first-line check to its last question.
//
// The input is the content of a quiz file. It is written to disk and taken
// as the program takes a quiz: the first-line check, the count pass, then the
// question loop, which opens the file again for every question, reads down to
// the drawn one and shows it through the scripted console. The generator is
// seeded from a fixed tick, and every question is answered "1" (a valid answer
// number for any record the reader accepts; a fill-in answer like any other).
//
// If the input holds the line "#SWAP#", the part before it is the file and
// the part after it what the file becomes after the first question: the file
// is rewritten in place, or deleted when nothing follows the marker.
//
// Checked for every file:
//   - no crash, no undefined behaviour, no leak, no read past any table;
//   - the screen gets no control byte but the line end: every byte of the
//     file's text reaches it through the placeholder of the screen text;
//   - the question index is sound: the first record on line 1, each one
//     starting at least five lines after the one before, at most 3000;
//   - the quiz asks exactly the questions counted: unless a record of no known
//     kind closes the program, a file that does not change gives every
//     counted question exactly once; a file changed between two questions
//     gives no more than were counted and ends with its message;
//   - the counters stay in range (correct answers never above questions).
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "invariant.hpp"
#include "authoring/quiz_walker.hpp"
#include "ground/base/errors.hpp"
#include "ground/platform/platform.hpp"
#include "ground/run/run_state.hpp"
#include "support/scripted_console.hpp"
#include "taking/order.hpp"
#include "taking/selection.hpp"

namespace {

// The quiz file, in a scratch folder of its own (made once).
std::string quiz_name;
constexpr std::string_view kSwapMarker = "\n#SWAP#\n";

using fuzzing::check;
using fuzzing::fail;

void write_file(std::string_view content) { fuzzing::write_whole_file(quiz_name.c_str(), content); }

void check_screen(const std::string& text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        check(!((byte < 0x20 && byte != '\n') || byte == 0x7f), "a control byte from the file reached the screen");
    }
}

bool contains(const std::string& text, std::string_view what) { return text.find(what) != std::string::npos; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Named by its full path, so the fuzzer's own files stay where it runs.
    quiz_name = fuzzing::scratch_folder("quiz") + "/fuzz.tav";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t marker = input.find(kSwapMarker);
    const bool swap = marker != std::string_view::npos;
    const std::string_view first = swap ? input.substr(0, marker) : input;
    const std::string_view second = swap ? input.substr(marker + kSwapMarker.size()) : std::string_view{};
    write_file(first);

    tavolin::ScriptedConsole con;
    auto st = std::make_unique<tavolin::RunState>();
    st->platform.tick_ms = [] { return std::uint32_t{424242}; };
    st->platform.local_time = [] { return tavolin::LocalTime{2024, 5, 17, 13, 45, 30}; };
    st->N_O_F = quiz_name;
    st->QUIT_PROCESS = 0;  // as the file prompt leaves it when a file was opened

    std::optional<tavolin::QuizFile> quiz = tavolin::QuizFile::open(st->N_O_F);
    check(quiz.has_value(), "the quiz file does not open");
    const bool go = tavolin::load_quiz(con, *st, quiz);
    check(!quiz.has_value(), "the quiz file is left open after loading");
    const std::int16_t count = st->LOOP3RAN;
    check(count >= 0 && count <= tavolin::MASS, "a count outside 0 to 3000");
    check(go == (count > 0), "a quiz given without questions, or questions counted and none given");
    check(st->TEMP == count, "TEMP is not the count");
    if (st->EXITMASSCODE == 1) check(count == tavolin::MASS, "the size warning below 3000 questions");
    if (count > 0) check(st->NAME[1] == 1, "the first record does not start on line 1");
    for (std::int16_t k = 2; k <= count; ++k) {
        const auto here = static_cast<std::size_t>(k);
        check(st->NAME[here] >= st->NAME[here - 1] + 5, "two records closer than five lines");
    }
    if (!go) {
        check(st->TIMES_LOOP == 0, "questions answered in a quiz that was not given");
        check_screen(con.text());
        return 0;
    }

    for (std::int16_t k = 0; k < count; ++k) con.line("1");
    bool forced = false;
    try {
        if (swap) {
            // The question loop, with the file changed after the first question.
            while (st->GO_ON != -1 && st->QUIT_PROCESS != 5 && st->TEMP > 0) {
                if (!tavolin::give_question(con, *st)) {
                    st->GO_ON = -1;
                    if (st->TIMES_LOOP == 0) st->QUIT_PROCESS = 5;
                    break;
                }
                if (st->LOOP4RAN == 1) {
                    if (second.empty()) {
                        ::unlink(quiz_name.c_str());
                    } else {
                        write_file(second);
                    }
                }
                // give_question lowered TEMP through the reference.
                // cppcheck-suppress knownConditionTrueFalse
                if (st->TEMP == 0) st->GO_ON = -1;
            }
        } else {
            tavolin::question_loop(con, *st);
        }
    } catch (const tavolin::ForcedClose&) {
        forced = true;
        check(contains(con.text(), "Program has violated continue prerogative and must close!"),
              "a forced close without its message");
    } catch (const tavolin::EndOfInput&) {
        fail("a question read more answers than one per question");
    }

    check_screen(con.text());
    check(st->TIMES_LOOP >= 0 && st->TIMES_LOOP <= count, "more questions answered than counted");
    check(st->VALUE_1 >= 0 && st->VALUE_1 <= st->TIMES_LOOP, "more correct answers than questions");
    check(st->LOOP4RAN <= count, "more questions drawn than counted");
    if (!forced) {
        if (!swap) {
            check(st->TIMES_LOOP == count, "a counted question of an unchanged file was not given");
            check(st->TEMP == 0, "questions left over in an unchanged file");
        } else if (st->TIMES_LOOP < count) {
            check(contains(con.text(), "The quiz ends here."), "a quiz cut short without its message");
        }
    }
    ::unlink(quiz_name.c_str());
    return 0;
}
