#include "ground/console/posix/terminal_console.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "ground/console/plain_echo.hpp"
#include "ground/base/errors.hpp"
#include "ground/base/text_width.hpp"

namespace tavolin {

namespace {

constexpr std::string_view kColourReset = "\x1b[0m";
constexpr std::string_view kHideCursor = "\x1b[?25l";
constexpr std::string_view kShowCursor = "\x1b[?25h";
constexpr std::string_view kClearScreen = "\x1b[H\x1b[2J";
constexpr std::string_view kEraseToEnd = "\x1b[K";

// SGR foreground codes of the console colours 0 to 15.
constexpr std::array<int, 16> kSgrOf = {30, 34, 32, 36, 31, 35, 33, 37, 90, 94, 92, 96, 91, 95, 93, 97};

// SGR code of a colour, 0 standing for the terminal's own.
int sgr_code(int colour) {
    return colour >= 0 && colour < static_cast<int>(kSgrOf.size()) ? kSgrOf[static_cast<std::size_t>(colour)] : 0;
}

std::string sgr_sequence(int code) { return "\x1b[" + std::to_string(code == 0 ? 39 : code) + "m"; }

// Flush early once this much is waiting, so that memory stays bounded.
constexpr std::size_t kFlushAt = 64 * 1024;

// The signal that ends the program at once, those that ask the run to end
// (it finishes its report first), and those that only interrupt it.
constexpr std::array<int, 1> kFatalSignals = {SIGQUIT};
constexpr std::array<int, 3> kEndSignals = {SIGINT, SIGTERM, SIGHUP};
constexpr std::array<int, 3> kOtherSignals = {SIGTSTP, SIGCONT, SIGWINCH};

// What the signal handlers need, in static storage: they may run at any
// moment and can touch nothing else. Only the flags change while handlers are
// installed; the descriptors and settings are set before.
struct Shared {
    int in = -1;
    int out = -1;
    termios original{};
    termios raw{};
    volatile std::sig_atomic_t owned = 0;          // a console exists
    volatile std::sig_atomic_t raw_on = 0;         // the terminal is in raw mode now
    volatile std::sig_atomic_t want_raw = 0;       // raw mode belongs to the run
    volatile std::sig_atomic_t escapes = 0;        // output is a terminal that takes escape sequences
    volatile std::sig_atomic_t colours = 0;        // and colours are wanted
    volatile std::sig_atomic_t sgr = 0;            // colour code set last, 0 for none
    volatile std::sig_atomic_t cursor_hidden = 0;  // the program hid the cursor
    volatile std::sig_atomic_t resized = 0;        // SIGWINCH came
    volatile std::sig_atomic_t stopped_ms = 0;     // time spent stopped by Ctrl-Z, in all
    volatile std::sig_atomic_t end_request = 0;    // SIGINT, SIGTERM or SIGHUP came (the first of them)
    volatile std::sig_atomic_t mid_row = 0;        // what was written last left the cursor inside a row
    volatile std::sig_atomic_t write_error = 0;    // the error of a failed write to output that is no terminal
    int wake_read = -1;                            // the pipe a continue or an end request is told through
    int wake_write = -1;
    struct sigaction previous[NSIG];
    bool installed[NSIG];
};

Shared shared;

// write(2) until everything is out: 0, or the error number it gave up on
// (any but EINTR and EAGAIN). Async-signal-safe.
int write_all(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 1000);
        } else {
            return n < 0 ? errno : EIO;
        }
    }
    return 0;
}

int write_all(int fd, std::string_view text) { return write_all(fd, text.data(), text.size()); }

// Milliseconds on the monotonic clock, which the key decoder's timeouts and
// the pauses use. Async-signal-safe.
std::uint64_t now_ms() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
}

// Wakes the program in its key read or pause: it was continued after a stop
// (and draws the current row again), or told to end. Async-signal-safe; a
// full pipe already tells it.
void wake_up() {
    if (shared.wake_write < 0) return;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(shared.wake_write, &byte, 1);
}

