// The console on Windows: the console window through the Win32 console
// functions, or a pipe or a file when the standard handles are redirected.
//
// Output to a console is written with WriteConsoleW (the program's UTF-8
// converted to UTF-16), so the console's code pages are never touched and
// accented letters show the same as on a UTF-8 terminal. Colours are console
// attributes set with SetConsoleTextAttribute: the colour number is the
// foreground nibble as it stands, the background nibble is kept as found.
// With NO_COLOR set to anything but nothing (read when the console is made),
// the colour is never changed.
// Clearing fills the whole screen buffer with blanks in the current colour
// and puts the cursor in the top-left corner. The virtual-terminal output
// mode is switched off, so no escape sequence is ever interpreted (or
// written). Output is collected in memory and written before every colour
// change, clear, cursor change, pause and key read.
//
// Input from a console comes as key-down events of ReadConsoleInputW, with
// line input and echo switched off (the line editor echoes) and processed
// input kept, so Ctrl-C raises the console's Ctrl-C event. Keys that give no
// character (arrows, Home, End, Insert, Delete, F-keys) and Alt combinations
// are ignored keys; Shift, Ctrl, Alt and the lock keys alone are no key at
// all. Ctrl-Z then Enter on an empty line ends the input, as Ctrl-D on an
// empty line does.
//
// Redirected input is read as bytes and decoded as on a POSIX pipe; its end
// ends the input. Redirected output gets plain text with CR LF line ends and
// no colours.
//
// The console is given back (input and output modes, colour, cursor, with
// the keys still unread dropped) by the destructor, and by the control
// handler on Ctrl-Break; the handler then ends the process with the status
// 0xC000013A, as Windows does on Ctrl-C. Ctrl-C, closing the window, logging
// off and shutting down ask the run to end instead: the handler's thread
// notes it (the first of them), wakes the key read or the pause (which throw
// EndRequested, so that the run finishes its report) and waits while the
// program ends the process itself with the same status; if that takes longer
// than the few seconds the system leaves (or a read of redirected input
// holds the program up), the handler ends it as on Ctrl-Break.
#include <windows.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ground/console/key_decoder.hpp"
#include "ground/console/system_console.hpp"
#include "ground/base/errors.hpp"
#include "ground/console/plain_echo.hpp"
#include "ground/base/utf8.hpp"
#include "ground/platform/windows/system_error.hpp"
#include "ground/platform/windows/wide_text.hpp"

namespace tavolin {

namespace {

// What the control handler needs to give the console back. The handler runs
// on a thread of its own: the lock keeps it from racing the program's own
// output, and once it has restored the console it keeps the lock, so that the
// program writes nothing more before the process ends.
struct Saved {
    std::mutex lock;
    HANDLE in = INVALID_HANDLE_VALUE;
    HANDLE out = INVALID_HANDLE_VALUE;
    bool in_console = false;
    bool out_console = false;
    DWORD in_mode = 0;
    DWORD out_mode = 0;
    WORD attributes = 0;
    CONSOLE_CURSOR_INFO cursor{};
    bool owned = false;
    // Set (a manual-reset event, made once) when the run is told to end, with
    // the control event that told it, plus one (CTRL_C_EVENT is 0).
    HANDLE end_event = nullptr;
    std::atomic<DWORD> end_request{0};
    // The error number of a failed write to redirected output.
    int write_error = 0;
};

Saved saved;

// Puts back what was found, at the end of the run. Keys still unread are
// dropped: typed after the program was done with the keyboard (during the
// closing countdown, say), they would otherwise reach the shell as a
// command. Called with the lock held.
void give_back_console() {
    if (!saved.owned) return;
    saved.owned = false;
    if (saved.out_console) {
        SetConsoleTextAttribute(saved.out, saved.attributes);
        SetConsoleCursorInfo(saved.out, &saved.cursor);
        SetConsoleMode(saved.out, saved.out_mode);
    }
    if (saved.in_console) {
        FlushConsoleInputBuffer(saved.in);
        SetConsoleMode(saved.in, saved.in_mode);
    }
}

// The status of a console program ended by Ctrl-C, as Windows gives it.
constexpr UINT kControlCExit = 0xC000013AU;

// The time the system leaves a program after the window is closed.
constexpr DWORD kCloseTimeMs = 5000;

// Ctrl-Break: the console is given back and the process ends with the Ctrl-C
// status (Wine's default action would end it with 0, as if the user had
// quit). Ctrl-C, the window closed, logging off, shutting down: the run is
// told to end and given the time the system leaves; the program ends the
// process.
BOOL WINAPI on_control(DWORD event) {
    if (event != CTRL_BREAK_EVENT && saved.end_event != nullptr) {
        DWORD none = 0;
        saved.end_request.compare_exchange_strong(none, event + 1);
        SetEvent(saved.end_event);
        Sleep(kCloseTimeMs);
    }
    // Taken and never released, as the process is ending; but a write held
    // up for good (output paused by a selection in the window) must not keep
    // the console from being given back.
    for (int tries = 0; tries < 100 && !saved.lock.try_lock(); ++tries) Sleep(10);
    give_back_console();
    ExitProcess(kControlCExit);
}

// One UTF-16 character (a surrogate pair already joined) as UTF-8.
std::string narrow(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xc0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3f));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xe0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        s += static_cast<char>(0x80 | (c & 0x3f));
    } else {
        s += static_cast<char>(0xf0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3f));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        s += static_cast<char>(0x80 | (c & 0x3f));
    }
    return s;
}

