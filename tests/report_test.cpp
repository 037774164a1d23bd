// The report file: banner, result lines, closing lines, on disk as written.
#include <gtest/gtest.h>

#include <string>

#include "report/report.hpp"
#include "shell/console/scripted_console.hpp"
#include "support/temp_dir.hpp"

namespace tavolin {
namespace {

const std::string kBanner =
    "********************************************************************************\r\n"
    "*                                        Created by Varrowin   v. 1.04         *\r\n"
    "*          TTTTTTT    AAA    V     V   OOOOO   L       IIIII   N    N          *\r\n"
    "*             T      A   A    V   V   O     O  L         I     NN   N          *\r\n"
    "*             T     AAAAAAA    V V    O     O  L         I     N  N N          *\r\n"
    "*             T     A     A     V      OOOOO   LLLLLL  IIIII   N   NN          *\r\n"
    "********************************************************************************\r\n";

class ReportTest : public ::testing::Test {
protected:
    test::TempDir dir_;
    test::ChangeDir cd_{dir_.path()};

    std::string on_disk() const { return dir_.read(kReportFileName); }
};

TEST_F(ReportTest, WorkedExampleToTheByte) {
    LineFile report = LineFile::create_or_fail(kReportFileName);
    REPORT_TITLE_BAR(report);
    REPORT_WRITE(report, "capitals.txt", 1, 75.0, 3.0, 4);
    REPORT_WRITE(report, "tavtest1.tav", 2, 100.0, 3.0, 3);
    REPORT_F_WRITE(report, 2, (75.0 + 100.0) / 2);
    report.close();
    EXPECT_EQ(on_disk(), kBanner +
                             " \r\n"
                             "On Quiz 1 using file, 'capitals.txt' you missed 1\r\n"
                             "out of 4, your score was 75.00%.\r\n"
                             " \r\n"
                             "On Quiz 2 using file, 'tavtest1.tav' you missed 0\r\n"
                             "out of 3, your score was 100.00%.\r\n"
                             " \r\n"
                             "Your average grade on the 2 quizzes was 87.50%.\r\n"
                             "Thank you for using Tavolin!!\r\n");
}

TEST_F(ReportTest, BannerRowsAreEightyColumnsFramedByAsterisks) {
    LineFile report = LineFile::create_or_fail(kReportFileName);
    REPORT_TITLE_BAR(report);
    const std::string text = on_disk();
    ASSERT_EQ(text.size(), 7U * 82U);
    for (std::size_t row = 0; row < 7; ++row) {
        const std::string line = text.substr(row * 82, 82);
        EXPECT_EQ(line.substr(80), "\r\n") << row;
        EXPECT_EQ(line.front(), '*') << row;
        EXPECT_EQ(line[79], '*') << row;
        if (row == 0 || row == 6) {
            EXPECT_EQ(line.substr(0, 80), std::string(80, '*'));
        }
    }
    EXPECT_EQ(text.substr(82, 80), "*" + std::string(40, ' ') + "Created by Varrowin   v. 1.04" + std::string(9, ' ') + "*");
    // The block letters are drawn only with the letters of the name.
    for (std::size_t row = 2; row < 6; ++row) {
        const std::string inner = text.substr(row * 82 + 1, 78);
        EXPECT_EQ(inner.find_first_not_of(" TAVOLIN"), std::string::npos) << row;
    }
}

TEST_F(ReportTest, OneQuizHasNoAverageLine) {
    LineFile report = LineFile::create_or_fail(kReportFileName);
    REPORT_TITLE_BAR(report);
    REPORT_WRITE(report, "My Quiz.TAV", 1, 200.0 / 3, 2.0, 3);
    REPORT_F_WRITE(report, 1, 200.0 / 3);
    report.close();
    EXPECT_EQ(on_disk(), kBanner +
                             " \r\n"
                             "On Quiz 1 using file, 'My Quiz.TAV' you missed 1\r\n"
                             "out of 3, your score was 66.67%.\r\n"
                             " \r\n"
                             "Thank you for using Tavolin!!\r\n");
}

TEST_F(ReportTest, ScoresWithTwoDecimalsHalvesUp) {
    LineFile report = LineFile::create_or_fail(kReportFileName);
    REPORT_WRITE(report, "a", 1, 0.0, 0.0, 5);
    REPORT_WRITE(report, "b", 2, 100.0 / 32, 1.0, 32);
    REPORT_WRITE(report, "c", 3, 3000.0 * 100 / 3000, 3000.0, 3000);
    REPORT_F_WRITE(report, 3, 15.625);
    EXPECT_EQ(on_disk(),
              " \r\nOn Quiz 1 using file, 'a' you missed 5\r\nout of 5, your score was 0.00%.\r\n"
              " \r\nOn Quiz 2 using file, 'b' you missed 31\r\nout of 32, your score was 3.13%.\r\n"
              " \r\nOn Quiz 3 using file, 'c' you missed 0\r\nout of 3000, your score was 100.00%.\r\n"
              " \r\nYour average grade on the 3 quizzes was 15.63%.\r\nThank you for using Tavolin!!\r\n");
}

TEST_F(ReportTest, EveryLineIsOnDiskAsSoonAsItIsWritten) {
    LineFile report = LineFile::create_or_fail(kReportFileName);
    REPORT_TITLE_BAR(report);
    EXPECT_EQ(on_disk(), kBanner);
    REPORT_WRITE(report, "q.tav", 1, 50.0, 1.0, 2);
    const std::string after_first = kBanner + " \r\nOn Quiz 1 using file, 'q.tav' you missed 1\r\nout of 2, your score was 50.00%.\r\n";
    EXPECT_EQ(on_disk(), after_first);
    REPORT_F_WRITE(report, 1, 50.0);
    EXPECT_EQ(on_disk(), after_first + " \r\nThank you for using Tavolin!!\r\n");
}

TEST(ReportInstructions, OnlyForTheReportChoice) {
    ScriptedConsole con;
    REPORT_INSTRUCTIONS(con, 2);
    EXPECT_EQ(con.text(), "");
    REPORT_INSTRUCTIONS(con, 3);
    EXPECT_EQ(con.text(), "\nThis will store your quiz results in the file 'report.txt.'\n");
}

}  // namespace
}  // namespace tavolin
