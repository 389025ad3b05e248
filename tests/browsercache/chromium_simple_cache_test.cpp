// The simple cache reader against caches real Chromium writes, and against
// entry files laid out as Chromium writes them, whole and damaged.
#include "browsercache/body_decoding.h"
#include "browsercache/chromium_simple_cache.h"
#include "browsercache/http_response_info.h"

#include "browsercache/crc32.h"
#include "browsercache/simple_cache_index.h"
#include "browsercache/stored_body.h"
#include "tests/browsercache/chromium_bytes.h"
#include "tests/browsercache/real_chromium.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <thread>

namespace {

using namespace larkspool::browsercache;
using namespace std::string_literals;

using larkspool::testing::kRequestMicroseconds;
using larkspool::testing::Le32;
using larkspool::testing::Le64;
using larkspool::testing::ResponseRecord;
using larkspool::testing::SimpleEntry;

BrowserCacheRecord Read(const std::string& bytes)
{
    return ReadSimpleCacheEntry(MemoryBytes(bytes), "0123456789abcdef_0", ReadResponseInfo);
}

TEST(ChromiumSimpleCache, lists_what_real_chromium_cached_with_bodies_as_served)
{
    if (!larkspool::testing::RealChromium::Available())
        GTEST_SKIP() << "chromium or python3 is not installed";
    larkspool::testing::RealChromium chromium;
    // The data: icon keeps Chromium from asking for (and caching) /favicon.ico.
    const std::string page = "<html><head><link rel=\"icon\" href=\"data:,\"></head>"
                             "<body><img src=\"logo.png\"><script src=\"app.js\"></script></body></html>";
    const std::string image = "\x89PNG\r\n\x1a\n" + std::string(300, '\x01');
    const std::string script = "document.title = 'x';";
    chromium.Serve("index.html", page);
    chromium.Serve("logo.png", image);
    chromium.Serve("app.js", script);
    chromium.Serve("unused.html", "not loaded");
    ASSERT_TRUE(chromium.Load("index.html"));

    const BrowserCacheScan scan = ScanChromiumSimpleCache(chromium.CacheFolder());

    ASSERT_EQ(scan.error, "");
    std::string index;
    ASSERT_TRUE(std::filesystem::exists(chromium.CacheFolder() / "index-dir" / "the-real-index"));
    const FileBytes indexFile(chromium.CacheFolder() / "index-dir" / "the-real-index");
    ASSERT_TRUE(indexFile.ReadAt(0, indexFile.Size(), index));
    const auto lastUse = ReadSimpleIndexLastUse(index);
    std::map<std::string, std::string> bodies;
    for (const BrowserCacheRecord& record : scan.records) {
        const std::uint64_t hash = std::stoull(record.body.file.filename().string().substr(0, 16), nullptr, 16);
        ASSERT_EQ(lastUse.count(hash), 1u);
        EXPECT_EQ(record.accessTime, lastUse.at(hash));
        ASSERT_EQ(record.error, "") << record.key;
        EXPECT_TRUE(record.responseHead.starts_with("HTTP/1.0 200 OK\r\n")) << record.responseHead;
        EXPECT_NE(record.responseHead.find("\r\nContent-Length: "), std::string::npos);
        EXPECT_TRUE(record.responseHead.ends_with("\r\n"));
        EXPECT_TRUE(record.body.hasCrc32);
        EXPECT_NE(record.requestTime, 0u);
        EXPECT_LE(record.requestTime, record.responseTime);
        EXPECT_EQ(record.entryTime, record.responseTime);
        EXPECT_EQ(ReadStoredBody(record.body, bodies[record.url]), "");
    }
    EXPECT_EQ(bodies, (std::map<std::string, std::string>{
                          {chromium.Url("index.html"), page}, {chromium.Url("logo.png"), image}, {chromium.Url("app.js"), script}}));
}

class ResponseRecordLayout : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(ResponseRecordLayout, gives_head_and_times_of_each_version)
{
    SimpleEntry entry;
    entry.record = ResponseRecord(GetParam(), "HTTP/1.1 301 Moved\0Location: /b.html\0\0"s);

    const BrowserCacheRecord record = Read(entry.Bytes());

