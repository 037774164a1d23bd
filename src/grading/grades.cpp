#include "grading/grades.hpp"

#include <array>

#include "shell/format.hpp"
#include "shell/run_state.hpp"

namespace tavolin {

namespace {

// One comment per whole percentage; 13 and 84 have two lines.
struct Comment {
    std::string_view first;
    std::string_view second;
};

constexpr std::array<Comment, 101> kComments = {{
    /*   0 */ {"Wow, you got a BIG FAT ZERO!!!!!", ""},
    /*   1 */ {"HAHAHAHAHAHAHAHAHAHAHAHAHAAHAHAHAHAHAHAHA. At least you got 1.", ""},
    /*   2 */ {"I guess your glad that you did not get only one point.", ""},
    /*   3 */ {"Three French hens", ""},
    /*   4 */ {"Look out world, here you come.", ""},
    /*   5 */ {"Five golden rings!", ""},
    /*   6 */ {"Wow, half a dozen.", ""},
    /*   7 */ {"7 ??? How did you manage on getting this?", ""},
    /*   8 */ {"Maybe you should join the army, there you can be all you can be.", ""},
    /*   9 */ {"On the nineth day of Christmas, my true love gave to me...", ""},
    /*  10 */ {"If this were out of ten points, you would have an A+", ""},
    /*  11 */ {"If this were out of twelve points, you would still have an A.", ""},
    /*  12 */ {"Wow, 12 percent, that is like a dozen.", ""},
    /*  13 */ {"If I had a nickel for every point that you missed,", "i might could get a value meal somewhere."},
    /*  14 */ {"This score is even more ridiculous than the other one.", ""},
    /*  15 */ {"This score is more ridiculous than you can possibly know.", ""},
    /*  16 */ {"Not much hope left, now.", ""},
    /*  17 */ {"The cows have come home... and scared you away.", ""},
    /*  18 */ {"You are not powerful enough to be a great cow.", ""},
    /*  19 */ {"Some things hurt forever, this quiz won't though.", ""},
    /*  20 */ {"A gerbel can do better.", ""},
    /*  21 */ {"Don't worry, some say its all relative anyway.", ""},
    /*  22 */ {"Blaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa. A bad score.", ""},
    /*  23 */ {"Don't worry too much you are only, 77 points from a perfect score.", ""},
    /*  24 */ {"This is like Ouch to the tenth power.", ""},
    /*  25 */ {"You kinda stink at this huh?!", ""},
    /*  26 */ {"The grass on the other side of the fence seems dead.", ""},
    /*  27 */ {"I sense that the darkside has won already.", ""},
    /*  28 */ {"I will be Commander Cow and you will be Cadet Cow, now MOO-ve.", ""},
    /*  29 */ {"This is not very funny anymore.", ""},
    /*  30 */ {"Wow, a 30% that is like half of a D-, ha, ha!", ""},
    /*  31 */ {"You can cry on my shoulder, but don't get any snot on it.", ""},
    /*  32 */ {"To celebrate your intelligence, I have decided to sell you a small island.", ""},
    /*  33 */ {"I hope you don't go into brain surgery.", ""},
    /*  34 */ {"So much for your mother's dreams of you becoming a dentist.", ""},
    /*  35 */ {"Don't get steamed up, ok?", ""},
    /*  36 */ {"Pretend that you are the little engine that could.", ""},
    /*  37 */ {"Just click your heels together and pretend you did not get that grade.", ""},
    /*  38 */ {"You don't need a silly diploma.", ""},
    /*  39 */ {"Yep, Its all down hill from here.", ""},
    /*  40 */ {"It is OK to cry.", ""},
    /*  41 */ {"This is both a grade that Megaouchies and Megahertz.", ""},
    /*  42 */ {"Chickens cross roads, but cows don't waist their time.", ""},
    /*  43 */ {"Varrowin is smart. But everyone needs to study.", ""},
    /*  44 */ {"Study hard, be a good cow.", ""},
    /*  45 */ {"You ought to get your eyes checked, you keep picking the wrong answers.", ""},
    /*  46 */ {"You are embarrassing me and yourself.", ""},
    /*  47 */ {"Cow! Power! Pick yourself up and go again!", ""},
    /*  48 */ {"Wow, maybe you should um, just try again.", ""},
    /*  49 */ {"Would this be an 'F-'?", ""},
    /*  50 */ {"Ya cud have dun batter.", ""},
    /*  51 */ {"This is a quite embarrasing grade!", ""},
    /*  52 */ {"Sometimes life just seems so unfair.", ""},
    /*  53 */ {"Going to the moo-vies too much huh?", ""},
    /*  54 */ {"Chicken soup may be good for the soul, but milk is good for hot chocolate.", ""},
    /*  55 */ {"Who knew that one could sink lower than 'F+'?", ""},
    /*  56 */ {"Go and study, live it and breath it. Then eat it. MOO.", ""},
    /*  57 */ {"Some people just have bad luck.", ""},
    /*  58 */ {"You need to quiz yourself again.", ""},
    /*  59 */ {"Ouch. Ouch. Ouch, a 'F+' is a terrible grade.", ""},
    /*  60 */ {"You are utter-ly hurting. Wow you really need to study!", ""},
    /*  61 */ {"If you were a real cow, you would be doing better than this!", ""},
    /*  62 */ {"If at first you don't succeed, try try again!", ""},
    /*  63 */ {"Hmmm. Ah. Well, you're only 37% from a perfect score.", ""},
    /*  64 */ {"It hurts to think of scores this low, right?", ""},
    /*  65 */ {"Utter disaster is knocking at the door!", ""},
    /*  66 */ {"Tavolin can work for you!", ""},
    /*  67 */ {"In twenty years who is gonna care anyway. Moo.", ""},
    /*  68 */ {"Be happy! You did get a 'D+' after all!", ""},
    /*  69 */ {"Maybe a 'D' is not that bad after all?", ""},
    /*  70 */ {"Ah, the last shred of dignity is dying. Moo :(  ", ""},
    /*  71 */ {"The cow spirits everywhere mourn for your sad grade!", ""},
    /*  72 */ {"Moo Moo/\\ That is cow for 'time to quit school and go back to the circus.", ""},
    /*  73 */ {"Moo\\ Moo- Moooo  That is cow for 'time to quit school and join the circus!", ""},
    /*  74 */ {"Now you should worry, you have slipped below the middle of average!", ""},
    /*  75 */ {"'C' is average. Don't worry. Moo.", ""},
    /*  76 */ {"Don't feel too bad your only about 24 points from a 100%.", ""},
    /*  77 */ {"Way too much time spent playing video games?", ""},
    /*  78 */ {"Too much time spent playing video games?", ""},
    /*  79 */ {"Well, now your in the just average range.", ""},
    /*  80 */ {"Moooo! The cow screams as he approaches 'C' level, where he will drown.", ""},
    /*  81 */ {"Moo, the B is slipping down, like grass out of the third stomach", ""},
    /*  82 */ {"It hurts when grades go down.", ""},
    /*  83 */ {"Moo\\  Moo/  Moo-   That is cow for Oh, no a 'B-'", ""},
    /*  84 */ {"If this continues maybe you won't get that good grade", "that you wanted at the end of the semester."},
    /*  85 */ {"You are doing well, just keep chewing that cud.", ""},
    /*  86 */ {"Make like a cow and get Moo-ving", ""},
    /*  87 */ {"An above average grade :)  ", ""},
    /*  88 */ {"If only you had crammed a little harder", ""},
    /*  89 */ {"You slipped below the 'A' line. :( ", ""},
    /*  90 */ {"Your letter grade is the same as if you had gotten a 91% Ha ha!", ""},
    /*  91 */ {"This is still a kind of respectable grade. Moo.", ""},
    /*  92 */ {"You should get Moo-ving so you don't loose your 'A.'", ""},
    /*  93 */ {"Well, You have earned a fine grade.", ""},
    /*  94 */ {"Drink some moo-ca, your 'A' is slipping", ""},
    /*  95 */ {"Doing well, don't stay up too many nights studying.", ""},
    /*  96 */ {"Well, you're only four points away, Moo!", ""},
    /*  97 */ {"You're right up there with the best of cows.", ""},
    /*  98 */ {"You did very well. Moo!", ""},
    /*  99 */ {"Well, You almost made a hundred!", ""},
    /* 100 */ {"You did Moo-st excellent!", ""},
}};

}  // namespace

double GRADE_AVERAGE(std::int16_t GRADE_NUMBER, double GRADES_ADDED) { return GRADES_ADDED / GRADE_NUMBER; }

char ASSIGN_GRADE(double GRADES_AVERAGE) {
    if (GRADES_AVERAGE >= A_GRADE) return 'A';
    if (GRADES_AVERAGE >= B_GRADE) return 'B';
    if (GRADES_AVERAGE >= C_GRADE) return 'C';
    if (GRADES_AVERAGE >= D_GRADE) return 'D';
    return 'F';
}

void DISPLAY_RESULTS(Console& con, char LETTER_GRADE, double GRADES_AVERAGE) {
    con.write("Your grade on the quiz is ");
    con.write(std::string_view(&LETTER_GRADE, 1));
    con.write(", with a ");
    con.write_fixed2(GRADES_AVERAGE, 4);
    con.write_line("%.");
}

std::vector<std::string_view> comment_lines(int whole) {
    if (whole < 0 || whole > 100) return {};
    const Comment& c = kComments[static_cast<std::size_t>(whole)];
    if (c.second.empty()) return {c.first};
    return {c.first, c.second};
}

void GRADE_COMMENTS(Console& con, double GRADE_AVERAGED) {
    const double rounded = round_half_even(GRADE_AVERAGED);
    // Only 0 to 100 have a comment; anything else (never a real percentage)
    // writes nothing, and is kept clear of the integer conversion.
    if (!(rounded >= 0 && rounded <= 100)) return;
    const auto R_VALUE = static_cast<std::int16_t>(rounded);
    for (const std::string_view line : comment_lines(R_VALUE)) con.write_line(line);
}

}  // namespace tavolin
