// The reading side of the quiz file, line by line (what the lines make is
// the walker's part, quiz_walker.hpp).
//
// Everything here reads the file as a stream through one fixed buffer, so the
// memory used does not grow with the file, and skipping lines allocates
// nothing: it runs at the speed of a plain memchr over the bytes. Lines end
// in CR LF or in LF alone; the first byte 26 (Ctrl-Z) ends the file, as if
// nothing came after it. Numbers found in a file (answer counts, the correct
// answer) are checked before anything is sized or indexed by them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ground/base/limits.hpp"
#include "ground/platform/files.hpp"

namespace tavolin {

// How much of a line is kept: a question line, a kind line, a fill-in answer
// and a number line keep their first 255 bytes; an answer line of a multiple
// choice or true/false record keeps 4096 (the writer never writes more than
// 255; the bound only keeps a hand-made file from filling the memory).
inline constexpr std::size_t kLineKeep = 255;
inline constexpr std::size_t kAnswerKeep = 4096;

// One quiz file open for reading from its start.
class QuizFile {
public:
    static constexpr std::size_t kBufferSize = 64 * 1024;

    // Opens a file for reading. Anything that cannot be read as a plain file
    // gives nothing: a missing or unreadable file, an empty name, a folder,
    // and devices or pipes (which could block the program or never end). The
    // error number that says why lands in `error` when one is asked for.
    static std::optional<QuizFile> open(const std::string& name, int* error = nullptr);

    // True when no byte is left before the end of the file (or a byte 26).
    [[nodiscard]] bool at_end();
    // Reads the next line into `out` without its line end, keeping its first
    // `keep` bytes and passing over the rest. False, with `out` empty, when
    // the file is at its end.
    bool read_line(std::string& out, std::size_t keep = kLineKeep);
    // The same as read_line, but the line comes as a view of the reader's own
    // buffer when it stands whole in it (no copy), else it is read into
    // `spare`. The view lasts until the next read.
    bool read_line_view(std::string_view& out, std::string& spare, std::size_t keep = kLineKeep);
    // Passes over the next line. False when the file is at its end.
    bool skip_line();
    // Passes over up to `count` lines; returns how many there were.
    std::int64_t skip_lines(std::int64_t count);
    // Lines read or passed over so far.
    [[nodiscard]] std::int64_t lines_done() const { return lines_done_; }
    // The length of the line read last, without its line end, before it was
    // cut to what is kept.
    [[nodiscard]] std::size_t last_length() const { return last_length_; }
    // A read from the system failed; the file was taken to end there.
    [[nodiscard]] bool failed() const { return failed_; }
    // A byte 26 ended the file with more bytes after it, which are never read.
    [[nodiscard]] bool bytes_after_end_byte() const { return bytes_after_end_byte_; }

private:
    explicit QuizFile(File file);
    bool fill();

    std::optional<File> file_;
    std::unique_ptr<char[]> buffer_;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool eof_ = false;
    bool failed_ = false;
    bool bytes_after_end_byte_ = false;
    std::int64_t lines_done_ = 0;
    std::size_t last_length_ = 0;
};

// A whole number on a line: leading blanks, tabs and line ends skipped, then
// a signed decimal number up to the next blank, tab or line end; the rest of
// the line is ignored. Nothing when the line holds no such number or the
// number lies outside -32768..32767.
std::optional<std::int16_t> whole_number(std::string_view line);

// The letters A to Z made small, every other byte kept.
std::string lower_ascii(std::string_view text);

// The kind of a question by its kind line made small: exactly "t", "m" or
// "f"; anything else is no kind at all.
enum class QuestionKind { kTrueFalse, kMultipleChoice, kFillIn, kNone };
QuestionKind kind_of(std::string_view lowered_kind_line);

}  // namespace tavolin
