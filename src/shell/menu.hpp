// The title screen and the menu question.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ground/console/console.hpp"

namespace tavolin {

// Menu codes as the menu question returns them.
namespace menu_code {
inline constexpr std::int16_t kMake = 1;
inline constexpr std::int16_t kTake = 2;
inline constexpr std::int16_t kReport = 3;  // after normalising: quit
inline constexpr std::int16_t kQuit = 4;
inline constexpr std::int16_t kMenu = 5;
inline constexpr std::int16_t kGreeting = 6;
inline constexpr std::int16_t kCow = 7;
inline constexpr std::int16_t kMoo = 8;
inline constexpr std::int16_t kAuthor = 9;
inline constexpr std::int16_t kHelp = 10;
}  // namespace menu_code

// Draws the title screen with the four options on a cleared screen; returns 0.
std::int16_t MENU_CHOICE(Console& con);

// Asks for the menu choice until an accepted word is typed and returns its
// code. REDUNDANTZ 0 gives the four-option menu, anything else the three-option
// one (where "3" quits); QUIT_OPTION_VALUE 5 asks below what is on the screen,
// anything else clears it and draws the menu box first.
std::int16_t CALLD_MENU(Console& con, std::int16_t REDUNDANTZ, std::int16_t QUIT_OPTION_VALUE);

// An answer as the menu compares it: blanks, tabs, CR and LF gone from both
// ends, A to Z made small.
std::string normalise_menu_answer(std::string_view typed);

// The code of a normalised answer in the given menu form, or 0 when the word is
// not accepted there.
std::int16_t menu_code_of(std::string_view answer, std::int16_t REDUNDANTZ);

}  // namespace tavolin
