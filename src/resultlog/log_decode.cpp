#include "resultlog/log_decode.hpp"

#include <algorithm>
#include <array>
#include <vector>

#include "ground/base/limits.hpp"
#include "resultlog/log_keys.hpp"

namespace tavolin::logscheme {

namespace {

namespace f = field;
using namespace logkey;

constexpr std::array<std::int16_t, 3> kEvents = {4, 3, 2};

// The numbers that carry the event, and for a graded quiz its questions and
// percentage; the other fifteen carry the time.
constexpr std::array<std::size_t, 4> kEventField = {f::NIX1, f::NIX2, f::DIS1, f::DIS2};
constexpr std::uint32_t kEventFields = 1U << f::NIX1 | 1U << f::NIX2 | 1U << f::DIS1 | 1U << f::DIS2;

bool time_exists(const Decoded& d) {
    const bool leap = d.year % 4 == 0 && (d.year % 100 != 0 || d.year % 400 == 0);
    constexpr std::array<std::int64_t, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (d.month < 1 || d.month > 12) return false;
    const std::int64_t days = kDays[static_cast<std::size_t>(d.month - 1)] + (d.month == 2 && leap ? 1 : 0);
    return d.year >= 1 && d.year <= 9999 && d.day >= 1 && d.day <= days && d.hour >= 0 && d.hour <= 23 &&
           d.minute >= 0 && d.minute <= 59 && d.second >= 0 && d.second <= 59;
}

// The time a line gives and, were it a graded quiz, its questions answered
// and percentage: the encoding undone with the adjustments of the line before.
Decoded undo(const Adjustments& a, const Fields& line) {
    Decoded d;
    d.year = add64(add64(add64(add64(line[f::YR1], C1), a.SECAP), a.SECAP), B1);
    d.month = sub64(sub64(sub64(add64(line[f::MO1], C4), a.MOAP), a.HRAP), B2);
    d.day = sub64(sub64(add64(add64(line[f::DAY1], C6), a.DAYAP), a.MOAP), B3);
    d.hour = sub64(sub64(sub64(add64(line[f::HR1], C9), a.HRAP), a.YRAP), B4);
    d.minute = sub64(sub64(sub64(add64(line[f::MIN1], C11), a.MINAP), a.DAYAP), B5);
    d.second = sub64(sub64(add64(line[f::SEC1], C13), a.MINAP), B6);
    d.answered = add64(sub64(line[f::NIX2], a.SECAP), G9);
    d.percent = sub64(add64(sub64(sub64(line[f::DIS2], a.MINAP), a.HRAP), G8), G7);
    return d;
}

// The numbers of a line that differ from those the program writes, a bit
// each by position, and how many.
struct Differ {
    std::uint32_t fields = 0;
    int count = 0;
    void compare(const Fields& written, const Fields& line, std::size_t k) {
        const bool differs = written[k] != line[k];
        fields |= static_cast<std::uint32_t>(differs) << k;
        count += differs ? 1 : 0;
    }
};

}  // namespace

CheckedLine LogDecoder::next(LogLine line) {
    CheckedLine out;
    out.line = line.line;
    if (!line.readable) {
        out.verdict = Verdict::kUnreadable;
        out.detail = line.fault;
        unreadable_before_ = true;
        return out;
    }
    out.name = std::move(line.name);
    const Fields& L = line.fields;

    // The line the program writes after the previous one with the values
    // this one gives, for each event; the event whose line differs least is
    // taken, and told only when no other comes as near. Values beyond what
    // the encoder takes wrap on the way in, and the line it writes then
    // differs: no real event gives them.
    const Adjustments a = adjustments_from(previous_);
    out.value = undo(a, L);
    const auto narrow = [](std::int64_t v) { return static_cast<int>(v); };
    const LocalTime time{narrow(out.value.year),   narrow(out.value.month),  narrow(out.value.day),
                         narrow(out.value.hour),   narrow(out.value.minute), narrow(out.value.second)};
    Fields written{};
    time_fields(a, time, written);
    Differ time_differ;
    for (std::size_t k = 0; k < kFieldCount; ++k) {
        if ((kEventFields >> k & 1U) == 0) time_differ.compare(written, L, k);
    }
    std::array<Differ, kEvents.size()> differs{};
    std::size_t best = 0;
    for (std::size_t i = 0; i < kEvents.size(); ++i) {
        event_fields(previous_, a, kEvents[i], static_cast<std::int16_t>(out.value.answered),
                     static_cast<double>(out.value.percent), written);
        differs[i] = time_differ;
        for (const std::size_t k : kEventField) differs[i].compare(written, L, k);
        if (differs[i].count < differs[best].count) best = i;
    }
    const std::uint32_t differ = differs[best].fields;
    const std::int16_t event = kEvents[best];
    const auto as_near = std::count_if(differs.begin(), differs.end(),
                                       [&](const Differ& d) { return d.count == differs[best].count; });
    out.value.event = as_near == 1 ? event : 0;
    if (out.value.event != 2) out.value.answered = out.value.percent = 0;

    const bool time_fault = (differ & ~kEventFields) != 0 || !time_exists(out.value);
    const bool event_fault = (differ & kEventFields) != 0;
    const bool grade_fault = event == 2 && (out.value.answered < 1 || out.value.answered > MASS ||
                                            out.value.percent < 0 || out.value.percent > 100);
    out.trusted = !time_fault && !event_fault && !grade_fault;

    if (out.trusted) {
        out.verdict = Verdict::kOk;
    } else {
        const std::string before =
            previous_line_ == 0 ? std::string("the start of the log") : "line " + std::to_string(previous_line_);
        if (previous_broken_ || unreadable_before_) {
            out.verdict = Verdict::kSeeAbove;
            out.detail = "checked against " + before +
                         (previous_broken_ ? ", which is broken itself" : ", the last readable line before it") +
                         ": whether this line follows cannot be told";
        } else {
            out.verdict = Verdict::kBroken;
            // "the time", "the time and the event", "the time, the event and the grade"
            std::vector<const char*> what;
            if (time_fault) what.push_back("the time");
            if (event_fault) what.push_back("the event");
            if (grade_fault) what.push_back("the grade");
            for (std::size_t i = 0; i < what.size(); ++i) {
                out.detail += i == 0 ? "" : i + 1 == what.size() ? " and " : ", ";
                out.detail += what[i];
            }
            out.detail += what.size() > 1 ? " of this line do not follow from " : " of this line does not follow from ";
            out.detail += before;
            if (differ == 1U << f::DIS1 && event == 3 && previous_event_ == 2) {
                // All an opened quiz takes from a graded one before it, beyond
                // what every line takes, is its questions answered.
                out.detail += ": the questions answered on " + before + " may have been changed, or a line removed here";
            } else {
                out.detail += ": a line may have been changed or removed here";
            }
        }
    }
    previous_ = L;
    previous_line_ = line.line;
    previous_event_ = event;
    previous_broken_ = out.verdict == Verdict::kBroken;
    unreadable_before_ = false;
    return out;
}

}  // namespace tavolin::logscheme
