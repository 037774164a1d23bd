#include "shell/chatter.hpp"

#include <array>
#include <limits>
#include <string_view>

#include "shell/menu.hpp"

namespace tavolin {

namespace {

// The reply for the n-th use from a table of ten; the last line answers every
// use after the tenth.
template <std::size_t N>
std::string_view by_count(const std::array<std::string_view, N>& replies, int n) {
    const auto index = static_cast<std::size_t>(n < 1 ? 1 : n) - 1;
    return replies[index < N ? index : N - 1];
}

constexpr std::array<std::string_view, 11> kGreetings = {
    "Hi!",
    "Hi.",
    "Hello?",
    "Hello?!",
    "Look, I said Hello, Ok?",
    "Hi! to you too!",
    "Ok, now, you can cut that out!!",
    "How are you doing, I am fine...",
    "Well,...I would be better, but an annoying deaf creature keeps bothering me!",
    "Enough is enough.",
    "Yep.",
};

constexpr std::array<std::string_view, 11> kCow = {
    "Yes?",
    "That's me!",
    "Cow says \"moo!\"",
    "That's my name, don'wear it out.",
    "What?",
    "Hmmm.",
    "Ok. Now you are starting to wear my name out.",
    "Cut it out. It is just a nickname.",
    "Moo.",
    "Moo?",
    "zzzzzzz",
};

constexpr std::array<std::string_view, 11> kMoo = {
    "Moo?",
    "Moo. Moo, Moooo???",
    R"(Moo/  MOOOO\?)",
    "Your not very good at speaking cow, huh?",
    "Your Moo has very bad inflection.",
    "No, no, like this, 'moo.'",
    "Well that was not too much better.",
    "You are one crazy cow!",
    "Moo^  Moo, moooo?",
    "It doesn't seem like your getting it. I give up!",
    "I'm not listening anymore!",
};

const std::array<std::string, 10> kAuthor = {
    "That's my name!!!",
    "This is a cool program!",
    "Donate to help Varrowin!",
    "Tavolin, Version 1.04",
    "Moo! I am Clover, the Tavolin cow, and I grade every quiz myself.",
    std::string("Look for a newer version of Tavolin @ ") + kWebAddress + "!",
    "I hope the website is still there.",
    "You must be bored.",
    "Really bored",
    "No, I mean really cowishly bored.",
};

// Counters only grow; they stop at the top of their range instead of
// wrapping into replies for negative counts.
template <typename T>
void count_use(T& counter) {
    if (counter < std::numeric_limits<T>::max()) ++counter;
}

std::string help_reply(std::int32_t x) {
    if (x == 0) return "Please see the readme.txt file.";
    if (x >= 1 && x <= 4) return std::string("Try checking ") + kWebAddress + ".";
    if (x == 10) return "The 'help' command doesn't do anything else than tell you these four messages.";
    return "Maybe you should just check the readme.txt file.";
}

}  // namespace

std::string growing_sentence(int n) {
    std::string line = "I mean really, really,";
    for (int i = 10; n >= 12 && i <= n; ++i) line += " really,";
    if (n > 70) line += " cowishly,";
    if (n > 50) line += " wow,";
    if (n > 30) line += " stinking";
    line += " bored!";
    if (n % 2 == 0 || n % 3 == 0) line.append(static_cast<std::size_t>(n - 9), '!');
    return line;
}

void chatter_reply(Console& con, RunState& st, std::int16_t code) {
    switch (code) {
        case menu_code::kGreeting:
            count_use(st.LOOP);
            con.write_line(by_count(kGreetings, st.LOOP));
            break;
        case menu_code::kCow:
            count_use(st.LOOP2);
            con.write_line(by_count(kCow, st.LOOP2));
            break;
        case menu_code::kMoo:
            count_use(st.LOOP3);
            con.write_line(by_count(kMoo, st.LOOP3));
            break;
        case menu_code::kAuthor:
            count_use(st.LOOP4);
            if (st.LOOP4 <= 10) {
                con.write_line(kAuthor[static_cast<std::size_t>(st.LOOP4) - 1]);
            } else {
                con.write_line(growing_sentence(st.LOOP4));
                st.X = st.LOOP4;  // the sentence's loop counter is the shared X
            }
            break;
        case menu_code::kHelp:
            con.write_line(help_reply(st.X));
            count_use(st.X);
            break;
        default:
            break;
    }
}

}  // namespace tavolin
