// The encoded results log "Encrypted_file.csf": one chained, encoded line per
// quiz event, added only when the file already exists.
#pragma once

#include <cstdint>
#include <string_view>

#include "shell/console.hpp"
#include "shell/platform.hpp"

namespace tavolin {

inline constexpr const char* kLogFileName = "Encrypted_file.csf";

// Event codes.
inline constexpr std::int16_t kEventGraded = 2;
inline constexpr std::int16_t kEventOpened = 3;
inline constexpr std::int16_t kEventMade = 4;

// Adds the line of one event (ENCOD_LOOP 4, 3 or 2) for the quiz file
// YOMENAME; OUTOF and GRD are the questions answered and the percentage of a
// graded quiz. Problems with the log are told on the console; the run always
// goes on.
void ENCODEON(Console& con, const Platform& platform, std::string_view YOMENAME, std::int16_t ENCOD_LOOP,
              std::int16_t OUTOF, double GRD);

}  // namespace tavolin
