// One results-log event on logs of 100,000 and 1,000,000 lines, beside a raw
// line count (read plus memchr) of the same bytes measured in the same run.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "resultlog/encodeon.hpp"
#include "shell/scripted_console.hpp"

namespace tavolin {
namespace {

// A log of the given number of lines in a folder of its own, which becomes
// the current folder (the log is named relative to it).
class LogFolder {
public:
    explicit LogFolder(long lines) {
        std::string leaf = "tavolin-log-bench-";
        leaf += std::to_string(::getpid());
        folder_ = std::filesystem::temp_directory_path() / leaf;
        std::filesystem::create_directories(folder_);
        std::filesystem::current_path(folder_);
        std::FILE* out = std::fopen(kLogFileName, "wb");
        for (long i = 0; i < lines; ++i) {
            std::fprintf(out,
                         "-747 -5946 -465 -812 -5684 -81 -179 -3228 -150 -536 131 -232 -1957 -352 -4 9 -1919 "
                         "-828 %ld quiz number %ld.tav\r\n",
                         i, i);
        }
        std::fclose(out);
    }
    ~LogFolder() {
        std::error_code ignored;
        std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
        std::filesystem::remove_all(folder_, ignored);
    }

private:
    std::filesystem::path folder_;
};

long count_lines(const char* name) {
    const int fd = ::open(name, O_RDONLY | O_CLOEXEC);
    static std::array<char, 64 * 1024> buf{};
    long lines = 0;
    for (ssize_t n; (n = ::read(fd, buf.data(), buf.size())) > 0;) {
        for (const char* p = buf.data(); (p = static_cast<const char*>(std::memchr(p, '\n', buf.data() + n - p)));
             ++p) {
            ++lines;
        }
    }
    ::close(fd);
    return lines;
}

void BM_LogEvent(benchmark::State& state) {
    const LogFolder folder(state.range(0));
    using Clock = std::chrono::steady_clock;
    const auto raw_start = Clock::now();
    constexpr int kRawRuns = 5;
    for (int i = 0; i < kRawRuns; ++i) benchmark::DoNotOptimize(count_lines(kLogFileName));
    const double raw = std::chrono::duration<double>(Clock::now() - raw_start).count() / kRawRuns;

    Platform platform;
    ScriptedConsole con;
    const auto start = Clock::now();
    for (auto _ : state) ENCODEON(con, platform, "bench.tav", kEventGraded, 10, 75.0);
    const double each = std::chrono::duration<double>(Clock::now() - start).count() /
                        static_cast<double>(state.iterations());
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["raw_ms"] = raw * 1e3;
    state.counters["x_raw"] = each / raw;
    state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    if (!con.text().empty()) state.SkipWithError("the event was not logged");
}
BENCHMARK(BM_LogEvent)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavolin
