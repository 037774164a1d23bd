// The local clock and the millisecond tick on POSIX.
#include <time.h>

#include <ctime>

#include "ground/platform/platform.hpp"

namespace tavolin {

LocalTime system_local_time() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec};
}

std::uint32_t system_tick_ms() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const auto ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000U + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000U;
    return static_cast<std::uint32_t>(ms);  // wraps like a 32-bit tick count
}

}  // namespace tavolin
