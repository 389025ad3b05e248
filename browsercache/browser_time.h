// The browsers' clocks as FILETIME ticks (100 ns since 1601-01-01 UTC), the
// unit the records carry. Chromium counts microseconds since 1601, Firefox
// seconds since 1970. Out-of-range values become 0, "unknown".
#pragma once

#include "cache/file_time.h"

#include <cstdint>

namespace larkspool::browsercache {

constexpr std::uint64_t TicksFromChromiumTime(std::uint64_t microseconds)
{
    constexpr std::uint64_t kLimit = (std::uint64_t(1) << 62) / 10;
    return microseconds < kLimit ? microseconds * 10 : 0;
}

constexpr std::uint64_t TicksFromUnixSeconds(std::uint32_t seconds)
{
    return seconds == 0 ? 0 : kUnixEpochTicks + std::uint64_t(seconds) * kTicksPerSecond;
}

} // namespace larkspool::browsercache
