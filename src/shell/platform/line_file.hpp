// A text file written line by line, as the quiz files and the report are:
// every line ends in CR LF, and every write goes straight to the system, so a
// run cut off at any point leaves every line already written on disk. A
// failed write ends the program with an input/output error.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavolin {

class LineFile {
public:
    // Creates the file, or empties it if it exists. On failure gives nothing
    // and, if asked, the system's error number.
    static std::optional<LineFile> create(const std::string& path, int* error = nullptr);
    // The same, but a failure is an input/output error.
    static LineFile create_or_fail(const std::string& path);

    LineFile(LineFile&& other) noexcept;
    LineFile& operator=(LineFile&& other) noexcept;
    LineFile(const LineFile&) = delete;
    LineFile& operator=(const LineFile&) = delete;
    ~LineFile();

    // The text and CR LF.
    void write_line(std::string_view text);
    // The text alone, with no line end.
    void write_text(std::string_view text);
    // Closes the file; a failure is an input/output error.
    void close();

    [[nodiscard]] const std::string& path() const { return path_; }

private:
    LineFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}

    int fd_ = -1;
    std::string path_;
};

}  // namespace tavolin
