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

// A line and its end in one write, so a line is not left half-written by a
// signal between the two.
void LineFile::write_line(std::string_view text) {
    add_line(text);
    write_record();
}

void LineFile::write_text(std::string_view text) {
    collected_.append(text);
    write_record();
}

void LineFile::add_line(std::string_view text) {
    collected_.append(text);
    collected_.append("\r\n");
}

void LineFile::write_record() {
    if (!file_) throw FatalIoError(path_, error_text(EBADF));
    const std::string record = std::move(collected_);
    collected_.clear();
    ++writes_;
    if (const int error = file_->write_all(record); error != 0) throw FatalIoError(path_, error_text(error));
}

void LineFile::close() {
    if (!file_) return;
    if (!collected_.empty()) write_record();
    const int error = file_->close();
    file_.reset();
    if (error != 0) throw FatalIoError(path_, error_text(error));
}

}  // namespace tavolin