bool is_modifier_only(WORD vk) {
    switch (vk) {
        case VK_SHIFT:
        case VK_CONTROL:
        case VK_MENU:
        case VK_CAPITAL:
        case VK_NUMLOCK:
        case VK_SCROLL:
        case VK_LSHIFT:
        case VK_RSHIFT:
        case VK_LCONTROL:
        case VK_RCONTROL:
        case VK_LMENU:
        case VK_RMENU:
        case VK_LWIN:
        case VK_RWIN: return true;
        default: return false;
    }
}

class WindowsConsole final : public SystemConsole {
public:
    WindowsConsole();
    ~WindowsConsole() override;

    void hide_cursor() override;
    void show_cursor() override;
    void pause(std::chrono::milliseconds ms) override;
    [[nodiscard]] std::optional<int> width() const override;
    void finish_line() override;

protected:
    void put_text(std::string_view text) override;
    void put_colour(int colour) override;
    void put_clear() override;
    Key read_key() override;
    void put_echo(std::string_view text) override;
    void erase_back(std::string_view erased) override;

private:
    void flush();
    std::optional<std::pair<long, long>> cursor_cell();
    void set_cursor_visible(bool visible);
    Key console_key();
    void take_event(const INPUT_RECORD& record);
    Key redirected_key();

    HANDLE in_;
    HANDLE out_;
    bool in_console_ = false;
    bool out_console_ = false;
    WORD background_ = 0;  // the background nibble found at the start
    WORD attributes_ = 0;  // the attributes in use now
    bool colours_ = true;  // NO_COLOR is not set

    std::string buffer_;            // output not yet written
    std::size_t rubbed_out_ = 0;    // redirected output: written up to here may not be taken back
    bool at_line_start_ = true;     // redirected output: the last byte was a line end
    // On a console: each piece of echo of the line being typed, with the
    // cells the console moved the cursor by to show it.
    std::vector<std::pair<long, std::string>> echo_cells_;

    std::deque<Key> keys_;          // keys from console events, not yet read
    wchar_t high_surrogate_ = 0;    // the first half of a character outside the BMP
    bool after_ctrl_z_ = false;     // Ctrl-Z came: the next Enter ends the input

    KeyDecoder decoder_;            // redirected input
    char input_[256]{};
    DWORD input_pos_ = 0;
    DWORD input_len_ = 0;
    bool input_ended_ = false;
};

