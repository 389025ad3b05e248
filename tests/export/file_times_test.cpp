#include "files/file_times.h"

#include "tests/support/file_ticks.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace larkspool {
namespace {

namespace fs = std::filesystem;

using testing::SetUtcWriteTime;

class FileTimes : public ::testing::Test {
protected:
    FileTimes()
    {
        const char* zone = std::getenv("TZ");
        m_savedZone = zone ? zone : "";
        m_hadZone = zone != nullptr;
    }
    ~FileTimes() override
    {
        if (m_hadZone)
            ::setenv("TZ", m_savedZone.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

    static void UseZone(const char* zone)
    {
        ::setenv("TZ", zone, 1);
        ::tzset();
    }

    std::string MakeFile(const std::string& name) { return m_folder.Write(name, "abc"); }

    testing::TempFolder m_folder;
    std::string m_savedZone;
    bool m_hadZone = false;
};

struct ZoneCase {
    const char* zone;
    FileTicks utc; // with sub-second ticks
    std::int64_t offsetHours;
};

TEST_F(FileTimes, local_time_read_and_set_again_is_exact_to_the_tick)
{
    // 2024-07-15 10:00:00.1234567 UTC and 2024-01-15 10:00:00.7654321 UTC.
    const FileTicks summer = kUnixEpochTicks + FileTicks(1'721'037'600) * kTicksPerSecond + 1'234'567;
    const FileTicks winter = kUnixEpochTicks + FileTicks(1'705'312'800) * kTicksPerSecond + 7'654'321;
    const ZoneCase cases[] = {
        {"Europe/Berlin", summer, 2},
        {"Europe/Berlin", winter, 1},
        {"America/New_York", summer, -4},
        {"America/New_York", winter, -5},
    };
    const std::string path = MakeFile("page.htm");
    for (const ZoneCase& c : cases) {
        UseZone(c.zone);
        SetUtcWriteTime(path, c.utc);

        FileTicks local = 0;
        ASSERT_EQ(GetLocalFileTime(path, local), 0);
        SetUtcWriteTime(path, kUnixEpochTicks);
        ASSERT_EQ(SetFileTimeUtc(path, LocalFileTimeToFileTime(local)), 0);

        EXPECT_EQ(std::int64_t(local - c.utc), c.offsetHours * 3600 * std::int64_t(kTicksPerSecond)) << c.zone;
        FileTicks utc = 0;
        DWORD size = 0;
        ASSERT_EQ(GetFileTimeAndSize(path, utc, size), 0);
        EXPECT_EQ(utc, c.utc) << c.zone;
        EXPECT_EQ(size, 3u);
    }
}

TEST_F(FileTimes, repeated_autumn_hour_reads_as_the_earlier_instant)
{
    UseZone("Europe/Berlin");
    // 2024-10-27 00:30 UTC is 02:30 summer time; 01:30 UTC is 02:30 winter time.
    const FileTicks first = kUnixEpochTicks + FileTicks(1'729'989'000) * kTicksPerSecond;
    const FileTicks second = first + 3600 * kTicksPerSecond;

    EXPECT_EQ(FileTimeToLocalFileTime(first), FileTimeToLocalFileTime(second));
    EXPECT_EQ(LocalFileTimeToFileTime(FileTimeToLocalFileTime(second)), first);
}

TEST_F(FileTimes, set_creates_a_missing_file_and_the_getters_fail_on_missing_ones)
{
    const std::string path = m_folder.Under("new.gif");
    FileTicks time = 0;
    DWORD size = 7;

    EXPECT_EQ(GetLocalFileTime(path, time), -1);
    EXPECT_EQ(GetLocalFileTimeAndSize(path, time, size), -1);
    EXPECT_EQ(GetFileTimeAndSize(path, time, size), -1);
    EXPECT_EQ(GetLocalFileTime(m_folder.Path().string(), time), -1);

    ASSERT_EQ(SetFileTimeUtc(path, kUnixEpochTicks + 86400 * kTicksPerSecond), 0);
    ASSERT_EQ(GetLocalFileTimeAndSize(path, time, size), 0);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(time, kUnixEpochTicks + 86400 * kTicksPerSecond);
}

// Exported and imported files come from read-only evidence as often as not:
// their owner sets the time without the right to write. Run as an ordinary
// user in a child, since root may write anyway.
TEST_F(FileTimes, the_owner_sets_the_time_of_a_read_only_file)
{
    constexpr uid_t kNobody = 65534;
    const std::string path = MakeFile("locked.htm");
    fs::permissions(path, fs::perms::owner_read);
    const FileTicks time = kUnixEpochTicks + 86400 * kTicksPerSecond + 1234567;

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool dropped = ::geteuid() != 0 || (::chown(path.c_str(), kNobody, kNobody) == 0 &&
                                                  ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0);
        ::_exit(!dropped ? 2 : SetFileTimeUtc(path, time) == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);

    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_NE(WEXITSTATUS(status), 2) << "cannot drop root's rights";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    FileTicks utc = 0;
    DWORD size = 0;
    ASSERT_EQ(GetFileTimeAndSize(path, utc, size), 0);
    EXPECT_EQ(utc, time);
}

} // namespace
} // namespace larkspool
