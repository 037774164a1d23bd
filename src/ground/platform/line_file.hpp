// A text file written line by line, as the quiz files and the report are:
// every line ends in CR LF, and every write goes straight to the system, so a
// run cut off at any point leaves every line already written on disk. A
// failed write ends the program with an input/output error.
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

    // The text and CR LF.
    void write_line(std::string_view text);
    // The text alone, with no line end.
    void write_text(std::string_view text);
    // Closes the file; a failure is an input/output error.
    void close();

    [[nodiscard]] const std::string& path() const { return path_; }

private:
    LineFile(File file, std::string path) : file_(std::move(file)), path_(std::move(path)) {}

    std::optional<File> file_;
    std::string path_;
};

}  // namespace tavolin