WindowsConsole::WindowsConsole()
    : in_(GetStdHandle(STD_INPUT_HANDLE)), out_(GetStdHandle(STD_OUTPUT_HANDLE)) {
    const std::lock_guard guard(saved.lock);
    if (saved.owned) throw std::logic_error("only one console at a time");
    saved.in = in_;
    saved.out = out_;
    saved.in_console = GetConsoleMode(in_, &saved.in_mode) != 0;
    CONSOLE_SCREEN_BUFFER_INFO info{};
    saved.out_console = GetConsoleMode(out_, &saved.out_mode) != 0 && GetConsoleScreenBufferInfo(out_, &info) != 0 &&
                        GetConsoleCursorInfo(out_, &saved.cursor) != 0;
    in_console_ = saved.in_console;
    out_console_ = saved.out_console;
    const char* no_colour = std::getenv("NO_COLOR");
    colours_ = no_colour == nullptr || *no_colour == '\0';
    if (out_console_) {
        saved.attributes = info.wAttributes;
        background_ = info.wAttributes & 0xf0;
        attributes_ = info.wAttributes;
    }
    saved.owned = true;
    if (saved.end_event == nullptr) saved.end_event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (saved.end_event != nullptr) ResetEvent(saved.end_event);
    saved.end_request = 0;
    saved.write_error = 0;
    SetConsoleCtrlHandler(on_control, TRUE);

    if (out_console_) {
        DWORD mode = saved.out_mode | ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT;
        mode &= ~static_cast<DWORD>(ENABLE_VIRTUAL_TERMINAL_PROCESSING);
        SetConsoleMode(out_, mode);
    }
    if (in_console_) {
        DWORD mode = saved.in_mode | ENABLE_PROCESSED_INPUT | ENABLE_EXTENDED_FLAGS;
        mode &= ~static_cast<DWORD>(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_VIRTUAL_TERMINAL_INPUT |
                                    ENABLE_MOUSE_INPUT | ENABLE_WINDOW_INPUT);
        SetConsoleMode(in_, mode);
        // A console that reads a terminal (Wine's) starts reading it only at
        // the first ReadConsoleInput: one focus event written and read back
        // at once makes that happen now, so that the terminal stops echoing
        // and keys typed before the first prompt are kept. Keys found ahead
        // of it are kept too.
        INPUT_RECORD focus{};
        focus.EventType = FOCUS_EVENT;
        focus.Event.FocusEvent.bSetFocus = TRUE;
        DWORD n = 0;
        if (WriteConsoleInputW(in_, &focus, 1, &n) != 0 && n == 1) {
            INPUT_RECORD record{};
            while (ReadConsoleInputW(in_, &record, 1, &n) != 0 && n == 1 && record.EventType != FOCUS_EVENT) {
                take_event(record);
            }
        }
    }
}

WindowsConsole::~WindowsConsole() {
    flush();
    const std::lock_guard guard(saved.lock);
    give_back_console();
    // Told to end, the process ends next; the handler's thread is still
    // waiting inside the handler, and removing it would wait for that thread
    // (Wine holds its handler list locked while a handler runs).
    if (saved.end_request == 0) SetConsoleCtrlHandler(on_control, FALSE);
}

void WindowsConsole::put_text(std::string_view text) {
    if (text.find('\n') != std::string_view::npos) echo_cells_.clear();
    buffer_ += text;
}

// The cursor as a cell counted from the top of the screen buffer, with the
// buffer's width.
std::optional<std::pair<long, long>> WindowsConsole::cursor_cell() {
    const std::lock_guard guard(saved.lock);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (GetConsoleScreenBufferInfo(out_, &info) == 0) return std::nullopt;
    return std::pair(static_cast<long>(info.dwCursorPosition.Y) * info.dwSize.X + info.dwCursorPosition.X,
                     static_cast<long>(info.dwSize.X));
}

// Echo on a console notes how many cells the console took to show it (a wide
// character two, a combining mark none, and one more for a last column left
// empty when a wide character wrapped), so that erasing takes back exactly
// those: the console, not a table, knows how it drew the text.
void WindowsConsole::put_echo(std::string_view text) {
    if (!out_console_) {
        put_text(text);
        return;
    }
    flush();
    const auto before = cursor_cell();
    put_text(text);
    flush();
    const auto after = cursor_cell();
    if (!before || !after) {
        echo_cells_.clear();
        return;
    }
    long cells = after->first - before->first;
    if (cells < 0) cells += after->second;  // the buffer scrolled up a row under the cursor
    echo_cells_.emplace_back(cells, std::string(text));
}

