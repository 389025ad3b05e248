// An exported tree imported into an empty cache gives the cache back.
#include "catalogue/catalogue.h"
#include "jobs/export_job.h"
#include "jobs/import_job.h"
#include "jobs/import_source.h"

#include "tests/support/scripted_host.h"
#include "tests/support/test_cache.h"
#include "tests/support/unprivileged.h"

#include <cstdlib>
#include <ctime>
#include <map>
#include <optional>

namespace larkspool::testing {
namespace {

struct Cached {
    std::string url;
    std::string content;
    FileTicks modified;
    std::string localFile;
};

std::map<std::string, Cached> Enumerate(UrlCache& cache)
{
    std::map<std::string, Cached> entries;
    CacheEntryBuffer block;
    DWORD size = block.size();
    CacheEnumHandle handle = cache.FindFirstUrlCacheEntryA("", block.info(), &size);
    for (BOOL more = handle != nullptr; more; more = cache.FindNextUrlCacheEntryA(handle, block.info(), &size)) {
        const INTERNET_CACHE_ENTRY_INFOA& info = *block.info();
        entries[info.lpszSourceUrlName] = {info.lpszSourceUrlName, ReadFile(info.lpszLocalFileName),
                                           FileTimeTicks(info.LastModifiedTime), info.lpszLocalFileName};
        size = block.size();
    }
    if (handle)
        cache.FindCloseUrlCache(handle);
    return entries;
}

// Runs in the given time zone for its lifetime.
class TimeZone {
public:
    explicit TimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            m_old = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~TimeZone()
    {
        if (m_old)
            ::setenv("TZ", m_old->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::optional<std::string> m_old;
};

class RoundTrip : public ::testing::Test {
protected:
    // The whole cache as the window would export it: catalogue, then the
    // export into tree, then the import of tree into the second cache.
    void ExportAllAndImport(const std::string& tree)
    {
        Catalogue catalogue(m_original.Cache());
        SilentRefreshProgress progress;
        catalogue.RefreshCache(progress);
        const larkspool::CommandState command{larkspool::kOpCopy, catalogue.CacheList(), tree, {}};
        larkspool::ExportJob exportJob(m_original.Cache(), m_host, command, catalogue.CacheList());
        exportJob.Run();
        ASSERT_EQ(exportJob.GetJobResult(), 0);
        std::vector<ImportFileRecord> list;
        ASSERT_EQ(CollectDomains(tree, FillDomainList(tree), list), 0);
        larkspool::ImportJob importJob(m_restored.Cache(), m_host);
        importJob.SetImportList(list);
        importJob.SetBaseFolder(tree);
        importJob.Run();
        ASSERT_EQ(importJob.GetJobResult(), 0);
    }

    TestCache m_original;
    TestCache m_restored;
    ScriptedHost m_host;
};

TEST_F(RoundTrip, export_then_import_gives_back_urls_contents_and_times)
{
    const std::map<std::string, std::pair<std::string, std::string>> site = {
        {"host.example/index.html", {"htm", "<a href=\"docs/page.html\">docs</a><img src=\"img/logo.gif\">"}},
        {"host.example/docs/page.html", {"htm", "<a href=\"../index.html\">home</a>"}},
        {"host.example/img/logo.gif", {"gif", "GIF89a-logo"}},
        {"other.example/a/b/c.txt", {"txt", "plain text"}},
    };
    FileTicks utc = kOlder;
    for (const auto& [sitePath, file] : site) {
        m_original.Add("http://" + sitePath, file.first, file.second, utc);
        utc += 37 * kTicksPerSecond + 1234567;
    }
    const std::string tree = m_original.Path("tree");
    // A page saved by hand into the tree, linking into it by file name.
    WriteFile(tree + "/host.example/saved.htm", "<a href=\"file://" + tree + "/host.example/docs/page.html\">p</a>");

    ExportAllAndImport(tree);

    const auto original = Enumerate(m_original.Cache());
    auto restored = Enumerate(m_restored.Cache());
    ASSERT_EQ(restored.count("http://host.example/saved.htm"), 1u);
    EXPECT_EQ(restored["http://host.example/saved.htm"].content,
              "<a href=\"http://host.example/docs/page.html\">p</a>");
    restored.erase("http://host.example/saved.htm");
    ASSERT_EQ(restored.size(), original.size());
    for (const auto& [url, entry] : original) {
        ASSERT_EQ(restored.count(url), 1u) << url;
        EXPECT_EQ(restored[url].content, entry.content) << url;
        EXPECT_EQ(restored[url].modified, entry.modified) << url;
        EXPECT_EQ(FileWriteTicks(tree + "/" + url.substr(7)), entry.modified) << url;
    }
    EXPECT_TRUE(m_host.reports.empty());
}

TEST_F(RoundTrip, shift_jis_and_utf8_names_give_back_the_same_urls)
{
    // 表, ソ, 能, 十 and 予 end in the byte of "\" in Shift-JIS.
    const std::pair<std::string, std::string> urls[] = {
        {"http://sjis.example/\x95\x5c.html", "htm"},
        {"http://sjis.example/\x83\x5c/\x94\x5c.gif", "gif"},
        {"http://sjis.example/\x8f\x5c\x97\x5c.txt", "txt"},
        {"http://utf8.example/\xe8\xa1\xa8/\xe8\x83\xbd.html", "htm"},
    };
    for (const auto& [url, extension] : urls)
        m_original.Add(url, extension, "<p>" + url + "</p>", kBase);

    ExportAllAndImport(m_original.Path("tree"));

    const auto original = Enumerate(m_original.Cache());
    const auto restored = Enumerate(m_restored.Cache());
    std::vector<std::string> originalUrls;
    std::vector<std::string> restoredUrls;
    for (const auto& [url, entry] : original)
        originalUrls.push_back(url);
    for (const auto& [url, entry] : restored)
        restoredUrls.push_back(url);
    EXPECT_EQ(restoredUrls, originalUrls);
    EXPECT_TRUE(m_host.reports.empty());
}

// Two entries at the same local time in the hour that occurs twice when
// summer time ends, one in each of its two instants.
struct RepeatedHour {
    const char* zone;
    std::int64_t firstInstant; // Unix seconds, inside the first of the two hours
};

class RoundTripInZone : public RoundTrip, public ::testing::WithParamInterface<RepeatedHour> {};

TEST_P(RoundTripInZone, times_in_the_repeated_hour_stay_exact)
{
    TimeZone zone(GetParam().zone);
    const FileTicks first = kUnixEpochTicks + FileTicks(GetParam().firstInstant) * kTicksPerSecond + 1234567;
    const FileTicks second = first + 3600 * kTicksPerSecond;
    ASSERT_EQ(FileTimeToLocalFileTime(first), FileTimeToLocalFileTime(second));
    m_original.Add("http://host/first.gif", "gif", "1", first);
    m_original.Add("http://host/second.gif", "gif", "2", second);
    m_original.Add("http://host/page.html", "htm", "<p>3</p>", second);
    const std::string tree = m_original.Path("tree");

    ExportAllAndImport(tree);

    EXPECT_EQ(FileWriteTicks(tree + "/host/first.gif"), first);
    EXPECT_EQ(FileWriteTicks(tree + "/host/second.gif"), second);
    EXPECT_EQ(FileWriteTicks(tree + "/host/page.html"), second);
    const auto restored = Enumerate(m_restored.Cache());
    for (const auto& [url, instant] : {std::pair{"http://host/first.gif", first}, std::pair{"http://host/second.gif", second},
                                       std::pair{"http://host/page.html", second}}) {
        ASSERT_EQ(restored.count(url), 1u) << url;
        EXPECT_EQ(restored.at(url).modified, instant) << url;
        EXPECT_EQ(FileWriteTicks(restored.at(url).localFile), instant) << url;
    }
}

INSTANTIATE_TEST_SUITE_P(RoundTrip, RoundTripInZone,
                         ::testing::Values(RepeatedHour{"Europe/Berlin", 1729989000},     // 2024-10-27 00:30 UTC
                                           RepeatedHour{"America/New_York", 1730611800}), // 2024-11-03 05:30 UTC
                         [](const ::testing::TestParamInfo<RepeatedHour>& info) {
                             return std::string(info.param.zone[0] == 'E' ? "Berlin" : "NewYork");
                         });

} // namespace
} // namespace larkspool::testing