    EXPECT_EQ(record.error, "");
    EXPECT_EQ(record.key, entry.key);
    EXPECT_EQ(record.url, "http://127.0.0.1:8765/a.html");
    EXPECT_EQ(record.responseHead, "HTTP/1.1 301 Moved\r\nLocation: /b.html\r\n");
    EXPECT_EQ(record.requestTime, kRequestMicroseconds * 10);
    EXPECT_EQ(record.responseTime, (kRequestMicroseconds + 500) * 10);
    EXPECT_EQ(record.body.offset, 24 + entry.key.size());
    EXPECT_EQ(record.body.length, entry.body.size());
    EXPECT_TRUE(record.body.hasCrc32);
    EXPECT_EQ(record.body.crc32, Crc32(entry.body));
}

// Version 1 and 3 without extra flags (older Chromium), version 3 with them.
INSTANTIATE_TEST_SUITE_P(Flags, ResponseRecordLayout, ::testing::Values(0x1u, 0x3u, 0x80000003u, 0x80100003u));

TEST(ChromiumSimpleCache, an_entry_without_a_response_record_has_no_head_and_no_error)
{
    SimpleEntry entry;
    entry.key = "_key_http://a.example/ \nhttp://a.example/app.js";
    entry.record.clear();

    const BrowserCacheRecord record = Read(entry.Bytes());

    EXPECT_EQ(record.error, "");
    EXPECT_EQ(record.responseHead, "");
    EXPECT_EQ(record.body.length, entry.body.size());
}

// Chromium opens an entry file only of kSimpleEntryVersionOnDisk, 5 in every
// release since the simple cache shipped; the backend's and the index's
// versions (6 to 9) and the sparse file's are other counters, never an
// entry's.
class SimpleEntryVersion : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(SimpleEntryVersion, reads_only_the_version_chromium_reads)
{
    const std::uint32_t version = GetParam();
    const BrowserCacheRecord record = Read(SimpleEntry().Bytes().replace(8, 4, Le32(version)));
    EXPECT_EQ(record.error,
              version == 5 ? "" : "0123456789abcdef_0: unknown entry version " + std::to_string(version));
}

INSTANTIATE_TEST_SUITE_P(Versions, SimpleEntryVersion, ::testing::Values(0u, 4u, 5u, 6u, 7u, 8u, 9u));

struct DamageRow {
    const char* name;
    std::string (*damage)(const SimpleEntry& entry);
    const char* error;
};

class SimpleCacheDamage : public ::testing::TestWithParam<DamageRow> {};

TEST_P(SimpleCacheDamage, gives_a_clear_error_for_the_entry)
{
    const BrowserCacheRecord record = Read(GetParam().damage(SimpleEntry()));

    EXPECT_EQ(record.error, std::string("0123456789abcdef_0: ") + GetParam().error);
    EXPECT_EQ(record.body.length, 0u);
}

std::string Patched(const SimpleEntry& entry, std::size_t offset, const std::string& bytes)
{
    return entry.Bytes().replace(offset, bytes.size(), bytes);
}

std::size_t Stream0EndRecord(const SimpleEntry& entry) { return entry.Bytes().size() - 24; }

INSTANTIATE_TEST_SUITE_P(Rows, SimpleCacheDamage, ::testing::Values(
    DamageRow{"empty", [](const SimpleEntry&) { return std::string(); }, "too short for a cache entry"},
    DamageRow{"wrong_magic", [](const SimpleEntry& e) { return Patched(e, 0, "X"); }, "not a cache entry (wrong magic number)"},
    DamageRow{"huge_key", [](const SimpleEntry& e) { return Patched(e, 12, Le32(0xffffffff)); },
              "the key of 4294967295 bytes does not fit the file"},
    DamageRow{"header_only", [](const SimpleEntry& e) { return e.Bytes().substr(0, 24); }, "the key of 70 bytes does not fit the file"},
    DamageRow{"end_record_cut", [](const SimpleEntry& e) { return e.Bytes().substr(0, e.Bytes().size() - 1); },
              "the response record's end record is damaged"},
    DamageRow{"huge_response_record", [](const SimpleEntry& e) { return Patched(e, Stream0EndRecord(e) + 16, Le32(0x7fffffff)); },
              "a response record of 2147483647 bytes does not fit the file"},
    DamageRow{"record_longer_than_file", [](const SimpleEntry& e) { return Patched(e, Stream0EndRecord(e) + 16, Le32(4000)); },
              "a response record of 4000 bytes does not fit the file"},
    DamageRow{"record_crc", [](const SimpleEntry& e) { return Patched(e, Stream0EndRecord(e) + 12, Le32(0)); },
              "the response record fails its CRC-32 check"},
    DamageRow{"body_end_record", [](const SimpleEntry& e) { return Patched(e, 24 + e.key.size() + e.body.size(), "X"); },
              "the body's end record is damaged"},
    DamageRow{"record_version",
              [](const SimpleEntry& e) {
                  SimpleEntry damaged = e;
                  damaged.record = ResponseRecord(0x80000000u, "HTTP/1.1 200 OK\0\0"s);
                  return damaged.Bytes();
              },
              "unknown response record version 0"},
    DamageRow{"record_headers_cut",
              [](const SimpleEntry& e) {
                  SimpleEntry damaged = e;
                  damaged.record = ResponseRecord(3, "HTTP/1.1 200 OK\0\0"s).substr(0, 24);
                  damaged.record.replace(0, 4, Le32(20));
                  return damaged.Bytes();
              },
              "the response record is truncated"},
    DamageRow{"record_size_past_stream",
              [](const SimpleEntry& e) {
                  SimpleEntry damaged = e;
                  damaged.record.replace(0, 4, Le32(0x10000000));
                  return damaged.Bytes();
              },
              "the response record's size does not fit its stream"}),
    [](const ::testing::TestParamInfo<DamageRow>& info) { return std::string(info.param.name); });

TEST(ChromiumSimpleCache, every_truncation_is_an_error_or_stays_inside_the_file)
{
    const std::string whole = SimpleEntry().Bytes();

    for (std::size_t size = 0; size < whole.size(); ++size) {
        const BrowserCacheRecord record = Read(whole.substr(0, size));
        EXPECT_TRUE(!record.error.empty() || record.body.offset + record.body.length <= size) << size;
    }
}

// The listing has the entry file in memory anyway: a body that fails its
// CRC-32 is damage there already, as the export would find it.
TEST(ChromiumSimpleCache, a_changed_body_fails_its_crc_when_listed)
{
    larkspool::testing::TempFolder folder;
    const SimpleEntry entry;
    std::string bytes = entry.Bytes();
    bytes[24 + entry.key.size()] ^= 1;
    folder.Write("cache/0123456789abcdef_0", bytes);

    const BrowserCacheScan scan = ScanChromiumSimpleCache(folder.Path() / "cache");

    ASSERT_EQ(scan.records.size(), 1u);
    EXPECT_EQ(scan.records[0].key, entry.key);
    EXPECT_EQ(scan.records[0].error, std::string("0123456789abcdef_0: ") + kBodyChecksumMismatch);
}

TEST(ChromiumSimpleCache, scans_only_entry_files_and_keeps_damaged_ones_as_errors)
{
    larkspool::testing::TempFolder folder;
    folder.Write("cache/index", Le64(0xfcfb6d1ba7725c30ULL) + Le32(9) + std::string(12, '\0'));
    folder.Write("cache/00000000000000aa_0", SimpleEntry().Bytes());
    folder.Write("cache/00000000000000bb_0", "damaged");
    folder.Write("cache/00000000000000aa_1", "stream 2");
    folder.Write("cache/00000000000000aa_s", "sparse");
    folder.Write("cache/index-dir/the-real-index", "damaged");

    const BrowserCacheScan scan = ScanChromiumSimpleCache(folder.Path() / "cache");

    ASSERT_EQ(scan.error, "");
    ASSERT_EQ(scan.records.size(), 2u);
    EXPECT_EQ(scan.records[0].url, "http://127.0.0.1:8765/a.html");
    EXPECT_NE(scan.records[0].accessTime, 0u);
    EXPECT_EQ(scan.records[1].error, "00000000000000bb_0: too short for a cache entry");
}

// A pipe put where the index should be would block an open for reading
// until something writes to it.
TEST(ChromiumSimpleCache, a_pipe_for_the_index_does_not_stop_the_scan)
{
    larkspool::testing::TempFolder folder;
    folder.Write("cache/00000000000000aa_0", SimpleEntry().Bytes());
    std::filesystem::create_directories(folder.Path() / "cache" / "index-dir");
    ASSERT_EQ(mkfifo((folder.Path() / "cache" / "index-dir" / "the-real-index").c_str(), 0600), 0);
    const auto scanned = std::make_shared<std::atomic<std::size_t>>(0);

    std::thread([scanned, cache = folder.Path() / "cache"] {
        *scanned = ScanChromiumSimpleCache(cache).records.size() + 1;
    }).detach(); // left blocked if the fault is there: the process ends anyway
    for (int wait = 0; wait < 200 && *scanned == 0; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));

