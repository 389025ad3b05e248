// Kills writers at random moments and runs two at once; the cache must open
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
    Writer(const std::filesystem::path& folder, const std::string& prefix, int count, int deleteEvery)
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
                  everyText.c_str(), static_cast<char*>(nullptr));
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

class IndexDatCrash : public ::testing::Test {
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

    TempFolder m_temp;
    std::filesystem::path m_folder = m_temp.Path() / "Content.IE5";
};

TEST_F(IndexDatCrash, killed_writers_lose_no_committed_entry)
{
    std::mt19937 random(12345);
    std::set<std::string> committed;
    for (int run = 0; run < 25; ++run) {
        Writer writer(m_folder, "http://run" + std::to_string(run) + "-", 100000, 5);
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

TEST_F(IndexDatCrash, two_writers_at_once_lose_nothing)
{
    constexpr int kCount = 600;
    Writer first(m_folder, "http://first", kCount, 0);
    Writer second(m_folder, "http://second", kCount, 0);
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

} // namespace
