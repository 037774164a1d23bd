// A UTF-8 byte-order mark, as Windows editors often write one, is skipped at
// the very start of a quiz file, for every reading of it (they all open the
// file anew); anywhere else, or cut short, its bytes are text.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "authoring/quiz_reader.hpp"

TEST(QuizFileByteOrderMark, SkippedAtTheVeryStartOnly) {
    const auto path = std::filesystem::temp_directory_path() / "tavolin-unit-bom.tav";
    for (const auto& [bytes, first] : std::initializer_list<std::pair<std::string, std::string>>{
             {"\xEF\xBB\xBFT\r\n", "T"}, {"\xEF\xBB\xBF\xEF\xBB\xBFT", "\xEF\xBB\xBFT"},
             {"T\xEF\xBB\xBF\r\n", "T\xEF\xBB\xBF"}, {"\xEF\xBBT\r\n", "\xEF\xBBT"}, {"\xEF\xBB\xBF", ""}}) {
        std::ofstream(path, std::ios::binary) << bytes;
        auto quiz = tavolin::QuizFile::open(path.string());
        ASSERT_TRUE(quiz);
        std::string line;
        EXPECT_EQ(quiz->read_line(line), !first.empty()) << bytes;
        EXPECT_EQ(line, first);
    }
    std::filesystem::remove(path);
}
