// Fuzz target: the results-log reader of tavolin-log.
//
// The input is a results log, fed to the line splitter in chunks whose sizes
// the input's first byte chooses, and every line decoded and checked.
// Checked for every log:
//   - no crash, no hang, no undefined behaviour;
//   - the splitter calls the log corrupt exactly when the program's own
//     reader does, and else ends on the same last line;
//   - lines come in the order of the file, each numbered within it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "invariant.hpp"
#include "resultlog/log_decode.hpp"
#include "resultlog/log_reader.hpp"

using fuzzing::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t chunk = 1 + data[0];
    std::string_view log(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto lines_in_log = static_cast<std::int64_t>(std::count(log.begin(), log.end(), '\n')) + 1;

    tavolin::logscheme::LineSplitter splitter;
    tavolin::logscheme::LogDecoder decoder;
    tavolin::logscheme::LastLineReader reader;
    std::vector<tavolin::logscheme::LogLine> lines;
    std::int64_t previous = 0;
    bool sound = true;
    for (std::string_view rest = log; !rest.empty();) {
        const std::size_t n = std::min(chunk, rest.size());
        splitter.feed(rest.data(), n, lines);
        sound = reader.feed(rest.data(), n) && sound;
        rest.remove_prefix(n);
    }
    splitter.finish(lines);
    sound = reader.finish() && sound;
    for (const tavolin::logscheme::LogLine& line : lines) {
        check(line.line > previous && line.line <= lines_in_log, "a line numbered out of order");
        previous = line.line;
        decoder.next(line);
    }
    check((splitter.corrupt_at() == 0) == sound, "the splitter and the program disagree on a corrupt log");
    if (sound) {
        check(splitter.program_last().has_value() == reader.has_line(), "the splitter and the program disagree on a last line");
        if (reader.has_line()) check(*splitter.program_last() == reader.last(), "the splitter ends on another last line");
    }
    return 0;
}
