#include "report/report.hpp"

#include <cmath>
#include <string>

#include "ground/base/banner.hpp"
#include "ground/base/format.hpp"

namespace tavolin {

namespace {

constexpr std::size_t kBannerWidth = 80;

// A banner row: an asterisk, the text after `left` blanks, blanks, an asterisk.
std::string framed(std::string_view text, std::size_t left) {
    std::string row = "*";
    row.append(left, ' ');
    row.append(text);
    row.append(kBannerWidth - 1 - row.size(), ' ');
    row += '*';
    return row;
}

// A count of answers as a whole number; the difference handed in is always
// whole and within the 16-bit range, and anything else is kept to that range.
std::int16_t whole_16(double value) {
    const double r = std::nearbyint(value);
    if (!(r >= INT16_MIN)) return INT16_MIN;  // also a value that is not a number
    if (r > INT16_MAX) return INT16_MAX;
    return static_cast<std::int16_t>(r);
}

}  // namespace

void REPORT_INSTRUCTIONS(Console& con, std::int16_t MD_CHC) {
    if (MD_CHC != 3) return;
    con.end_line();
    con.write_line("This will store your quiz results in the file 'report.txt.'");
}

void REPORT_TITLE_BAR(LineFile& REPORT) {
    const std::string stars(kBannerWidth, '*');
    REPORT.add_line(stars);
    REPORT.add_line(framed(kCredit, 40));
    // The block letters of the title screen, in the middle of the frame. No
    // letter reaches below its fourth row, so the bottom is plain asterisks.
    constexpr std::size_t kLeft = (kBannerWidth - 2 - kBannerRows[0].size()) / 2;
    for (const std::string_view row : kBannerRows) REPORT.add_line(framed(row, kLeft));
    REPORT.add_line(stars);
}

void REPORT_WRITE(LineFile& REPORT, std::string_view NMD_FILE, std::int16_t REPORT_LOOPY, double GRADE_AVE,
                  double V_1, std::int16_t LOOPY) {
    REPORT.add_line(" ");
    const std::int16_t MATH = whole_16(LOOPY - V_1);
    std::string line = "On Quiz " + std::to_string(REPORT_LOOPY) + " using file, '";
    line.append(NMD_FILE);
    line += "' you missed " + std::to_string(MATH);
    REPORT.add_line(line);
    REPORT.add_line("out of " + std::to_string(LOOPY) + ", your score was " + format_fixed2(GRADE_AVE, 4) + "%.");
    REPORT.write_record();
}

void REPORT_F_WRITE(LineFile& REPORT, std::int16_t REPORT_LOOPEY, double AVE_GRADE) {
    REPORT.add_line(" ");
    if (REPORT_LOOPEY >= 2) {
        REPORT.add_line("Your average grade on the " + std::to_string(REPORT_LOOPEY) + " quizzes was " +
                        format_fixed2(AVE_GRADE, 2) + "%.");
    }
    REPORT.add_line("Thank you for using Tavolin!!");
    REPORT.write_record();
}

}  // namespace tavolin
