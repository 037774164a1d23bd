#include "check/check_files.hpp"

#include <algorithm>
#include <cerrno>
#include <optional>

#include "authoring/quiz_check.hpp"

namespace tavolin {

int check_files(const std::vector<std::string>& names, command::Output& out, command::Output& err) {
    int status = command::kExitClean;
    for (const std::string& name : names) {
        int error = 0;
        std::optional<QuizFile> file = QuizFile::open(name, &error);
        if (file) {
            const CheckSummary summary = check_quiz_file(*file, [&](const Finding& f) {
                command::tell_fault(out, err, name, f.line, f.severity == Finding::Severity::kError, f.text);
            });
            if (file->failed()) {
                error = EIO;
            } else {
                if (summary.errors == 0) out.line(name + ": " + summary_text(summary));
                if (summary.errors > 0) status = std::max(status, command::kExitFaults);
                continue;
            }
        }
        command::tell_unreadable(out, err, "tavolin-check", name, error);
        status = command::kExitTrouble;
    }
    return status;
}

}  // namespace tavolin
