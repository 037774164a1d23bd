#include "resultlog/encodeon.hpp"

#include <array>
#include <optional>
#include <string>

#include "resultlog/log_reader.hpp"
#include "resultlog/log_scheme.hpp"
#include "ground/platform/files.hpp"

namespace tavolin {

namespace {

using logscheme::LogReader;

// How long an event waits for another run's event on the log to end: a few
// seconds in short pauses of the console, so that a request to end the run
// (a hang-up, SIGTERM, a closed window) ends the wait as it ends any pause.
constexpr int kHoldTries = 100;
constexpr int kHoldPauseMs = 50;

enum class ReadResult { Missing, Corrupt, Sound };

// The whole log in one pass through a fixed buffer.
ReadResult read_log(File& file, LogReader& reader) {
    static constexpr std::size_t kChunk = 64 * 1024;
    std::array<char, kChunk> buffer;  // NOLINT: filled by read before use
    for (;;) {
        const auto n = file.read(buffer.data(), buffer.size());
        if (!n) return ReadResult::Missing;  // not readable
        if (*n == 0) break;
        if (!reader.feed(buffer.data(), *n)) return ReadResult::Corrupt;
    }
    return reader.finish() ? ReadResult::Sound : ReadResult::Corrupt;
}

// The log held against the events of other runs, so that no two lines are
// made from the same previous line; false, once told, when another run keeps
// it past the wait. Where the file system grants no hold, the event goes on
// unheld.
bool hold(Console& con, File& file) {
    LockResult held = file.try_lock();
    for (int tried = 1; held == LockResult::Busy && tried < kHoldTries; ++tried) {
        con.pause_ms(kHoldPauseMs);
        held = file.try_lock();
    }
    if (held != LockResult::Busy) return true;
    con.write_line(kLogInUse);
    return false;
}

}  // namespace

// One opening of the log for the whole event, held from before the read of
// its last line to the end of the added line: a hold cannot outlast a
// reopening, and some file systems would refuse a second opening's writes
// while the first holds the file. Only a plain file counts as the log (a pipe
// of that name, say, is passed over).
void ENCODEON(Console& con, const Platform& platform, std::string_view YOMENAME, std::int16_t ENCOD_LOOP,
              std::int16_t OUTOF, double GRD) {
    const LocalTime now = platform.local_time();  // the time of the event, before any file work

    bool writable = false;
    std::optional<File> file = File::open_for_update(kLogFileName, writable);
    if (file && writable && !hold(con, *file)) return;
    LogReader reader;
    switch (file ? read_log(*file, reader) : ReadResult::Missing) {
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
    if (!writable) {
        con.write_line(kLogNotOpened);
        return;
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
    if (line.empty()) return;
    // The line added at the end in one write, or, if that write fails or
    // falls short, the file cut back to the length it had before.
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

}  // namespace tavolin
