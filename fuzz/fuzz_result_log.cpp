// Fuzz target: the results log.
//
// The input gives the clock, the questions answered and the percentage of a
// graded quiz, the quiz file name, and then the content of
// "Encrypted_file.csf". One event of each kind (4 made, 3 opened, 2 graded) is
// added to that log, one after another. After every event the file must be
// either
//   - unchanged, to the byte, and the user told why (corrupt, not writable); or
//   - grown by exactly one well-formed line at its end: nineteen signed
//     decimal numbers (no plus sign, no leading zeros), each followed by one
//     blank, then the name exactly as given, then CR LF; a log whose last line
//     had no line end gets that line end first (LF after a lone CR, else
//     CR LF), so the new line stands on a line of its own. Nothing is said.
// A log of nothing but such lines (or an empty one) must always grow. No
// event may crash, hang or run into undefined behaviour, whatever the log
// holds. And every line added decodes, against the line before it, to the
// event and the clock it was given (and for a graded quiz to its questions
// and percentage), and checks out when the clock is a real date: the decoder
// of tavolin-log is the oracle.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "invariant.hpp"
#include "resultlog/encodeon.hpp"
#include "resultlog/log_decode.hpp"
#include "ground/platform/platform.hpp"
#include "support/scripted_console.hpp"