// Writes out the collected text. On a console, "\n" goes as CR LF and the
// text as UTF-16; a UTF-8 character cut at the end of the buffer waits for
// its other bytes. On a pipe or a file, "\n" goes as CR LF, bytes as they are;
// a write that fails there (a full disk, a reader gone) is remembered for
// main to tell, and nothing more is written.
void WindowsConsole::flush() {
    if (buffer_.empty()) return;
    std::size_t keep = 0;
    if (out_console_) {
        // The tail from its last lead byte is kept if it is shorter than the
        // lead says.
        std::size_t lead = buffer_.size();
        while (lead > 0 && buffer_.size() - lead < 3 && utf8::is_continuation(static_cast<unsigned char>(buffer_[lead - 1]))) {
            --lead;
        }
        if (lead > 0) {
            --lead;
            const std::size_t need = utf8::sequence_length(static_cast<unsigned char>(buffer_[lead]));
            if (need > buffer_.size() - lead) keep = buffer_.size() - lead;
        }
    }
    std::string text;
    text.reserve(buffer_.size() + 16);
    for (std::size_t i = 0; i + keep < buffer_.size(); ++i) {
        if (buffer_[i] == '\n') text += '\r';
        text += buffer_[i];
    }
    const std::lock_guard guard(saved.lock);
    if (out_console_) {
        const std::wstring wide = windows::utf16_lenient(text);
        std::size_t done = 0;
        while (done < wide.size()) {
            DWORD n = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 8192));
            if (WriteConsoleW(out_, wide.data() + done, chunk, &n, nullptr) == 0 || n == 0) break;
            done += n;
        }
    } else {
        std::size_t done = 0;
        while (done < text.size()) {
            DWORD n = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1 << 20));
            if (saved.write_error != 0) break;
            if (WriteFile(out_, text.data() + done, chunk, &n, nullptr) == 0 || n == 0) {
                saved.write_error = n == 0 ? EIO : windows::last_errno();
                break;
            }
            done += n;
        }
        if (!text.empty()) at_line_start_ = text.back() == '\n';
    }
    buffer_.erase(0, buffer_.size() - keep);
    rubbed_out_ = 0;
}

void WindowsConsole::put_colour(int colour) {
    if (colour < 0 || colour > 15 || !out_console_ || !colours_) return;
    flush();
    attributes_ = static_cast<WORD>(background_ | static_cast<WORD>(colour));
    const std::lock_guard guard(saved.lock);
    SetConsoleTextAttribute(out_, attributes_);
}

void WindowsConsole::put_clear() {
    flush();
    echo_cells_.clear();
    if (!out_console_) return;
    const std::lock_guard guard(saved.lock);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (GetConsoleScreenBufferInfo(out_, &info) == 0) return;
    const DWORD cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
    const COORD home{0, 0};
    DWORD n = 0;
    FillConsoleOutputCharacterA(out_, ' ', cells, home, &n);
    FillConsoleOutputAttribute(out_, attributes_, cells, home, &n);
    SetConsoleCursorPosition(out_, home);
}

void WindowsConsole::set_cursor_visible(bool visible) {
    flush();
    if (!out_console_) return;
    const std::lock_guard guard(saved.lock);
    CONSOLE_CURSOR_INFO cursor{};
    if (GetConsoleCursorInfo(out_, &cursor) == 0) return;
    cursor.bVisible = visible ? TRUE : FALSE;
    // Shown again at the size it had when the program started.
    if (visible) cursor.dwSize = saved.cursor.dwSize;
    SetConsoleCursorInfo(out_, &cursor);
}

void WindowsConsole::hide_cursor() { set_cursor_visible(false); }
void WindowsConsole::show_cursor() { set_cursor_visible(true); }

// A plain sleep: keys typed meanwhile wait in the console's input queue. A
// request to end cuts it short.
void WindowsConsole::pause(std::chrono::milliseconds ms) {
    flush();
    const DWORD wait = static_cast<DWORD>(ms.count());
    if (saved.end_event == nullptr) {
        Sleep(wait);
    } else if (WaitForSingleObject(saved.end_event, wait) == WAIT_OBJECT_0) {
        throw EndRequested();
    }
}

