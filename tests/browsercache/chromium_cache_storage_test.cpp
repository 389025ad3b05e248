// CacheStorage's index and response records built field by field as
// Chromium writes them, whole and damaged, and a CacheStorage folder read
// through the URL cache.
#include "browsercache/chromium_cache_storage.h"

#include "browsercache/browser_cache.h"
#include "browsercache/cache_folder.h"
#include "browsercache/chromium_simple_cache.h"
#include "tests/browsercache/chromium_bytes.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace larkspool::browsercache {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing::CacheStorageIndexFile;
using testing::CacheStorageRecord;
using testing::ProtoBytes;
using testing::ProtoNumber;
using testing::SimpleEntry;
using testing::TempFolder;

struct IndexRow {
    const char* name;
    std::string bytes;
    std::string error;
    std::vector<std::string> caches; // name=folder each
};

class CacheStorageIndexRows : public ::testing::TestWithParam<IndexRow> {};

TEST_P(CacheStorageIndexRows, names_its_caches_or_says_why_not)
{
    CacheStorageIndex index;
    EXPECT_EQ(ReadCacheStorageIndex(GetParam().bytes, index), GetParam().error);
    std::vector<std::string> caches;
    for (const auto& cache : index.caches)
        caches.push_back(cache.name + "=" + cache.folder);
    if (GetParam().error.empty()) {
        EXPECT_EQ(caches, GetParam().caches);
        EXPECT_EQ(index.origin, "https://example.org/");
    }
}

std::string Cache(const std::string& fields) { return ProtoBytes(1, fields); }

