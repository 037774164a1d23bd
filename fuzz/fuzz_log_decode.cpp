// Fuzz target: the results-log reader of tavolin-log.
//
// The input is a results log, fed to the reader as tavolin-log reads it, in
// chunks whose sizes the input's first byte chooses, and every line decoded
// and checked. Checked for every log:
//   - no crash, no hang, no undefined behaviour;
//   - the listing finds the log corrupt exactly when the program's way of
//     reading does, and else ends on the same last line;
//   - lines come in the order of the file, each numbered within it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "invariant.hpp"
#include "resultlog/log_decode.hpp"

using fuzzing::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t chunk = 1 + data[0];
    std::string_view log(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto lines_in_log = static_cast<std::int64_t>(std::count(log.begin(), log.end(), '\n')) + 1;

    std::vector<tavolin::logscheme::LogLine> lines;
    tavolin::logscheme::LogReader listing(&lines);
    tavolin::logscheme::LogDecoder decoder;
    tavolin::logscheme::LogReader reader;
    std::int64_t previous = 0;
    bool sound = true;
    for (std::string_view rest = log; !rest.empty();) {
        const std::size_t n = std::min(chunk, rest.size());
        listing.feed(rest.data(), n);
        sound = reader.feed(rest.data(), n) && sound;
        rest.remove_prefix(n);
    }
    listing.finish();
    sound = reader.finish() && sound;
    for (const tavolin::logscheme::LogLine& line : lines) {
        check(line.line > previous && line.line <= lines_in_log, "a line numbered out of order");
        previous = line.line;
        decoder.next(line);
    }
    check((listing.corrupt_at() == 0) == sound, "the listing and the program disagree on a corrupt log");
    if (sound) {
        check(listing.has_line() == reader.has_line(), "the listing and the program disagree on a last line");
        if (reader.has_line()) check(listing.last() == reader.last(), "the listing ends on another last line");
    }
    return 0;
}
