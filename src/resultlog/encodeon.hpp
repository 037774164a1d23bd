// The encoded results log "Encrypted_file.csf": one chained, encoded line per
// quiz event, added only when the file already exists.
//
// What the user is told (each message one line, in the current colour):
//   - no log, or a log that cannot be read: an empty line, then
//     "The file, 'Encrypted_file.csf' was not found."; no file is made;
//   - a log whose numbers cannot be read: "Encryption file is corrupt!"; the
//     file is not touched;
//   - a log that can be read but not opened for adding (read-only):
//     "The results log could not be opened for adding; this event was not logged.";
//   - a log that another run keeps for its own event for more than a few
//     seconds: "The results log is in use by another run; this event was not logged.";
//   - a line that could not be written whole (a full disk, a file size limit):
//     the file is cut back to its length before the event and
//     "The results log could not be written; this event was not logged.";
//     if even the cutting back fails,
//     "The results log could not be written or repaired; its last line may be broken."
// Nothing else is ever written, nothing is asked, and the run always goes on.
#pragma once

#include <cstdint>
#include <string_view>

#include "ground/console/console.hpp"
#include "ground/platform/platform.hpp"
#include "resultlog/log_scheme.hpp"

namespace tavolin {

// Event codes.
inline constexpr std::int16_t kEventGraded = 2;
inline constexpr std::int16_t kEventOpened = 3;
inline constexpr std::int16_t kEventMade = 4;

inline constexpr std::string_view kLogNotFound = "The file, 'Encrypted_file.csf' was not found.";
inline constexpr std::string_view kLogCorrupt = "Encryption file is corrupt!";
inline constexpr std::string_view kLogNotOpened =
    "The results log could not be opened for adding; this event was not logged.";
inline constexpr std::string_view kLogInUse =
    "The results log is in use by another run; this event was not logged.";
inline constexpr std::string_view kLogNotWritten = "The results log could not be written; this event was not logged.";
inline constexpr std::string_view kLogNotRepaired =
    "The results log could not be written or repaired; its last line may be broken.";

// Adds the line of one event (ENCOD_LOOP 4, 3 or 2) for the quiz file
// YOMENAME; OUTOF and GRD are the questions answered and the percentage of a
// graded quiz. For any other code the log is read and opened for adding but
// gets no line. The line goes on whole or not at all, made from the line that
// is last when it goes on: other runs' events on the same log wait for this
// one, and this one for theirs. Problems with the log are told on the
// console; the run always goes on.
void ENCODEON(Console& con, const Platform& platform, std::string_view YOMENAME, std::int16_t ENCOD_LOOP,
              std::int16_t OUTOF, double GRD);

}  // namespace tavolin