// The one way the terminal is given back, used by the destructor and by the
// signal handlers alike: colour reset and cursor shown, original settings.
// At the end of the run (TCSAFLUSH) the keys still unread are dropped with
// it: typed after the program was done with the keyboard, during the closing
// countdown say, they would otherwise run in the shell as a command. A stop
// (TCSADRAIN) keeps them for the program when it goes on. Async-signal-safe,
// and harmless when done twice.
void give_back_terminal(int when) {
    if (shared.colours) write_all(shared.out, kColourReset);
    if (shared.escapes) write_all(shared.out, kShowCursor);
    if (shared.raw_on) {
        shared.raw_on = 0;
        ::tcsetattr(shared.in, when, &shared.original);
    }
}

// Raw mode again, with the colour and cursor the program had set, after the
// program was stopped and continued. Async-signal-safe.
void take_terminal_again() {
    if (shared.want_raw && !shared.raw_on) {
        if (::tcsetattr(shared.in, TCSADRAIN, &shared.raw) == 0) shared.raw_on = 1;
    }
    if (!shared.escapes) return;
    if (shared.sgr != 0) {
        // "ESC [ nn m" without snprintf, which is not async-signal-safe.
        char sgr[8] = {'\x1b', '[', 0, 0, 'm'};
        const int code = shared.sgr;
        sgr[2] = static_cast<char>('0' + code / 10);
        sgr[3] = static_cast<char>('0' + code % 10);
        write_all(shared.out, sgr, 5);
    }
    if (shared.cursor_hidden) write_all(shared.out, kHideCursor);
}

void set_handler(int sig, void (*handler)(int), int flags) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;
    ::sigaction(sig, &action, nullptr);
}

// Lets the signal take its default action now, as if it had never been
// caught: death by it, or for SIGTSTP a stop (and then it returns). A handler
// runs with its signal blocked, so that is lifted first.
void raise_by_default(int sig) {
    set_handler(sig, SIG_DFL, 0);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(sig);
}

// SIGQUIT: give the terminal back, then die of the same signal so that the
// shell sees 128 + its number. The row the cursor is in is ended first, so
// that the shell's word for the death ("Quit") starts a row of its own.
void on_fatal_signal(int sig) {
    if (shared.mid_row) write_all(shared.out, "\n");
    give_back_terminal(TCSAFLUSH);
    raise_by_default(sig);
}

// SIGINT, SIGTERM, SIGHUP: only noted. The key read or the pause that the
// program is in, or the next one, throws EndRequested; the run finishes its
// report on the way out, and main gives the terminal back and ends by the
// signal. A second one changes nothing: the first decides (a hang-up can
// bring one from the kernel and one from the shell).
void on_end_request(int sig) {
    const int saved_errno = errno;
    if (shared.end_request == 0) shared.end_request = sig;
    wake_up();
    errno = saved_errno;
}

// SIGTSTP (Ctrl-Z): the shell gets its terminal back while the program is
// stopped; on continuing the program takes it again.
void on_suspend(int) {
    const int saved_errno = errno;
    const std::uint64_t stopped_at = now_ms();
    give_back_terminal(TCSADRAIN);
    raise_by_default(SIGTSTP);  // stops here until SIGCONT
    set_handler(SIGTSTP, on_suspend, SA_RESTART);
    take_terminal_again();
    shared.stopped_ms = shared.stopped_ms + static_cast<std::sig_atomic_t>(now_ms() - stopped_at);
    wake_up();
    errno = saved_errno;
}

// SIGCONT after a stop the program could not see (SIGSTOP, SIGTTOU): the
// shell may have put its own settings back in the meantime.
void on_continue(int) {
    const int saved_errno = errno;
    if (shared.raw_on && shared.want_raw) {
        ::tcsetattr(shared.in, TCSADRAIN, &shared.raw);
    }
    wake_up();
    errno = saved_errno;
}

// SIGWINCH: the width is read again before the next erase.
void on_resize(int) { shared.resized = 1; }

