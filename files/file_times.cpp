// FILETIME ticks against the C library's time zone and POSIX file times.
// Last-write times are read and written at 100 ns resolution, so a time read
// and set again is the same instant to the tick.
#include "files/file_times.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace larkspool {
namespace {

// Signed, since times before 1970 are negative Unix seconds.
constexpr std::int64_t kTicksPerSecondSigned = std::int64_t(kTicksPerSecond);
constexpr std::int64_t kEpochSeconds = std::int64_t(kUnixEpochTicks / kTicksPerSecondSigned);

std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// Seconds east of UTC in force at the Unix time t.
std::int64_t UtcOffsetAt(std::int64_t t)
{
    const std::time_t when = static_cast<std::time_t>(t);
    std::tm fields{};
    if (!localtime_r(&when, &fields))
        return 0;
    return fields.tm_gmtoff;
}

FileTicks ShiftTicks(FileTicks ticks, std::int64_t seconds)
{
    return FileTicks(std::int64_t(ticks) + seconds * kTicksPerSecondSigned);
}

std::int64_t UnixSeconds(FileTicks ticks)
{
    return FloorDiv(std::int64_t(ticks), kTicksPerSecondSigned) - kEpochSeconds;
}

struct timespec TimespecOf(FileTicks utc)
{
    const auto ticks = std::int64_t(FileSystemTicks(utc));
    const std::int64_t seconds = FloorDiv(ticks, kTicksPerSecondSigned);
    struct timespec time{};
    time.tv_sec = static_cast<time_t>(seconds - kEpochSeconds);
    time.tv_nsec = static_cast<long>((ticks - seconds * kTicksPerSecondSigned) * 100);
    return time;
}

struct timespec OmittedTime()
{
    struct timespec time{};
    time.tv_nsec = UTIME_OMIT;
    return time;
}

int ReadWriteTimeAndSize(const std::string& path, FileTicks& utc, DWORD* size)
{
    // stat, not open: a pipe at path must not block the caller.
    struct stat status{};
    if (::stat(path.c_str(), &status) != 0)
        return -1;
    return TimeAndSizeOf(status, utc, size);
}

} // namespace

int TimeAndSizeOf(const struct stat& status, FileTicks& utc, DWORD* size)
{
    if (S_ISDIR(status.st_mode))
        return -1;
    utc = TimespecTicks(status.st_mtim);
    if (size) {
        const DWORD low = DWORD(std::uint64_t(status.st_size) & 0xffffffffu);
        if (low == 0xffffffffu)
            return -1;
        *size = low;
    }
    return 0;
}

FileTicks FileTimeToLocalFileTime(FileTicks utc)
{
    return ShiftTicks(utc, UtcOffsetAt(UnixSeconds(utc)));
}

FileTicks LocalFileTimeToFileTime(FileTicks local)
{
    const std::int64_t seconds = UnixSeconds(local);
    // The offsets a day either side cover every change of the zone's rules
    // that could apply to this local time.
    const std::int64_t before = UtcOffsetAt(seconds - 86400);
    const std::int64_t candidates[] = {before, UtcOffsetAt(seconds), UtcOffsetAt(seconds + 86400)};
    bool found = false;
    std::int64_t best = 0;
    for (const std::int64_t offset : candidates) {
        const std::int64_t utc = seconds - offset;
        if (UtcOffsetAt(utc) == offset && (!found || utc < best)) {
            best = utc;
            found = true;
        }
    }
    return ShiftTicks(local, found ? best - seconds : -before);
}

int GetLocalFileTime(const std::string& path, FileTicks& local)
{
    FileTicks utc = 0;
    if (ReadWriteTimeAndSize(path, utc, nullptr) != 0)
        return -1;
    local = FileTimeToLocalFileTime(utc);
    return 0;
}

int SetFileTimeUtc(const std::string& path, FileTicks utc)
{
    const struct timespec times[2] = {OmittedTime(), TimespecOf(utc)};
    if (::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0)
        return 0;
    if (errno != ENOENT)
        return -1;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return -1;
    const int result = SetFileTimeUtc(fd, utc);
    ::close(fd);
    return result;
}

int SetFileTimeUtc(int fd, FileTicks utc)
{
    const struct timespec times[2] = {OmittedTime(), TimespecOf(utc)};
    return ::futimens(fd, times) == 0 ? 0 : -1;
}

int GetLocalFileTimeAndSize(const std::string& path, FileTicks& local, DWORD& size)
{
    FileTicks utc = 0;
    if (ReadWriteTimeAndSize(path, utc, &size) != 0)
        return -1;
    local = FileTimeToLocalFileTime(utc);
    return 0;
}

int GetFileTimeAndSize(const std::string& path, FileTicks& utc, DWORD& size)
{
    return ReadWriteTimeAndSize(path, utc, &size);
}

} // namespace larkspool
