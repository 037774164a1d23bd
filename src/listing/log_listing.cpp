#include "listing/log_listing.hpp"

#include "ground/base/text_width.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <tuple>
#include <vector>

namespace tavolin::logscheme {

namespace {

// The columns before the quiz file take 59 of the 80 a terminal is asked
// to have, so that names of 20 characters fit; longer ones run on.
constexpr std::size_t kLineWidth = 5;
constexpr std::size_t kTimeWidth = 16;  // 2026-12-08 14:03
constexpr std::size_t kEventWidth = 6;
constexpr std::size_t kResultWidth = 12;  // 100% of 3000
constexpr std::size_t kCheckWidth = 10;
constexpr std::string_view kGap = "  ";
// A value the check cannot vouch for.
constexpr std::string_view kUntrusted = "?";

std::string_view event_word(std::int16_t event) {
    switch (event) {
        case 4: return "made";
        case 3: return "opened";
        case 2: return "graded";
        default: return "";
    }
}

std::string_view verdict_word(Verdict verdict) {
    switch (verdict) {
        case Verdict::kOk: return "ok";
        case Verdict::kBroken: return "broken";
        case Verdict::kSeeAbove: return "see above";
        case Verdict::kUnreadable: return "unreadable";
    }
    return "";
}

void append_number(std::string& out, std::int64_t value) {
    std::array<char, 24> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
    out.append(text.data(), static_cast<std::size_t>(end - text.data()));
}

// Two digits of a date or time field, or four of a year (which lie in range).
void append_digits(std::string& out, std::int64_t value, int digits) {
    char text[4];
    for (int i = digits - 1; i >= 0; --i, value /= 10) text[i] = static_cast<char>('0' + value % 10);
    out.append(text, static_cast<std::size_t>(digits));
}

// The local date and time in ISO 8601, without an offset; in the table
// without the seconds and with a blank for the T.
void time_text(const Decoded& d, bool table, std::string& out) {
    append_digits(out, d.year, 4);
    out += '-';
    append_digits(out, d.month, 2);
    out += '-';
    append_digits(out, d.day, 2);
    out += table ? ' ' : 'T';
    append_digits(out, d.hour, 2);
    out += ':';
    append_digits(out, d.minute, 2);
    if (table) return;
    out += ':';
    append_digits(out, d.second, 2);
}

void pad_left(std::string& out, std::string_view text, std::size_t width) {
    if (text.size() < width) out.append(width - text.size(), ' ');
    out += text;
}

void pad_right(std::string& out, std::string_view text, std::size_t width) {
    out += text;
    if (text.size() < width) out.append(width - text.size(), ' ');
}

// A CSV field: quoted when it holds a comma, a quote, a line end or a blank,
// a quote doubled inside.
void csv_field(std::string& out, std::string_view text) {
    if (text.find_first_of(",\"\r\n \t") == std::string_view::npos) {
        out += text;
        return;
    }
    out += '"';
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

// A name as the table shows it: in the screen's own form, as tavolin shows
// the text of a quiz.
void append_shown(std::string& out, std::string_view name) { out += screen_form(name); }

}  // namespace

Listing::Listing(command::Output& out, command::Output& err, bool csv, bool several)
    : out_(out), err_(err), csv_(csv), several_(several) {}

// The cells of a row of the table, in their columns, the name last.
struct Listing::Cells {
    std::string_view line, time, event, result, check, name;
};

void Listing::table_row(const Cells& c) {
    std::string& r = row_;
    r.clear();
    // Each column's width, and whether its cells stand on the right.
    const std::array<std::tuple<std::string_view, std::size_t, bool>, 5> columns = {{
        {c.line, kLineWidth, true},
        {c.time, kTimeWidth, false},
        {c.event, kEventWidth, false},
        {c.result, kResultWidth, false},
        {c.check, kCheckWidth, false},
    }};
    for (const auto& [text, width, right] : columns) {
        (right ? pad_left : pad_right)(r, text, width);
        r += kGap;
    }
    append_shown(r, c.name);
    while (!r.empty() && r.back() == ' ') r.pop_back();
    out_.line(r);
}

void Listing::header() {
    if (csv_) {
        // A UTF-8 byte-order mark first, on every platform, so that a CSV
        // opens the same wherever it is moved: Excel reads a CSV without one
        // in the ANSI code page, which garbles accented names.
        out_.text("\xEF\xBB\xBF");
        out_.text(several_ ? "log," : "");
        out_.text("line,time,event,answered,percent,check,quiz file\r\n");
        return;
    }
    table_row({"LINE", "TIME", "EVENT", "RESULT", "CHECK", "QUIZ FILE"});
}

void Listing::row(std::string_view log, const CheckedLine& line) {
    const bool readable = line.verdict != Verdict::kUnreadable;
    const bool graded = readable && line.value.event == 2;
    std::string& r = row_;
    r.clear();
    std::string number;
    append_number(number, line.line);
    std::string& time = time_;
    time.clear();
    if (line.trusted) time_text(line.value, !csv_, time);
    const std::string_view event = readable ? event_word(line.value.event) : "";
    if (!csv_) {
        std::string result;
        if (graded && line.trusted) {
            append_number(result, line.value.percent);
            result += "% of ";
            append_number(result, line.value.answered);
        }
        const bool untrusted = readable && !line.trusted;
        table_row({number, untrusted ? kUntrusted : time, readable && event.empty() ? kUntrusted : event,
                   graded && untrusted ? kUntrusted : result, verdict_word(line.verdict), line.name});
        return;
    }
    if (several_) {
        csv_field(r, log);
        r += ',';
    }
    r += number;
    r += ',';
    r += time;
    r += ',';
    r += event;
    r += ',';
    if (graded && line.trusted) {
        append_number(r, line.value.answered);
        r += ',';
        append_number(r, line.value.percent);
    } else {
        r += ',';
    }
    r += ',';
    std::string check(verdict_word(line.verdict));
    if (!line.detail.empty()) check += ": " + line.detail;
    csv_field(r, check);
    r += ',';
    csv_field(r, line.name);
    r += "\r\n";
    out_.text(r);
}

void Listing::closing(std::string_view log, const LogCounts& counts) {
    if (csv_) return;
    std::string c;
    append_shown(c, log);
    c += ": ";
    append_number(c, counts.events);
    c += counts.events == 1 ? " event, " : " events, ";
    append_number(c, counts.broken);
    c += " broken, ";
    append_number(c, counts.unreadable);
    c += " unreadable.";
    out_.line(c);
    if (counts.corrupt_at != 0) {
        c = "tavolin stops reading it at line ";
        append_number(c, counts.corrupt_at);
        out_.line(c + " and will add no line to it.");
    }
}

std::optional<LogCounts> Listing::list(File& file, std::string_view log) {
    std::vector<LogLine> lines;
    LogReader reader(&lines);
    LogDecoder decoder;
    LogCounts counts;
    if (several_ && !csv_) {
        std::string heading;
        append_shown(heading, log);
        out_.line(heading);
    }
    const auto take = [&] {
        for (LogLine& l : lines) {
            const CheckedLine checked = decoder.next(std::move(l));
            row(log, checked);
            if (checked.verdict != Verdict::kOk) {
                command::tell_fault(out_, err_, log, checked.line, checked.verdict != Verdict::kSeeAbove,
                                    std::string(verdict_word(checked.verdict)) + ": " + checked.detail);
            }
            ++(checked.verdict == Verdict::kUnreadable ? counts.unreadable : counts.events);
            if (checked.verdict == Verdict::kBroken) ++counts.broken;
        }
        lines.clear();
    };
    static constexpr std::size_t kChunk = 64 * 1024;
    std::vector<char> buffer(kChunk);
    for (;;) {
        const std::optional<std::size_t> n = file.read(buffer.data(), buffer.size());
        if (!n) return std::nullopt;
        if (*n == 0) break;
        reader.feed(buffer.data(), *n);
        take();
    }
    reader.finish();
    take();
    counts.corrupt_at = reader.corrupt_at();
    if (counts.corrupt_at != 0) {
        command::tell_fault(out_, err_, log, counts.corrupt_at, true,
                            "tavolin stops reading the log here and calls it corrupt: it will add no line to it");
    }
    closing(log, counts);
    return counts;
}

int list_logs(std::vector<std::string> names, bool csv, command::Output& out, command::Output& err) {
    if (names.empty()) names.emplace_back(kLogFileName);
    Listing listing(out, err, csv, names.size() > 1);
    listing.header();
    int status = command::kExitClean;
    for (const std::string& name : names) {
        int error = 0;
        std::optional<File> file = File::open_for_reading(name, &error);
        std::optional<LogCounts> counts;
        if (file) {
            counts = listing.list(*file, name);
            if (!counts) error = EIO;
        }
        if (!counts) {
            command::tell_unreadable(out, err, "tavolin-log", name, error);
            status = command::kExitTrouble;
        } else if ((counts->broken > 0 || counts->unreadable > 0) && status == command::kExitClean) {
            status = command::kExitFaults;
        }
    }
    return status;
}

}  // namespace tavolin::logscheme
