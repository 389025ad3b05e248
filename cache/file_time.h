// FILETIME as one number: 100 ns ticks since 1601-01-01 UTC, and the step
// to and from the Unix epoch.
#pragma once

#include "cache/wininet_types.h"

#include <cstdint>

namespace larkspool {

// A FILETIME as the catalogue and the jobs keep it, UTC or local.
using FileTicks = std::uint64_t;

// Ticks from 1601-01-01 to 1970-01-01.
inline constexpr std::uint64_t kUnixEpochTicks = 116444736000000000ULL;
inline constexpr std::uint64_t kTicksPerSecond = 10000000ULL;

constexpr std::uint64_t FileTimeTicks(FILETIME time)
{
    return (std::uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

constexpr FILETIME MakeFileTime(std::uint64_t ticks)
{
    return FILETIME{DWORD(ticks & 0xffffffffu), DWORD(ticks >> 32)};
}

constexpr bool IsZero(FILETIME time) { return time.dwLowDateTime == 0 && time.dwHighDateTime == 0; }

} // namespace larkspool
