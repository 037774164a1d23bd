#include "ground/cli/command_line.hpp"

#include <algorithm>
#include <cerrno>

#include "ground/platform/command_words.hpp"

#ifndef TAVOLIN_VERSION
#error "the build gives the version as TAVOLIN_VERSION"
#endif
#ifndef TAVOLIN_TEXT_MANUALS
#error "the build says how the manuals are installed: as text files (TAVOLIN_TEXT_MANUALS 1) or man pages (0)"
#endif

namespace tavolin::command {

namespace {

// Collected output goes out once this much is waiting.
constexpr std::size_t kFlushAt = 64 * 1024;

constexpr bool kTextManuals = TAVOLIN_TEXT_MANUALS != 0;

}  // namespace

bool Arguments::has(std::string_view option) const {
    return std::find(options.begin(), options.end(), option) != options.end();
}

Arguments parse_arguments(int argc, const char* const* argv, std::initializer_list<std::string_view> known) {
    Arguments args;
    bool options_end = false;
    for (const std::string& word : command_words(argc, argv)) {
        if (options_end || word.size() < 2 || word.front() != '-') {
            args.operands.emplace_back(word);
        } else if (word == "--") {
            options_end = true;
        } else if (std::find(known.begin(), known.end(), word) != known.end()) {
            args.options.emplace_back(word);
        } else if (word == "-h" && std::find(known.begin(), known.end(), "--help") != known.end()) {
            args.options.emplace_back("--help");
        } else if (args.unknown.empty()) {
            args.unknown = word;
        }
    }
    return args;
}

void Output::text(std::string_view text) {
    buffer_ += text;
    if (buffer_.size() >= kFlushAt) flush();
}

bool Output::flush() {
    if (!buffer_.empty() && error_ == 0) error_ = write_standard(stream_, buffer_);
    buffer_.clear();
    return error_ == 0;
}

bool reader_gone(int error) { return error == EPIPE; }

int finish(std::string_view program, Output& out, Output& err, int status, int trouble) {
    out.flush();
    if (out.error() != 0 && !reader_gone(out.error())) {
        err.line(std::string(program) + ": write error: " + error_text(out.error()));
    }
    return err.flush() && out.error() == 0 ? status : trouble;
}

void tell_fault(Output& out, Output& err, std::string_view file, std::int64_t line, bool error,
                std::string_view text) {
    out.flush();
    err.text(file);
    err.text(":");
    err.text(std::to_string(line));
    err.text(error ? ": error: " : ": warning: ");
    err.line(text);
    err.flush();
}

void tell_unreadable(Output& out, Output& err, std::string_view program, std::string_view file, int error) {
    out.flush();
    err.line(std::string(program) + ": " + std::string(file) + ": " + error_text(error));
    err.flush();
}

std::string version_text(std::string_view program) {
    const std::string end(text_line_end());
    return std::string(program) + " (Tavolin) " TAVOLIN_VERSION + end + "Copyright The Tavolin developers. MIT licence." +
           end;
}

int refuse_usage(const CommandInfo& info, Output& err, std::string_view what) {
    err.line(std::string(info.program) + ": " + std::string(what));
    err.line(std::string(info.help.front()) + "   (" + std::string(info.program) + " --help tells more)");
    return info.usage_status;
}

std::optional<int> answer_standard_options(const Arguments& args, const CommandInfo& info, Output& out, Output& err) {
    if (!args.unknown.empty()) return refuse_usage(info, err, "unknown option " + args.unknown);
    if (!info.takes_operands && !args.operands.empty()) {
        return refuse_usage(info, err, "unexpected operand " + args.operands.front());
    }
    if (args.has("--help")) {
        for (const std::string_view line : info.help) out.line(line);
        for (const Manual& manual : info.manuals) {
            out.line(std::string(manual.topic) + ": " +
                     (kTextManuals ? std::string(manual.text_file) : "man " + std::string(manual.page)) + ".");
        }
        return kExitClean;
    }
    if (args.has("--version")) {
        out.text(version_text(info.program));
        return kExitClean;
    }
    return std::nullopt;
}

}  // namespace tavolin::command
