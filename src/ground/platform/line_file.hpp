// A text file written line by line, as the quiz files and the report are:
// every line ends in CR LF, and every write goes straight to the system, so a
// run cut off at any point leaves every line already written on disk. Lines
// that belong together (a record of the report) can be collected and written
// in one write, so that a run cut off leaves them whole or not there at all.
// A failed write ends the program with an input/output error.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "ground/platform/files.hpp"

namespace tavolin {

class LineFile {
public:
    // A quiz file: creates the file, or empties it if it exists (anything but
    // a named pipe). On failure gives nothing and, if asked, the error number.
    static std::optional<LineFile> create(const std::string& path, int* error = nullptr);
    // The report: the same for a plain file or a new one only, and a failure
    // is an input/output error.
    static LineFile create_or_fail(const std::string& path);

    // The text and CR LF, written at once (with any lines collected before).
    void write_line(std::string_view text);
    // The text alone, with no line end, written at once (likewise).
    void write_text(std::string_view text);
    // The text and CR LF, collected to go out with the next write.
    void add_line(std::string_view text);
    // The lines collected, in one write.
    void write_record();
    // Writes what is still collected, then closes the file; a failure is an
    // input/output error.
    void close();

    [[nodiscard]] const std::string& path() const { return path_; }
    // How many writes went to the file: one a line, or one a record.
    [[nodiscard]] int writes() const { return writes_; }

private:
    LineFile(File file, std::string path) : file_(std::move(file)), path_(std::move(path)) {}

    std::optional<File> file_;
    std::string path_;
    std::string collected_;
    int writes_ = 0;
};

}  // namespace tavolin