    EXPECT_EQ(*scanned, 2u) << "the scan did not end within 10 s";
}

// Run as an ordinary user: root reads files of mode 000.
TEST(ChromiumSimpleCache, an_unreadable_entry_file_is_named_with_the_reason)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    larkspool::testing::TempFolder folder;
    folder.Write("cache/00000000000000aa_0", SimpleEntry().Bytes());
    std::filesystem::permissions(folder.Path() / "cache/00000000000000aa_0", std::filesystem::perms::none);

    const BrowserCacheScan scan = ScanChromiumSimpleCache(folder.Path() / "cache");

    ASSERT_EQ(scan.records.size(), 1u);
    EXPECT_EQ(scan.records[0].error, "00000000000000aa_0: cannot be opened: Permission denied");
}

TEST(ChromiumSimpleCache, a_folder_without_a_cache_is_an_error_of_the_scan)
{
    larkspool::testing::TempFolder folder;
    folder.Write("other.txt");

    EXPECT_EQ(ScanChromiumSimpleCache(folder.Path()).error, "no Chromium cache in " + folder.Path().string());
    EXPECT_NE(ScanChromiumSimpleCache(folder.Path() / "missing").error.find("cannot list"), std::string::npos);
}

// A body fetched by byte ranges: the "_0" file keeps the 206 head and an
// empty stream 1, the "_s" file the ranges.
struct SparseRow {
    const char* name;
    const char* length; // the head's Content-Range (of the first range fetched)
    std::vector<std::pair<std::uint64_t, std::string>> ranges; // as appended
    std::string error;  // of the record; empty: read
    std::uint64_t held;
    std::string body;   // as read back, zeros in the gaps
    std::string readError; // a part of why reading it back fails
};

