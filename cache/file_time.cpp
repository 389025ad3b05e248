// File and clock times as FILETIME ticks.
#include "cache/file_time.h"

#include <chrono>

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

std::uint64_t NowTicks() { return TicksOf(std::chrono::system_clock::now()); }

} // namespace larkspool
