// The replies to the chatter words typed at the menu (greetings, "cow",
// "moo", the author's handle, "help"). Each word has its own counter, so the
// replies change with every use.
#pragma once

#include <cstdint>
#include <string>

#include "ground/console/console.hpp"
#include "ground/run/run_state.hpp"

namespace tavolin {

// The project's web address (a reserved, example-only name).
inline constexpr const char* kWebAddress = "www.tavolin.example";

// Writes the reply for menu code 6 to 10 and counts the use.
void chatter_reply(Console& con, RunState& st, std::int16_t code);

// The growing sentence for the n-th use of the author's handle (n >= 11).
std::string growing_sentence(int n);

}  // namespace tavolin
