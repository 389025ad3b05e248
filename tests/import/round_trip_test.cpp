// An exported tree imported into an empty cache gives the cache back.
#include "export/export_job.h"
#include "import/import_job.h"
#include "import/import_source.h"

#include "../export/job_test_support.h"

#include <map>

namespace larkspool::testing {
namespace {

struct Cached {
    std::string url;
    std::string content;
    FileTicks modified;
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
                                           FileTimeTicks(info.LastModifiedTime)};
        size = block.size();
    }
    if (handle)
        cache.FindCloseUrlCache(handle);
    return entries;
}

class RoundTrip : public ::testing::Test {
protected:
    RoundTrip() : m_original("round-trip-a"), m_restored("round-trip-b") {}

    CacheFolder m_original;
    CacheFolder m_restored;
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
    std::vector<std::unique_ptr<TCacheEntry>> records;
    std::vector<TCacheEntry*> jobList;
    FileTicks utc = kOlder;
    for (const auto& [sitePath, file] : site) {
        auto entry = std::make_unique<TCacheEntry>();
        entry->SourceUrl = "http://" + sitePath;
        entry->SitePath = sitePath;
        entry->Name = sitePath.substr(sitePath.rfind('/') + 1);
        entry->LocalFile = m_original.AddToCache(entry->SourceUrl, file.first, file.second, utc);
        entry->Modified = FileTimeToLocalFileTime(utc);
        utc += 37 * kTicksPerSecond + 1234567;
        jobList.push_back(entry.get());
        records.push_back(std::move(entry));
    }
    const std::string tree = m_original.Path("tree");
    // A page saved by hand into the tree, linking into it by file name.
    WriteFile(tree + "/host.example/saved.htm", "<a href=\"file://" + tree + "/host.example/docs/page.html\">p</a>");

    larkspool::ExportJob exportJob(m_original.Cache(), m_host);
    exportJob.SetOpKind(kOpCopy);
    exportJob.SetJobList(jobList);
    exportJob.SetCopyDir(tree);
    exportJob.Run();
    ASSERT_EQ(exportJob.GetJobResult(), 0);
    std::vector<ImportFileRecord> list;
    ASSERT_EQ(CollectDomains(tree, FillDomainList(tree), list), 0);
    larkspool::ImportJob importJob(m_restored.Cache(), m_host);
    importJob.SetImportList(list);
    importJob.SetBaseFolder(tree);
    importJob.Run();
    ASSERT_EQ(importJob.GetJobResult(), 0);

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
        EXPECT_EQ(UtcWriteTime(tree + "/" + url.substr(7)), entry.modified) << url;
    }
    EXPECT_TRUE(m_host.reports.empty());
}

} // namespace
} // namespace larkspool::testing
