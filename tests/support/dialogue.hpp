// The fixture of the dialogue tests: a fresh current folder, a scripted
// console, the run state with a fixed clock and scripted draws.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "shell/console/scripted_console.hpp"
#include "shell/run_state.hpp"
#include "support/expected.hpp"
#include "support/temp_dir.hpp"

namespace tavolin::test {

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
