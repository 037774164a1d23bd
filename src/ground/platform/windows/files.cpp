// Files on Windows: CreateFileW handles, bytes read and written exactly as
// they are (no text-mode translation, so CR LF is never doubled). Names are
// UTF-8 inside the program and go to the system's wide functions as UTF-16,
// so that any name the user can type stands for the same file on disk (the
// ANSI functions would read the bytes in the ANSI code page); a name that is
// not UTF-8 stands for no file. Every file
// is opened sharing reading, writing and deleting, so that a quiz file can be
// rewritten or deleted by another program between two questions, as on
// POSIX. The names Windows keeps for devices (CON, PRN, AUX, NUL, COM1 to
// COM9, LPT1 to LPT9, with or without an extension, in any letter case) never
// stand for a file here: they are missing where the program reads or adds,
// and unusable where it creates, as a named pipe or a device is on POSIX.
// Anything that is not a file on disk (a pipe, a console) is refused the
// same way.
#include "ground/platform/files.hpp"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "ground/platform/windows/system_error.hpp"
#include "ground/platform/windows/wide_text.hpp"

namespace tavolin {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE handle_of(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// True for a device name Windows reserves in every folder: the last part of
// the path, up to its first dot and without blanks before the dot, is one of
// the device names.
bool is_reserved_device(const std::string& name) {
    const std::size_t slash = name.find_last_of("/\\");
    std::string base = name.substr(slash == std::string::npos ? 0 : slash + 1);
    base = base.substr(0, base.find_first_of(".:"));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    std::transform(base.begin(), base.end(), base.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" || base == "CONOUT$") {
        return true;
    }
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) && base[3] >= '1' &&
           base[3] <= '9';
}

// The name as the wide functions take it; empty (no file) for a name that
// is not UTF-8, which refused_name turns away first.
std::wstring wide(const std::string& name) { return windows::utf16_strict(name).value_or(std::wstring()); }

bool is_folder(const std::string& name) {
    const DWORD attributes = GetFileAttributesW(wide(name).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool is_disk_file(HANDLE h) { return GetFileType(h) == FILE_TYPE_DISK; }

// The byte a hold is taken on: one far past any end a file of the program
// reaches (2 to the power 62). A hold denies its bytes to every other handle,
// this process's own included, so holding the file's own bytes would keep
// the added line and every reader out.
OVERLAPPED held_byte() {
    OVERLAPPED at{};
    at.OffsetHigh = 0x40000000U;
    return at;
}

void unlock(HANDLE h) {
    OVERLAPPED at = held_byte();
    UnlockFileEx(h, 0, 1, 0, &at);
}

// The error number of a name that stands for no file at all: one holding a
// NUL byte or bytes that are not UTF-8 (EINVAL), or a device name
// (`device`); 0 for any other.
int refused_name(const std::string& name, int device) {
    if (name.find('\0') != std::string::npos || !windows::utf16_strict(name)) return EINVAL;
    return is_reserved_device(name) ? device : 0;
}

// Opens an existing file on disk, or nothing and the reason in `error`.
std::optional<HANDLE> open_existing(const std::string& name, DWORD access, int& error) {
    if ((error = refused_name(name, kNotPlainFile)) != 0) return std::nullopt;
    const HANDLE h = CreateFileW(wide(name).c_str(), access, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error = is_folder(name) ? EISDIR : windows::last_errno();
        return std::nullopt;
    }
    if (!is_disk_file(h)) {
        CloseHandle(h);
        error = kNotPlainFile;
        return std::nullopt;
    }
    return h;
}

// Text for a console window goes as UTF-16 through WriteConsoleW, so that
// the console's code page never changes what it shows.
int write_console(HANDLE h, std::string_view text) {
    const std::wstring wide = windows::utf16_lenient(text);
    std::wstring_view rest = wide;
    while (!rest.empty()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 8192));
        if (chunk < rest.size() && IS_HIGH_SURROGATE(rest[chunk - 1])) --chunk;  // a pair goes whole
        DWORD n = 0;
        if (WriteConsoleW(h, rest.data(), chunk, &n, nullptr) == 0) return windows::last_errno();
        if (n == 0) return EIO;
        rest.remove_prefix(n);
    }
    return 0;
}

}  // namespace

int existing_file_check(const std::string& name) {
    if (const int refused = refused_name(name, ENOENT); refused != 0) return refused;
    const DWORD attributes = GetFileAttributesW(wide(name).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return windows::last_errno();
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EISDIR : 0;
}

int write_standard(Stream stream, std::string_view text) {
    const HANDLE h = GetStdHandle(stream == Stream::kOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (h == INVALID_HANDLE_VALUE || h == nullptr) return EBADF;
    if (DWORD mode = 0; GetConsoleMode(h, &mode) != 0) return write_console(h, text);
    while (!text.empty()) {
        DWORD n = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size(), 1U << 20));
        if (WriteFile(h, text.data(), chunk, &n, nullptr) == 0) return windows::last_errno();
        if (n == 0) return EIO;
        text.remove_prefix(n);
    }
    return 0;
}

