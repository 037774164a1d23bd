#include "support/pty_harness.hpp"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace tavolin::test {

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

int remaining_ms(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 1000));
}

// Writes a text to a descriptor with nothing but async-signal-safe calls (the
// child between fork and exec).
void child_say(const char* text) {
    const ssize_t ignored = ::write(STDERR_FILENO, text, std::strlen(text));
    (void)ignored;
}

}  // namespace

termios cooked_settings(const termios& base) {
    termios t = base;
    t.c_iflag = ICRNL | IXON | IUTF8 | BRKINT | IMAXBEL;
    t.c_oflag = OPOST | ONLCR;
    t.c_lflag = ISIG | ICANON | ECHO | ECHOE | ECHOK | ECHOCTL | ECHOKE | IEXTEN;
    t.c_cflag = (base.c_cflag & ~(CSIZE | PARENB)) | CS8 | CREAD;
    t.c_cc[VINTR] = 0x03;
    t.c_cc[VQUIT] = 0x1c;
    t.c_cc[VERASE] = 0x7f;
    t.c_cc[VKILL] = 0x15;
    t.c_cc[VEOF] = 0x04;
    t.c_cc[VSUSP] = 0x1a;
    t.c_cc[VSTART] = 0x11;
    t.c_cc[VSTOP] = 0x13;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    return t;
}

void expect_same_settings(const termios& expected, const termios& actual) {
    EXPECT_EQ(expected.c_iflag, actual.c_iflag) << "c_iflag";
    EXPECT_EQ(expected.c_oflag, actual.c_oflag) << "c_oflag";
    EXPECT_EQ(expected.c_lflag, actual.c_lflag) << "c_lflag";
    EXPECT_EQ(expected.c_cflag, actual.c_cflag) << "c_cflag";
    EXPECT_EQ(expected.c_cc[VMIN], actual.c_cc[VMIN]) << "c_cc[VMIN]";
    EXPECT_EQ(expected.c_cc[VTIME], actual.c_cc[VTIME]) << "c_cc[VTIME]";
    for (const int i : {VINTR, VQUIT, VERASE, VKILL, VEOF, VSUSP, VSTART, VSTOP}) {
        EXPECT_EQ(expected.c_cc[i], actual.c_cc[i]) << "c_cc[" << i << "]";
    }
}

std::string strip_escapes(std::string_view text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\x1b') {
            plain += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '[') {
            i += 2;
            while (i < text.size() && !(text[i] >= 0x40 && text[i] <= 0x7e)) ++i;
        } else {
            ++i;  // ESC and the one byte after it
        }
    }
    return plain;
}

std::vector<std::string> program_command() {
    std::vector<std::string> command;
    if (const char* wrapper = std::getenv("TAVOLIN_WRAPPER"); wrapper != nullptr) {
        const std::string_view words(wrapper);
        std::size_t at = 0;
        while ((at = words.find_first_not_of(' ', at)) != std::string_view::npos) {
            const std::size_t end = std::min(words.find(' ', at), words.size());
            command.emplace_back(words.substr(at, end - at));
            at = end;
        }
    }
    command.emplace_back(TAVOLIN_BINARY);
    return command;
}

