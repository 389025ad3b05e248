// File and clock times as FILETIME ticks.
#include "cache/file_time.h"

#include <algorithm>
#include <cerrno>
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

std::uint64_t TimespecTicks(const struct timespec& time)
{
    const std::int64_t ticks = std::int64_t(kUnixEpochTicks) + std::int64_t(time.tv_sec) * std::int64_t(kTicksPerSecond) +
                               time.tv_nsec / 100;
    return ticks > 0 ? std::uint64_t(ticks) : 0;
}

std::uint64_t FileWriteTicks(const std::filesystem::path& path)
{
    std::error_code error;
    const auto written = std::filesystem::last_write_time(path, error);
    if (error)
        return 0;
    return TicksOf(std::chrono::file_clock::to_sys(written));
}

bool ReadFileSizeAndTicks(const char* path, std::uint64_t& size, std::uint64_t& writeTicks, std::error_code& cause)
{
#ifdef _WIN32
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(std::filesystem::path(path).c_str(), GetFileExInfoStandard, &data)) {
        cause.assign(int(GetLastError()), std::system_category());
        return false;
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        cause = std::make_error_code(std::errc::is_a_directory);
        return false;
    }
    size = std::uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    writeTicks = FileTimeTicks(data.ftLastWriteTime);
#else
    struct stat info {};
    if (::stat(path, &info) != 0) {
        cause.assign(errno, std::generic_category());
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        cause = std::make_error_code(S_ISDIR(info.st_mode) ? std::errc::is_a_directory : std::errc::not_supported);
        return false;
    }
    size = std::uint64_t(info.st_size);
    writeTicks = TimespecTicks(info.st_mtim);
#endif
    return true;
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
    return std::max(TimespecTicks(info.st_mtim), TimespecTicks(info.st_ctim));
}

#endif

std::uint64_t NowTicks() { return TicksOf(std::chrono::system_clock::now()); }

} // namespace larkspool
