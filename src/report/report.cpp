#include "report/report.hpp"

#include <cmath>
#include <string>

#include "shell/banner.hpp"
#include "shell/format.hpp"

namespace tavolin {

namespace {

constexpr std::size_t kReportWidth = 80;

// "*", the text at the given column inside the frame, blanks, "*": 80 wide.
std::string framed(std::size_t indent, std::string_view text) {
    std::string row = "*" + std::string(indent, ' ');
    row += text;
    row.append(kReportWidth - 1 - row.size(), ' ');
    row += '*';
    return row;
}

}  // namespace

void REPORT_INSTRUCTIONS(Console& con, std::int16_t MD_CHC) {
    if (MD_CHC != 3) return;
    con.end_line();
    con.write_line("This will store your quiz results in the file 'report.txt.'");
}

void REPORT_TITLE_BAR(LineFile& REPORT) {
    const std::string stars(kReportWidth, '*');
    REPORT.write_line(stars);
    REPORT.write_line(framed(40, kCredit));
    const std::size_t indent = (kReportWidth - 2 - kBannerRows[0].size()) / 2;
    for (const std::string_view row : kBannerRows) REPORT.write_line(framed(indent, row));
    REPORT.write_line(stars);  // no letter reaches below the banner
}

void REPORT_WRITE(LineFile& REPORT, std::string_view NMD_FILE, std::int16_t REPORT_LOOPY, double GRADE_AVE,
                  double V_1, std::int16_t LOOPY) {
    REPORT.write_line(" ");
    const auto MATH = static_cast<std::int16_t>(std::lround(LOOPY - V_1));
    std::string line = "On Quiz " + std::to_string(REPORT_LOOPY) + " using file, '";
    line += NMD_FILE;
    line += "' you missed " + std::to_string(MATH);
    REPORT.write_line(line);
    REPORT.write_line("out of " + std::to_string(LOOPY) + ", your score was " + format_fixed2(GRADE_AVE, 4) + "%.");
}

void REPORT_F_WRITE(LineFile& REPORT, std::int16_t REPORT_LOOPEY, double AVE_GRADE) {
    REPORT.write_line(" ");
    if (REPORT_LOOPEY >= 2) {
        REPORT.write_line("Your average grade on the " + std::to_string(REPORT_LOOPEY) + " quizzes was " +
                          format_fixed2(AVE_GRADE, 2) + "%.");
    }
    REPORT.write_line("Thank you for using Tavolin!!");
}

}  // namespace tavolin