void install_handlers() {
    for (bool& installed : shared.installed) installed = false;
    auto install = [](int sig, void (*handler)(int), int flags) {
        struct sigaction old {};
        ::sigaction(sig, nullptr, &old);
        // A signal the program was started with ignored stays ignored (a job
        // run in the background without job control, nohup).
        if (old.sa_handler == SIG_IGN) return;
        shared.previous[sig] = old;
        shared.installed[sig] = true;
        set_handler(sig, handler, flags);
    };
    for (const int sig : kFatalSignals) install(sig, on_fatal_signal, 0);
    for (const int sig : kEndSignals) install(sig, on_end_request, SA_RESTART);
    install(SIGTSTP, on_suspend, SA_RESTART);
    install(SIGCONT, on_continue, SA_RESTART);
    install(SIGWINCH, on_resize, SA_RESTART);
}

void remove_handlers() {
    auto remove = [](int sig) {
        if (shared.installed[sig]) ::sigaction(sig, &shared.previous[sig], nullptr);
        shared.installed[sig] = false;
    };
    for (const int sig : kFatalSignals) remove(sig);
    for (const int sig : kEndSignals) remove(sig);
    for (const int sig : kOtherSignals) remove(sig);
}

// The settings of the run (what each flag is for: the header).
termios raw_settings(const termios& original) {
    termios raw = original;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN);
    raw.c_lflag |= ISIG;
    raw.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR | IXON | ISTRIP);
    raw.c_oflag |= OPOST;
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    return raw;
}

}  // namespace

