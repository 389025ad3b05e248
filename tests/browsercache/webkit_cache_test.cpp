// WebKit's network cache: records of each storage version's encoding laid
// out as WebKit writes them, then damaged one at a time. WebKitGTK's own
// cache is read in real_browser_cache_test.py.
#include "browsercache/webkit_cache.h"

#include "browsercache/browser_cache.h"
#include "browsercache/cache_folder.h"
#include "browsercache/http_response_head.h"
#include "cache/file_time.h"
#include "tests/browsercache/webkit_bytes.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace larkspool::browsercache {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::WebKitEra;
using testing::WebKitItem;
using testing::WriteWebKitVersion;

std::string Slurp(const fs::path& file, std::uint64_t offset = 0, std::uint64_t length = UINT64_MAX)
{
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return offset > bytes.size() ? std::string() : bytes.substr(std::size_t(offset), std::size_t(length));
}

std::string BodyOf(const BrowserCacheRecord& record)
{
    return Slurp(record.body.file, record.body.offset, record.body.length);
}

const BrowserCacheRecord* ByUrl(const BrowserCacheScan& scan, const std::string& url)
{
    for (const BrowserCacheRecord& record : scan.records)
        if (record.url == url && record.error.empty())
            return &record;
    return nullptr;
}

std::vector<WebKitItem> SampleItems()
{
    WebKitItem page{"https://example.org/", "", 200, "OK", {{"Content-Type", "text/html"},
                                                            {"Content-Encoding", "gzip"}}, "<p>decoded page</p>"};
    WebKitItem large = page;
    large.url = "https://example.org/big.js";
    large.headers = {{"Content-Type", "text/javascript"}};
    large.body = std::string(20000, 'j');
    large.inlineBody = false;
    WebKitItem same = large; // an identical body: one blob for both
    same.url = "https://example.org/copy.js";
    WebKitItem moved{"https://example.org/old", "", 301, "Moved Permanently", {{"Location", "/"}}, ""};
    return {page, large, same, moved};
}

// The encodings of the storage versions Safari and WebKitGTK have written.
const struct EraRow {
    const char* name;
    WebKitEra era;
    bool safari;      // keys partitioned by the top-frame site, a certificate chain after the status
    bool wideStrings; // the strings in UTF-16
} kEras[] = {
    {"WebKitGTK 2.50, version 17", {17, false, false}, false, false},
    {"Safari, version 16", {16, false, false, std::string(300, '\x30')}, true, false},
    {"Safari, version 12, i32 status", {12, false, true, std::string(900, '\x82')}, true, true},
    {"Safari 9, version 4, i64 microseconds", {4, true, true, std::string(64, '\x01')}, true, false},
};

// The versions between those kept the same layout: each is read in either
// encoding of the time and the status code.
std::vector<EraRow> EveryEra()
{
    static std::vector<std::string> names;
    std::vector<EraRow> eras(std::begin(kEras), std::end(kEras));
    names.clear();
    names.reserve(2 * (kNewestWebKitVersion - kOldestWebKitVersion + 1));
    for (std::uint32_t number = kOldestWebKitVersion; number <= kNewestWebKitVersion; ++number)
        for (const bool older : {false, true}) {
            names.push_back("version " + std::to_string(number) + (older ? ", i64 microseconds, i32 status" : ""));
            eras.push_back({names.back().c_str(), {number, older, older}, false, false});
        }
    return eras;
}