INSTANTIATE_TEST_SUITE_P(Rows, CacheStorageIndexRows, ::testing::Values(
    IndexRow{"two_caches", CacheStorageIndexFile({{"a", "d1"}, {"b", "d2"}}), "", {"a=d1", "b=d2"}},
    // Newer Chromium writes the name again in UTF-16, which keeps any DOMString.
    IndexRow{"utf16_name", Cache(ProtoBytes(1, "x") + ProtoBytes(2, "d") + ProtoBytes(7, "\xe9\0\x3d\xd8\x00\xde"s)) +
                               ProtoBytes(2, "https://example.org/"),
             "", {"\xc3\xa9\xf0\x9f\x98\x80=d"}},
    IndexRow{"unknown_fields_skipped",
             Cache(ProtoNumber(9, 1) + "\x51" + std::string(8, 'x') + ProtoBytes(1, "a") + "\x65xxxx" +
                   ProtoBytes(2, "d") + ProtoBytes(10, ProtoBytes(1, "nested"))) +
                 ProtoBytes(3, "https://example.org/"),
             "", {"a=d"}},
    IndexRow{"no_caches", ProtoBytes(2, "https://example.org/"), "", {}},
    IndexRow{"no_folder", Cache(ProtoBytes(1, "a")), "the cache \"a\" names no folder of its own", {}},
    IndexRow{"folder_above", Cache(ProtoBytes(1, "a") + ProtoBytes(2, "..")), "the cache \"a\" names no folder of its own", {}},
    IndexRow{"folder_below", Cache(ProtoBytes(1, "a") + ProtoBytes(2, "x/../../y")), "the cache \"a\" names no folder of its own", {}},
    IndexRow{"no_name", Cache(ProtoBytes(2, "d")), "a cache in index.txt has no name", {}},
    IndexRow{"cache_cut_short", Cache(ProtoBytes(1, "a") + ProtoBytes(2, "d")).substr(0, 6), "index.txt is damaged", {}},
    IndexRow{"field_inside_cut_short", ProtoBytes(1, ProtoBytes(1, "abc").substr(0, 3)), "a cache's record in index.txt is damaged", {}},
    IndexRow{"length_past_the_end", "\x12\xff\xff\xff\xff\x0f"s, "index.txt is damaged", {}},
    IndexRow{"varint_of_eleven_bytes", "\x08" + std::string(10, '\xff') + "\x01", "index.txt is damaged", {}},
    IndexRow{"group", "\x0b\x0c"s, "index.txt is damaged", {}},
    IndexRow{"field_number_zero", "\x02\x00"s, "index.txt is damaged", {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ResponseRow {
    const char* name;
    std::string stream0;
    std::string error;
};

class CacheStorageResponse : public ::testing::TestWithParam<ResponseRow> {};

TEST_P(CacheStorageResponse, is_refused_when_damaged)
{
    BrowserCacheRecord record;
    EXPECT_EQ(ReadCacheStorageResponse(GetParam().stream0, record), GetParam().error);
}

std::string Response(const std::string& fields) { return ProtoBytes(2, fields); }

INSTANTIATE_TEST_SUITE_P(Rows, CacheStorageResponse, ::testing::Values(
    ResponseRow{"empty", "", "the response record holds no response"},
    ResponseRow{"a_pickle", testing::ResponseRecord(0x80000003u, "HTTP/1.1 200 OK\0\0"s), "the response record is damaged"},
    ResponseRow{"cut_short", CacheStorageRecord(200, {}).substr(0, 20), "the response record is damaged"},
    ResponseRow{"no_status", Response(ProtoBytes(2, "OK")), "the response record holds no status"},
    ResponseRow{"status_as_bytes", Response(ProtoBytes(1, "200")), "the response record holds no status"},
    ResponseRow{"status_zero", Response(ProtoNumber(1, 0)), "the response record's status 0 is no HTTP status"},
    ResponseRow{"status_negative", Response(ProtoNumber(1, std::uint64_t(-1))), "the response record's status -1 is no HTTP status"},
    ResponseRow{"header_without_value", Response(ProtoNumber(1, 200) + ProtoBytes(4, ProtoBytes(1, "X"))),
                "a header of the response record is damaged"},
    ResponseRow{"header_smuggling_a_line", CacheStorageRecord(200, {{"X", "a\r\nSet-Cookie: b"}}),
                "a header of the response record is damaged"},
    ResponseRow{"status_text_with_a_line", Response(ProtoNumber(1, 200) + ProtoBytes(2, "OK\r\nX: y")),
                "the response record's status text is damaged"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CacheStorageResponse, gives_head_times_and_a_body_kept_decoded)
{
    BrowserCacheRecord record;
    ASSERT_EQ(ReadCacheStorageResponse(CacheStorageRecord(404, {{"Content-Type", "text/html"}, {"Content-Encoding", "gzip"}}),
                                       record),
              "");
    EXPECT_EQ(record.responseHead, "HTTP/1.1 404 OK\r\nContent-Type: text/html\r\nContent-Encoding: gzip\r\n");
    EXPECT_EQ(record.responseTime, 134411967169306870ULL);
    EXPECT_EQ(record.entryTime, 134411967169310870ULL);
    EXPECT_TRUE(record.body.decoded);
}

// <storage>/<origin hash>/index.txt naming caches "a", "b" and "gone"; "a"
// holds a page stored decoded under "Content-Encoding: gzip" and a damaged
// entry; the folder of "gone" is missing, as in a partly copied profile.
struct CacheStorageFolder {
    TempFolder folder;
    fs::path storage = folder.Path() / "Service Worker" / "CacheStorage";
    fs::path origin = storage / "0d1e0abb8cd967cfa206338e5018d3992efd1327";
    std::string page = "<p>kept decoded</p>";

    CacheStorageFolder()
    {
        folder.Write("Service Worker/CacheStorage/" + origin.filename().string() + "/index.txt",
                     CacheStorageIndexFile({{"a", "d-a"}, {"b", "d-b"}, {"gone", "d-c"}}));
        SimpleEntry entry;
        entry.key = "https://example.org/a.html";
        entry.body = page;
        entry.record = CacheStorageRecord(200, {{"Content-Type", "text/html"}, {"Content-Encoding", "gzip"}});
        Put("d-a/0000000000000001_0", entry);
        entry.key = "https://example.org/damaged.html";
        entry.record = ProtoBytes(2, ProtoNumber(1, 200)).substr(0, 3);
        Put("d-a/0000000000000002_0", entry);
        entry.key = "https://example.org/b.css";
        entry.body = "b {}";
        entry.record = CacheStorageRecord(200, {{"Content-Type", "text/css"}});
        Put("d-b/0000000000000003_0", entry);
        folder.Write("Service Worker/ScriptCache/0000000000000004_0", SimpleEntry().Bytes());
    }
    void Put(const std::string& name, const SimpleEntry& entry) const
    {
        folder.Write(fs::relative(origin / name, folder.Path()).string(), entry.Bytes());
    }
};

TEST(ChromiumCacheStorage, lists_each_named_cache_with_damaged_entries_named)
{
    const CacheStorageFolder cache;
    for (const fs::path& given : {cache.storage, cache.origin}) {
        EXPECT_EQ(DetectCacheFormat(given), CacheFolderFormat::ChromiumCacheStorage) << given;
        const BrowserCacheScan scan = ScanBrowserCache({given, CacheFolderFormat::ChromiumCacheStorage});
        ASSERT_EQ(scan.error, "");
        ASSERT_EQ(scan.records.size(), 4u);
        EXPECT_EQ(scan.records[0].url, "https://example.org/a.html");
        EXPECT_EQ(scan.records[0].partition, "a");
        EXPECT_EQ(scan.records[0].error, "");
        EXPECT_EQ(scan.records[1].url, "https://example.org/damaged.html");
        EXPECT_EQ(scan.records[1].error, "0000000000000002_0: the response record is damaged");
        EXPECT_EQ(scan.records[2].url, "https://example.org/b.css");
        EXPECT_EQ(scan.records[2].partition, "b");
        EXPECT_EQ(scan.records[3].partition, "gone");
        EXPECT_EQ(scan.records[3].error, (cache.origin / "d-c").string() + ": the folder of the cache \"gone\" is missing");
    }
    // The workers' scripts are passed over, CacheStorage found once.
    // An index.txt of something else is no cache; a copied origin folder is.
    cache.folder.Write("notes/index.txt", "\x0a\x03\x0a\x01\x61 other index"s);
    cache.folder.Write("notes/a/index", "x");
    const fs::path copied = cache.folder.Path() / "copied";
    fs::copy(cache.origin, copied, fs::copy_options::recursive);
    EXPECT_EQ(DetectCacheFormat(copied), CacheFolderFormat::ChromiumCacheStorage);
    fs::remove_all(copied);
    const std::vector<CacheFolder> found = FindCacheFolders(cache.folder.Path());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].folder, cache.storage);
    EXPECT_STREQ(CacheFormatName(found[0].format), "chromium-cachestorage");
}

TEST(ChromiumCacheStorage, a_damaged_index_is_one_damaged_entry_and_no_index_no_cache)
{
    const CacheStorageFolder cache;
    cache.folder.Write("Service Worker/CacheStorage/other/index.txt", "\x0a\x05"s);
    const BrowserCacheScan scan = ScanChromiumCacheStorage(cache.storage);
    ASSERT_EQ(scan.error, "");
    ASSERT_EQ(scan.records.size(), 5u);
    EXPECT_EQ(scan.records[4].error, (cache.storage / "other").string() + ": index.txt is damaged");
    EXPECT_NE(ScanChromiumCacheStorage(cache.storage / "other").error, "");
    EXPECT_EQ(ScanChromiumCacheStorage(cache.folder.Path()).error, "no CacheStorage in " + cache.folder.Path().string());
}

// A cache's folder that is a link (out of the origin's folder) or no folder
// at all is that cache's damage: the origin's other caches are read, also
// when the origin's folder is the one opened, and nothing behind the link.
TEST(ChromiumCacheStorage, a_cache_folder_that_cannot_be_listed_is_one_damaged_cache)
{
    const CacheStorageFolder cache;
    const fs::path outside = cache.folder.Path() / "outside";
    fs::rename(cache.origin / "d-a", outside);
    for (const bool link : {true, false}) {
        fs::remove_all(cache.origin / "d-a");
        if (link)
            fs::create_directory_symlink(outside, cache.origin / "d-a");
        else
            cache.folder.Write(fs::relative(cache.origin / "d-a", cache.folder.Path()).string(), "no folder");
        for (const fs::path& given : {cache.storage, cache.origin}) {
            const BrowserCacheScan scan = ScanChromiumCacheStorage(given);
            ASSERT_EQ(scan.error, "") << given;
            ASSERT_EQ(scan.records.size(), 3u) << given;
            EXPECT_EQ(scan.records[0].partition, "a");
            EXPECT_NE(scan.records[0].error.find(link ? "d-a is a symbolic link" : "d-a is not a folder"),
                      std::string::npos)
                << scan.records[0].error;
            EXPECT_EQ(scan.records[1].url, "https://example.org/b.css");
            EXPECT_EQ(scan.records[1].error, "");
            EXPECT_EQ(scan.records[2].partition, "gone");
        }
    }
}

// The page stored decoded under "Content-Encoding: gzip" comes back as
// stored, not gunzipped again; the report names its cache.
TEST(ChromiumCacheStorage, bodies_pass_through_as_stored)
{
    const CacheStorageFolder cache;
    TempFolder scratch;
    BrowserCacheScan scan = ScanBrowserCache({cache.storage, CacheFolderFormat::ChromiumCacheStorage});
    scan.folder = cache.storage;
    BrowserCache urlCache(std::move(scan), scratch.Path());
    std::FILE* stream = urlCache.OpenUrlCacheEntryBody("https://example.org/a.html");
    ASSERT_NE(stream, nullptr);
    std::string read(1000, '\0');
    read.resize(std::fread(read.data(), 1, read.size(), stream));
    std::fclose(stream);
    EXPECT_EQ(read, cache.page);
    const auto origin = urlCache.EntryOrigin("https://example.org/a.html");
    ASSERT_TRUE(origin);
    EXPECT_EQ(origin->format, "chromium-cachestorage");
    EXPECT_EQ(origin->partition, "a");
}

} // namespace
} // namespace larkspool::browsercache
