// File and clock times as FILETIME ticks.
#include "cache/file_time.h"

#include <chrono>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace larkspool {
namespace {

template <typename Clock, typename Duration>
std::uint64_t TicksOf(std::chrono::time_point<Clock, Duration> sinceUnixEpoch)
{
    using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>;
    const std::int64_t total =
        std::chrono::duration_cast<Ticks>(sinceUnixEpoch.time_since_epoch()).count() + std::int64_t(kUnixEpochTicks);
    return total > 0 ? std::uint64_t(total) : 0;
}

} // namespace

std::uint64_t FileWriteTicks(const std::filesystem::path& path)
{
    std::error_code error;
    const auto written = std::filesystem::last_write_time(path, error);
    if (error)
        return 0;
    return TicksOf(std::chrono::file_clock::to_sys(written));
}

bool ReadFileSizeAndTicks(const std::filesystem::path& path, std::uint64_t& size, std::uint64_t& writeTicks)
{
#ifdef _WIN32
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    size = std::uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    writeTicks = FileTimeTicks(data.ftLastWriteTime);
#else
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    size = std::uint64_t(info.st_size);
    const std::int64_t ticks = std::int64_t(kUnixEpochTicks) + std::int64_t(info.st_mtim.tv_sec) * 10000000 +
                               info.st_mtim.tv_nsec / 100;
    writeTicks = ticks > 0 ? std::uint64_t(ticks) : 0;
#endif
    return true;
}

std::uint64_t NowTicks() { return TicksOf(std::chrono::system_clock::now()); }

} // namespace larkspool
