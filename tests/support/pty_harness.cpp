#include "support/pty_harness.hpp"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

namespace tavolin::test {

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

std::vector<std::string> program_command() {
    std::vector<std::string> words;
    const char* wrapper = std::getenv("TAVOLIN_WRAPPER");
    std::istringstream split(wrapper != nullptr ? wrapper : "");
    for (std::string w; split >> w;) words.push_back(w);
    words.emplace_back(TAVOLIN_BINARY);
    return words;
}

std::pair<std::string, std::size_t> cursor_row(std::string_view output, std::size_t cols) {
    std::vector<std::string> rows(1);
    std::size_t row = 0;
    std::size_t col = 0;
    for (std::size_t i = 0; i < output.size(); ++i) {
        const char c = output[i];
        if (c == '\x1b' && i + 1 < output.size() && output[i + 1] == '[') {
            const std::size_t end = output.find_first_of("@ABCDEFGHJKSTfhlmnqrsu", i + 2);
            const std::string_view params = output.substr(i + 2, end - i - 2);
            const std::size_t n = params.empty() || params[0] == '?' ? 1 : std::stoul(std::string(params));
            if (output[end] == 'K') rows[row].resize(std::min(rows[row].size(), col));
            if (output[end] == 'G') col = n - 1;
            if (output[end] == 'A') row -= std::min(row, n);
            if (output[end] == 'H' || output[end] == 'J') {
                rows.assign(1, "");
                row = 0;
                col = 0;
            }
            i = end;
            continue;
        }
        if (c == '\r') col = 0;
        if (c == '\b' && col > 0) --col;
        if (c == '\n' || (static_cast<unsigned char>(c) >= 0x20 && col == cols)) {
            if (++row == rows.size()) rows.emplace_back();
            if (c != '\n') col = 0;
        }
        if (static_cast<unsigned char>(c) >= 0x20) {
            if (rows[row].size() <= col) rows[row].resize(col + 1, ' ');
            rows[row][col++] = c;
        }
    }
    return {rows[row], col};
}

std::chrono::milliseconds patience(std::chrono::milliseconds base) {
    const char* wrapper = std::getenv("TAVOLIN_WRAPPER");
    return wrapper != nullptr && *wrapper != '\0' ? base * 10 : base;
}

Pty::Pty() {
    ::setenv("TERM", "xterm", 1);
    ::unsetenv("NO_COLOR");
    winsize size{24, 80, 0, 0};
    if (::openpty(&master_, &slave_, nullptr, nullptr, &size) != 0) throw std::runtime_error("openpty");
    termios t{};
    ::tcgetattr(slave_, &t);
    t.c_iflag = ICRNL | IXON | IUTF8 | BRKINT;
    t.c_oflag = OPOST | ONLCR;
    t.c_lflag = ISIG | ICANON | ECHO | ECHOE | ECHOK | ECHOCTL | ECHOKE | IEXTEN;
    t.c_cc[VMIN] = 3;
    t.c_cc[VTIME] = 4;
    ::tcsetattr(slave_, TCSANOW, &t);
    ::tcgetattr(slave_, &before_);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

Pty::~Pty() {
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
}

void Pty::send(std::string_view bytes) {
    const auto deadline = Clock::now() + patience(30s);
    while ((now().c_lflag & ICANON) != 0U && Clock::now() < deadline) collect(5ms);
    while (!bytes.empty()) {
        const ssize_t n = ::write(master_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
        } else {
            collect(10ms);  // the other side must read before more fits
        }
    }
}

void Pty::collect(std::chrono::milliseconds wait) {
    pollfd p{master_, POLLIN, 0};
    if (master_ < 0 || ::poll(&p, 1, static_cast<int>(wait.count())) <= 0) return;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(master_, buffer, sizeof buffer)) > 0) output_.append(buffer, static_cast<std::size_t>(n));
}

bool Pty::wait_for(std::string_view needle, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + patience(timeout);
    for (bool ended = false;;) {
        const std::size_t at = output_.find(needle, mark_);
        if (at != std::string::npos) {
            mark_ = at + needle.size();
            return true;
        }
        if (ended || Clock::now() > deadline) return false;
        // Once the child has ended, one more collection takes its last output.
        siginfo_t info{};
        ended = child_ > 0 && ::waitid(P_PID, static_cast<id_t>(child_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
                info.si_pid == child_;
        collect(20ms);
    }
}

termios Pty::now() const {
    termios t{};
    ::tcgetattr(master_, &t);
    return t;
}

void Pty::hang_up() {
    ::close(master_);
    ::close(slave_);
    master_ = slave_ = -1;
}

pid_t Pty::start_program(const Options& options) {
    std::vector<std::string> argv = options.argv.empty() ? program_command() : options.argv;
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid != 0) return child_ = pid;
    // The child: only async-signal-safe calls until exec.
    ::setsid();
    ::ioctl(slave_, TIOCSCTTY, 0);
    for (const int fd : {0, 1, 2}) ::dup2(slave_, fd);
    ::close(master_);
    for (int sig = 1; sig < NSIG; ++sig) ::signal(sig, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (options.file_size_limit) {
        const rlimit limit{static_cast<rlim_t>(*options.file_size_limit), static_cast<rlim_t>(*options.file_size_limit)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::signal(SIGXFSZ, SIG_DFL);  // the program must keep the signal from ending it
    }
    if ((!options.cwd.empty() && ::chdir(options.cwd.c_str()) != 0) ||
        (options.as_nobody && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))) {
        ::_exit(126);
    }
    ::execvp(args[0], args.data());
    ::_exit(127);
}

pid_t Pty::start_child(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid != 0) return child_ = pid;
    ::close(master_);  // the test's closing it is a hang-up
    ::setpgid(0, 0);
    const rlimit no_core{0, 0};
    ::setrlimit(RLIMIT_CORE, &no_core);
    int status = 100;
    try {
        status = body();
    } catch (...) {
    }
    ::_exit(status);
}

std::optional<int> wait_child(Pty& pty, pid_t pid, int flags, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + patience(timeout);
    int status = 0;
    while (Clock::now() < deadline) {
        if (::waitpid(pid, &status, WNOHANG | flags) == pid) {
            pty.collect(50ms);
            return status;
        }
        pty.collect(10ms);
        std::this_thread::sleep_for(2ms);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return std::nullopt;
}

int exit_code(Pty& pty, pid_t pid) {
    const auto status = wait_child(pty, pid);
    return status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
}

void expect_same_settings(const termios& expected, const termios& actual) {
    EXPECT_EQ(expected.c_iflag, actual.c_iflag) << "c_iflag";
    EXPECT_EQ(expected.c_oflag, actual.c_oflag) << "c_oflag";
    EXPECT_EQ(expected.c_lflag, actual.c_lflag) << "c_lflag";
    EXPECT_EQ(expected.c_cflag, actual.c_cflag) << "c_cflag";
    EXPECT_EQ(0, std::memcmp(expected.c_cc, actual.c_cc, sizeof expected.c_cc)) << "c_cc";
}

}  // namespace tavolin::test