// Takes the terminal: saves its settings, installs the handlers that give it
// back, then enters raw mode (in that order, so that no signal can leave the
// terminal raw).
TerminalConsole::TerminalConsole(int input_fd, int output_fd) : in_(input_fd), out_(output_fd) {
    if (shared.owned) throw std::logic_error("only one terminal console at a time");
    input_tty_ = ::isatty(in_) == 1;
    output_tty_ = ::isatty(out_) == 1;

    shared.in = in_;
    shared.out = out_;
    shared.raw_on = 0;
    shared.want_raw = 0;
    // The terminal's own conventions, read once: TERM=dumb takes no escape
    // sequence at all, NO_COLOR set to anything but nothing asks for no
    // colours.
    const char* term = std::getenv("TERM");
    const char* no_colour = std::getenv("NO_COLOR");
    escapes_ = output_tty_ && (term == nullptr || std::string_view(term) != "dumb");
    colours_ = escapes_ && (no_colour == nullptr || *no_colour == '\0');
    shared.escapes = escapes_ ? 1 : 0;
    shared.colours = colours_ ? 1 : 0;
    shared.sgr = 0;
    shared.cursor_hidden = 0;
    shared.resized = 0;
    shared.stopped_ms = 0;
    shared.end_request = 0;
    shared.mid_row = 0;
    shared.write_error = 0;
    if (int ends[2]; ::pipe(ends) == 0) {
        for (const int fd : ends) {
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
        shared.wake_read = ends[0];
        shared.wake_write = ends[1];
    }
    bool raw = false;
    if (input_tty_ && ::tcgetattr(in_, &shared.original) == 0) {
        shared.raw = raw_settings(shared.original);
        raw = true;
    }
    shared.owned = 1;
    install_handlers();
    if (raw && ::tcsetattr(in_, TCSANOW, &shared.raw) == 0) {
        shared.raw_on = 1;
        shared.want_raw = 1;
    }
    refresh_width();
}

// Gives the terminal back: what is still collected goes out first, then the
// reset and the original settings, and last the previous signal handlers.
TerminalConsole::~TerminalConsole() {
    flush();
    shared.want_raw = 0;
    give_back_terminal(TCSAFLUSH);
    remove_handlers();
    for (int* fd : {&shared.wake_read, &shared.wake_write}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
    shared.owned = 0;
}

// Appends to the collected output; a very long stretch without a read or a
// pause is written out early.
void TerminalConsole::put(std::string_view bytes) {
    buffer_ += bytes;
    if (buffer_.size() >= kFlushAt) flush();
}

// Output to a terminal that has gone (a hang-up) reaches nobody, and that is
// no fault of the run; a pipe or a file that refuses a write (a full disk) is
// remembered for main to tell, and nothing more goes to it.
void TerminalConsole::flush() {
    if (buffer_.empty()) return;
    if (shared.write_error == 0) {
        const int error = write_all(out_, buffer_);
        if (!output_tty_) shared.write_error = error;
    }
    buffer_.clear();
    rubbed_out_ = 0;
    shared.mid_row = cursor_.mid_row() ? 1 : 0;
}

// Text at the cursor; the cursor is followed so that erasing typed text can
// find its way back over a wrapped row.
void TerminalConsole::put_text(std::string_view text) {
    if (shared.resized) refresh_width();
    cursor_.track(text);
    put(text);
}

void TerminalConsole::put_colour(int colour) {
    const int code = sgr_code(colour);
    if (code == 0 || !colours_) return;
    shared.sgr = code;
    put(sgr_sequence(code));
}

void TerminalConsole::put_clear() {
    cursor_.restart();
    if (escapes_) put(kClearScreen);
}

void TerminalConsole::hide_cursor() {
    if (!escapes_) return;
    shared.cursor_hidden = 1;
    put(kHideCursor);
}

void TerminalConsole::show_cursor() {
    if (!escapes_) return;
    shared.cursor_hidden = 0;
    put(kShowCursor);
}

// A plain sleep, without reading: keys typed meanwhile wait in the terminal
// for the next read. The screen is brought up to date first. The sleep wakes
// to draw the row again after a stop, and then goes on to the end of its
// time, the time stopped not counted; a request to end cuts it short.
void TerminalConsole::pause(std::chrono::milliseconds ms) {
    flush();
    const std::sig_atomic_t stopped_before = shared.stopped_ms;
    const std::uint64_t end = now_ms() + static_cast<std::uint64_t>(ms.count());
    for (;;) {
        if (shared.end_request) throw EndRequested();
        const std::uint64_t until = end + static_cast<std::uint64_t>(shared.stopped_ms - stopped_before);
        const std::uint64_t now = now_ms();
        if (now >= until) return;
        pollfd p{shared.wake_read, POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(until - now));
        if (take_wake_up() && !shared.end_request) {
            redraw_row();
            flush();
        }
    }
}

bool TerminalConsole::take_wake_up() {
    if (shared.wake_read < 0) return false;
    bool woken = false;
    char bytes[16];
    while (::read(shared.wake_read, bytes, sizeof bytes) > 0) woken = true;
    return woken;
}

// The current row again, from the start of the row the cursor is on: the
// prompt and the typed text in their colours, then the current colour.
void TerminalConsole::redraw_row() {
    if (!output_tty_) return;
    cursor_.restart();
    std::string seq = "\r";
    if (escapes_) seq += kEraseToEnd;
    int shown = shared.sgr;  // as set again on continuing
    for (const RowPiece& piece : current_row()) {
        const int code = colours_ ? sgr_code(piece.colour) : 0;
        if (code != shown) seq += sgr_sequence(code);
        shown = code;
        cursor_.track(piece.text);
        seq += piece.text;
    }
    if (shown != shared.sgr) seq += sgr_sequence(shared.sgr);
    put(seq);
}

// Not after Ctrl-C: an interactive bash ends the row itself then (it takes
// the terminal to have echoed "^C" there), and a second line end would leave
// an empty row before its prompt.
void TerminalConsole::finish_line() {
    if (shared.end_request == SIGINT) return;
    if (cursor_.mid_row()) end_line();
}

std::optional<int> TerminalConsole::width() const {
    winsize size{};
    if (!output_tty_ || ::ioctl(out_, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return std::nullopt;
    return size.ws_col;
}

std::unique_ptr<SystemConsole> make_system_console() {
    return std::make_unique<TerminalConsole>(STDIN_FILENO, STDOUT_FILENO);
}

std::optional<EndRequest> noted_end_request() {
    const int sig = shared.end_request;
    if (sig == 0) return std::nullopt;
    return EndRequest{sig, sig == SIGHUP};
}

int noted_write_error() { return shared.write_error; }

void end_as_requested(const EndRequest& request) {
    raise_by_default(request.how);
    std::_Exit(128 + request.how);  // not reached: the signal's default action ends the process
}

// The terminal's width, for following the cursor over wrapped rows; 80 when
// it cannot be asked.
void TerminalConsole::refresh_width() {
    shared.resized = 0;
    winsize size{};
    const int fd = output_tty_ ? out_ : in_;
    cursor_.set_width(::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80);
}

// Takes back the echo just written. On a terminal, row by row: the cursor
// goes to the first erased column of the row and the rest of the row is
// erased; when the erasing reaches the start of a row that the line wrapped
// onto, it goes on where the text ended on the row above. On a pipe or a
// file, echo still collected is simply taken back, and anything already
// written is rubbed out with "\b \b". On a terminal that takes no escape
// sequences, the cursor steps back over the erased columns, blanks cover
// them and it steps back again ("\b \b" for a character one column wide,
// two of each for a wide one).
void TerminalConsole::erase_back(std::string_view erased) {
    if (shared.resized) refresh_width();
    const std::string seq = cursor_.erase(erased);
    if (!output_tty_) {
        erase_plain_echo(buffer_, rubbed_out_, erased);
    } else if (escapes_) {
        put(seq);
    } else {
        const std::string back(text_columns(erased), '\b');
        put(back + std::string(back.size(), ' ') + back);
    }
}

// The next key. Bytes already read are decoded first; only when none is left
// is the screen brought up to date and the input waited for. While the
// decoder holds an unfinished sequence (an ESC, part of a UTF-8 character),
// the wait lasts only until its deadline, after which the decoder settles it.
Key TerminalConsole::read_key() {
    for (;;) {
        if (auto key = decoder_.take()) return *key;
        if (hang_up_wipe_) {
            hang_up_wipe_ = false;
            return Key::of(Key::Kind::Escape);
        }
        if (input_ended_) return Key::of(Key::Kind::EndOfFile);
        if (input_pos_ < input_len_) {
            // One byte at a time, taking the keys it completes before the next.
            decoder_.expire(input_time_);
            decoder_.feed(input_[input_pos_++], input_time_);
            continue;
        }
        flush();
        if (shared.end_request) throw EndRequested();
        int timeout = -1;
        if (const auto due = decoder_.deadline()) {
            const std::uint64_t now = now_ms();
            if (now >= *due) {
                decoder_.expire(now);
                continue;
            }
            timeout = static_cast<int>(*due - now);
        }
        const Wait ready = wait_for_input(timeout);
        if (ready == Wait::kTimedOut) {
            decoder_.expire(now_ms());
            continue;
        }
        if (ready == Wait::kContinued) continue;
        const ssize_t n = ::read(in_, input_.data(), input_.size());
        if (n > 0) {
            input_pos_ = 0;
            input_len_ = static_cast<std::size_t>(n);
            input_time_ = now_ms();
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) continue;  // waited for in the next round
        // 0: the end of a pipe or file; EIO, ENXIO: the terminal hung up; any
        // other error: the input is unusable all the same.
        decoder_.finish();
        input_ended_ = true;
        // The last line of a pipe or file counts even without its line end,
        // but what was typed at a terminal that hung up was never confirmed
        // with Enter: an Escape wipes it before the end is reported, so that
        // a half-typed answer is not taken.
        if (input_tty_) hang_up_wipe_ = true;
    }
}

TerminalConsole::Wait TerminalConsole::wait_for_input(int timeout_ms) {
    std::array<pollfd, 2> ready{{{in_, POLLIN, 0}, {shared.wake_read, POLLIN, 0}}};
    const int n = ::poll(ready.data(), ready.size(), timeout_ms);
    if (take_wake_up()) {
        if (!shared.end_request) redraw_row();
        return Wait::kContinued;
    }
    if (n < 0) return errno == EINTR ? Wait::kContinued : Wait::kReadable;  // any other failure shows in the read
    return n == 0 ? Wait::kTimedOut : Wait::kReadable;
}

}  // namespace tavolin
