// FILETIME as one number: 100 ns ticks since 1601-01-01 UTC, and the step
// to and from the Unix epoch.
#pragma once

#include "cache/wininet_types.h"

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace larkspool {

// A FILETIME as the catalogue and the jobs keep it, UTC or local.
using FileTicks = std::uint64_t;

// Seconds and ticks from 1601-01-01 to 1970-01-01.
inline constexpr std::int64_t kUnixEpochSeconds = 11'644'473'600;
inline constexpr std::uint64_t kTicksPerSecond = 10'000'000;
inline constexpr std::uint64_t kUnixEpochTicks = std::uint64_t(kUnixEpochSeconds) * kTicksPerSecond;

// The times file systems keep (ext4's, the narrowest in use: 1901-12-13 to
// 2446-05-10 UTC). A cache's time beyond them is listed and given to files
// as the nearest end, so that a listing says what the exported file gets.
inline constexpr std::uint64_t kEarliestFileSystemTicks = kUnixEpochTicks - (1ULL << 31) * kTicksPerSecond;
inline constexpr std::uint64_t kLatestFileSystemTicks = kUnixEpochTicks + 15032385535ULL * kTicksPerSecond;

// ticks within the file systems' times; 0, no time, stays 0.
constexpr std::uint64_t FileSystemTicks(std::uint64_t ticks)
{
    if (ticks == 0)
        return 0;
    return ticks < kEarliestFileSystemTicks ? kEarliestFileSystemTicks
                                            : (ticks > kLatestFileSystemTicks ? kLatestFileSystemTicks : ticks);
}

constexpr std::uint64_t FileTimeTicks(FILETIME time)
{
    return (std::uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

constexpr FILETIME MakeFileTime(std::uint64_t ticks)
{
    return FILETIME{DWORD(ticks & 0xffffffffu), DWORD(ticks >> 32)};
}

// A POSIX file time (stat's st_mtim and the like) as ticks; 0 before 1601.
std::uint64_t TimespecTicks(const struct timespec& time);

// The file's last-write time, 0 when it cannot be read.
std::uint64_t FileWriteTicks(const std::filesystem::path& path);

// The file's size and last-write time in one look at it; false when it is
// no plain file (a folder, a pipe) or cannot be read, with cause saying why.
bool ReadFileSizeAndTicks(const char* path, std::uint64_t& size, std::uint64_t& writeTicks, std::error_code& cause);
// The later of the file's last-write and last-change (status) time, of a
// link itself rather than what it names; 0 when they cannot be read. Setting
// a file's write time back changes its change time, so this tells a file
// given an old date just now from an old one.
std::uint64_t FileChangeTicks(const std::filesystem::path& path);

// The clock's time now.
std::uint64_t NowTicks();

} // namespace larkspool
