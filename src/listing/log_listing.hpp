// The listing of tavolin-log: every line of one or more results logs,
// decoded and checked (log_decode.hpp), as an aligned table for a terminal or
// as CSV for a spreadsheet (RFC 4180: a header row, CR LF row ends, fields
// quoted where they need it).
//
// Table:  LINE  TIME  EVENT  RESULT  CHECK  QUIZ FILE
//         one row a line of the log, then a closing line a log with its
//         counts; with several logs a heading naming each; names as the
//         screen shows text (a tab as a blank, control bytes and bytes that
//         are not UTF-8 as '?'); a value the check cannot vouch for as '?'.
// CSV:    a UTF-8 byte-order mark, then
//         [log,]line,time,event,answered,percent,check,quiz file
//         the check with what is wrong; such values left empty; names byte
//         for byte.
// What is wrong with a line is also told on standard error, as
// "LOG:LINE: error: ..." (broken, unreadable, and where the program stops
// reading) or "LOG:LINE: warning: ..." (a line checked against a broken or
// unreadable one).
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
    std::int64_t broken = 0;
    std::int64_t unreadable = 0;
    std::int64_t corrupt_at = 0;  // where the program stops reading (0: it does not)
};

class Listing {
public:
    // `several`: more than one log, each named.
    Listing(command::Output& out, command::Output& err, bool csv, bool several);

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
    bool several_;
    std::string row_;   // the row being made, kept to spare an allocation a row
    std::string time_;  // its time, likewise
};

// tavolin-log on the given logs (the one in the current folder when there is
// none). Returns the exit status: 0 when every line checks out, 1 when a line
// is broken or unreadable, 2 when a log cannot be read.
int list_logs(std::vector<std::string> names, bool csv, command::Output& out, command::Output& err);

}  // namespace tavolin::logscheme