// The width of the console window (not of its screen buffer, which may be
// wider and scrolled sideways); none when the output is not a console.
std::optional<int> WindowsConsole::width() const {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!out_console_ || GetConsoleScreenBufferInfo(out_, &info) == 0) return std::nullopt;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

// Not after Ctrl-C: the row is left as a Ctrl-C has always left it.
void WindowsConsole::finish_line() {
    flush();
    if (saved.end_request == CTRL_C_EVENT + 1) return;
    bool at_start = at_line_start_;
    if (out_console_) {
        CONSOLE_SCREEN_BUFFER_INFO info{};
        at_start = GetConsoleScreenBufferInfo(out_, &info) == 0 || info.dwCursorPosition.X == 0;
    }
    if (!at_start) end_line();
    flush();
}

// Takes back the echo just written. On a console: the cursor steps back over
// the cells the console took for it, across the rows the line wrapped onto,
// and they are filled with blanks; a piece of echo only partly erased is
// written again. On a pipe or a file, as on POSIX: echo still collected is
// taken back, anything written is rubbed out with "\b \b".
void WindowsConsole::erase_back(std::string_view erased) {
    if (!out_console_) {
        erase_plain_echo(buffer_, rubbed_out_, erased);
        return;
    }
    std::size_t bytes = 0;
    long cells = 0;
    std::string again;
    while (bytes < erased.size() && !echo_cells_.empty()) {
        const auto& [n, piece] = echo_cells_.back();
        bytes += piece.size();
        cells += n;
        if (bytes > erased.size()) again = piece.substr(0, bytes - erased.size());
        echo_cells_.pop_back();
    }
    flush();
    {
        const std::lock_guard guard(saved.lock);
        CONSOLE_SCREEN_BUFFER_INFO info{};
        if (GetConsoleScreenBufferInfo(out_, &info) == 0) return;
        COORD at = info.dwCursorPosition;
        DWORD count = 0;
        for (; cells > 0; --cells) {
            if (at.X > 0) {
                --at.X;
            } else if (at.Y > 0) {
                --at.Y;
                at.X = static_cast<SHORT>(info.dwSize.X - 1);
            } else {
                break;
            }
            ++count;
        }
        DWORD n = 0;
        FillConsoleOutputCharacterA(out_, ' ', count, at, &n);
        FillConsoleOutputAttribute(out_, attributes_, count, at, &n);
        SetConsoleCursorPosition(out_, at);
    }
    if (!again.empty()) put_echo(again);
}

// A reader of the output that has gone ends the input too: with no SIGPIPE
// to end the program, it ends as at the end of its input, quietly.
Key WindowsConsole::read_key() {
    flush();
    if (saved.write_error == EPIPE) return Key::of(Key::Kind::EndOfFile);
    return in_console_ ? console_key() : redirected_key();
}

