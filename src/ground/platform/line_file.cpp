#include "ground/platform/line_file.hpp"

#include <cerrno>

#include "ground/base/errors.hpp"

namespace tavolin {

std::optional<LineFile> LineFile::create(const std::string& path, int* error) {
    int code = 0;
    auto file = File::create(path, CreateMode::AnyButPipe, code);
    if (!file) {
        if (error != nullptr) *error = code;
        return std::nullopt;
    }
    return LineFile(std::move(*file), path);
}

LineFile LineFile::create_or_fail(const std::string& path) {
    int error = 0;
    auto file = File::create(path, CreateMode::PlainOnly, error);
    if (!file) throw FatalIoError(path, error_text(error));
    return LineFile(std::move(*file), path);
}

void LineFile::write_line(std::string_view text) {
    // One write for the line and its end, so a line is not left half-written
    // by a signal between the two.
    std::string line;
    line.reserve(text.size() + 2);
    line.append(text);
    line.append("\r\n");
    write_text(line);
}

void LineFile::write_text(std::string_view text) {
    if (!file_) throw FatalIoError(path_, error_text(EBADF));
    if (const int error = file_->write_all(text); error != 0) throw FatalIoError(path_, error_text(error));
}

void LineFile::close() {
    if (!file_) return;
    const int error = file_->close();
    file_.reset();
    if (error != 0) throw FatalIoError(path_, error_text(error));
}

}  // namespace tavolin
