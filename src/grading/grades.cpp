#include "grading/grades.hpp"

#include <array>

#include "ground/base/format.hpp"
#include "ground/run/run_state.hpp"

namespace tavolin {

namespace {

// The first line, and the second line of the two comments that have one.
using Comment = std::array<std::string_view, 2>;

// One comment for every whole percentage, in order from 0 to 100. Raw strings
// keep the backslashes of 72, 73 and 83 as they are; mind the trailing blanks
// of 70, 87 and 89.
constexpr std::array<Comment, 101> kComments = {{
    /*   0 */ {{R"(Wow, you got a BIG FAT ZERO!!!!!)"}},
    /*   1 */ {{R"(HAHAHAHAHAHAHAHAHAHAHAHAHAAHAHAHAHAHAHAHA. At least you got 1.)"}},
    /*   2 */ {{R"(I guess your glad that you did not get only one point.)"}},
    /*   3 */ {{R"(Three French hens)"}},
    /*   4 */ {{R"(Look out world, here you come.)"}},
    /*   5 */ {{R"(Five golden rings!)"}},
    /*   6 */ {{R"(Wow, half a dozen.)"}},
    /*   7 */ {{R"(7 ??? How did you manage on getting this?)"}},
    /*   8 */ {{R"(Maybe you should join the army, there you can be all you can be.)"}},
    /*   9 */ {{R"(On the nineth day of Christmas, my true love gave to me...)"}},
    /*  10 */ {{R"(If this were out of ten points, you would have an A+)"}},
    /*  11 */ {{R"(If this were out of twelve points, you would still have an A.)"}},
    /*  12 */ {{R"(Wow, 12 percent, that is like a dozen.)"}},
    /*  13 */ {{R"(If I had a nickel for every point that you missed,)", R"(i might could get a value meal somewhere.)"}},
    /*  14 */ {{R"(This score is even more ridiculous than the other one.)"}},
    /*  15 */ {{R"(This score is more ridiculous than you can possibly know.)"}},
    /*  16 */ {{R"(Not much hope left, now.)"}},
    /*  17 */ {{R"(The cows have come home... and scared you away.)"}},
    /*  18 */ {{R"(You are not powerful enough to be a great cow.)"}},
    /*  19 */ {{R"(Some things hurt forever, this quiz won't though.)"}},
    /*  20 */ {{R"(A gerbel can do better.)"}},
    /*  21 */ {{R"(Don't worry, some say its all relative anyway.)"}},
    /*  22 */ {{R"(Blaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa. A bad score.)"}},
    /*  23 */ {{R"(Don't worry too much you are only, 77 points from a perfect score.)"}},
    /*  24 */ {{R"(This is like Ouch to the tenth power.)"}},
    /*  25 */ {{R"(You kinda stink at this huh?!)"}},
    /*  26 */ {{R"(The grass on the other side of the fence seems dead.)"}},
    /*  27 */ {{R"(I sense that the darkside has won already.)"}},
    /*  28 */ {{R"(I will be Commander Cow and you will be Cadet Cow, now MOO-ve.)"}},
    /*  29 */ {{R"(This is not very funny anymore.)"}},
    /*  30 */ {{R"(Wow, a 30% that is like half of a D-, ha, ha!)"}},
    /*  31 */ {{R"(You can cry on my shoulder, but don't get any snot on it.)"}},
    /*  32 */ {{R"(To celebrate your intelligence, I have decided to sell you a small island.)"}},
    /*  33 */ {{R"(I hope you don't go into brain surgery.)"}},
    /*  34 */ {{R"(So much for your mother's dreams of you becoming a dentist.)"}},
    /*  35 */ {{R"(Don't get steamed up, ok?)"}},
    /*  36 */ {{R"(Pretend that you are the little engine that could.)"}},
    /*  37 */ {{R"(Just click your heels together and pretend you did not get that grade.)"}},
    /*  38 */ {{R"(You don't need a silly diploma.)"}},
    /*  39 */ {{R"(Yep, Its all down hill from here.)"}},
    /*  40 */ {{R"(It is OK to cry.)"}},
    /*  41 */ {{R"(This is both a grade that Megaouchies and Megahertz.)"}},
    /*  42 */ {{R"(Chickens cross roads, but cows don't waist their time.)"}},
    /*  43 */ {{R"(Varrowin is smart. But everyone needs to study.)"}},
    /*  44 */ {{R"(Study hard, be a good cow.)"}},
    /*  45 */ {{R"(You ought to get your eyes checked, you keep picking the wrong answers.)"}},
    /*  46 */ {{R"(You are embarrassing me and yourself.)"}},
    /*  47 */ {{R"(Cow! Power! Pick yourself up and go again!)"}},
    /*  48 */ {{R"(Wow, maybe you should um, just try again.)"}},
    /*  49 */ {{R"(Would this be an 'F-'?)"}},
    /*  50 */ {{R"(Ya cud have dun batter.)"}},
    /*  51 */ {{R"(This is a quite embarrasing grade!)"}},
    /*  52 */ {{R"(Sometimes life just seems so unfair.)"}},
    /*  53 */ {{R"(Going to the moo-vies too much huh?)"}},
    /*  54 */ {{R"(Chicken soup may be good for the soul, but milk is good for hot chocolate.)"}},
    /*  55 */ {{R"(Who knew that one could sink lower than 'F+'?)"}},
    /*  56 */ {{R"(Go and study, live it and breath it. Then eat it. MOO.)"}},
    /*  57 */ {{R"(Some people just have bad luck.)"}},
    /*  58 */ {{R"(You need to quiz yourself again.)"}},
    /*  59 */ {{R"(Ouch. Ouch. Ouch, a 'F+' is a terrible grade.)"}},
    /*  60 */ {{R"(You are utter-ly hurting. Wow you really need to study!)"}},
    /*  61 */ {{R"(If you were a real cow, you would be doing better than this!)"}},
    /*  62 */ {{R"(If at first you don't succeed, try try again!)"}},
    /*  63 */ {{R"(Hmmm. Ah. Well, you're only 37% from a perfect score.)"}},
    /*  64 */ {{R"(It hurts to think of scores this low, right?)"}},
    /*  65 */ {{R"(Utter disaster is knocking at the door!)"}},
    /*  66 */ {{R"(Tavolin can work for you!)"}},
    /*  67 */ {{R"(In twenty years who is gonna care anyway. Moo.)"}},
    /*  68 */ {{R"(Be happy! You did get a 'D+' after all!)"}},
    /*  69 */ {{R"(Maybe a 'D' is not that bad after all?)"}},
    /*  70 */ {{R"(Ah, the last shred of dignity is dying. Moo :(  )"}},
    /*  71 */ {{R"(The cow spirits everywhere mourn for your sad grade!)"}},
    /*  72 */ {{R"(Moo Moo/\ That is cow for 'time to quit school and go back to the circus.)"}},
    /*  73 */ {{R"(Moo\ Moo- Moooo  That is cow for 'time to quit school and join the circus!)"}},
    /*  74 */ {{R"(Now you should worry, you have slipped below the middle of average!)"}},
    /*  75 */ {{R"('C' is average. Don't worry. Moo.)"}},
    /*  76 */ {{R"(Don't feel too bad your only about 24 points from a 100%.)"}},
    /*  77 */ {{R"(Way too much time spent playing video games?)"}},
    /*  78 */ {{R"(Too much time spent playing video games?)"}},
    /*  79 */ {{R"(Well, now your in the just average range.)"}},
    /*  80 */ {{R"(Moooo! The cow screams as he approaches 'C' level, where he will drown.)"}},
    /*  81 */ {{R"(Moo, the B is slipping down, like grass out of the third stomach)"}},
    /*  82 */ {{R"(It hurts when grades go down.)"}},
    /*  83 */ {{R"(Moo\  Moo/  Moo-   That is cow for Oh, no a 'B-')"}},
    /*  84 */ {{R"(If this continues maybe you won't get that good grade)", R"(that you wanted at the end of the semester.)"}},
    /*  85 */ {{R"(You are doing well, just keep chewing that cud.)"}},
    /*  86 */ {{R"(Make like a cow and get Moo-ving)"}},
    /*  87 */ {{R"(An above average grade :)  )"}},
    /*  88 */ {{R"(If only you had crammed a little harder)"}},
    /*  89 */ {{R"(You slipped below the 'A' line. :( )"}},
    /*  90 */ {{R"(Your letter grade is the same as if you had gotten a 91% Ha ha!)"}},
    /*  91 */ {{R"(This is still a kind of respectable grade. Moo.)"}},
    /*  92 */ {{R"(You should get Moo-ving so you don't loose your 'A.')"}},
    /*  93 */ {{R"(Well, You have earned a fine grade.)"}},
    /*  94 */ {{R"(Drink some moo-ca, your 'A' is slipping)"}},
    /*  95 */ {{R"(Doing well, don't stay up too many nights studying.)"}},
    /*  96 */ {{R"(Well, you're only four points away, Moo!)"}},
    /*  97 */ {{R"(You're right up there with the best of cows.)"}},
    /*  98 */ {{R"(You did very well. Moo!)"}},
    /*  99 */ {{R"(Well, You almost made a hundred!)"}},
    /* 100 */ {{R"(You did Moo-st excellent!)"}},
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

std::span<const std::string_view> comment_lines(int whole) {
    if (whole < 0 || whole > 100) return {};
    const Comment& c = kComments[static_cast<std::size_t>(whole)];
    return {c.data(), c[1].empty() ? 1U : 2U};
}

void GRADE_COMMENTS(Console& con, double GRADE_AVERAGED) {
    const double rounded = round_half_even(GRADE_AVERAGED);
    // Also false for a value that is not a number, which then has no comment.
    if (!(rounded >= 0 && rounded <= 100)) return;
    const auto R_VALUE = static_cast<std::int16_t>(rounded);
    for (const std::string_view line : comment_lines(R_VALUE)) con.write_line(line);
}

}  // namespace tavolin
