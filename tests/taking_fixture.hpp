// What the quiz-taking tests share: a generator that hands out scripted
// draws, a console that can act at a given pause, quiz records made to
// order, and a fixture that runs in a fresh folder with both in place.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "shell/platform/platform.hpp"
#include "shell/run_state.hpp"
#include "shell/console/scripted_console.hpp"
#include "support/temp_dir.hpp"

namespace tavolin::test {

// Hands out the draws it is given, in order, and records every bound asked
// for and every seed. Running out of draws, or a draw not below its bound, is
// a fault of the test script and throws.
class ScriptedRandom final : public Random {
public:
    std::deque<std::uint32_t> draws;
    std::vector<std::uint32_t> bounds;
    std::vector<std::uint32_t> seeds;
    std::function<void()> on_seed;

    void seed(std::uint32_t seed) override {
        seeds.push_back(seed);
        if (on_seed) on_seed();
    }
    std::uint32_t below(std::uint32_t n) override {
        bounds.push_back(n);
        if (draws.empty()) throw std::logic_error("no scripted draw left");
        const std::uint32_t d = draws.front();
        draws.pop_front();
        if (d >= n) throw std::logic_error("scripted draw not below its bound");
        return d;
    }
};

// A scripted console that can do something (change the quiz file, say) right
// after its n-th pause.
class HookConsole : public ScriptedConsole {
public:
    std::function<void(int)> on_pause;
    void pause(std::chrono::milliseconds ms) override {
        ScriptedConsole::pause(ms);
        ++pauses_seen_;
        if (on_pause) on_pause(pauses_seen_);
    }

private:
    int pauses_seen_ = 0;
};

// One entry of the answer layout, as the screen shows it.
inline std::string entry(int p, std::string_view text) {
    std::string number = std::to_string(p);
    std::string out(number.size() < 5 ? 5 - number.size() : 0, ' ');
    out += number + ") ";
    if (text.size() < 5) out.append(5 - text.size(), ' ');
    return out + std::string(text);
}

inline std::string mc(std::string_view question, const std::vector<std::string>& answers, int correct,
                      std::string_view kind = "m") {
    std::string r = std::string(kind) + "\r\n" + std::string(question) + "\r\n" + std::to_string(answers.size()) + "\r\n";
    for (const std::string& a : answers) r += a + "\r\n";
    return r + std::to_string(correct) + "\r\n";
}
inline std::string tf(std::string_view question, int correct) {
    return mc(question, {"True", "False"}, correct, "t");
}
inline std::string fill(std::string_view question, std::string_view answer) {
    return "f\r\n" + std::string(question) + "\r\n1\r\n" + std::string(answer) + "\r\n1\r\n";
}

// The feedback pause: steps of 500 ms with the cursor hidden, the screen
// cleared after the last, the cursor shown again.
inline std::string pause_marks(int steps) {
    std::string out;
    for (int i = 0; i < steps; ++i) out += "{hide}{pause 500}";
    return out + "{clear}{show}";
}

class TakingTest : public ::testing::Test {
protected:
    TakingTest() : cd_(dir_.path()) {
        auto random = std::make_unique<ScriptedRandom>();
        random_ = random.get();
        st_.platform.random = std::move(random);
        st_.platform.tick_ms = [this] { return ++tick_; };
    }

    // The transcript from the first clear of the screen on.
    std::string from_clear() const {
        const std::string& t = con_.transcript();
        const std::size_t at = t.find("{clear}");
        return at == std::string::npos ? std::string() : t.substr(at);
    }

    TempDir dir_;
    ChangeDir cd_;
    RunState st_;
    HookConsole con_;
    ScriptedRandom* random_ = nullptr;
    std::uint32_t tick_ = 1000;
};

}  // namespace tavolin::test