// Turns one input record into keys (none for most records).
void WindowsConsole::take_event(const INPUT_RECORD& record) {
    if (record.EventType != KEY_EVENT) return;
    const KEY_EVENT_RECORD& k = record.Event.KeyEvent;
    const wchar_t c = k.uChar.UnicodeChar;
    if (!k.bKeyDown) {
        // A character typed as Alt and digits on the number pad comes with
        // the release of Alt.
        if (k.wVirtualKeyCode == VK_MENU && c != 0) keys_.push_back(Key::character(narrow(c)));
        return;
    }
    if (is_modifier_only(k.wVirtualKeyCode)) return;

    Key key = Key::of(Key::Kind::Ignored);
    const DWORD state = k.dwControlKeyState;
    const bool alt = (state & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED)) != 0;
    const bool ctrl = (state & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) != 0;
    if (c >= 0xd800 && c <= 0xdbff) {
        high_surrogate_ = c;
        return;
    }
    if (c >= 0xdc00 && c <= 0xdfff) {
        if (high_surrogate_ != 0) {
            const char32_t full = 0x10000 + ((static_cast<char32_t>(high_surrogate_) - 0xd800) << 10) +
                                  (static_cast<char32_t>(c) - 0xdc00);
            key = Key::character(narrow(full));
        }
        high_surrogate_ = 0;
    } else if (k.wVirtualKeyCode == VK_RETURN || c == L'\r' || c == L'\n') {
        key = Key::of(alt ? Key::Kind::Ignored : Key::Kind::Enter);
    } else if (k.wVirtualKeyCode == VK_BACK || c == 0x08 || c == 0x7f) {
        key = Key::of(alt ? Key::Kind::Ignored : Key::Kind::Backspace);
    } else if (k.wVirtualKeyCode == VK_ESCAPE || c == 0x1b) {
        key = Key::of(Key::Kind::Escape);
    } else if (c == 0x04) {
        key = Key::of(Key::Kind::CtrlD);
    } else if (c == 0x1a) {
        after_ctrl_z_ = true;
        return;
    } else if (c == L'\t' || c >= 0x20) {
        // Alt with a key is no character; Ctrl and Alt together are AltGr.
        if (!alt || ctrl) key = Key::character(narrow(c));
    }
    // Ctrl-Z then Enter: the end of the input on an empty line. The Enter
    // stays behind the end, so that on a line with text it still ends the line.
    const bool end_of_input = after_ctrl_z_ && key.kind == Key::Kind::Enter;
    after_ctrl_z_ = false;
    for (WORD i = 0; i < std::max<WORD>(k.wRepeatCount, 1); ++i) {
        if (end_of_input) keys_.push_back(Key::of(Key::Kind::CtrlD));
        keys_.push_back(key);
    }
}

Key WindowsConsole::console_key() {
    while (keys_.empty()) {
        // Input, or a request to end. Should the console's handle not be one
        // to wait on, the read below waits for the input alone.
        const std::array<HANDLE, 2> ready = {saved.end_event, in_};
        if (saved.end_event != nullptr && WaitForMultipleObjects(2, ready.data(), FALSE, INFINITE) == WAIT_OBJECT_0) {
            throw EndRequested();
        }
        INPUT_RECORD record{};
        DWORD n = 0;
        if (ReadConsoleInputW(in_, &record, 1, &n) == 0) return Key::of(Key::Kind::EndOfFile);
        if (n == 1) take_event(record);
    }
    const Key key = keys_.front();
    keys_.pop_front();
    return key;
}

// Redirected input: bytes decoded as a POSIX pipe's are. A lone Esc at the
// end of what has come waits for the decoder's timeout, if the input is a
// pipe that can be asked how much is waiting.
Key WindowsConsole::redirected_key() {
    for (;;) {
        if (auto key = decoder_.take()) return *key;
        if (input_ended_) return Key::of(Key::Kind::EndOfFile);
        if (input_pos_ < input_len_) {
            decoder_.feed(static_cast<unsigned char>(input_[input_pos_++]), GetTickCount64());
            continue;
        }
        if (const auto due = decoder_.deadline()) {
            DWORD waiting = 0;
            bool data = false;
            while (PeekNamedPipe(in_, nullptr, 0, nullptr, &waiting, nullptr) != 0) {
                if (waiting > 0) {
                    data = true;
                    break;
                }
                if (GetTickCount64() >= *due) break;
                Sleep(1);
            }
            if (!data && GetTickCount64() >= *due) {
                decoder_.expire(GetTickCount64());
                continue;
            }
        }
        // A request to end is noticed before each read, not during one.
        if (saved.end_request != 0) throw EndRequested();
        DWORD n = 0;
        if (ReadFile(in_, input_, sizeof input_, &n, nullptr) != 0 && n > 0) {
            input_pos_ = 0;
            input_len_ = n;
            continue;
        }
        // The end of a file, a closed pipe, or input that cannot be read.
        decoder_.finish();
        input_ended_ = true;
    }
}

}  // namespace

std::unique_ptr<SystemConsole> make_system_console() { return std::make_unique<WindowsConsole>(); }

std::optional<EndRequest> noted_end_request() {
    const DWORD noted = saved.end_request;
    if (noted == 0) return std::nullopt;
    return EndRequest{static_cast<int>(noted - 1), noted - 1 != CTRL_C_EVENT};
}

int noted_write_error() { return saved.write_error; }

void end_as_requested(const EndRequest&) { ExitProcess(kControlCExit); }

}  // namespace tavolin