class SimpleSparseBody : public ::testing::TestWithParam<SparseRow> {};

TEST_P(SimpleSparseBody, places_every_range_at_its_offset)
{
    const SparseRow& row = GetParam();
    larkspool::testing::TempFolder folder;
    SimpleEntry entry;
    entry.body.clear();
    entry.record = ResponseRecord(0x80000003u, "HTTP/1.1 206 Partial Content\0Content-Range: "s + row.length +
                                                   "\0Content-Type: video/webm\0\0"s);
    folder.Write("cache/00000000000000aa_0", entry.Bytes());
    std::string sparse = larkspool::testing::SimpleSparseFile(entry.key, row.ranges);
    if (!row.readError.empty())
        sparse.back() ^= 1; // the last range's data changed after its CRC was taken
    folder.Write("cache/00000000000000aa_s", sparse);

    const BrowserCacheScan scan = ScanChromiumSimpleCache(folder.Path() / "cache");

    ASSERT_EQ(scan.records.size(), 1u);
    const BrowserCacheRecord& record = scan.records[0];
    if (!row.error.empty()) {
        EXPECT_EQ(record.error, "00000000000000aa_s: " + row.error);
        EXPECT_TRUE(record.body.pieces.empty());
        return;
    }
    ASSERT_EQ(record.error, "");
    if (row.body.empty()) {
        EXPECT_EQ(record.body.length, 0u) << "nothing held lists no body";
        return;
    }
    EXPECT_EQ(record.body.file, folder.Path() / "cache/00000000000000aa_s");
    EXPECT_EQ(record.body.length, row.body.size());
    EXPECT_EQ(HeldBytes(record.body), row.held);
    std::string body;
    const std::string error = DecodeBody(record.body, "", [&body](const char* bytes, std::size_t count) {
        body.append(bytes, count);
        return true;
    });
    if (row.readError.empty()) {
        EXPECT_EQ(error, "");
        EXPECT_EQ(body, row.body);
    } else {
        EXPECT_NE(error.find(row.readError), std::string::npos) << error;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, SimpleSparseBody, ::testing::Values(
    SparseRow{"whole_from_two_ranges_appended_out_of_order", "bytes 10-19/20", {{10, "abcdefghij"}, {0, "0123456789"}},
              "", 20, "0123456789abcdefghij", ""},
    SparseRow{"a_gap_is_zeros", "bytes 0-9/30", {{0, "0123456789"}, {20, "klmnopqrst"}}, "", 20,
              "0123456789" + std::string(10, '\0') + "klmnopqrst", ""},
    SparseRow{"a_range_not_fetched_yet_at_the_end", "bytes 0-4/8", {{0, "01234"}}, "", 5, "01234\0\0\0"s, ""},
    SparseRow{"no_range_yet_holds_nothing", "bytes 0-9/20", {}, "", 0, "", ""},
    SparseRow{"a_bad_crc", "bytes 0-9/20", {{0, "0123456789"}, {10, "abcdefghij"}}, "", 20,
              "0123456789abcdefghij", "the range at byte 10 of the body fails its CRC-32 check"},
    SparseRow{"a_range_past_the_total", "bytes 0-9/15", {{0, "0123456789"}, {10, "abcdefghij"}},
              "a range ends at byte 20, past the body's 15 bytes", 0, "", ""},
    SparseRow{"overlapping_ranges", "bytes 0-9/20", {{0, "0123456789"}, {5, "abcdefghij"}},
              "the range at byte 5 overlaps the one before it", 0, "", ""},
    SparseRow{"a_range_past_any_body", "bytes 0-9/20", {{0, "0123456789"}, {UINT64_MAX - 3, "abcdefghij"}},
              "the range at byte 18446744073709551612 ends past any body", 0, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct SparseFileDamageRow {
    const char* name;
    std::size_t cut;  // the sparse file's bytes kept; 0: all
    std::size_t at;   // a byte changed, when not 0
    std::string error;
};

class SimpleSparseFileDamage : public ::testing::TestWithParam<SparseFileDamageRow> {};

TEST_P(SimpleSparseFileDamage, is_an_error_of_that_entry_only)
{
    larkspool::testing::TempFolder folder;
    SimpleEntry sparse;
    sparse.body.clear();
    sparse.record = ResponseRecord(0x80000003u, "HTTP/1.1 206 Partial Content\0Content-Range: bytes 0-9/10\0\0"s);
    std::string bytes = larkspool::testing::SimpleSparseFile(sparse.key, {{0, "0123456789"}});
    if (GetParam().cut)
        bytes.resize(GetParam().cut);
    if (GetParam().at)
        bytes[GetParam().at] ^= 0x40;
    folder.Write("cache/00000000000000aa_0", sparse.Bytes());
    folder.Write("cache/00000000000000aa_s", bytes);
    folder.Write("cache/00000000000000bb_0", SimpleEntry().Bytes());

    const BrowserCacheScan scan = ScanChromiumSimpleCache(folder.Path() / "cache");

    ASSERT_EQ(scan.error, "");
    ASSERT_EQ(scan.records.size(), 2u);
    EXPECT_EQ(scan.records[0].error, "00000000000000aa_s: " + GetParam().error);
    EXPECT_EQ(scan.records[0].url, "http://127.0.0.1:8765/a.html");
    EXPECT_EQ(scan.records[1].error, "");
}

// The header is 24 bytes, the key 70, the range's header 32.
INSTANTIATE_TEST_SUITE_P(Rows, SimpleSparseFileDamage, ::testing::Values(
    SparseFileDamageRow{"short_header", 20, 0, "too short for a sparse file"},
    SparseFileDamageRow{"magic", 0, 1, "not a sparse file (wrong magic number)"},
    SparseFileDamageRow{"version", 0, 8, "unknown sparse file version 73"},
    SparseFileDamageRow{"key", 0, 30, "the sparse file is not the entry's: it names another key"},
    SparseFileDamageRow{"range_header_cut", 24 + 70 + 20, 0,
                        "the sparse file ends inside the header of a range at byte 94"},
    SparseFileDamageRow{"range_magic", 0, 24 + 70 + 2, "the range header at byte 94 of the sparse file is damaged"},
    SparseFileDamageRow{"range_data_cut", 24 + 70 + 32 + 5, 0,
                        "the range at byte 0 of the body does not fit the sparse file"},
    SparseFileDamageRow{"range_length", 0, 24 + 70 + 16 + 7,
                        "the range at byte 0 of the body does not fit the sparse file"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
