// How the program itself takes a quiz file, step by step as a quiz does:
// the first-line check, the count pass, then every counted question found
// and read as it is drawn. The oracle the quiz-file checker is held to, in
// the tests and in its fuzz target.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "authoring/quiz_reader.hpp"

namespace tavolin::test {

struct ProgramTake {
    bool taken = false;          // a quiz of at least one question, every one of them given
    std::array<int, 3> kinds{};  // the questions given: true/false, multiple choice, fill in the blank
};

inline ProgramTake program_take(const std::string& path) {
    ProgramTake take;
    std::optional<QuizFile> file = QuizFile::open(path);
    const std::int16_t first = READ_KINDS(file);
    if (first == kKindNotQuiz || first == kKindEndMarker) return take;
    file = QuizFile::open(path);
    const auto count = std::make_unique<QuizCount>();
    if (!file || !count_pass(*file, *count) || count->questions == 0) return take;
    for (int k = 1; k <= count->questions; ++k) {
        file = QuizFile::open(path);
        std::string kind_line;
        if (!file || !read_down_to(*file, count->starts[static_cast<std::size_t>(k)], kind_line)) return take;
        const QuestionKind kind = kind_of(lower_ascii(kind_line));
        QuestionRecord record;
        if (kind == QuestionKind::kNone || !read_record(*file, kind, record)) return take;  // the run ends
        ++take.kinds[static_cast<std::size_t>(kind)];
    }
    take.taken = true;
    return take;
}

}  // namespace tavolin::test
