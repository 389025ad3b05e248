// The times tests give cache entries and files, and a file's write time set
// without the code under test.
#pragma once

#include "cache/file_time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>

namespace larkspool::testing {

// 2024-03-01 12:00:00 UTC.
inline constexpr FileTicks kSomeTime = 133'537'392'000'000'000;
// 2004-05-06 07:08:09 UTC and a few seconds around it.
inline constexpr FileTicks kOlder = kUnixEpochTicks + FileTicks(1083827289) * kTicksPerSecond;
inline constexpr FileTicks kBase = kOlder + 100 * kTicksPerSecond;
inline constexpr FileTicks kNewer = kBase + 100 * kTicksPerSecond;

inline void SetUtcWriteTime(const std::filesystem::path& path, FileTicks utc)
{
    using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10'000'000>>;
    const std::chrono::sys_time<std::chrono::nanoseconds> time{Ticks(std::int64_t(utc - kUnixEpochTicks))};
    std::error_code error;
    std::filesystem::last_write_time(path, std::chrono::file_clock::from_sys(time), error);
    EXPECT_FALSE(error) << path << ": " << error.message();
}

} // namespace larkspool::testing
