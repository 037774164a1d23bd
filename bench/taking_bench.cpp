// Reading and giving quizzes, measured on a quiz file of 3000 multiple-choice
// records of 100 answers each, built in a temporary folder.
//
// Each file-reading figure is printed beside a raw line count of the same
// bytes (read(2) into a buffer of the same size and memchr for the line
// ends), measured in the same run: `raw_ms` is that count's time and `x_raw`
// the ratio of the operation to it (target: within 3). `peak_rss_MiB` is the
// process's peak memory after the benchmark; the reader holds one fixed
// buffer (`buffer_KiB`) whatever the file's size.
//
//   first-line check + count pass   load_quiz on the whole file
//   read down to the last record    opening afresh and reading to its kind line
//   one whole question              give_question on the last record: read down,
//                                   show, read the answer, judge (pauses are not
//                                   slept: the console only notes them)
//   full 3000-question draw         the swap-removal order of every question
//   layout of 100 answers           AnswerLayout alone, and ANSWERS_READ
//                                   (shuffle and layout)
//   tavolin-check's whole check     check_quiz_file on the whole file, every
//                                   line read and judged
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "authoring/quiz_check.hpp"
#include "authoring/quiz_walker.hpp"
#include "ground/console/console.hpp"
#include "ground/run/run_state.hpp"
#include "taking/order.hpp"
#include "taking/presentation.hpp"
#include "taking/selection.hpp"

namespace tavolin {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRecords = 3000;
constexpr int kAnswers = 100;

// A console that shows nothing and answers every question with "1".
class BenchConsole final : public Console {
public:
    void hide_cursor() override {}
    void show_cursor() override {}
    void pause(std::chrono::milliseconds) override {}
    [[nodiscard]] std::size_t written() const { return written_; }

protected:
    void put_text(std::string_view text) override { written_ += text.size(); }
    void put_colour(int) override {}
    void put_clear() override {}
    Key read_key() override {
        enter_ = !enter_;
        return enter_ ? Key::character("1") : Key::of(Key::Kind::Enter);
    }
    void erase_back(std::string_view) override {}

private:
    std::size_t written_ = 0;
    bool enter_ = false;
};

// The quiz file, made once in a temporary folder that is the current one.
struct QuizFixture {
    std::string folder;
    std::string name = "bench.tav";
    std::int32_t last_record_line = 0;
    std::uintmax_t bytes = 0;

    QuizFixture() {
        char pattern[] = "/tmp/tavolin-bench-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp");
        folder = pattern;
        if (::chdir(folder.c_str()) != 0) throw std::runtime_error("chdir");
        std::FILE* out = std::fopen(name.c_str(), "wb");
        if (out == nullptr) throw std::runtime_error("cannot write the quiz file");
        std::int32_t line = 1;
        for (int q = 1; q <= kRecords; ++q) {
            last_record_line = line;
            std::fprintf(out, "m\r\nQuestion number %d: which of these answers is the right one?\r\n%d\r\n", q,
                         kAnswers);
            for (int a = 1; a <= kAnswers; ++a) std::fprintf(out, "Answer %d of question %d\r\n", a, q);
            std::fprintf(out, "%d\r\n", 1 + q % kAnswers);
            line += kAnswers + 4;
        }
        std::fputs("P", out);
        std::fclose(out);
        bytes = std::filesystem::file_size(name);
    }
    ~QuizFixture() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

QuizFixture& fixture() {
    static QuizFixture f;
    return f;
}

// The raw line count: lines up to and including line `stop` (0: all).
std::int64_t raw_line_count(const std::string& name, std::int64_t stop) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("open");
    static std::vector<char> buffer(QuizFile::kBufferSize);
    std::int64_t lines = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n <= 0) break;
        const char* p = buffer.data();
        const char* end = p + n;
        while (const void* hit = std::memchr(p, '\n', static_cast<std::size_t>(end - p))) {
            p = static_cast<const char*>(hit) + 1;
            if (++lines == stop) {
                ::close(fd);
                return lines;
            }
        }
    }
    ::close(fd);
    return lines;
}

// Mean seconds of one raw count, over at least 0.3 s of repeats.
double raw_seconds(std::int64_t stop) {
    const std::string& name = fixture().name;
    int runs = 0;
    const auto start = Clock::now();
    std::chrono::duration<double> spent{};
    do {
        benchmark::DoNotOptimize(raw_line_count(name, stop));
        ++runs;
        spent = Clock::now() - start;
    } while (spent.count() < 0.3 || runs < 5);
    return spent.count() / runs;
}

double peak_rss_mib() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Times the benchmark's loop itself, so the ratio to the raw count uses the
// same kind of mean.
class LoopTimer {
public:
    LoopTimer() : start_(Clock::now()) {}
    [[nodiscard]] double seconds_each(const benchmark::State& state) const {
        const std::chrono::duration<double> spent = Clock::now() - start_;
        return spent.count() / static_cast<double>(state.iterations());
    }

private:
    Clock::time_point start_;
};

void report(benchmark::State& state, double op_seconds, double raw) {
    state.counters["raw_ms"] = raw * 1e3;
    state.counters["x_raw"] = op_seconds / raw;
    state.counters["peak_rss_MiB"] = peak_rss_mib();
    state.counters["buffer_KiB"] = static_cast<double>(QuizFile::kBufferSize) / 1024.0;
}

