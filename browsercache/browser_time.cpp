// File times in the records' unit.
#include "browsercache/browser_time.h"

#include <chrono>

namespace larkspool::browsercache {

std::uint64_t TicksFromFileTime(const std::filesystem::path& file)
{
    std::error_code error;
    const auto written = std::filesystem::last_write_time(file, error);
    if (error)
        return 0;
    using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>;
    const auto since1970 = std::chrono::file_clock::to_sys(written).time_since_epoch();
    const std::int64_t total = std::chrono::duration_cast<Ticks>(since1970).count() + std::int64_t(kUnixEpochTicks);
    return total > 0 ? std::uint64_t(total) : 0;
}

} // namespace larkspool::browsercache