TEST(WebKitCache, reads_each_versions_records_heads_bodies_and_times)
{
    for (const EraRow& row : EveryEra()) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        std::vector<WebKitItem> items = SampleItems();
        for (WebKitItem& item : items) {
            item.partition = row.safari ? "https://top.example" : "";
            item.wideStrings = row.wideStrings;
        }
        const fs::path version = folder.Path() / "WebKitCache" / ("Version " + std::to_string(row.era.version));
        WriteWebKitVersion(version, items, row.era);
        testing::WebKitWriteFile(version / "Records" / "AB" / "SubResources" / "CD", "a page's prefetch list");

        for (const fs::path& opened : {folder.Path() / "WebKitCache", version}) {
            const BrowserCacheScan scan = ScanWebKitCache(opened);
            ASSERT_EQ(scan.error, "");
            ASSERT_EQ(scan.records.size(), items.size());
            for (const WebKitItem& item : items) {
                const BrowserCacheRecord* record = ByUrl(scan, item.url);
                ASSERT_NE(record, nullptr) << item.url;
                EXPECT_EQ(record->partition, item.partition);
                EXPECT_EQ(ResponseStatus(record->responseHead), item.status);
                for (const auto& [name, value] : item.headers)
                    EXPECT_EQ(HeaderValue(record->responseHead, name).value_or("-"), value) << name;
                EXPECT_EQ(BodyOf(*record), item.body);
                EXPECT_EQ(record->entryTime, kUnixEpochTicks + 17969114372500000ULL);
            }
            EXPECT_EQ(ByUrl(scan, "https://example.org/big.js")->body.file.parent_path().filename(), "Resource");
        }
    }
}

TEST(WebKitCache, unknown_versions_are_named_and_known_ones_still_read)
{
    TempFolder folder;
    WriteWebKitVersion(folder.Path() / "only-new" / "WebKitCache" / "Version 18", SampleItems(), {18});
    WriteWebKitVersion(folder.Path() / "too-old" / "WebKitCache" / "Version 3", SampleItems(), {3});
    WriteWebKitVersion(folder.Path() / "mixed" / "WebKitCache" / "Version 18", SampleItems(), {18});
    WriteWebKitVersion(folder.Path() / "mixed" / "WebKitCache" / "Version 17", SampleItems());
    folder.Write("fresh/WebKitCache/Version 17/salt");

    for (const char* cache : {"only-new", "too-old"}) {
        const BrowserCacheScan scan = ScanWebKitCache(folder.Path() / cache / "WebKitCache");
        EXPECT_NE(scan.error.find("a version this reader does not know"), std::string::npos) << scan.error;
        EXPECT_NE(scan.error.find("Version "), std::string::npos) << scan.error;
    }
    const BrowserCacheScan mixed = ScanWebKitCache(folder.Path() / "mixed" / "WebKitCache");
    EXPECT_EQ(mixed.error, "");
    ASSERT_EQ(mixed.records.size(), SampleItems().size() + 1);
    EXPECT_NE(mixed.records.back().error.find("WebKit cache Version 18"), std::string::npos);
    const BrowserCacheScan fresh = ScanWebKitCache(folder.Path() / "fresh" / "WebKitCache");
    EXPECT_EQ(fresh.error, "");
    EXPECT_TRUE(fresh.records.empty());
}

