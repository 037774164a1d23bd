#include "authoring/quiz_reader.hpp"

#include "ground/base/whole_number.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <string_view>

namespace tavolin {

namespace {

constexpr char kEndOfFileByte = 26;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

// ---- QuizFile ----

std::optional<QuizFile> QuizFile::open(const std::string& name, int* error) {
    if (name.empty()) {
        if (error != nullptr) *error = ENOENT;
        return std::nullopt;
    }
    auto file = File::open_for_reading(name, error);
    if (!file) return std::nullopt;
    QuizFile quiz(std::move(*file));
    // A UTF-8 byte-order mark at the very start, which editors on Windows
    // often put there, is no part of the first line.
    if (!quiz.at_end() && quiz.len_ >= kByteOrderMark.size() &&
        std::string_view(quiz.buffer_.get(), kByteOrderMark.size()) == kByteOrderMark) {
        quiz.pos_ = kByteOrderMark.size();
    }
    return quiz;
}

QuizFile::QuizFile(File file) : file_(std::move(file)), buffer_(new char[kBufferSize]) {}

// Refills the buffer; false when no byte is left. A byte 26 cuts the buffer
// there and ends the file, so no later read ever looks beyond it.
bool QuizFile::fill() {
    pos_ = len_ = 0;
    if (eof_ || !file_) return false;
    const auto n = file_->read(buffer_.get(), kBufferSize);
    if (!n) {
        failed_ = true;
        eof_ = true;
        return false;
    }
    if (*n == 0) {
        eof_ = true;
        return false;
    }
    len_ = *n;
    if (const void* stop = std::memchr(buffer_.get(), kEndOfFileByte, len_)) {
        len_ = static_cast<std::size_t>(static_cast<const char*>(stop) - buffer_.get());
        bytes_after_end_byte_ = len_ + 1 < *n;
        eof_ = true;
    }
    return len_ > 0;
}

bool QuizFile::at_end() { return pos_ >= len_ && !fill(); }

bool QuizFile::read_line(std::string& out, std::size_t keep) {
    out.clear();
    if (at_end()) return false;
    // One byte beyond `keep` is gathered so that a CR ending a line of
    // exactly `keep` bytes can be told from text.
    const std::size_t room = keep < std::numeric_limits<std::size_t>::max() ? keep + 1 : keep;
    std::size_t raw_length = 0;
    char last = 0;
    for (;;) {
        const char* start = buffer_.get() + pos_;
        const std::size_t avail = len_ - pos_;
        const void* found = std::memchr(start, '\n', avail);
        const std::size_t chunk =
            found != nullptr ? static_cast<std::size_t>(static_cast<const char*>(found) - start) : avail;
        if (out.size() < room) out.append(start, std::min(chunk, room - out.size()));
        if (chunk > 0) last = start[chunk - 1];
        raw_length += chunk;
        if (found != nullptr) {
            pos_ += chunk + 1;
            break;
        }
        pos_ = len_;
        if (!fill()) break;  // the last line, with no line end
    }
    ++lines_done_;
    const std::size_t length = (raw_length > 0 && last == '\r') ? raw_length - 1 : raw_length;
    last_length_ = length;
    out.resize(std::min({out.size(), length, keep}));
    return true;
}

bool QuizFile::read_line_view(std::string_view& out, std::string& spare, std::size_t keep) {
    if (at_end()) {
        out = {};
        return false;
    }
    const char* start = buffer_.get() + pos_;
    const void* found = std::memchr(start, '\n', len_ - pos_);
    if (found == nullptr) {
        // The line runs on past the buffer, or is the last one: read as usual.
        const bool read = read_line(spare, keep);
        out = spare;
        return read;
    }
    const auto raw = static_cast<std::size_t>(static_cast<const char*>(found) - start);
    last_length_ = raw > 0 && start[raw - 1] == '\r' ? raw - 1 : raw;
    out = std::string_view(start, std::min(last_length_, keep));
    pos_ += raw + 1;
    ++lines_done_;
    return true;
}

bool QuizFile::skip_line() { return skip_lines(1) == 1; }

std::int64_t QuizFile::skip_lines(std::int64_t count) {
    std::int64_t skipped = 0;
    while (skipped < count) {
        if (at_end()) break;
        // Whole lines inside the buffer, then the piece of a line that runs
        // on into the next buffer.
        for (;;) {
            const void* found = std::memchr(buffer_.get() + pos_, '\n', len_ - pos_);
            if (found == nullptr) {
                pos_ = len_;
                if (!fill()) {
                    ++skipped;  // the last line, with no line end
                    break;
                }
                continue;
            }
            pos_ = static_cast<std::size_t>(static_cast<const char*>(found) - buffer_.get()) + 1;
            ++skipped;
            if (skipped == count || pos_ >= len_) break;
        }
    }
    lines_done_ += skipped;
    return skipped;
}

// ---- lines ----

std::optional<std::int16_t> whole_number(std::string_view line) {
    const WholeNumber n = parse_whole_number(line);
    if (n.kind != WholeNumber::Kind::Number || n.value < INT16_MIN || n.value > INT16_MAX) return std::nullopt;
    return static_cast<std::int16_t>(n.value);
}

std::string lower_ascii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

QuestionKind kind_of(std::string_view lowered_kind_line) {
    if (lowered_kind_line == "t") return QuestionKind::kTrueFalse;
    if (lowered_kind_line == "m") return QuestionKind::kMultipleChoice;
    if (lowered_kind_line == "f") return QuestionKind::kFillIn;
    return QuestionKind::kNone;
}

}  // namespace tavolin