PtyProcess::PtyProcess(Options options) {
    std::vector<std::string> argv = options.argv;
    if (argv.empty()) argv = program_command();
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);

    winsize size{};
    size.ws_row = static_cast<unsigned short>(options.rows);
    size.ws_col = static_cast<unsigned short>(options.cols);
    int slave = -1;
    if (::openpty(&master_, &slave, nullptr, nullptr, &size) != 0) fail("openpty");

    termios base{};
    if (::tcgetattr(slave, &base) != 0) fail("tcgetattr");
    const termios wanted = options.settings ? *options.settings : cooked_settings(base);
    if (::tcsetattr(slave, TCSANOW, &wanted) != 0) fail("tcsetattr");
    if (::tcgetattr(slave, &before_) != 0) fail("tcgetattr");

    const char* cwd = options.cwd.empty() ? nullptr : options.cwd.c_str();
    pid_ = ::fork();
    if (pid_ < 0) fail("fork");
    if (pid_ == 0) {
        // The child: only async-signal-safe calls until exec.
        ::setsid();
        if (::ioctl(slave, TIOCSCTTY, 0) != 0) {
            child_say("pty harness: TIOCSCTTY failed\n");
            ::_exit(127);
        }
        ::dup2(slave, STDIN_FILENO);
        ::dup2(slave, STDOUT_FILENO);
        ::dup2(slave, STDERR_FILENO);
        if (slave > STDERR_FILENO) ::close(slave);
        ::close(master_);
        if (cwd != nullptr && ::chdir(cwd) != 0) {
            child_say("pty harness: chdir failed\n");
            ::_exit(127);
        }
        for (int sig = 1; sig < NSIG; ++sig) {
            if (sig != SIGKILL && sig != SIGSTOP) ::signal(sig, SIG_DFL);
        }
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        if (options.file_size_limit) {
            const rlimit limit{*options.file_size_limit, *options.file_size_limit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (options.ignore_sigxfsz) ::signal(SIGXFSZ, SIG_IGN);
        ::execvp(args[0], args.data());
        child_say("pty harness: exec failed\n");
        ::_exit(127);
    }
    ::close(slave);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PtyProcess::~PtyProcess() {
    if (pid_ > 0 && !status_) {
        ::kill(pid_, SIGKILL);
        reap(true);
    }
    if (master_ >= 0) ::close(master_);
}

bool PtyProcess::read_some(std::chrono::milliseconds wait) {
    if (master_ < 0 || output_closed_) return false;
    pollfd p{master_, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(wait.count()));
    if (ready < 0) return errno == EINTR;
    if (ready == 0) return true;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) {
            output_.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) return true;
        // EIO (or 0): no process has the terminal open any more.
        output_closed_ = true;
        return false;
    }
}

void PtyProcess::drain(std::chrono::milliseconds time) {
    const auto deadline = Clock::now() + time;
    while (Clock::now() < deadline) {
        if (!read_some(std::chrono::milliseconds(remaining_ms(deadline)))) return;  // nothing more can come
    }
}

void PtyProcess::send(std::string_view bytes) {
    if (master_ < 0) throw std::logic_error("send after hang_up");
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (!bytes.empty()) {
        if (Clock::now() >= deadline) throw std::runtime_error("pty harness: the program does not read its input");
        pollfd p{master_, POLLIN | POLLOUT, 0};
        if (::poll(&p, 1, remaining_ms(deadline)) < 0 && errno != EINTR) fail("poll");
        if (p.revents & POLLIN) read_some(std::chrono::milliseconds(0));
        if (p.revents & POLLOUT) {
            const ssize_t n = ::write(master_, bytes.data(), bytes.size());
            if (n > 0) {
                bytes.remove_prefix(static_cast<std::size_t>(n));
            } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
                fail("write to pty");
            }
        }
    }
}

bool PtyProcess::wait_for(std::string_view needle, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const std::size_t at = output_.find(needle, mark_);
        if (at != std::string::npos) {
            mark_ = at + needle.size();
            return true;
        }
        if (Clock::now() >= deadline) return false;
        if (!read_some(std::chrono::milliseconds(remaining_ms(deadline)))) {
            // Nothing more will come; one last look at what arrived.
            const std::size_t last = output_.find(needle, mark_);
            if (last == std::string::npos) return false;
            mark_ = last + needle.size();
            return true;
        }
    }
}

bool PtyProcess::reap(bool block) {
    if (status_) return true;
    int status = 0;
    for (;;) {
        const pid_t got = ::waitpid(pid_, &status, block ? 0 : WNOHANG);
        if (got == pid_) {
            status_ = status;
            return true;
        }
        if (got < 0 && errno == EINTR) continue;
        return false;
    }
}

std::optional<int> PtyProcess::wait_exit(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!reap(false)) {
        if (Clock::now() >= deadline) return std::nullopt;
        if (master_ < 0 || output_closed_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        } else {
            read_some(std::chrono::milliseconds(std::min(20, remaining_ms(deadline))));
        }
    }
    // The child is gone: read what it left in the terminal.
    const auto drain_deadline = Clock::now() + std::chrono::seconds(2);
    while (Clock::now() < drain_deadline && read_some(std::chrono::milliseconds(50))) {
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, 0) == 0) break;
    }
    return status_;
}

void PtyProcess::signal(int sig) {
    if (pid_ > 0 && !status_) ::kill(pid_, sig);
}

void PtyProcess::hang_up() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

termios PtyProcess::settings_now() const {
    if (master_ < 0) throw std::logic_error("settings_now after hang_up");
    termios t{};
    if (::tcgetattr(master_, &t) != 0) fail("tcgetattr on the pty");
    return t;
}

}  // namespace tavolin::test
