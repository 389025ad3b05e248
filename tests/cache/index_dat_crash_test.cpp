// Kills writers at random moments and runs two at once, each calling the
// cache one call at a time or under a lock hold; the cache must open
// afterwards and hold every entry whose commit had returned.
#include "cache/index_dat_cache.h"
#include "tests/support/test_cache.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using larkspool::testing::ListEntries;
using larkspool::testing::TempFolder;

// A running cache_writer whose output is read line by line.
class Writer {
public:
    // mode: "" or a mode word of cache_writer ("hold", "nofiles").
    Writer(const std::filesystem::path& folder, const std::string& prefix, int count, int deleteEvery,
           const std::string& mode = "")
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
            const std::string countText = std::to_string(count);
            const std::string everyText = std::to_string(deleteEvery);
            execl(LARKSPOOL_CACHE_WRITER, LARKSPOOL_CACHE_WRITER, folder.c_str(), prefix.c_str(), countText.c_str(),
                  everyText.c_str(), mode.empty() ? static_cast<char*>(nullptr) : mode.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        m_out = fdopen(fds[0], "r");
    }
    ~Writer()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            Wait();
        }
        if (m_out)
            std::fclose(m_out);
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // The next line without its newline; false at the end of the output.
    bool ReadLine(std::string& line)
    {
        line.clear();
        for (int c; m_out && (c = std::fgetc(m_out)) != EOF;) {
            if (c == '\n')
                return true;
            line.push_back(char(c));
        }
        return false;
    }
    void Kill() { kill(m_pid, SIGKILL); }
    // True once the writer has ended, with status set.
    bool Ended(int& status)
    {
        if (m_pid <= 0 || waitpid(m_pid, &status, WNOHANG) != m_pid)
            return false;
        m_pid = -1;
        return true;
    }
    int Wait()
    {
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        return status;
    }

private:
    pid_t m_pid = -1;
    std::FILE* m_out = nullptr;
};

// The parameter: the writers run every call under one lock hold.
class IndexDatCrash : public ::testing::TestWithParam<bool> {
protected:
    std::set<std::string> ListedUrls()
    {
        larkspool::IndexDatCache cache(m_folder);
        EXPECT_EQ(cache.LoadError(), "");
        std::set<std::string> urls;
        for (const auto& entry : ListEntries(cache))
            urls.insert(entry.url);
        return urls;
    }

    std::string Mode() const { return GetParam() ? "hold" : ""; }

    TempFolder m_temp;
    std::filesystem::path m_folder = m_temp.Path() / "Content.IE5";
};

INSTANTIATE_TEST_SUITE_P(CallByCall, IndexDatCrash, ::testing::Values(false));
INSTANTIATE_TEST_SUITE_P(UnderHold, IndexDatCrash, ::testing::Values(true));

TEST_P(IndexDatCrash, killed_writers_lose_no_committed_entry)
{
    std::mt19937 random(12345);
    std::set<std::string> committed;
    for (int run = 0; run < 25; ++run) {
        Writer writer(m_folder, "http://run" + std::to_string(run) + "-", 100000, 5, Mode());
        const int linesBeforeKill = std::uniform_int_distribution<int>(1, 400)(random);
        std::string line;
        for (int n = 0; n < linesBeforeKill && writer.ReadLine(line); ++n) {
            if (line.starts_with("added "))
                committed.insert(line.substr(6));
            else if (line.starts_with("deleting "))
                committed.erase(line.substr(9));
        }
        writer.Kill();
        // Lines already written before the kill still count.
        while (writer.ReadLine(line)) {
            if (line.starts_with("added "))
                committed.insert(line.substr(6));
            else if (line.starts_with("deleting "))
                committed.erase(line.substr(9));
        }
        writer.Wait();

        const auto listed = ListedUrls();
        for (const std::string& url : committed)
            ASSERT_TRUE(listed.count(url)) << "run " << run << " lost " << url;
    }
}

TEST_P(IndexDatCrash, two_writers_at_once_lose_nothing)
{
    constexpr int kCount = 600;
    Writer first(m_folder, "http://first", kCount, 0, Mode());
    Writer second(m_folder, "http://second", kCount, 0, Mode());
    std::string line;
    while (first.ReadLine(line)) {
    }
    while (second.ReadLine(line)) {
    }
    EXPECT_EQ(first.Wait(), 0);
    EXPECT_EQ(second.Wait(), 0);

    const auto listed = ListedUrls();
    EXPECT_EQ(listed.size(), std::size_t(2 * kCount));
}

class IndexDatLockHold : public ::testing::Test {
protected:
    TempFolder m_temp;
    std::filesystem::path m_folder = m_temp.Path() / "Content.IE5";
};

// A hold that never ends must not shut other processes out: between calls
// it lets the lock go now and then, and its calls see what they wrote.
TEST_F(IndexDatLockHold, another_writer_gets_in_while_a_hold_lasts)
{
    larkspool::IndexDatCache cache(m_folder);
    larkspool::CacheLockHold hold(cache);
    char file[MAX_PATH] = {};
    ASSERT_TRUE(cache.CreateUrlCacheEntryA("http://holder/a.htm", 0, "htm", file, 0));

    Writer other(m_folder, "http://other", 1, 0, "nofiles");
    int status = -1;
    larkspool::CacheEntryBuffer entry;
    bool seen = false;
    // The writer needs the lock once; a hold kept for good would starve it.
    for (int call = 0; call < 20000 && !seen; ++call) {
        DWORD size = entry.size();
        cache.GetUrlCacheEntryInfoA("http://holder/a.htm", entry.info(), &size);
        usleep(500);
        if (other.Ended(status)) {
            DWORD size = entry.size();
            seen = cache.GetUrlCacheEntryInfoA("http://other0/dir/page0.htm", entry.info(), &size);
        }
    }
    EXPECT_TRUE(seen) << "the other writer never got the lock, or its entry is not seen";
    EXPECT_EQ(status, 0);
}

} // namespace
