#include "resultlog/log_decode.hpp"

#include <array>
#include <cstring>

#include "resultlog/log_bytes.hpp"
#include "resultlog/log_keys.hpp"
#include "ground/base/control_bytes.hpp"

namespace tavolin::logscheme {

namespace {

namespace f = field;
using namespace logkey;

std::string byte_text(char c) {
    return is_control_byte(c) ? std::string("a control byte") : std::string{'\'', c, '\''};
}

constexpr bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string number_place(std::size_t field) { return "number " + std::to_string(field + 1) + " of 19"; }

}  // namespace

// ---- splitting the bytes into lines ----

void LineSplitter::unreadable(std::string fault, std::int64_t fault_line, std::vector<LogLine>& out) {
    LogLine line;
    // A line whose numbers began on an earlier line is named by where it began.
    line.line = current_.line;
    if (fault_line != line.line) fault += " on line " + std::to_string(fault_line);
    line.fault = std::move(fault);
    if (corrupt_at_ == 0) corrupt_at_ = fault_line;
    out.push_back(std::move(line));
    field_ = 0;
    started_ = false;
    negative_ = false;
    digits_ = false;
    magnitude_ = 0;
}

bool LineSplitter::end_number(std::vector<LogLine>& out) {
    if (!digits_) {
        unreadable("expected digits after the sign of " + number_place(field_), line_, out);
        return false;
    }
    if (magnitude_ > kMaxPositive + (negative_ ? 1 : 0)) {
        unreadable("expected " + number_place(field_) + " within the signed 64-bit range; found more", line_, out);
        return false;
    }
    current_.fields[field_] =
        negative_ ? static_cast<std::int64_t>(0 - magnitude_) : static_cast<std::int64_t>(magnitude_);
    magnitude_ = 0;
    negative_ = false;
    digits_ = false;
    if (++field_ == kFieldCount) {
        numbers_end_ = line_;
        current_.name.clear();
        name_cr_ = false;
        phase_ = Phase::kName;
    } else {
        phase_ = Phase::kSkip;
    }
    return true;
}

void LineSplitter::end_line(std::vector<LogLine>& out) {
    if (name_cr_) current_.name.pop_back();  // the CR of a CR LF line end
    if (corrupt_at_ == 0) program_last_ = current_.fields;
    LogLine& line = out.emplace_back(current_);
    line.readable = numbers_end_ == current_.line;
    if (!line.readable) {
        line.fault = "expected nineteen numbers and a name on one line; found them over lines " +
                     std::to_string(current_.line) + " to " + std::to_string(numbers_end_);
    }
    field_ = 0;
    started_ = false;
    phase_ = Phase::kSkip;
}

// The usual line, standing whole before `nl` from its first byte: nineteen
// numbers of at most 18 digits, blanks, tabs or carriage returns between
// them, then the name. Read on locals in one pass; nullptr for any other
// line, which the byte-by-byte way then takes (the two agree on every line).
const char* LineSplitter::quick_line(const char* p, const char* nl, std::vector<LogLine>& out) {
    // The line end at nl stops every scan below: it is neither a blank, nor
    // a sign, nor a digit.
    Fields fields;
    const char* q = p;
    for (std::size_t k = 0; k < kFieldCount; ++k) {
        while (is_blank(*q)) ++q;
        const bool negative = *q == '-';
        if (*q == '-' || *q == '+') ++q;
        const char* const digits = q;
        std::uint64_t m = 0;
        for (; is_digit(*q); ++q) m = m * 10 + static_cast<unsigned>(*q - '0');
        const auto count = q - digits;
        if (count == 0 || count > 18 || (q < nl && !is_blank(*q))) return nullptr;
        fields[k] = negative ? -static_cast<std::int64_t>(m) : static_cast<std::int64_t>(m);
    }
    LogLine& line = out.emplace_back();
    line.line = line_;
    line.readable = true;
    line.fields = fields;
    if (q < nl) {
        // The name, after the nineteenth number's separator, without the CR of
        // a CR LF line end.
        const char* stop = nl;
        if (stop > q + 1 && stop[-1] == '\r') --stop;
        line.name.assign(q + 1, std::min<std::size_t>(static_cast<std::size_t>(stop - (q + 1)), kNameKeep));
    }
    if (corrupt_at_ == 0) program_last_ = fields;
    ++line_;
    return nl + 1;
}

void LineSplitter::feed(const char* data, std::size_t size, std::vector<LogLine>& out) {
    const char* p = data;
    const char* const end = data + size;
    while (p < end) {
        switch (phase_) {
            case Phase::kResync: {
                // The rest of a line that could not be read.
                const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
                if (nl == nullptr) {
                    p = end;
                    break;
                }
                p = static_cast<const char*>(nl) + 1;
                ++line_;
                phase_ = Phase::kSkip;
                break;
            }
            case Phase::kSkip: {
                if (!started_ && field_ == 0) {
                    const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
                    if (nl != nullptr) {
                        if (const char* next = quick_line(p, static_cast<const char*>(nl), out)) {
                            p = next;
                            break;
                        }
                    }
                }
                if (!started_) {
                    started_ = true;
                    current_.line = line_;
                }
                for (; p < end && is_space(*p); ++p) {
                    if (*p == '\n') ++line_;
                }
                if (p == end) break;
                if (field_ == 0) current_.line = line_;
                phase_ = Phase::kNumber;
                if (*p == '-' || *p == '+') {
                    negative_ = *p == '-';
                    ++p;
                }
                break;
            }
            case Phase::kNumber: {
                // The digits on locals, which the compiler keeps in registers.
                std::uint64_t m = magnitude_;
                const char* const first = p;
                bool too_long = false;
                for (; p < end && is_digit(*p); ++p) {
                    if (m > kLastSafe) {
                        too_long = true;
                        break;
                    }
                    m = m * 10 + static_cast<unsigned>(*p - '0');
                }
                magnitude_ = m;
                digits_ = digits_ || p != first;
                if (too_long) {
                    unreadable("expected " + number_place(field_) + " within the signed 64-bit range; found more",
                               line_, out);
                    phase_ = Phase::kResync;
                    break;
                }
                if (p == end) break;  // the number may go on in the next chunk
                const char c = *p;
                if (!is_space(c)) {
                    unreadable("expected " + number_place(field_) + " (a sign and digits); found " + byte_text(c),
                               line_, out);
                    phase_ = Phase::kResync;
                    break;
                }
                const bool ended = end_number(out);
                if (!ended) phase_ = Phase::kResync;
                if (ended && phase_ == Phase::kSkip) break;  // the skip passes over the separator
                // The separator after the nineteenth number, or after a faulty one.
                ++p;
                if (c == '\n') {
                    ++line_;
                    if (ended) {
                        end_line(out);
                    } else {
                        phase_ = Phase::kSkip;
                    }
                }
                break;
            }
            case Phase::kName: {
                const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
                const char* stop = nl != nullptr ? static_cast<const char*>(nl) : end;
                if (stop > p) {
                    const std::size_t room = kNameKeep + 1 - std::min(kNameKeep + 1, current_.name.size());
                    current_.name.append(p, std::min(room, static_cast<std::size_t>(stop - p)));
                    name_cr_ = stop[-1] == '\r' && current_.name.size() <= kNameKeep;
                }
                p = stop;
                if (nl == nullptr) break;
                ++p;
                ++line_;
                if (current_.name.size() > kNameKeep) current_.name.resize(kNameKeep);
                end_line(out);
                break;
            }
        }
    }
}

void LineSplitter::finish(std::vector<LogLine>& out) {
    if (phase_ == Phase::kNumber && field_ + 1 == kFieldCount) {
        if (!end_number(out)) return;  // the nineteenth number ends at the end of the file
    }
    if (phase_ == Phase::kName) {
        if (current_.name.size() > kNameKeep) current_.name.resize(kNameKeep);
        end_line(out);  // a last line without its line end
    } else if (phase_ != Phase::kResync && started_) {
        const std::size_t numbers = field_ + (phase_ == Phase::kNumber ? 1 : 0);
        unreadable(numbers == 0 ? std::string("expected nineteen numbers and a name; found only blanks or empty "
                                              "lines before the end of the file")
                                : "expected nineteen numbers and a name; found the end of the file after " +
                                      std::to_string(numbers) + (numbers == 1 ? " number" : " numbers"),
                   current_.line, out);
    }
}

// ---- decoding ----

Decoded decode_fields(const Fields& previous, const Fields& line, std::int16_t event) {
    const Adjustments a = adjustments_from(previous);
    Decoded d;
    d.year = add64(add64(add64(add64(line[f::YR1], C1), a.SECAP), a.SECAP), B1);
    d.month = sub64(sub64(sub64(add64(line[f::MO1], C4), a.MOAP), a.HRAP), B2);
    d.day = sub64(sub64(add64(add64(line[f::DAY1], C6), a.DAYAP), a.MOAP), B3);
    d.hour = sub64(sub64(sub64(add64(line[f::HR1], C9), a.HRAP), a.YRAP), B4);
    d.minute = sub64(sub64(sub64(add64(line[f::MIN1], C11), a.MINAP), a.DAYAP), B5);
    d.second = sub64(sub64(add64(line[f::SEC1], C13), a.MINAP), B6);
    d.event = event;
    if (event == 2) {
        d.answered = add64(sub64(line[f::NIX2], a.SECAP), G9);
        d.percent = sub64(add64(sub64(sub64(line[f::DIS2], a.MINAP), a.HRAP), G8), G7);
    }
    const auto leap = d.year % 4 == 0 && (d.year % 100 != 0 || d.year % 400 == 0);
    constexpr std::array<std::int64_t, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool month_exists = d.month >= 1 && d.month <= 12;
    const std::int64_t days =
        month_exists ? kDays[static_cast<std::size_t>(d.month - 1)] + (d.month == 2 && leap ? 1 : 0) : 0;
    d.time_exists = d.year >= 1 && d.year <= 9999 && month_exists && d.day >= 1 && d.day <= days && d.hour >= 0 &&
                    d.hour <= 23 && d.minute >= 0 && d.minute <= 59 && d.second >= 0 && d.second <= 59;
    return d;
}

namespace {

// A field that follows another of the same line by a fixed offset.
struct Link {
    std::size_t to;
    std::size_t from;
    std::int64_t offset;
    const char* says;  // what a failure says
};

constexpr std::array<Link, 8> kLinks = {{
    {f::YR2, f::YR1, -C2, "YR2 does not follow from YR1"},
    {f::YR3, f::YR2, -C3, "YR3 does not follow from YR2"},
    {f::MO2, f::MO1, -C5, "MO2 does not follow from MO1"},
    {f::DAY2, f::DAY1, -C7, "DAY2 does not follow from DAY1"},
    {f::DAY3, f::DAY2, -C8, "DAY3 does not follow from DAY2"},
    {f::HR2, f::HR1, -C10, "HR2 does not follow from HR1"},
    {f::MIN2, f::MIN1, C12, "MIN2 does not follow from MIN1"},
    {f::SEC3, f::SEC2, -C15, "SEC3 does not follow from SEC2"},
}};

const char* broken_link(const Fields& line) {
    for (const Link& link : kLinks) {
        if (line[link.to] != add64(line[link.from], link.offset)) return link.says;
    }
    return nullptr;
}

// The first failure among an event's relations: those within the line
// (`own`) and those with the line before (`tie`); nullptr where all hold.
struct EventFaults {
    bool nix1 = false;  // NIX1 fits the event
    const char* own = nullptr;
    const char* tie = nullptr;
};

EventFaults event_faults(const Fields& previous, const Fields& line, const Adjustments& a, std::int16_t event) {
    EventFaults e;
    auto own = [&](bool holds, const char* says) {
        if (!holds && e.own == nullptr) e.own = says;
    };
    switch (event) {
        case 4:
            e.nix1 = line[f::NIX1] == mul64(line[f::SEC3], M2);
            own(line[f::DIS1] == wrap32(std::int64_t{round_quotient(line[f::MO2], E)} - G1),
                "DIS1 does not follow from MO2");
            own(line[f::DIS2] == wrap32(std::int64_t{round_quotient(line[f::YR3], E)} + G2),
                "DIS2 does not follow from YR3");
            own(line[f::NIX2] ==
                    wrap32(std::int64_t{wrap32(std::int64_t{round_quotient(line[f::MIN2], F)} * M1)} + G3),
                "NIX2 does not follow from MIN2");
            break;
        case 3:
            e.nix1 = line[f::NIX1] == mul64(line[f::SEC2], M2);
            own(line[f::NIX2] == sub64(line[f::MO2], G5), "NIX2 does not follow from MO2");
            own(line[f::DIS2] == add64(G4, line[f::YR3]), "DIS2 does not follow from YR3");
            if (line[f::DIS1] != add64(line[f::DIS2], previous[f::NIX2])) {
                e.tie = "DIS1 does not follow from DIS2 and the NIX2 of the line before";
            }
            break;
        case 2:
            e.nix1 = line[f::NIX1] == mul64(line[f::SEC1], M2);
            if (line[f::DIS1] != add64(add64(previous[f::DIS1], a.HRAP), G6)) {
                e.tie = "DIS1 does not follow from the DIS1 and HR2 of the line before";
            }
            break;
        default:
            break;
    }
    return e;
}

const char* broken_tie(const Fields& line, const Adjustments& a) {
    return line[f::SEC2] == sub64(sub64(line[f::SEC1], a.SECAP), C14)
               ? nullptr
               : "SEC2 does not follow from SEC1 and the SEC3 of the line before";
}

constexpr std::array<std::int16_t, 3> kEvents = {4, 3, 2};

std::string two(std::int64_t v) {
    std::string text = std::to_string(v);
    if (v >= 0 && v < 10) text.insert(0, 1, '0');
    return text;
}

}  // namespace

bool relations_hold(const Fields& previous, const Fields& line, std::int16_t event) {
    const Adjustments a = adjustments_from(previous);
    const EventFaults e = event_faults(previous, line, a, event);
    return broken_link(line) == nullptr && broken_tie(line, a) == nullptr && e.nix1 && e.own == nullptr &&
           e.tie == nullptr;
}

CheckedLine LogDecoder::next(LogLine line) {
    CheckedLine out;
    out.line = line.line;
    if (!line.readable) {
        out.verdict = Verdict::kUnreadable;
        out.detail = line.fault;
        if (unreadable_since_ == 0) unreadable_since_ = line.line;
        return out;
    }
    out.name = std::move(line.name);
    const Fields& L = line.fields;
    const Adjustments a = adjustments_from(previous_);

    // The event: among those NIX1 fits, the first whose relations all hold,
    // else the first whose own relations hold, else the first.
    std::int16_t event = 0;
    EventFaults faults;
    int best = -1;
    for (const std::int16_t e : kEvents) {
        const EventFaults candidate = event_faults(previous_, L, a, e);
        if (!candidate.nix1) continue;
        const int score = candidate.own == nullptr ? (candidate.tie == nullptr ? 2 : 1) : 0;
        if (score > best) {
            best = score;
            event = e;
            faults = candidate;
        }
    }
    const char* own = broken_link(L);
    if (own == nullptr) own = event == 0 ? "NIX1 fits none of the three events" : faults.own;

    out.value = decode_fields(previous_, L, event);
    std::string tie;
    if (const char* t = broken_tie(L, a)) {
        tie = t;
    } else if (faults.tie != nullptr) {
        tie = faults.tie;
    } else if (!out.value.time_exists) {
        const Decoded& d = out.value;
        tie = "the date and time it gives do not exist: " + std::to_string(d.year) + "-" + two(d.month) + "-" +
              two(d.day) + " " + two(d.hour) + ":" + two(d.minute) + ":" + two(d.second);
    } else if (event == 2 && (out.value.answered < 1 || out.value.answered > 3000)) {
        tie = "the questions answered, " + std::to_string(out.value.answered) + ", are not from 1 to 3000";
    } else if (event == 2 && (out.value.percent < 0 || out.value.percent > 100)) {
        tie = "the percentage, " + std::to_string(out.value.percent) + ", is not from 0 to 100";
    }

    const std::string before =
        previous_line_ == 0 ? std::string("the zeros that stand in for a missing line")
                            : "line " + std::to_string(previous_line_);
    if (own != nullptr) {
        out.verdict = Verdict::kAltered;
        out.detail = own;
    } else if (unreadable_since_ != 0) {
        out.verdict = Verdict::kAfterUnreadable;
        out.detail = "decoded against " + before + ", the last readable line" + (tie.empty() ? "" : ": " + tie);
    } else if (tie.empty()) {
        out.verdict = Verdict::kOk;
    } else if (previous_altered_) {
        out.verdict = Verdict::kFollowsAltered;
        out.detail = "decoded against " + before + ", which is altered: " + tie;
    } else {
        out.verdict = Verdict::kAltered;
        out.detail = tie + (previous_line_ == 0 ? " (" + before + ")" : "");
    }
    previous_ = L;
    previous_line_ = line.line;
    previous_altered_ = out.verdict == Verdict::kAltered;
    unreadable_since_ = 0;
    return out;
}

}  // namespace tavolin::logscheme
