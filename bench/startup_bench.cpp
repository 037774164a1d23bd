// Start-up of the real tavolin binary: from fork to the first menu prompt
// ("Numbers 1-4   > ") on a pseudo-terminal, as a user would see it, in a
// fresh empty folder. Target: under 5 ms.
//
//   startup_to_menu_prompt   the program: exec, raw mode, the title screen and
//                            the prompt, read back through the terminal
//   baseline_exec_true       the same fork, exec and terminal round trip for
//                            /bin/true, for scale (what no program can beat)
//
// The time of each iteration is the wall time from fork to the prompt (or to
// the end of /bin/true's output), measured by hand. `peak_rss_KiB` is the
// child's own peak memory and `child_cpu_ms` its own processor time (user and
// system, exec and dynamic linking included) per run, as wait4 reports them.
// Where starting any process is slow (a virtual machine), the difference to
// the baseline is the program's share.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kPrompt = "Numbers 1-4   > ";

// An empty folder for the runs, removed at exit.
class Folder {
public:
    Folder() {
        char name[] = "/tmp/tavolin-startup-XXXXXX";
        if (::mkdtemp(name) == nullptr) throw std::runtime_error("mkdtemp");
        path_ = name;
    }
    ~Folder() { ::rmdir(path_.c_str()); }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    [[nodiscard]] const std::string& path() const { return path_; }

private:
    std::string path_;
};

struct Run {
    double seconds = 0;
    double cpu_seconds = 0;  // the child's own, user and system
    long peak_rss_kib = 0;
};

double seconds_of(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

// Starts `program` on a fresh pseudo-terminal of 80 x 24 in `folder` and
// waits until `until` has come out (or, when it is empty, until the program
// has closed the terminal); then ends the child and reaps it.
Run run_once(const char* program, const std::string& folder, std::string_view until) {
    winsize size{};
    size.ws_row = 24;
    size.ws_col = 80;
    int master = -1;
    const auto start = Clock::now();
    const pid_t pid = ::forkpty(&master, nullptr, nullptr, &size);
    if (pid < 0) throw std::runtime_error("forkpty");
    if (pid == 0) {
        if (::chdir(folder.c_str()) != 0) ::_exit(126);
        ::execl(program, program, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    std::string output;
    char buffer[4096];
    for (;;) {
        if (!until.empty() && output.find(until) != std::string::npos) break;
        pollfd p{master, POLLIN, 0};
        const int ready = ::poll(&p, 1, 5000);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) throw std::runtime_error("no prompt within 5 s");
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n > 0) {
            output.append(buffer, static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            if (!until.empty()) throw std::runtime_error("the program ended before its prompt");
            break;  // EIO: the child has gone
        }
    }
    const auto end = Clock::now();
    ::kill(pid, SIGKILL);
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    ::close(master);
    return {std::chrono::duration<double>(end - start).count(), seconds_of(usage.ru_utime) + seconds_of(usage.ru_stime),
            usage.ru_maxrss};
}

void measure(benchmark::State& state, const char* program, std::string_view until) {
    const Folder folder;
    long peak = 0;
    double cpu = 0;
    for (auto _ : state) {
        const Run run = run_once(program, folder.path(), until);
        state.SetIterationTime(run.seconds);
        peak = std::max(peak, run.peak_rss_kib);
        cpu += run.cpu_seconds;
    }
    state.counters["peak_rss_KiB"] = static_cast<double>(peak);
    state.counters["child_cpu_ms"] = benchmark::Counter(cpu * 1000, benchmark::Counter::kAvgIterations);
}

// TAVOLIN_STARTUP_BINARY names another build of the program to measure.
void startup_to_menu_prompt(benchmark::State& state) {
    const char* other = std::getenv("TAVOLIN_STARTUP_BINARY");
    measure(state, other != nullptr ? other : TAVOLIN_BINARY, kPrompt);
}
void baseline_exec_true(benchmark::State& state) { measure(state, "/bin/true", {}); }

BENCHMARK(startup_to_menu_prompt)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(baseline_exec_true)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
