#include "resultlog/encodeon.hpp"

#include <array>
#include <string>

#include "resultlog/log_reader.hpp"
#include "resultlog/log_scheme.hpp"
#include "ground/platform/files.hpp"

namespace tavolin {

namespace {

using logscheme::LastLineReader;

enum class ReadResult { Missing, Corrupt, Sound };

// The whole log in one pass through a fixed buffer. Only a plain file counts
// as the log (a pipe of that name, say, is passed over).
ReadResult read_log(LastLineReader& reader) {
    auto file = File::open_for_reading(kLogFileName);
    if (!file) return ReadResult::Missing;
    static constexpr std::size_t kChunk = 64 * 1024;
    std::array<char, kChunk> buffer;  // NOLINT: filled by read before use
    for (;;) {
        const auto n = file->read(buffer.data(), buffer.size());
        if (!n) return ReadResult::Missing;  // not readable
        if (*n == 0) break;
        if (!reader.feed(buffer.data(), *n)) return ReadResult::Corrupt;
    }
    return reader.finish() ? ReadResult::Sound : ReadResult::Corrupt;
}

// The line added at the end in one write, or, if that write fails or falls
// short, the file cut back to the length it had before.
void append_line(Console& con, const std::string& line) {
    auto file = File::open_for_adding(kLogFileName);
    if (!file) {
        con.write_line(kLogNotOpened);
        return;
    }
    if (line.empty()) return;
    switch (file->append_whole(line)) {
        case AppendResult::Added:
            return;
        case AppendResult::CutBack:
            con.write_line(kLogNotWritten);
            return;
        case AppendResult::LeftBroken:
            con.write_line(kLogNotRepaired);
            return;
    }
}

}  // namespace

void ENCODEON(Console& con, const Platform& platform, std::string_view YOMENAME, std::int16_t ENCOD_LOOP,
              std::int16_t OUTOF, double GRD) {
    const LocalTime now = platform.local_time();  // the time of the event, before any file work

    LastLineReader reader;
    switch (read_log(reader)) {
        case ReadResult::Missing:
            con.end_line();
            con.write_line(kLogNotFound);
            return;
        case ReadResult::Corrupt:
            con.write_line(kLogCorrupt);
            return;
        case ReadResult::Sound:
            break;
    }

    std::string line;
    if (ENCOD_LOOP == kEventMade || ENCOD_LOOP == kEventOpened || ENCOD_LOOP == kEventGraded) {
        // An empty log has no previous line: zeros stand in for it.
        const logscheme::Fields fields = logscheme::next_fields(reader.last(), now, ENCOD_LOOP, OUTOF, GRD);
        // A hand-edited log whose last line lacks its line end gets one first,
        // so the new line stands on a line of its own.
        if (!reader.empty() && reader.last_byte() != '\n') line = reader.last_byte() == '\r' ? "\n" : "\r\n";
        line += logscheme::format_line(fields, YOMENAME);
    }
    append_line(con, line);
}

}  // namespace tavolin
