// What a run takes from the world besides the console: the local clock (for
// the results log), a millisecond tick counter (to seed the generator) and a
// pseudo-random generator. Tests put fixed ones in their place.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace tavolin {

struct LocalTime {
    int year = 0;
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to 31
    int hour = 0;   // 0 to 23
    int minute = 0;
    int second = 0;
};

// The local date and time now.
LocalTime system_local_time();
// Milliseconds since an arbitrary fixed point (the system's start).
std::uint32_t system_tick_ms();

// One generator for the whole run.
class Random {
public:
    Random() = default;
    Random(const Random&) = delete;
    Random& operator=(const Random&) = delete;
    virtual ~Random() = default;
    virtual void seed(std::uint32_t seed) = 0;
    // A uniformly distributed whole number from 0 to n - 1 (n >= 1).
    virtual std::uint32_t below(std::uint32_t n) = 0;
};

// The program's own generator: xoshiro128** seeded through splitmix, with
// draws below n made by rejection so that no value is favoured.
class DefaultRandom final : public Random {
public:
    DefaultRandom() { seed(0); }
    void seed(std::uint32_t seed) override;
    std::uint32_t below(std::uint32_t n) override;

private:
    std::uint32_t next();
    std::uint32_t s_[4]{};
};

struct Platform {
    std::function<LocalTime()> local_time = system_local_time;
    std::function<std::uint32_t()> tick_ms = system_tick_ms;
    std::unique_ptr<Random> random = std::make_unique<DefaultRandom>();
};

}  // namespace tavolin
