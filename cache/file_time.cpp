// File and clock times as FILETIME ticks.
#include "cache/file_time.h"

#include <algorithm>
#include <chrono>

#ifdef _WIN32
#include <windows.h>
#else
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

#ifdef _WIN32

std::uint64_t FileChangeTicks(const std::filesystem::path& path)
{
    HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    FILE_BASIC_INFO info{};
    const bool read = GetFileInformationByHandleEx(file, FileBasicInfo, &info, sizeof(info));
    CloseHandle(file);
    if (!read)
        return 0;
    return std::uint64_t(std::max(info.LastWriteTime.QuadPart, info.ChangeTime.QuadPart));
}

#else

std::uint64_t FileChangeTicks(const std::filesystem::path& path)
{
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0)
        return 0;
    using namespace std::chrono;
    const auto ticks = [](const timespec& t) {
        return TicksOf(sys_time<nanoseconds>(seconds(t.tv_sec) + nanoseconds(t.tv_nsec)));
    };
    return std::max(ticks(info.st_mtim), ticks(info.st_ctim));
}

#endif

std::uint64_t NowTicks() { return TicksOf(std::chrono::system_clock::now()); }

} // namespace larkspool