std::string_view text_line_end() { return "\r\n"; }

std::optional<File> File::open_for_reading(const std::string& name, int* error) {
    int reason = 0;
    const auto h = open_existing(name, GENERIC_READ, reason);
    if (!h) {
        if (error != nullptr) *error = reason;
        return std::nullopt;
    }
    return File(reinterpret_cast<std::intptr_t>(*h));
}

std::optional<File> File::create(const std::string& name, CreateMode mode, int& error) {
    const int not_usable = mode == CreateMode::AnyButPipe ? ENXIO : kNotPlainFile;
    if ((error = refused_name(name, not_usable)) != 0) return std::nullopt;
    // Opened first and emptied after, once it is known to be a file on disk
    // (this also empties a hidden file, which CREATE_ALWAYS refuses).
    const HANDLE h =
        CreateFileW(wide(name).c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error = is_folder(name) ? EISDIR : windows::last_errno();
        return std::nullopt;
    }
    File file(reinterpret_cast<std::intptr_t>(h));
    if (!is_disk_file(h)) {
        error = not_usable;
        return std::nullopt;
    }
    if (SetEndOfFile(h) == 0) {
        error = windows::last_errno();
        return std::nullopt;
    }
    error = 0;
    return file;
}

// Opened for reading first, so that nothing but a file on disk is ever
// opened for writing; one that the user may read but not write is still read.
std::optional<File> File::open_for_update(const std::string& name, bool& writable) {
    int reason = 0;
    const auto reader = open_existing(name, GENERIC_READ, reason);
    if (!reader) return std::nullopt;
    File file(reinterpret_cast<std::intptr_t>(*reader));
    const auto both = open_existing(name, GENERIC_READ | GENERIC_WRITE, reason);
    writable = both.has_value();
    if (writable) file = File(reinterpret_cast<std::intptr_t>(*both));
    return file;
}

LockResult File::try_lock() {
    OVERLAPPED at = held_byte();
    if (LockFileEx(handle_of(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0) {
        locked_ = true;
        return LockResult::Locked;
    }
    const DWORD error = GetLastError();
    // ERROR_NOT_SUPPORTED, ERROR_INVALID_FUNCTION and the like: a file system
    // without holds.
    return error == ERROR_LOCK_VIOLATION || error == ERROR_SHARING_VIOLATION || error == ERROR_IO_PENDING
               ? LockResult::Busy
               : LockResult::NoLocks;
}

// The hold is given back before the handle is closed: Windows lets a hold go
// with its handle only when it gets round to it.
void File::release() noexcept {
    if (handle_ != kNone) {
        if (locked_) unlock(handle_of(handle_));
        CloseHandle(handle_of(handle_));
    }
    handle_ = kNone;
    locked_ = false;
}

std::optional<std::size_t> File::read(char* data, std::size_t size) {
    if (handle_ == kNone) return std::nullopt;
    DWORD n = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1U << 30));
    if (ReadFile(handle_of(handle_), data, chunk, &n, nullptr) == 0) return std::nullopt;
    return static_cast<std::size_t>(n);
}

int File::write_all(std::string_view text) {
    if (handle_ == kNone) return EBADF;
    while (!text.empty()) {
        DWORD n = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size(), 1U << 30));
        if (WriteFile(handle_of(handle_), text.data(), chunk, &n, nullptr) == 0) return windows::last_errno();
        if (n == 0) return EIO;
        text.remove_prefix(n);
    }
    return 0;
}

AppendResult File::append_whole(std::string_view text) {
    const HANDLE h = handle_of(handle_);
    LARGE_INTEGER before{};
    if (handle_ == kNone || GetFileSizeEx(h, &before) == 0) return AppendResult::LeftBroken;
    LARGE_INTEGER end{};
    DWORD n = 0;
    const bool written = SetFilePointerEx(h, end, nullptr, FILE_END) != 0 && text.size() <= 0x7fffffffU &&
                         WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &n, nullptr) != 0 &&
                         n == text.size();
    if (written) return AppendResult::Added;
    const bool cut = SetFilePointerEx(h, before, nullptr, FILE_BEGIN) != 0 && SetEndOfFile(h) != 0;
    return cut ? AppendResult::CutBack : AppendResult::LeftBroken;
}

int File::close() {
    if (handle_ == kNone) return 0;
    const HANDLE h = handle_of(handle_);
    handle_ = kNone;
    if (locked_) unlock(h);
    locked_ = false;
    return CloseHandle(h) != 0 ? 0 : windows::last_errno();
}

}  // namespace tavolin
