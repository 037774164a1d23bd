// The program's fixed numbers: the lowest percentage of each letter grade,
// and the limits of a quiz file that the reader, the dialogues and the run
// state all size themselves by.
#pragma once

namespace tavolin {

inline constexpr int A_GRADE = 90;
inline constexpr int B_GRADE = 80;
inline constexpr int C_GRADE = 70;
inline constexpr int D_GRADE = 60;
inline constexpr int MASS = 3000;        // most questions given from one file
inline constexpr int ANSWERCRAND = 100;  // most answers of one question
inline constexpr int kTypedLineBytes = 254;  // most bytes of one line typed at the keyboard

}  // namespace tavolin
