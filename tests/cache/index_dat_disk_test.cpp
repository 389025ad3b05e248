// The store on a disk that fills up and under a file that another program
// rewrites without taking the lock. The work runs in a child process, so
// that a signal ending it is seen, not suffered.
#include "cache/index_dat_cache.h"
#include "tests/support/test_cache.h"
#include "tests/support/unprivileged.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using larkspool::testing::ListEntries;
using larkspool::testing::ReadFile;
using larkspool::testing::TempFolder;

// The child's exit status, or 1000 + the signal that ended it.
int InChild(const std::function<int()>& work)
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(work());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFSIGNALED(status) ? 1000 + WTERMSIG(status) : WEXITSTATUS(status);
}

bool Commit(larkspool::IndexDatCache& cache, const std::string& url)
{
    return cache.CommitUrlCacheEntryA(url.c_str(), nullptr, FILETIME{}, FILETIME{}, 0, nullptr, 0, "htm", nullptr);
}

void AddEntries(const std::filesystem::path& folder, int count)
{
    larkspool::IndexDatCache cache(folder);
    for (int i = 0; i < count; ++i)
        Commit(cache, "http://host/" + std::to_string(i) + ".htm");
}

// Adds entries until one fails. Exit 0 when that failure says the disk is
// full and left index.dat as it was; 2 when it said anything else, 3 when
// it changed the file.
int AddUntilFull(const std::filesystem::path& folder)
{
    larkspool::IndexDatCache cache(folder);
    for (int i = 0;; ++i) {
        const std::string before = ReadFile(folder / "index.dat");
        if (Commit(cache, "http://full/" + std::to_string(i)))
            continue;
        if (cache.LastError() != ERROR_DISK_FULL)
            return 2;
        return ReadFile(folder / "index.dat") == before ? 0 : 3;
    }
}

class FullDisk : public ::testing::Test {
protected:
    // Fills the file system of m_temp up to leave bytes free.
    void Fill(std::uint64_t leave) const
    {
        struct statvfs info {};
        ASSERT_EQ(statvfs(m_temp.Path().c_str(), &info), 0);
        const std::uint64_t free = std::uint64_t(info.f_bavail) * info.f_frsize;
        ASSERT_GT(free, leave);
        larkspool::testing::WriteFile(m_temp.Path() / "filler", std::string(free - leave, 'f'));
    }
    bool MountSmallDisk()
    {
        if (geteuid() != 0)
            return false;
        if (mount("larkspool-test", m_temp.Path().c_str(), "tmpfs", 0, "size=256k") != 0)
            return false;
        m_mounted = true;
        return true;
    }
    ~FullDisk() override
    {
        if (m_mounted)
            umount2(m_temp.Path().c_str(), MNT_DETACH);
    }

    TempFolder m_temp;
    bool m_mounted = false;
    std::filesystem::path m_cache = m_temp.Path() / "cache";
};

TEST_F(FullDisk, a_file_size_limit_is_a_disk_full_error_and_changes_nothing)
{
    AddEntries(m_cache, 40);
    const auto limit = rlim_t(std::filesystem::file_size(m_cache / "index.dat"));

    const int status = InChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit fileSize{limit, limit};
        setrlimit(RLIMIT_FSIZE, &fileSize);
        return AddUntilFull(m_cache);
    });

    EXPECT_EQ(status, 0);
    larkspool::IndexDatCache cache(m_cache);
    EXPECT_GE(ListEntries(cache).size(), 40u);
}

TEST_F(FullDisk, growing_or_starting_a_cache_on_a_full_disk_is_an_error_not_a_crash)
{
    if (!MountSmallDisk())
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    // A cache that must grow, then a new one, each with a few pages left.
    AddEntries(m_cache, 40);
    Fill(16 * 1024);
    EXPECT_EQ(InChild([&] { return AddUntilFull(m_cache); }), 0);
    larkspool::IndexDatCache grown(m_cache);
    EXPECT_GE(ListEntries(grown).size(), 40u);

    std::filesystem::remove(m_temp.Path() / "filler");
    Fill(16 * 1024);
    EXPECT_EQ(InChild([&] { return AddUntilFull(m_temp.Path() / "new"); }), 0);
    larkspool::IndexDatCache fresh(m_temp.Path() / "new");
    EXPECT_EQ(fresh.LoadError(), "");
    EXPECT_TRUE(ListEntries(fresh).empty());
}

