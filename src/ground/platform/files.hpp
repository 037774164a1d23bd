// Files by name, in the few ways the program uses them: a quiz file or the
// results log read from the start, a quiz file or the report created (or
// emptied) and written line by line, and the results log read and added to
// through one opening, held against other runs. Failures come back as system
// error numbers (<cerrno>), so that a message can name the reason in the
// system's own words (std::strerror).
//
// Every way of opening is safe on whatever stands at the name: a named pipe
// never holds the program up, a device is never taken for a quiz or a log,
// and no file is ever created where the program only reads or adds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavolin {

// The error number of something other than a plain file standing where only
// a plain file will do (no system error number says so).
inline constexpr int kNotPlainFile = -1;

// The reason for an error number, in words: the system's own, or "Not a
// regular file" for kNotPlainFile.
std::string error_text(int error);

// What the new-file check finds at a name: 0 when a file (or a device) of
// that name exists and the user can be asked whether to overwrite it, even
// one the user may not read; otherwise the error number that tells why the
// name does not stand for such a file (ENOENT when nothing is there, EISDIR
// for a folder, ...).
int existing_file_check(const std::string& name);

// How much a file made by File::create may replace.
enum class CreateMode {
    // A quiz file: anything but a named pipe (which would hold the dialogue
    // up until some other program reads it); a device is written to as it is.
    AnyButPipe,
    // The report: only a plain file, or a new one; anything else is
    // kNotPlainFile (a folder, EISDIR).
    PlainOnly,
};

// What became of a line added whole to a file.
enum class AppendResult {
    Added,       // all of it is there
    CutBack,     // the write failed or fell short, and the file is as it was
    LeftBroken,  // the write failed and the file could not be cut back
};

// What became of a try to hold a file against other runs.
enum class LockResult {
    Locked,   // held until the File is closed
    Busy,     // another run holds it now
    NoLocks,  // the file system grants no hold at all
};

// The standard output and standard error, written as bytes exactly as they
// are given (no text-mode translation); a Windows console window is given
// the UTF-8 text as its characters.
enum class Stream : std::uint8_t { kOutput, kError };
// 0, or the error number of a failed write.
int write_standard(Stream stream, std::string_view text);
// The line end of text meant to be read by people on this platform: LF, or
// CR LF on Windows.
std::string_view text_line_end();

class File {
public:
    // A plain file opened for reading from its start; nothing for a missing
    // name, a folder, a pipe, a device or a file that cannot be read, with
    // the error number that says why in `error` when one is asked for.
    static std::optional<File> open_for_reading(const std::string& name, int* error = nullptr);
    // Creates the file, or empties it if it exists; nothing and the error
    // number on failure.
    static std::optional<File> create(const std::string& name, CreateMode mode, int& error);
    // An existing plain file opened for reading from its start and, where
    // the user may, for adding at its end (`writable` says which); never
    // created, and nothing where open_for_reading gives nothing.
    static std::optional<File> open_for_update(const std::string& name, bool& writable);

    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    // Up to size bytes into data: how many came (0 at the end of the file),
    // or nothing when reading failed.
    std::optional<std::size_t> read(char* data, std::size_t size);
    // All of the text; 0, or the error number of a failed write (a write
    // beyond the file-size limit fails here instead of ending the program).
    int write_all(std::string_view text);
    // The text added at the end in one write; if that fails or falls short,
    // the file is cut back to the size it had before.
    AppendResult append_whole(std::string_view text);
    // One try, without waiting, to hold the whole file against every other
    // opening of it that asks the same, in this process or another, until
    // this File is closed. Readers that do not ask, and adding at the end,
    // go on meanwhile.
    LockResult try_lock();
    // Closes the file: 0, or the error number of a failed close.
    int close();

private:
    explicit File(std::intptr_t handle) : handle_(handle) {}
    void release() noexcept;

    // The platform's own handle of the open file; kNone when closed.
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t handle_ = kNone;
    bool locked_ = false;  // held by try_lock
};

}  // namespace tavolin
