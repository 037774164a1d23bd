// One results-log event on a long log, beside a raw line count of the same
// bytes measured in the same run.
//
// The log is made in a temporary folder of lines such as the program writes:
// a chain of events 4, 3 and 2 on an advancing clock, encoded by the
// program's own scheme, with quiz names of varying length. Every iteration
// times, one right after the other, the raw count (read(2) into a 64 KiB
// buffer and memchr for the line ends, the least any reader of the file must
// do) and one ENCODEON event (the whole read for the previous line, the new
// line and its append); the log is cut back to its first length between
// iterations, untimed, so every event sees the same file.
//
// Counters: event_ms and raw_ms, the mean time of each; x_raw, their ratio
// (target: within 3); peak_rss_MiB, the process's peak memory after the run,
// and rss_growth_KiB, how much the peak grew while the events ran. Both stay
// the same from 1,000 to 1,000,000 lines: the log is read through one fixed
// buffer and only the last line's numbers are kept.
//
// tavolin-log on the same logs: the real command, its listing sent to
// /dev/null, timed from its start to its end (list_ms; the target for
// 1,000,000 lines is under a second), with its own peak memory
// (peak_rss_MiB, flat whatever the log's size).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "resultlog/encodeon.hpp"
#include "resultlog/log_scheme.hpp"
#include "support/scripted_console.hpp"

namespace tavolin {
namespace {

using Clock = std::chrono::steady_clock;

// A folder of its own holding the log, made the current folder (the log is
// named relative to it) for the object's lifetime.
class LogFolder {
public:
    explicit LogFolder(long lines) {
        folder_ = std::filesystem::temp_directory_path() / ("tavolin-log-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        std::filesystem::current_path(folder_);
        std::FILE* out = std::fopen(kLogFileName, "wb");
        if (out == nullptr) throw std::runtime_error("cannot make the log");
        logscheme::Fields previous{};
        LocalTime now{2024, 1, 1, 8, 0, 0};
        static constexpr std::array<std::int16_t, 3> kEvents = {kEventMade, kEventOpened, kEventGraded};
        for (long i = 0; i < lines; ++i) {
            now.second += 17;
            now.minute += now.second / 60;
            now.second %= 60;
            now.hour += now.minute / 60;
            now.minute %= 60;
            now.day += now.hour / 24;
            now.hour %= 24;
            now.day = 1 + (now.day - 1) % 28;
            const std::string name = "quiz " + std::to_string(i % 977) + std::string(static_cast<std::size_t>(i % 13), 'x') + ".tav";
            previous = logscheme::next_fields(previous, now, kEvents[static_cast<std::size_t>(i % 3)],
                                              static_cast<std::int16_t>(1 + i % 40), static_cast<double>(i % 101));
            const std::string line = logscheme::format_line(previous, name);
            std::fwrite(line.data(), 1, line.size(), out);
        }
        std::fclose(out);
        size_ = static_cast<off_t>(std::filesystem::file_size(kLogFileName));
    }
    ~LogFolder() {
        std::error_code ignored;
        std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
        std::filesystem::remove_all(folder_, ignored);
    }
    LogFolder(const LogFolder&) = delete;
    LogFolder& operator=(const LogFolder&) = delete;

    [[nodiscard]] off_t size() const { return size_; }
    void cut_back() const {
        if (::truncate(kLogFileName, size_) != 0) throw std::runtime_error("cannot cut the log back");
    }

private:
    std::filesystem::path folder_;
    off_t size_ = 0;
};

long count_lines(const char* name) {
    const int fd = ::open(name, O_RDONLY | O_CLOEXEC);
    static std::array<char, 64 * 1024> buf{};
    long lines = 0;
    for (ssize_t n; (n = ::read(fd, buf.data(), buf.size())) > 0;) {
        const char* const end = buf.data() + n;
        for (const char* p = buf.data(); (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) != nullptr; ++p) {
            ++lines;
        }
    }
    ::close(fd);
    return lines;
}

long peak_rss_kib() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_LogEventBesideRawCount(benchmark::State& state) {
    const LogFolder folder(state.range(0));
    Platform platform;
    ScriptedConsole con;
    // One untimed round warms the page cache for both.
    benchmark::DoNotOptimize(count_lines(kLogFileName));
    ENCODEON(con, platform, "bench.tav", kEventGraded, 10, 75.0);
    folder.cut_back();
    const long rss_before = peak_rss_kib();

    Clock::duration raw{};
    Clock::duration event{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(count_lines(kLogFileName));
        const auto t1 = Clock::now();
        ENCODEON(con, platform, "bench.tav", kEventGraded, 10, 75.0);
        const auto t2 = Clock::now();
        raw += t1 - t0;
        event += t2 - t1;
        state.SetIterationTime(std::chrono::duration<double>(t2 - t1).count());
        state.PauseTiming();
        folder.cut_back();
        state.ResumeTiming();
    }
    const auto n = static_cast<double>(state.iterations());
    const double raw_ms = std::chrono::duration<double, std::milli>(raw).count() / n;
    const double event_ms = std::chrono::duration<double, std::milli>(event).count() / n;
    state.counters["log_MiB"] = static_cast<double>(folder.size()) / (1024.0 * 1024.0);
    state.counters["raw_ms"] = raw_ms;
    state.counters["event_ms"] = event_ms;
    state.counters["x_raw"] = event_ms / raw_ms;
    state.counters["peak_rss_MiB"] = static_cast<double>(peak_rss_kib()) / 1024.0;
    state.counters["rss_growth_KiB"] = static_cast<double>(peak_rss_kib() - rss_before);
    if (!con.text().empty()) state.SkipWithError(("the event was not logged: " + con.text()).c_str());
}
BENCHMARK(BM_LogEventBesideRawCount)
    ->Arg(1000)
    ->Arg(100000)
    ->Arg(1000000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_ListLogToDevNull(benchmark::State& state) {
    const LogFolder folder(state.range(0));
    benchmark::DoNotOptimize(count_lines(kLogFileName));  // the page cache warmed
    double seconds = 0;
    long child_rss_kib = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::execl(TAVOLIN_LOG_BINARY, TAVOLIN_LOG_BINARY, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        rusage usage{};
        ::wait4(pid, &status, 0, &usage);
        const std::chrono::duration<double> spent = Clock::now() - t0;
        seconds += spent.count();
        state.SetIterationTime(spent.count());
        child_rss_kib = std::max(child_rss_kib, usage.ru_maxrss);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("tavolin-log found a fault");
    }
    state.counters["log_MiB"] = static_cast<double>(folder.size()) / (1024.0 * 1024.0);
    state.counters["list_ms"] = seconds * 1e3 / static_cast<double>(state.iterations());
    state.counters["peak_rss_MiB"] = static_cast<double>(child_rss_kib) / 1024.0;
}
BENCHMARK(BM_ListLogToDevNull)->Arg(1000)->Arg(1000000)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavolin
