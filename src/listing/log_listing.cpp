#include "listing/log_listing.hpp"

#include "ground/base/control_bytes.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <tuple>
#include <vector>

namespace tavolin::logscheme {

namespace {

constexpr std::size_t kLineWidth = 7;
constexpr std::size_t kTimeWidth = 19;  // 2026-12-08T14:03:05
constexpr std::size_t kEventWidth = 6;
constexpr std::size_t kAnsweredWidth = 8;
constexpr std::size_t kPercentWidth = 7;
constexpr std::size_t kCheckWidth = 16;
constexpr std::string_view kGap = "  ";

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
        case Verdict::kAltered: return "altered";
        case Verdict::kFollowsAltered: return "follows altered";
        case Verdict::kAfterUnreadable: return "after unreadable";
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

// The local date and time in ISO 8601, without an offset; empty when the line
// gives no date that exists.
std::string_view time_text(const Decoded& d, std::string& out) {
    out.clear();
    if (!d.time_exists) return out;
    append_digits(out, d.year, 4);
    out += '-';
    append_digits(out, d.month, 2);
    out += '-';
    append_digits(out, d.day, 2);
    out += 'T';
    append_digits(out, d.hour, 2);
    out += ':';
    append_digits(out, d.minute, 2);
    out += ':';
    append_digits(out, d.second, 2);
    return out;
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

// A name as the table shows it: control bytes as '?'.
void append_shown(std::string& out, std::string_view name) {
    const std::size_t from = out.size();
    out += name;
    for (std::size_t i = from; i < out.size(); ++i) {
        if (is_control_byte(out[i])) out[i] = kControlPlaceholder;
    }
}

}  // namespace

Listing::Listing(command::Output& out, command::Output& err, bool csv, std::size_t log_width)
    : out_(out), err_(err), csv_(csv), log_width_(log_width) {}

// The cells of a row of the table, in their columns: the log (when there is
// its column), the numbers on the right, the name last.
struct Listing::Cells {
    std::string_view log, line, time, event, answered, percent, check, name;
};

void Listing::table_row(const Cells& c) {
    std::string& r = row_;
    r.clear();
    if (log_width_ > 0) {
        append_shown(r, c.log);
        r.append(log_width_ - std::min(log_width_, c.log.size()), ' ');
        r += kGap;
    }
    // Each column's width, and whether its cells stand on the right.
    const std::array<std::tuple<std::string_view, std::size_t, bool>, 6> columns = {{
        {c.line, kLineWidth, true},
        {c.time, kTimeWidth, false},
        {c.event, kEventWidth, false},
        {c.answered, kAnsweredWidth, true},
        {c.percent, kPercentWidth, true},
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
        out_.text(log_width_ > 0 ? "log," : "");
        out_.text("line,time,event,answered,percent,check,quiz file\r\n");
        return;
    }
    table_row({"LOG", "LINE", "TIME", "EVENT", "ANSWERED", "PERCENT", "CHECK", "QUIZ FILE"});
}

void Listing::row(std::string_view log, const CheckedLine& line) {
    const bool graded = line.verdict != Verdict::kUnreadable && line.value.event == 2;
    std::string answered;
    std::string percent;
    if (graded && line.value.answered >= 1 && line.value.answered <= 3000) append_number(answered, line.value.answered);
    if (graded && line.value.percent >= 0 && line.value.percent <= 100) append_number(percent, line.value.percent);
    std::string number;
    append_number(number, line.line);
    const std::string_view time = time_text(line.value, time_);
    const std::string_view event = line.verdict == Verdict::kUnreadable ? "" : event_word(line.value.event);
    if (!csv_) {
        table_row({log, number, time, event, answered, percent, verdict_word(line.verdict), line.name});
        return;
    }
    std::string& r = row_;
    r.clear();
    if (log_width_ > 0) {
        csv_field(r, log);
        r += ',';
    }
    for (const std::string_view field : {std::string_view(number), time, event, std::string_view(answered),
                                         std::string_view(percent)}) {
        r += field;
        r += ',';
    }
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
    append_number(c, counts.altered);
    c += " altered, ";
    append_number(c, counts.unreadable);
    c += " unreadable";
    if (counts.corrupt_at != 0) {
        c += "; tavolin stops reading it at line ";
        append_number(c, counts.corrupt_at);
        c += " and will add no line to it";
    }
    out_.line(c + ".");
}

std::optional<LogCounts> Listing::list(File& file, std::string_view log) {
    LineSplitter splitter;
    LogDecoder decoder;
    LogCounts counts;
    std::vector<LogLine> lines;
    const auto take = [&] {
        for (LogLine& l : lines) {
            const CheckedLine checked = decoder.next(std::move(l));
            row(log, checked);
            switch (checked.verdict) {
                case Verdict::kOk: break;
                case Verdict::kUnreadable:
                case Verdict::kAltered:
                    command::tell_fault(out_, err_, log, checked.line, true,
                                        std::string(verdict_word(checked.verdict)) + ": " + checked.detail);
                    break;
                default: command::tell_fault(out_, err_, log, checked.line, false, checked.detail); break;
            }
            ++(checked.verdict == Verdict::kUnreadable ? counts.unreadable : counts.events);
            if (checked.verdict == Verdict::kAltered) ++counts.altered;
        }
        lines.clear();
    };
    static constexpr std::size_t kChunk = 64 * 1024;
    std::vector<char> buffer(kChunk);
    for (;;) {
        const std::optional<std::size_t> n = file.read(buffer.data(), buffer.size());
        if (!n) return std::nullopt;
        if (*n == 0) break;
        splitter.feed(buffer.data(), *n, lines);
        take();
    }
    splitter.finish(lines);
    take();
    counts.corrupt_at = splitter.corrupt_at();
    if (counts.corrupt_at != 0) {
        command::tell_fault(out_, err_, log, counts.corrupt_at, true,
              "tavolin stops reading the log here and calls it corrupt: it will add no line to it");
    }
    closing(log, counts);
    return counts;
}

int list_logs(std::vector<std::string> names, bool csv, command::Output& out, command::Output& err) {
    if (names.empty()) names.emplace_back(kLogFileName);
    std::size_t width = 0;
    if (names.size() > 1) {
        for (const std::string& name : names) width = std::max(width, name.size());
    }
    Listing listing(out, err, csv, width);
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
        } else if ((counts->altered > 0 || counts->unreadable > 0) && status == command::kExitClean) {
            status = command::kExitFaults;
        }
    }
    return status;
}

}  // namespace tavolin::logscheme