// One record damaged at a time: that record names why, the others are read.
TEST(WebKitCache, damage_in_a_record_is_that_records_error)
{
    WebKitItem victim{"https://example.org/victim", "", 200, "OK", {{"Content-Type", "text/plain"}}, "body"};
    const std::string good = testing::WebKitRecordBytes(victim);
    const std::size_t headOffset = good.size() - testing::WebKitHead(victim, {}).size() - victim.body.size();
    WebKitItem teapot = victim;
    teapot.status = 42;
    WebKitItem other = victim;
    other.url = "https://example.org/other";
    WebKitItem blobbed = victim;
    blobbed.inlineBody = false;
    const struct {
        const char* name;
        std::string bytes;      // "" keeps the record as written
        const char* removed;    // a file below the version folder to remove, or ""
        const char* error;
    } rows[] = {
        {"cut in the key", good.substr(0, 30), "", "the key is cut short"},
        {"cut in the head", good.substr(0, headOffset + 20), "", "runs past the end of the record"},
        {"a longer inline body", good + "x", "", "does not end the record"},
        {"another record's file", testing::WebKitRecordBytes(other), "",
         "is not the file's name"},
        {"a newer record", testing::WebKitRecordBytes(victim, {18}), "", "a record of version 18 in the folder"},
        {"no HTTP status", testing::WebKitRecordBytes(teapot), "", "status code 42 is no HTTP status"},
        {"no blob at all", testing::WebKitRecordBytes(blobbed), "Blobs", "is missing, and so is Blobs/"},
        {"a short blob", "", "short-blob", "holds 2 bytes, not 4"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        const fs::path version = folder.Path() / "Version 17";
        const auto files = WriteWebKitVersion(version, {SampleItems()[0], row.bytes.empty() ? blobbed : victim});
        if (!row.bytes.empty())
            testing::WebKitWriteFile(files[1], row.bytes);
        if (std::string(row.removed) == "Blobs")
            fs::remove_all(version / "Blobs");
        if (std::string(row.removed) == "short-blob") {
            fs::remove(files[1].native() + "-blob");
            testing::WebKitWriteFile(files[1].native() + "-blob", "bo");
        }
        const BrowserCacheScan scan = ScanWebKitCache(version);
        EXPECT_EQ(scan.error, "");
        ASSERT_EQ(scan.records.size(), 2u);
        EXPECT_NE(ByUrl(scan, "https://example.org/"), nullptr);
        const BrowserCacheRecord& damaged = scan.records[0].error.empty() ? scan.records[1] : scan.records[0];
        EXPECT_NE(damaged.error.find(row.error), std::string::npos) << damaged.error;
        EXPECT_EQ(damaged.body.length, 0u);
    }
}

TEST(WebKitCache, is_told_from_the_firefox_cache_by_its_version_folder)
{
    TempFolder home;
    WriteWebKitVersion(home.Path() / ".cache/epiphany/WebKitCache/Version 17", SampleItems());
    WriteWebKitVersion(home.Path() / "Library/Caches/com.apple.Safari/WebKitCache/Version 16", SampleItems(), {16});
    home.Write("lone/Version 2/readme.txt");
    const auto found = FindCacheFolders(home.Path());
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].folder, home.Path() / ".cache/epiphany/WebKitCache");
    EXPECT_EQ(found[1].folder, home.Path() / "Library/Caches/com.apple.Safari/WebKitCache");
    for (const CacheFolder& cache : found)
        EXPECT_EQ(cache.format, CacheFolderFormat::WebKit);
    EXPECT_EQ(DetectCacheFormat(home.Path() / ".cache/epiphany/WebKitCache/Version 17"), CacheFolderFormat::WebKit);
    EXPECT_EQ(DetectCacheFormat(home.Path() / "lone"), std::nullopt);
    EXPECT_STREQ(CacheFormatName(CacheFolderFormat::WebKit), "webkit");
}

// Through the URL cache: a body stored decoded under "Content-Encoding:
// gzip" comes back as stored, the 301 as a redirect page.
TEST(WebKitCache, bodies_pass_through_undecoded_and_a_cached_301_redirects)
{
    TempFolder folder, scratch;
    const fs::path cacheFolder = folder.Path() / "WebKitCache";
    std::vector<WebKitItem> items = SampleItems();
    items[0].partition = "https://top.example";
    WriteWebKitVersion(cacheFolder / "Version 17", items);
    BrowserCacheScan scan = ScanBrowserCache({cacheFolder, CacheFolderFormat::WebKit});
    scan.folder = cacheFolder;
    BrowserCache cache(std::move(scan), scratch.Path());

    EXPECT_STREQ(cache.Kind().name, "WebKit Cache");
    EXPECT_TRUE(cache.Problems().empty());
    for (const char* url : {"https://example.org/", "https://example.org/big.js"}) {
        std::FILE* stream = cache.OpenUrlCacheEntryBody(url);
        ASSERT_NE(stream, nullptr) << url;
        std::string read(30000, '\0');
        read.resize(std::fread(read.data(), 1, read.size(), stream));
        std::fclose(stream);
        EXPECT_EQ(read, url == std::string("https://example.org/") ? items[0].body : items[1].body);
    }
    const auto origin = cache.EntryOrigin("https://example.org/");
    ASSERT_TRUE(origin);
    EXPECT_EQ(origin->format, "webkit");
    EXPECT_EQ(origin->partition, "https://top.example");
    const auto redirect = cache.EntryOrigin("https://example.org/old");
    ASSERT_TRUE(redirect);
    EXPECT_TRUE(redirect->redirectPage);
}

} // namespace
} // namespace larkspool::browsercache
