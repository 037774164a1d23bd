// Expected texts kept in hand-written files under tests/data, the form in
// which a scripted console's transcript is compared with them, and the
// fixture of the dialogue tests.
//
// A data file holds blocks, each opened by a line "=== name"; a block's text
// is every line up to the next opening line, without the last line end (an
// empty line before the next opening keeps one). A table file holds one entry
// a line, each ended by "|" so that trailing blanks show; lines starting with
// "#" are notes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <deque>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "support/scripted_console.hpp"
#include "ground/platform/platform.hpp"
#include "ground/run/run_state.hpp"
#include "support/temp_dir.hpp"

namespace tavolin::test {

std::string block(std::string_view file, std::string_view name);
std::vector<std::string> table(std::string_view file);
// The text with every LF made CR LF, as files and terminals end lines.
std::string crlf(std::string text);

// The transcript with colour marks only where the colour of the written text
// changes (text before any colour counts as white), and a last mark when the
// colour is left other than white; every other mark is kept as it is.
std::string render(std::string_view transcript);

// Hands out the draws it is given, in order; one not below its bound, or one
// too many, is a fault of the test.
class ScriptedRandom final : public Random {
public:
    std::deque<std::uint32_t> draws;
    int seeds = 0;
    void seed(std::uint32_t) override { ++seeds; }
    std::uint32_t below(std::uint32_t n) override {
        if (draws.empty() || draws.front() >= n) throw std::logic_error("unexpected draw below " + std::to_string(n));
        const std::uint32_t d = draws.front();
        draws.pop_front();
        return d;
    }
};

// The fixture of the dialogue tests: a fresh current folder, a scripted
// console, the run state with a fixed clock and scripted draws.
class Dialogue : public ::testing::Test {
protected:
    Dialogue() {
        auto r = std::make_unique<ScriptedRandom>();
        random = r.get();
        st.platform.random = std::move(r);
        st.platform.tick_ms = [] { return 1000U; };
        st.platform.local_time = [] { return LocalTime{2024, 3, 15, 13, 47, 29}; };
    }
    [[nodiscard]] std::string shown() const { return render(con.transcript()); }

    TempDir dir;
    ChangeDir cd{dir.path()};
    ScriptedConsole con;
    RunState st;
    ScriptedRandom* random = nullptr;
};

}  // namespace tavolin::test
