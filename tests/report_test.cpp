#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "report/report.hpp"
#include "shell/errors.hpp"
#include "shell/scripted_console.hpp"
#include "support/temp_dir.hpp"

namespace tavolin {
namespace {

class Report : public ::testing::Test {
protected:
    test::TempDir dir;
    test::ChangeDir cd{dir.path()};
};

std::string banner_of(const std::string& file) {
    std::string banner;
    std::size_t at = 0;
    for (int row = 0; row < 7; ++row) {
        const std::size_t end = file.find("\r\n", at);
        banner += file.substr(at, end + 2 - at);
        at = end + 2;
    }
    return banner;
}

TEST_F(Report, BannerRowsAreEightyColumnsWithTheCreditInRowTwo) {
    {
        LineFile f = LineFile::create_or_fail(kReportFileName);
        REPORT_TITLE_BAR(f);
    }
    const std::string file = dir.read(kReportFileName);
    std::size_t at = 0;
    int rows = 0;
    for (std::size_t end; (end = file.find("\r\n", at)) != std::string::npos; at = end + 2, ++rows) {
        const std::string row = file.substr(at, end - at);
        ASSERT_EQ(row.size(), 80U) << rows;
        EXPECT_EQ(row.front(), '*');
        EXPECT_EQ(row.back(), '*');
        if (rows == 1) {
            EXPECT_EQ(row, "*" + std::string(40, ' ') + "Created by Varrowin   v. 1.04" + std::string(9, ' ') + "*");
        }
        if (rows >= 2 && rows <= 5) {
            EXPECT_EQ(row.substr(1, 78).find_first_not_of(" TAVOLIN"), std::string::npos) << row;
        }
    }
    EXPECT_EQ(rows, 7);
    EXPECT_EQ(at, file.size());
    EXPECT_EQ(file.substr(0, 82), std::string(80, '*') + "\r\n");
}

TEST_F(Report, WorkedExampleOfTwoQuizzes) {
    {
        LineFile f = LineFile::create_or_fail(kReportFileName);
        REPORT_TITLE_BAR(f);
        REPORT_WRITE(f, "capitals.txt", 1, 75.0, 3.0, 4);
        REPORT_WRITE(f, "tavtest1.tav", 2, 100.0, 3.0, 3);
        REPORT_F_WRITE(f, 2, (75.0 + 100.0) / 2);
        f.close();
    }
    const std::string file = dir.read(kReportFileName);
    EXPECT_EQ(file.substr(banner_of(file).size()),
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

TEST_F(Report, OneQuizHasNoAverageLineAndLinesAreOnDiskAtOnce) {
    LineFile f = LineFile::create_or_fail(kReportFileName);
    REPORT_WRITE(f, " My Quiz.TAV", 1, 200.0 / 3, 2.0, 3);
    EXPECT_EQ(dir.read(kReportFileName),
              " \r\nOn Quiz 1 using file, ' My Quiz.TAV' you missed 1\r\nout of 3, your score was 66.67%.\r\n");
    REPORT_F_WRITE(f, 1, 200.0 / 3);
    EXPECT_EQ(dir.read(kReportFileName).substr(88), " \r\nThank you for using Tavolin!!\r\n");
}

TEST_F(Report, AFolderInTheWayIsAnInputOutputErrorNamingTheFile) {
    ASSERT_EQ(::mkdir(dir.file(kReportFileName).c_str(), 0755), 0);
    try {
        (void)LineFile::create_or_fail(kReportFileName);
        FAIL() << "no error";
    } catch (const FatalIoError& e) {
        EXPECT_EQ(e.path(), "report.txt");
        EXPECT_FALSE(e.reason().empty());
    }
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
