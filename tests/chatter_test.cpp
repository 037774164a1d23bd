#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/chatter.hpp"
#include "shell/menu.hpp"
#include "shell/console/scripted_console.hpp"

namespace tavolin {
namespace {

// The replies to n uses of one keyword, one per line.
std::vector<std::string> replies(RunState& st, std::int16_t code, int n) {
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i) {
        ScriptedConsole con;
        chatter_reply(con, st, code);
        std::string text = con.text();
        EXPECT_EQ(text.back(), '\n');
        text.pop_back();
        out.push_back(text);
    }
    return out;
}

TEST(Chatter, GreetingsEscalateThenSettle) {
    RunState st;
    const auto r = replies(st, menu_code::kGreeting, 13);
    EXPECT_EQ(r[0], "Hi!");
    EXPECT_EQ(r[1], "Hi.");
    EXPECT_EQ(r[4], "Look, I said Hello, Ok?");
    EXPECT_EQ(r[8], "Well,...I would be better, but an annoying deaf creature keeps bothering me!");
    EXPECT_EQ(r[9], "Enough is enough.");
    EXPECT_EQ(r[10], "Yep.");
    EXPECT_EQ(r[12], "Yep.");
    EXPECT_EQ(st.LOOP, 13);
}

TEST(Chatter, CowAndMooKeepTheirOwnCounters) {
    RunState st;
    auto cow = replies(st, menu_code::kCow, 3);
    EXPECT_EQ(cow[2], "Cow says \"moo!\"");
    auto moo = replies(st, menu_code::kMoo, 3);
    EXPECT_EQ(moo[0], "Moo?");
    EXPECT_EQ(moo[1], "Moo. Moo, Moooo???");
    EXPECT_EQ(moo[2], "Moo/  MOOOO\\?");
    cow = replies(st, menu_code::kCow, 9);
    EXPECT_EQ(cow[0], "That's my name, don'wear it out.");
    EXPECT_EQ(cow[7], "zzzzzzz");
    EXPECT_EQ(st.LOOP2, 12);
    EXPECT_EQ(st.LOOP3, 3);
}

TEST(Chatter, AuthorHandleSixthReplyCarriesTheWebAddress) {
    RunState st;
    const auto r = replies(st, menu_code::kAuthor, 10);
    EXPECT_EQ(r[3], "Tavolin, Version 1.04");
    EXPECT_FALSE(r[4].empty());
    EXPECT_EQ(r[5], "Look for a newer version of Tavolin @ www.tavolin.example!");
    EXPECT_EQ(r[9], "No, I mean really cowishly bored.");
}

TEST(Chatter, GrowingSentence) {
    EXPECT_EQ(growing_sentence(11), "I mean really, really, bored!");
    EXPECT_EQ(growing_sentence(12), "I mean really, really, really, really, really, bored!!!!");
    EXPECT_EQ(growing_sentence(13), "I mean really, really, really, really, really, really, bored!");
    const std::string s15 = growing_sentence(15);
    EXPECT_EQ(s15, "I mean really, really, really, really, really, really, really, really, bored!!!!!!!");
    EXPECT_EQ(growing_sentence(31),
              "I mean really, really," + [] {
                  std::string s;
                  for (int i = 0; i < 22; ++i) s += " really,";
                  return s;
              }() + " stinking bored!");
    const std::string s51 = growing_sentence(51);
    EXPECT_NE(s51.find(" really, wow, stinking bored!!"), std::string::npos);
    EXPECT_EQ(s51.size() - s51.find("bored!") - 6, 42U);  // 51 is divisible by 3
    const std::string s71 = growing_sentence(71);
    EXPECT_NE(s71.find(" really, cowishly, wow, stinking bored!"), std::string::npos);
    EXPECT_EQ(s71.back(), '!');
    EXPECT_EQ(s71.substr(s71.size() - 7), " bored!");  // 71 is odd and not divisible by 3
}

TEST(Chatter, GrowingSentenceLeavesTheSharedCounterAtTheUseCount) {
    RunState st;
    const auto r = replies(st, menu_code::kAuthor, 12);
    EXPECT_EQ(r[10], "I mean really, really, bored!");
    EXPECT_EQ(r[11], "I mean really, really, really, really, really, bored!!!!");
    EXPECT_EQ(st.X, 12);
    EXPECT_EQ(replies(st, menu_code::kHelp, 1)[0], "Maybe you should just check the readme.txt file.");
}

TEST(Chatter, HelpRunsThroughItsFourMessagesByTheSharedCounter) {
    RunState st;
    const auto r = replies(st, menu_code::kHelp, 13);
    const std::string readme = "Please see the readme.txt file.";
    const std::string web = "Try checking www.tavolin.example.";
    const std::string check = "Maybe you should just check the readme.txt file.";
    const std::string four = "The 'help' command doesn't do anything else than tell you these four messages.";
    const std::vector<std::string> expected = {readme, web,   web,   web,   web,  check, check,
                                               check,  check, check, four,  check, check};
    EXPECT_EQ(r, expected);
    EXPECT_EQ(st.X, 13);

    RunState shared;
    shared.X = 4;  // as another dialogue may leave it
    EXPECT_EQ(replies(shared, menu_code::kHelp, 2), (std::vector<std::string>{web, check}));
}

}  // namespace
}  // namespace tavolin
