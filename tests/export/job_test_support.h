// What the job tests share: a scripted host that records what a window would
// show and answers from a script, a real cache in a temporary folder, and a
// way to run a step without root's right to write anywhere.
#pragma once

#include "cache/index_dat_cache.h"
#include "catalogue/cache_entry.h"
#include "export/file_times.h"
#include "export/job_host.h"
#include "export/overwrite_question.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <deque>
#include <functional>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace larkspool::testing {

namespace fs = std::filesystem;

inline constexpr FileTicks kTicksPerSecond = 10'000'000;
inline constexpr FileTicks kUnixEpoch = 116'444'736'000'000'000;
// 2004-05-06 07:08:09 UTC and a few seconds around it.
inline constexpr FileTicks kOlder = kUnixEpoch + FileTicks(1083827289) * kTicksPerSecond;
inline constexpr FileTicks kBase = kOlder + 100 * kTicksPerSecond;
inline constexpr FileTicks kNewer = kBase + 100 * kTicksPerSecond;

struct ReportedMessage {
    std::string text;
    std::string caption;
    unsigned flags = 0;
    std::string line; // as a terminal shows it
};

class ScriptedHost : public JobHost {
public:
    void ShowProgress(int position, const std::string& countText, const std::string& fileName) override
    {
        positions.push_back(position);
        counts.push_back(countText);
        fileNames.push_back(fileName);
    }
    void ShowFolders(const std::string& text) override
    {
        folders.push_back(text);
        if (onShowFolders)
            onShowFolders();
    }
    int AskOverwrite(const OverwriteQuestion& question) override
    {
        questions.push_back(question);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << question.ConflictLine;
            return 2;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Report(const JobMessage& message, unsigned flags) override
    {
        reports.push_back({message.text, message.caption, flags, message.line});
    }
    void ProcessEvents() override
    {
        ++events;
        if (onEvents)
            onEvents(events);
    }
    bool CancelRequested() override { return cancelAtEvent > 0 && events >= cancelAtEvent; }

    std::vector<int> positions;
    std::vector<std::string> counts;
    std::vector<std::string> fileNames;
    std::vector<std::string> folders;
    std::vector<OverwriteQuestion> questions;
    std::vector<ReportedMessage> reports;
    std::deque<int> answers;
    // The cancel button is clicked during this ProcessEvents call (1-based).
    int cancelAtEvent = 0;
    int events = 0;
    std::function<void()> onShowFolders;
    std::function<void(int)> onEvents;
};

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteFile(const std::string& path, const std::string& content)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

inline FileTicks UtcWriteTime(const std::string& path)
{
    struct stat status{};
    if (::stat(path.c_str(), &status) != 0)
        return 0;
    return kUnixEpoch + FileTicks(status.st_mtim.tv_sec) * kTicksPerSecond + FileTicks(status.st_mtim.tv_nsec / 100);
}

inline void SetUtcWriteTime(const std::string& path, FileTicks utc)
{
    struct timespec times[2] = {};
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = time_t((utc - kUnixEpoch) / kTicksPerSecond);
    times[1].tv_nsec = long((utc - kUnixEpoch) % kTicksPerSecond * 100);
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// A temporary folder with a cache in it, removed afterwards.
class CacheFolder {
public:
    explicit CacheFolder(const std::string& name)
        : m_root(fs::temp_directory_path() / ("larkspool-" + name + "-" + std::to_string(::getpid())))
    {
        fs::remove_all(m_root);
        fs::create_directories(m_root);
        m_cache = std::make_unique<IndexDatCache>(m_root / "cache");
    }
    ~CacheFolder()
    {
        std::error_code error;
        for (const auto& item : fs::recursive_directory_iterator(m_root, error))
            fs::permissions(item.path(), fs::perms::owner_all, fs::perm_options::add, error);
        fs::remove_all(m_root, error);
    }

    std::string Path(const std::string& relative) const { return (m_root / relative).string(); }
    IndexDatCache& Cache() { return *m_cache; }

    // Puts content into the cache under url, last modified at utc.
    std::string AddToCache(const std::string& url, const std::string& extension, const std::string& content,
                           FileTicks utc)
    {
        char file[MAX_PATH + 1] = {};
        EXPECT_TRUE(m_cache->CreateUrlCacheEntryA(url.c_str(), DWORD(content.size()), extension.c_str(), file, 0));
        WriteFile(file, content);
        EXPECT_TRUE(m_cache->CommitUrlCacheEntryA(url.c_str(), file, FILETIME{0, 0}, MakeFileTime(utc),
                                                  NORMAL_CACHE_ENTRY, nullptr, 0, extension.c_str(), nullptr));
        return file;
    }

    bool InCache(const std::string& url)
    {
        CacheEntryBuffer block;
        DWORD size = block.size();
        return m_cache->GetUrlCacheEntryInfoA(url.c_str(), block.info(), &size) != FALSE;
    }

    // Damages index.dat's signature, as another program might.
    void DamageIndex()
    {
        const int fd = ::open(Path("cache/index.dat").c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, "X", 1, 0), 1);
        ::close(fd);
    }

private:
    fs::path m_root;
    std::unique_ptr<IndexDatCache> m_cache;
};

// Runs as an ordinary user for its lifetime, so that read-only files are
// read-only; root first hands the given folders to that user. Skips the
// test when neither is possible.
class Unprivileged {
public:
    static constexpr uid_t kNobody = 65534;

    explicit Unprivileged(const std::vector<std::string>& folders)
    {
        if (::geteuid() != 0)
            return;
        std::error_code error;
        for (const std::string& folder : folders) {
            [[maybe_unused]] int ignored = ::chown(folder.c_str(), kNobody, kNobody);
            for (const auto& item : fs::recursive_directory_iterator(folder, error))
                ignored = ::lchown(item.path().c_str(), kNobody, kNobody);
        }
        m_dropped = ::seteuid(kNobody) == 0;
    }
    ~Unprivileged()
    {
        if (m_dropped && ::seteuid(0) != 0)
            std::abort();
    }
    bool Active() const { return m_dropped || ::geteuid() != 0; }

private:
    bool m_dropped = false;
};

} // namespace larkspool::testing