// A read-only file is read-only only for an ordinary user, so that row runs
// in the as-ordinary-user test; mounting a disk read-only needs root.
TEST_F(FullDisk, a_write_to_a_read_only_file_or_disk_says_which_it_is)
{
    std::string expected;
    std::string other;
    if (geteuid() != 0) {
        AddEntries(m_cache, 3);
        std::filesystem::permissions(m_cache / "index.dat", std::filesystem::perms::owner_read,
                                     std::filesystem::perm_options::replace);
        expected = "permission denied";
        other = "read-only";
    } else if (MountSmallDisk()) {
        AddEntries(m_cache, 3);
        ASSERT_EQ(mount(nullptr, m_temp.Path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
        expected = "read-only file system";
        other = "permission";
    } else {
        GTEST_SKIP() << "neither an ordinary user nor allowed to mount";
    }
    const std::string before = ReadFile(m_cache / "index.dat");

    larkspool::IndexDatCache cache(m_cache);
    EXPECT_EQ(ListEntries(cache).size(), 3u);
    for (bool deleting : {true, false}) {
        EXPECT_FALSE(deleting ? cache.DeleteUrlCacheEntryA("http://host/1.htm") : Commit(cache, "http://host/new.htm"));
        EXPECT_EQ(cache.LastError(), DWORD(ERROR_ACCESS_DENIED));
        const std::string text = cache.LastErrorText();
        EXPECT_NE(text.find(expected), std::string::npos) << text;
        EXPECT_EQ(text.find(other), std::string::npos) << text;
    }
    EXPECT_EQ(ReadFile(m_cache / "index.dat"), before);
}

// The open and every refresh ask; an unreadable folder must not read as an
// empty cache.
TEST(CacheFolder, one_this_user_may_not_read_or_one_gone_since_the_open_is_a_load_error_one_never_made_is_not)
{
    namespace fs = std::filesystem;
    const struct {
        const char* folder;
        bool filled;
        std::function<void(const fs::path&)> change;
        const char* before; // the error around the folder's path; none without one
        const char* after;
    } rows[] = {
        {"never made", false, [](const fs::path&) {}, nullptr, nullptr},
        {"unreadable", true, [](const fs::path& folder) { fs::permissions(folder, fs::perms::none); },
         "cannot read the cache folder ", ": permission denied"},
        {"gone", true, [](const fs::path& folder) { fs::remove_all(folder); }, "the cache folder ", " has gone"},
    };
    for (const auto& row : rows) {
        larkspool::testing::TestCache cache;
        if (row.filled)
            cache.Add("http://host/a.gif", "gif");
        larkspool::testing::Unprivileged user({cache.Path("")});
        if (!user.Active())
            continue; // root reads every folder
        row.change(cache.CacheDir());

        const std::string error = cache.Cache().LoadError();
        std::error_code ignored;
        fs::permissions(cache.CacheDir(), fs::perms::owner_all, ignored);

        EXPECT_EQ(error, row.before ? row.before + cache.CacheDir().string() + row.after : "") << row.folder;
    }
}

TEST(ShrinkingFile, a_reader_survives_index_dat_rewritten_under_it)
{
    TempFolder temp;
    AddEntries(temp.Path(), 3000);
    const std::string pristine = ReadFile(temp.Path() / "index.dat");

    const pid_t reader = fork();
    if (reader == 0) {
        for (int round = 0; round < 150; ++round) {
            larkspool::IndexDatCache cache(temp.Path());
            (void)ListEntries(cache);
        }
        _exit(0);
    }
    // What cp does: cut the file to nothing and write it again, no lock.
    const int fd = open((temp.Path() / "index.dat").c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    int status = 0;
    while (waitpid(reader, &status, WNOHANG) == 0) {
        ASSERT_EQ(ftruncate(fd, 0), 0);
        ASSERT_EQ(pwrite(fd, pristine.data(), pristine.size(), 0), ssize_t(pristine.size()));
    }
    close(fd);

    EXPECT_FALSE(WIFSIGNALED(status)) << strsignal(WTERMSIG(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
