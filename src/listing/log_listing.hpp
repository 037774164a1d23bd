// The listing of tavolin-log: every line of one or more results logs,
// decoded and checked (log_decode.hpp), as an aligned table for a terminal or
// as CSV for a spreadsheet (RFC 4180: a header row, CR LF row ends, fields
// quoted where they need it).
//
// Table:  [LOG]  LINE  TIME  EVENT  ANSWERED  PERCENT  CHECK  QUIZ FILE
//         one row a line of the log, then a closing line a log with its
//         counts; control bytes in names shown as '?'.
// CSV:    [log,]line,time,event,answered,percent,check,quiz file
//         the check with what failed; names byte for byte.
// What is wrong with a line is also told on standard error, as
// "LOG:LINE: error: ..." (altered, unreadable, and where the program stops
// reading) or "LOG:LINE: warning: ..." (lines that follow them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "resultlog/log_decode.hpp"
#include "ground/cli/command_line.hpp"
#include "ground/platform/files.hpp"

namespace tavolin::logscheme {

struct LogCounts {
    std::int64_t events = 0;  // readable lines
    std::int64_t altered = 0;
    std::int64_t unreadable = 0;
    std::int64_t corrupt_at = 0;  // where the program stops reading (0: it does not)
};

class Listing {
public:
    // `log_width` is the width of the column naming each row's log; 0 leaves
    // the column out (one log).
    Listing(command::Output& out, command::Output& err, bool csv, std::size_t log_width);

    void header();
    // Lists one log read from its start; what is wrong goes to `err` under
    // the name `log`. Nothing when the file cannot be read to its end.
    std::optional<LogCounts> list(File& file, std::string_view log);

private:
    struct Cells;
    void table_row(const Cells& cells);
    void row(std::string_view log, const CheckedLine& line);
    void closing(std::string_view log, const LogCounts& counts);

    command::Output& out_;
    command::Output& err_;
    bool csv_;
    std::size_t log_width_;
    std::string row_;   // the row being made, kept to spare an allocation a row
    std::string time_;  // its time, likewise
};

// tavolin-log on the given logs (the one in the current folder when there is
// none). Returns the exit status: 0 when every line checks out, 1 when a line
// is altered or unreadable, 2 when a log cannot be read.
int list_logs(std::vector<std::string> names, bool csv, command::Output& out, command::Output& err);

}  // namespace tavolin::logscheme
