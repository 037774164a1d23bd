// The report file "report.txt" of a run in report mode.
#pragma once

#include <cstdint>
#include <string_view>

#include "ground/console/console.hpp"
#include "ground/platform/line_file.hpp"

namespace tavolin {

inline constexpr const char* kReportFileName = "report.txt";

// On the console, for the report choice (3): where the results will go.
void REPORT_INSTRUCTIONS(Console& con, std::int16_t MD_CHC);
// Each record reaches the file in one write, so that a run cut off at any
// moment leaves only whole records: the banner together with the first
// result, each later result, the closing lines.
//
// The seven banner rows, kept to go out with the first result.
void REPORT_TITLE_BAR(LineFile& REPORT);
// The three lines of one reported quiz (after the banner, if it is kept).
void REPORT_WRITE(LineFile& REPORT, std::string_view NMD_FILE, std::int16_t REPORT_LOOPY, double GRADE_AVE,
                  double V_1, std::int16_t LOOPY);
// The closing lines at the end of the run.
void REPORT_F_WRITE(LineFile& REPORT, std::int16_t REPORT_LOOPEY, double AVE_GRADE);

}  // namespace tavolin
