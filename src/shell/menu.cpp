#include "shell/menu.hpp"

#include <array>
#include <utility>

#include "ground/base/banner.hpp"
#include "ground/base/blanks.hpp"

namespace tavolin {

namespace {

constexpr int kFrameWidth = 79;
constexpr std::size_t kInnerWidth = 74;  // text between "*  " and " *"

const std::string kStars(kFrameWidth, '*');

// The banner's letters start this many blanks into the frame.
constexpr std::size_t kBannerIndent = 8;

std::string padded(std::string_view text, std::size_t width) {
    std::string s(text);
    if (s.size() < width) s.append(width - s.size(), ' ');
    return s;
}

// One framed text line: "*  ", the text in white padded to 74, " *".
void framed_text(Console& con, std::string_view text) {
    con.set_colour(colour::kLightBlue);
    con.write("*  ");
    con.set_colour(colour::kWhite);
    con.write(padded(text, kInnerWidth));
    con.set_colour(colour::kLightBlue);
    con.write_line(" *");
}

void draw_menu_box(Console& con, std::int16_t REDUNDANTZ) {
    con.set_colour(colour::kLightBlue);
    con.write_line(kStars);
    con.write(std::string(35, '*') + "  ");
    con.set_colour(colour::kWhite);
    con.write("MENU");
    con.set_colour(colour::kLightBlue);
    con.write_line("  " + std::string(36, '*'));
    con.write_line(kStars);
    framed_text(con, "Please make your selection:");
    framed_text(con, REDUNDANTZ == 0
                         ? "   1) Make a quiz     2) Quiz     3) Quiz self and report!     4) Quit    "
                         : "      1) Make a quiz      2) Quiz       3) Quit                           ");
    con.set_colour(colour::kLightBlue);
    con.write_line(kStars);
    con.set_colour(colour::kWhite);
}

}  // namespace

std::int16_t MENU_CHOICE(Console& con) {
    con.end_line();
    con.set_colour(colour::kLightBlue);
    con.write_line(kStars);
    con.write("*" + std::string(38, ' '));
    con.set_colour(colour::kWhite);
    con.write(std::string(kCredit) + "       ");
    con.set_colour(colour::kLightBlue);
    con.write_line("   *");
    for (const std::string_view row : kBannerRows) {
        con.set_colour(colour::kLightBlue);
        con.write("* ");
        con.set_colour(colour::kRed);
        con.write(std::string(kBannerIndent, ' ') + std::string(row));
        con.set_colour(colour::kLightBlue);
        con.write(std::string(kFrameWidth - 3 - kBannerIndent - row.size(), ' '));
        con.write_line("*");
    }
    con.write_line(kStars);  // no letter reaches below the banner
    framed_text(con, "Please make your selection:");
    framed_text(con, "1) Make a quiz  2) Use a quiz (already made)  3) Quiz and make a report   ");
    framed_text(con, "4) Quit");
    con.set_colour(colour::kLightBlue);
    con.write_line(kStars);
    con.set_colour(colour::kWhite);
    return 0;
}

std::string normalise_menu_answer(std::string_view typed) {
    std::string answer = trim_blanks(typed);
    for (char& c : answer) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return answer;
}

std::int16_t menu_code_of(std::string_view answer, std::int16_t REDUNDANTZ) {
    static constexpr std::array<std::pair<std::string_view, std::int16_t>, 15> kWords = {{
        {"1", menu_code::kMake},
        {"2", menu_code::kTake},
        {"exit", menu_code::kQuit},
        {"quit", menu_code::kQuit},
        {"menu", menu_code::kMenu},
        {"hi", menu_code::kGreeting},
        {"hi!", menu_code::kGreeting},
        {"hello", menu_code::kGreeting},
        {"hello!", menu_code::kGreeting},
        {"hello.", menu_code::kGreeting},
        {"cow", menu_code::kCow},
        {"moo", menu_code::kMoo},
        {"moo!", menu_code::kMoo},
        {"varrowin", menu_code::kAuthor},
        {"help", menu_code::kHelp},
    }};
    const bool four_options = REDUNDANTZ == 0;
    if (answer == "3") return four_options ? menu_code::kReport : menu_code::kQuit;
    if (answer == "4") return four_options ? menu_code::kQuit : 0;
    for (const auto& [word, code] : kWords) {
        if (answer == word) return code;
    }
    return 0;
}

std::int16_t CALLD_MENU(Console& con, std::int16_t REDUNDANTZ, std::int16_t QUIT_OPTION_VALUE) {
    con.show_cursor();
    if (QUIT_OPTION_VALUE != 5) {
        con.clear_screen();
        draw_menu_box(con, REDUNDANTZ);
    }
    con.end_line();
    const std::string_view prompt = REDUNDANTZ == 0 ? "Numbers 1-4   > " : "Numbers 1-3   > ";
    con.write(prompt);
    std::string QUIZ_CHOICE = normalise_menu_answer(con.read_line());
    std::int16_t code = menu_code_of(QUIZ_CHOICE, REDUNDANTZ);
    while (code == 0) {
        con.end_line();
        con.write_line("Your choice was invalid, try again.");
        con.write(prompt);
        QUIZ_CHOICE = normalise_menu_answer(con.read_line());
        code = menu_code_of(QUIZ_CHOICE, REDUNDANTZ);
    }
    return code;
}

}  // namespace tavolin