void BM_RawLineCount_WholeFile(benchmark::State& state) {
    const QuizFixture& f = fixture();
    for (auto _ : state) benchmark::DoNotOptimize(raw_line_count(f.name, 0));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.bytes));
}
BENCHMARK(BM_RawLineCount_WholeFile)->Unit(benchmark::kMillisecond);

void BM_FirstLineCheckAndCountPass(benchmark::State& state) {
    const QuizFixture& f = fixture();
    const double raw = raw_seconds(0);
    BenchConsole con;
    RunState st;
    st.N_O_F = f.name;
    LoopTimer timer;
    for (auto _ : state) {
        std::optional<QuizFile> file = QuizFile::open(f.name);
        if (!load_quiz(con, st, file) || st.TEMP != kRecords) state.SkipWithError("count pass failed");
    }
    report(state, timer.seconds_each(state), raw);
    state.counters["file_MiB"] = static_cast<double>(f.bytes) / (1024.0 * 1024.0);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.bytes));
}
BENCHMARK(BM_FirstLineCheckAndCountPass)->Unit(benchmark::kMillisecond);

void BM_CheckWholeFile(benchmark::State& state) {
    const QuizFixture& f = fixture();
    const double raw = raw_seconds(0);
    LoopTimer timer;
    for (auto _ : state) {
        std::optional<QuizFile> file = QuizFile::open(f.name);
        const CheckSummary summary = check_quiz_file(*file, [](const Finding&) {});
        if (summary.errors != 0 || summary.multiple_choice != kRecords) state.SkipWithError("check failed");
    }
    report(state, timer.seconds_each(state), raw);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.bytes));
}
BENCHMARK(BM_CheckWholeFile)->Unit(benchmark::kMillisecond);

void BM_RawLineCount_DownToLastRecord(benchmark::State& state) {
    const QuizFixture& f = fixture();
    for (auto _ : state) benchmark::DoNotOptimize(raw_line_count(f.name, f.last_record_line));
}
BENCHMARK(BM_RawLineCount_DownToLastRecord)->Unit(benchmark::kMillisecond);

void BM_ReadDownToLastRecord(benchmark::State& state) {
    const QuizFixture& f = fixture();
    const double raw = raw_seconds(f.last_record_line);
    std::string STRING1;
    LoopTimer timer;
    for (auto _ : state) {
        std::optional<QuizFile> file = QuizFile::open(f.name);
        if (!file || !read_down_to(*file, f.last_record_line, STRING1) || STRING1 != "m") {
            state.SkipWithError("read down failed");
        }
    }
    report(state, timer.seconds_each(state), raw);
}
BENCHMARK(BM_ReadDownToLastRecord)->Unit(benchmark::kMillisecond);

void BM_OneWholeQuestion_LastRecord(benchmark::State& state) {
    const QuizFixture& f = fixture();
    const double raw = raw_seconds(f.last_record_line);
    BenchConsole con;
    RunState st;
    st.N_O_F = f.name;
    LoopTimer timer;
    for (auto _ : state) {
        st.NAME[1] = f.last_record_line;
        st.TEMP = 1;
        st.LOOP3RAN = 1;
        st.LOOP4RAN = 0;
        st.TIMES_LOOP = 0;
        if (!give_question(con, st) || st.TIMES_LOOP != 1) state.SkipWithError("question failed");
    }
    report(state, timer.seconds_each(state), raw);
}
BENCHMARK(BM_OneWholeQuestion_LastRecord)->Unit(benchmark::kMillisecond);

void BM_Draw3000QuestionOrder(benchmark::State& state) {
    RunState st;
    st.platform.random->seed(12345);
    std::int64_t sum = 0;
    for (auto _ : state) {
        for (int k = 1; k <= kRecords; ++k) st.NAME[static_cast<std::size_t>(k)] = k;
        st.TEMP = kRecords;
        st.LOOP4RAN = 0;
        while (st.TEMP > 0) {
            draw_question(st);
            sum += st.YRAND;
            st.TEMP -= 1;
        }
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_Draw3000QuestionOrder)->Unit(benchmark::kMicrosecond);

std::vector<std::string> hundred_answers() {
    std::vector<std::string> answers;
    for (int a = 1; a <= kAnswers; ++a) answers.push_back("Answer " + std::to_string(a) + " of the question");
    return answers;
}

void BM_Layout100Answers(benchmark::State& state) {
    const std::vector<std::string> answers = hundred_answers();
    BenchConsole con;
    for (auto _ : state) {
        AnswerLayout layout(con);
        for (int p = 1; p <= kAnswers; ++p) layout.entry(p, answers[static_cast<std::size_t>(p - 1)]);
    }
    benchmark::DoNotOptimize(con.written());
}
BENCHMARK(BM_Layout100Answers)->Unit(benchmark::kMicrosecond);

void BM_AnswersRead100_ShuffleAndLayout(benchmark::State& state) {
    const std::vector<std::string> answers = hundred_answers();
    BenchConsole con;
    RunState st;
    std::int64_t sum = 0;
    for (auto _ : state) {
        std::vector<std::string> pool = answers;
        sum += ANSWERS_READ(con, st.platform, pool, 37, QuestionKind::kMultipleChoice);
    }
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_AnswersRead100_ShuffleAndLayout)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tavolin
