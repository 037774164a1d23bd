#include "taking/presentation.hpp"

#include <utility>

#include "ground/base/errors.hpp"
#include "ground/base/text_width.hpp"

namespace tavolin {

namespace {

constexpr int kThreshold = 61;
constexpr std::size_t kField = 5;

}  // namespace

void force_close(Console& con) {
    con.write_line("Program has violated continue prerogative and must close!");
    con.pause_ms(3000);
    throw ForcedClose();
}

void write_heading(Console& con, const RunState& st, QuestionKind kind) {
    switch (kind) {
        case QuestionKind::kMultipleChoice:
            con.write("Multiple Choice: ");
            break;
        case QuestionKind::kTrueFalse:
            con.write("True/False: ");
            break;
        case QuestionKind::kFillIn:
            con.write("Fill in the Blank: ");
            break;
        case QuestionKind::kNone:
            force_close(con);
    }
    if (st.LOOP3RAN != 1) {
        con.write("Question ");
        con.write_int(st.LOOP4RAN);
        con.write(" out of ");
        con.write_int(st.LOOP3RAN);
        con.end_line();
    }
}

void QUESTION_A_READ(Console& con, std::string_view QUESTION) {
    con.write_line(screen_form(QUESTION));
    con.end_line();
}

// ---- answer layout ----

void AnswerLayout::write_entry(int p, std::string_view text) {
    std::string number = std::to_string(p);
    std::string out;
    out.reserve(kField * 2 + 2 + text.size());
    if (number.size() < kField) out.append(kField - number.size(), ' ');
    out += number;
    out += ") ";
    if (const std::size_t columns = text_columns(text); columns < kField) out.append(kField - columns, ' ');
    out += text;
    con_.write(out);
}

void AnswerLayout::entry(int p, std::string_view text) {
    const int len = static_cast<int>(text_columns(text));
    if (p == 1) {
        L1 = len;
        L2 = 0;
        L3 = 0;
        write_entry(p, text);
        RETURNED = 0;
    } else if (p % 3 == 2) {
        L2 = len;
        if (L1 + L2 + 10 >= kThreshold) {
            line_break();
            write_entry(p, text);
            RETURNED = 1;
        } else if (L1 + L2 + L3 > kThreshold && RETURNED == 0) {
            line_break();
            write_entry(p, text);
            RETURNED = 1;
        } else {
            write_entry(p, text);
            RETURNED = 0;
        }
    } else if (p % 3 == 1) {
        L1 = len;
        if (L3 + L1 + 10 > kThreshold && RETURNED == 1) {
            line_break();
            write_entry(p, text);
            RETURNED = 1;
        } else {
            write_entry(p, text);
            RETURNED = 0;
        }
    } else {
        const int S = L1 + L2 + L3 + 10;  // with the third column of the row before
        L3 = len;
        if (RETURNED == 1 && L2 + L3 + 10 >= kThreshold) {
            line_break();
            write_entry(p, text);
        } else if (RETURNED == 1) {
            write_entry(p, text);
            line_break();
        } else if (S + L3 > kThreshold) {
            line_break();
            write_entry(p, text);
        } else if (L1 + L2 + L3 + 10 >= kThreshold) {
            line_break();
            write_entry(p, text);
        } else {
            write_entry(p, text);
            line_break();
        }
        RETURNED = 1;
    }
}

// ---- answers ----

std::int16_t draw_from_one(Random& random, std::int16_t n) {
    const auto bound = static_cast<std::uint32_t>(n) + 1;
    std::uint32_t drawn = 0;
    while (drawn == 0) drawn = random.below(bound);
    return static_cast<std::int16_t>(drawn);
}

std::int16_t ANSWERS_READ(Console& con, Platform& platform, std::vector<std::string>& ANSWERRAND,
                          std::int16_t NUMZ, QuestionKind DETERMINED) {
    platform.random->seed(platform.tick_ms());
    const auto LOOPA = static_cast<std::int16_t>(ANSWERRAND.size());
    std::int16_t LOOPB = LOOPA;
    std::int16_t LOOPC = 0;
    const std::int16_t NEG = LOOPA;
    std::int16_t LOOPD = 1;
    const bool shuffled = LOOPA >= 3 || DETERMINED == QuestionKind::kMultipleChoice;
    AnswerLayout layout(con);
    std::string ANSWER_IN;
    for (std::int16_t BUILDER = 1; BUILDER <= NEG; ++BUILDER) {
        if (shuffled) {
            const std::int16_t ZRAND1 = draw_from_one(*platform.random, LOOPB);
            auto& drawn = ANSWERRAND[static_cast<std::size_t>(ZRAND1 - 1)];
            ANSWER_IN = std::move(drawn);
            if (ZRAND1 != LOOPB) drawn = std::move(ANSWERRAND[static_cast<std::size_t>(LOOPB - 1)]);
            LOOPB -= 1;
            if (NUMZ == ZRAND1 && LOOPC != -1) {
                NUMZ = BUILDER;
                LOOPC = -1;
            } else if (NUMZ > LOOPB && LOOPC != -1) {
                NUMZ = ZRAND1;  // the correct answer sat in the last slot and moved
            }
        } else {
            ANSWER_IN = ANSWERRAND[static_cast<std::size_t>(LOOPD - 1)];
            LOOPD += 1;
        }
        layout.entry(BUILDER, screen_form(ANSWER_IN));
    }
    return NUMZ;
}

std::int16_t CHOICE_USER(Console& con, std::int16_t READ_NUMBER_OF_ANSWERS) {
    con.end_line();
    con.end_line();
    con.write_line("Please enter the number of your answer.");
    con.write("> ");
    NumberInput CHOICE = con.read_number();
    while (!CHOICE.ok || CHOICE.value > READ_NUMBER_OF_ANSWERS || CHOICE.value < 1) {
        con.end_line();
        if (!CHOICE.ok || CHOICE.value == 0) {
            con.write_line("That is an invalid input.");
            con.write("Try a correct number   > ");
        } else if (CHOICE.value > READ_NUMBER_OF_ANSWERS) {
            con.write_line("*The number you have picked is too large!*");
            con.write("Be reasonable, pick one of the answers displayed  > ");
        } else {
            con.write_line("*The number you gave is too small*.");
            con.write("Try a correct number   > ");
        }
        CHOICE = con.read_number();
    }
    return CHOICE.value;
}

void present_question(Console& con, RunState& st, QuestionKind kind, QuestionRecord& record) {
    QUESTION_A_READ(con, record.question);
    if (kind == QuestionKind::kFillIn) {
        st.FILLINBLANK1 = record.fill_answer;
        con.write(" > ");
        st.FILLINBLANK2 = con.read_line();
        return;
    }
    st.READ_NUMBER_OF_ANSWERS = record.count;
    st.CORRECT_CHOICE = ANSWERS_READ(con, st.platform, record.answers, record.correct, kind);
    st.USER_CHOICE = CHOICE_USER(con, st.READ_NUMBER_OF_ANSWERS);
}

}  // namespace tavolin
