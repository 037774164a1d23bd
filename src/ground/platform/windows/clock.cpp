// The local clock and the millisecond tick on Windows.
#include <windows.h>

#include "ground/platform/platform.hpp"

namespace tavolin {

LocalTime system_local_time() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::uint32_t system_tick_ms() { return GetTickCount(); }

}  // namespace tavolin