namespace {

using fuzzing::check;
using fuzzing::fail;

std::string scratch;  // a folder of its own, made once

std::string read_log() { return fuzzing::read_whole_file(tavolin::kLogFileName); }

void write_log(std::string_view content) { fuzzing::write_whole_file(tavolin::kLogFileName, content); }

// Reads one field: an optional minus, then digits without a leading zero
// (a lone 0 excepted), then one blank. Its value's size is given in
// `magnitude_digits`.
bool field(std::string_view& line, std::size_t& magnitude_digits) {
    std::size_t i = 0;
    const bool negative = !line.empty() && line[0] == '-';
    if (negative) ++i;
    const std::size_t first = i;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
    const std::size_t digits = i - first;
    if (digits == 0 || digits > 19) return false;
    if (line[first] == '0' && (digits > 1 || negative)) return false;
    if (i >= line.size() || line[i] != ' ') return false;
    magnitude_digits = digits;
    line.remove_prefix(i + 1);
    return true;
}

// A whole line as the program writes it (without its CR LF); the longest
// number it holds, in digits, lands in `widest`.
bool program_line(std::string_view line, std::string_view name, std::size_t& widest) {
    widest = 0;
    for (int k = 0; k < 19; ++k) {
        std::size_t digits = 0;
        if (!field(line, digits)) return false;
        widest = std::max(widest, digits);
    }
    return line == name;
}

// True when every line of the content is one the program could have written,
// with numbers small enough that no step of the scheme can leave its range.
bool all_program_lines(std::string_view content) {
    while (!content.empty()) {
        const std::size_t end = content.find("\r\n");
        if (end == std::string_view::npos) return false;
        std::string_view line = content.substr(0, end);
        // The name is what follows the nineteenth field's blank.
        std::string_view rest = line;
        std::size_t digits = 0;
        for (int k = 0; k < 19; ++k) {
            if (!field(rest, digits) || digits > 9) return false;
        }
        if (rest.find_first_of("\r\n") != std::string_view::npos) return false;
        content.remove_prefix(end + 2);
    }
    return true;
}

// The numbers of the last line of a log the program reads as sound.
tavolin::logscheme::Fields last_fields(std::string_view log) {
    tavolin::logscheme::LogReader reader;
    if (!reader.feed(log.data(), log.size()) || !reader.finish()) fail("a log the program wrote to is corrupt");
    return reader.last();
}

void one_event(const tavolin::Platform& platform, std::string_view name, std::int16_t event, std::int16_t outof,
               double grade) {
    const std::string before = read_log();
    tavolin::ScriptedConsole con;
    tavolin::ENCODEON(con, platform, name, event, outof, grade);
    const std::string after = read_log();
    const std::string& said = con.text();
    if (after == before) {
        check(!all_program_lines(before), "a sound log got no line");
        check(said.find(tavolin::kLogCorrupt) != std::string::npos ||
                  said.find(tavolin::kLogNotOpened) != std::string::npos ||
                  said.find(tavolin::kLogNotWritten) != std::string::npos,
              "the log was left as it was and nobody was told");
        return;
    }
    check(said.empty(), "a line was added, and yet something was said");
    check(after.size() > before.size() && after.compare(0, before.size(), before) == 0,
          "the log was changed before its end");
    std::string_view added(after);
    added.remove_prefix(before.size());
    // The line end the last line lacked.
    if (!before.empty() && before.back() == '\r') {
        check(added.substr(0, 1) == "\n", "a lone CR at the end was not made a line end");
        added.remove_prefix(1);
    } else if (!before.empty() && before.back() != '\n') {
        check(added.substr(0, 2) == "\r\n", "a last line without its line end was not ended");
        added.remove_prefix(2);
    }
    check(added.size() >= 2 && added.substr(added.size() - 2) == "\r\n", "the new line does not end in CR LF");
    added.remove_suffix(2);
    std::size_t widest = 0;
    check(program_line(added, name, widest), "the new line is not nineteen numbers and the name");

    namespace ls = tavolin::logscheme;
    const ls::Fields previous = last_fields(before);
    ls::LogDecoder decoder;
    ls::LogLine read;
    read.readable = true;
    if (before.find_first_not_of(" \t\r\n") != std::string::npos) {
        read.line = 1;
        read.fields = previous;
        decoder.next(read);
    }
    read.line = 2;
    read.fields = last_fields(after);
    const ls::CheckedLine c = decoder.next(read);
    const ls::Decoded& d = c.value;
    const tavolin::LocalTime now = platform.local_time();
    check(d.year == now.year && d.month == now.month && d.day == now.day && d.hour == now.hour &&
              d.minute == now.minute && d.second == now.second,
          "the new line does not decode to the clock it was given");
    // A previous line can be made so that another event fits as well.
    check(d.event == event || d.event == 0, "the new line decodes to another event");
    if (d.event == tavolin::kEventGraded) {
        check(d.answered == outof && d.percent == tavolin::logscheme::round_percentage(grade),
              "the new line does not decode to the questions and the percentage it was given");
    }
    const bool real_date = now.second < 60 && (now.day <= 28 || now.day <= std::array{31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}[now.month - 1]) &&
                           !(now.month == 2 && now.day == 29 && (now.year % 4 != 0 || (now.year % 100 == 0 && now.year % 400 != 0)));
    const bool grade_in_range = event != tavolin::kEventGraded || (outof >= 1 && outof <= 3000);
    if (real_date && grade_in_range) check(c.verdict == ls::Verdict::kOk, "the new line does not check out");
    if (all_program_lines(before)) check(all_program_lines(after), "a sound log did not stay sound");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    scratch = fuzzing::scratch_folder("log");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The header: clock (6 bytes), questions (2), percentage (2), name length (1).
    constexpr std::size_t kHeader = 11;
    if (size < kHeader) return 0;
    tavolin::LocalTime now;
    now.year = 1970 + data[0] % 200;
    now.month = 1 + data[1] % 12;
    now.day = 1 + data[2] % 31;
    now.hour = data[3] % 24;
    now.minute = data[4] % 60;
    now.second = data[5] % 61;
    const auto outof = static_cast<std::int16_t>(data[6] | (data[7] << 8));
    // 0 to 100 in steps of 1/640, so that exact halves come up.
    const double grade = static_cast<double>((data[8] | (data[9] << 8)) % 64001) / 640.0;
    std::size_t name_length = std::min<std::size_t>(data[10], size - kHeader);
    std::string name(reinterpret_cast<const char*>(data + kHeader), name_length);
    // A typed name holds no line end (the line editor keeps none).
    for (char& c : name) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    const std::string_view log(reinterpret_cast<const char*>(data + kHeader + name_length),
                               size - kHeader - name_length);

    // The log is named relative to the current folder; the fuzzer's own
    // files are named relative to the one it was started in.
    const int home = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (home < 0 || ::chdir(scratch.c_str()) != 0) fail("cannot change folders");
    write_log(log);
    tavolin::Platform platform;
    platform.local_time = [now] { return now; };
    one_event(platform, name, tavolin::kEventMade, 0, 0.0);
    one_event(platform, name, tavolin::kEventOpened, 0, 0.0);
    one_event(platform, name, tavolin::kEventGraded, outof, grade);
    ::unlink(tavolin::kLogFileName);
    if (::fchdir(home) != 0) fail("cannot change back");
    ::close(home);
    return 0;
}
