#include "report/report.hpp"

namespace tavolin {

void REPORT_INSTRUCTIONS(Console&, std::int16_t) {}
void REPORT_TITLE_BAR(LineFile&) {}
void REPORT_WRITE(LineFile&, std::string_view, std::int16_t, double, double, std::int16_t) {}
void REPORT_F_WRITE(LineFile&, std::int16_t, double) {}

}  // namespace tavolin
