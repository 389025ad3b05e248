// Firefox cache2 entries: the real ones in the shared test data, entries
// laid out as Firefox writes them, and damaged ones.
#include "browsercache/firefox_cache2.h"

#include "browsercache/body_decoding.h"
#include "browsercache/browser_cache.h"
#include "browsercache/browser_time.h"
#include "browsercache/stored_body.h"

#include "tests/browsercache/firefox_entry_bytes.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_cache.h"
#include "tests/support/row_number.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <string>

namespace {

using namespace larkspool::browsercache;
using namespace std::string_literals;

const std::filesystem::path kFixture = LARKSPOOL_TESTDATA_DIR "/firefox-cache2";

using larkspool::testing::Be32;
using larkspool::testing::FirefoxEntry;

BrowserCacheRecord Read(const std::string& bytes)
{
    return ReadFirefoxEntry(MemoryBytes(bytes), "entry");
}

struct FixtureRow {
    const char* file;
    const char* url;
    const char* key;
    std::uint64_t bodyLength;
    const char* statusLine;
};

class FirefoxFixture : public ::testing::TestWithParam<FixtureRow> {};

TEST_P(FirefoxFixture, reads_each_entry_as_its_bytes_show)
{
    if (!std::filesystem::is_directory(kFixture))
        GTEST_SKIP() << "no " << kFixture;
    const FixtureRow& row = GetParam();

    const BrowserCacheScan scan = ScanFirefoxCache2(kFixture);

    ASSERT_EQ(scan.error, "");
    ASSERT_EQ(scan.records.size(), 5u);
    const auto found = std::find_if(scan.records.begin(), scan.records.end(),
                                    [&](const BrowserCacheRecord& r) { return r.body.file.filename() == row.file; });
    ASSERT_NE(found, scan.records.end());
    EXPECT_EQ(found->error, "");
    EXPECT_EQ(found->key, row.key);
    EXPECT_EQ(found->url, row.url);
    EXPECT_EQ(found->body.offset, 0u);
    EXPECT_EQ(found->body.length, row.bodyLength);
    EXPECT_EQ(found->responseHead.substr(0, found->responseHead.find("\r\n")), row.statusLine);
    EXPECT_NE(found->accessTime, 0u);
}

INSTANTIATE_TEST_SUITE_P(Entries, FirefoxFixture, ::testing::Values(
    FixtureRow{"0FC75AE83A9F7CAEFD982F3A793D9CDE5166ECD2", "https://github.com/log2timeline/plaso/issues/counts",
               ":https://github.com/log2timeline/plaso/issues/counts", 0x50, "HTTP/1.1 200 OK"},
    FixtureRow{"1F4B3A4FC81FB19C530758231FA54313BE8F6FA2",
               "https://tiles.cdn.mozilla.net/images/8acf9436e1b315f5f04b9435a518bcd1aef131f8.5663.png",
               ":https://tiles.cdn.mozilla.net/images/8acf9436e1b315f5f04b9435a518bcd1aef131f8.5663.png", 5663,
               "HTTP/1.1 200 OK"},
    FixtureRow{"0EDDF8C091E2FED62E44BEDDDC1723F5BF38FE4F", "", "~predictor-origin,:https://www.mozilla.org/", 0, ""},
    FixtureRow{"9E599395B8E39ED759C56FC9CD6BBD80FBB426DC", "", "~predictor-origin,:http://github.com/", 0, ""}),
                         larkspool::testing::RowNumber());

TEST(FirefoxCache2, a_file_that_is_no_entry_is_reported_not_listed)
{
    if (!std::filesystem::is_directory(kFixture))
        GTEST_SKIP() << "no " << kFixture;

    const BrowserCacheRecord record = ReadFirefoxEntry(
        FileBytes(kFixture / "C966EB70794E44E7E3E8A260106D0C72439AF65B"), kFixture / "C966EB70794E44E7E3E8A260106D0C72439AF65B");

    EXPECT_EQ(record.error, "C966EB70794E44E7E3E8A260106D0C72439AF65B: metadata offset 1667837450 lies past the end of the file");
    EXPECT_EQ(record.url, "");
}

// Entries Firefox has deleted but not yet removed: recovered records, listed
// only when asked, each under its own key, an older copy of a live URL too.
TEST(FirefoxCache2, entries_waiting_in_doomed_are_recovered_records_shown_only_when_asked)
{
    const larkspool::testing::TempFolder folder;
    const larkspool::testing::TempFolder scratch;
    FirefoxEntry kept, doomed;
    doomed.body = "doomed body";
    folder.Write("cache2/entries/0123456789ABCDEF0123456789ABCDEF01234567", kept.Bytes());
    folder.Write("cache2/doomed/1805565591", doomed.Bytes());
    folder.Write("cache2/doomed/2", "abc");

    const BrowserCacheScan scan = ScanFirefoxCache2(folder.Path() / "cache2");
    BrowserCache live(scan, scratch.Path());
    BrowserCache all(scan, scratch.Path(), kDefaultMaxBodySize, true);
    std::vector<std::pair<std::string, std::string>> listed; // URL, key
    larkspool::ForEachCacheEntry(all, "", [&](const INTERNET_CACHE_ENTRY_INFOA& info) {
        listed.emplace_back(info.lpszSourceUrlName, all.EntryKey(info));
    });

    ASSERT_EQ(scan.error, "");
    ASSERT_EQ(scan.records.size(), 3u);
    EXPECT_FALSE(scan.records[0].recovered);
    EXPECT_TRUE(scan.records[1].recovered);
    EXPECT_EQ(scan.records[1].body.file, folder.Path() / "cache2/doomed/1805565591");
    EXPECT_EQ(scan.records[2].error, "2: too short for a cache entry");
    EXPECT_EQ(larkspool::testing::ListEntries(live).size(), 1u);
    EXPECT_TRUE(live.Problems().empty());
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0], std::make_pair(std::string("http://a.example/x.html"), std::string("http://a.example/x.html")));
    EXPECT_EQ(listed[1].first, std::string("http://a.example/x.html"));
    EXPECT_NE(listed[1].second, std::string("http://a.example/x.html"));
    EXPECT_FALSE(all.EntryOrigin(listed[0].second.c_str())->recovered);
    EXPECT_TRUE(all.EntryOrigin(listed[1].second.c_str())->recovered);
    std::FILE* body = all.OpenUrlCacheEntryBody(listed[1].second.c_str());
    ASSERT_NE(body, nullptr);
    char text[64] = {};
    text[std::fread(text, 1, sizeof text - 1, body)] = '\0';
    std::fclose(body);
    EXPECT_STREQ(text, "doomed body");
    EXPECT_FALSE(live.EntryOrigin(listed[1].second.c_str()));
    EXPECT_EQ(all.Problems(), std::vector<std::string>{"2: too short for a cache entry"});
}

class FirefoxVersion : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(FirefoxVersion, reads_key_head_times_and_body)
{
    FirefoxEntry entry;
    entry.version = GetParam();

    const BrowserCacheRecord record = Read(entry.Bytes());

    EXPECT_EQ(record.error, "");
    EXPECT_EQ(record.key, entry.key);
    EXPECT_EQ(record.url, "http://a.example/x.html");
    EXPECT_EQ(record.responseHead, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n");
    EXPECT_EQ(record.body.length, entry.body.size());
    EXPECT_EQ(record.entryTime, TicksFromUnixSeconds(1700000000));
    EXPECT_EQ(record.accessTime, TicksFromUnixSeconds(1700000100));
}

INSTANTIATE_TEST_SUITE_P(Versions, FirefoxVersion, ::testing::Values(1u, 2u, 3u));

TEST(FirefoxCache2, a_body_spanning_several_chunks_skips_one_hash_per_chunk)
{
    FirefoxEntry entry;
    entry.body = std::string(3 * 262144 + 1, 'b');

    const BrowserCacheRecord record = Read(entry.Bytes());

    EXPECT_EQ(record.error, "");
    EXPECT_EQ(record.key, entry.key);
    EXPECT_EQ(record.body.length, entry.body.size());
}

TEST(FirefoxCache2, alt_data_after_the_body_is_not_part_of_it)
{
    FirefoxEntry entry;
    entry.body = "var a = 1;COMPILED";
    entry.elements += "alt-data\0"s "1;10,javascript/moz-script\0"s;

    EXPECT_EQ(Read(entry.Bytes()).body.length, 10u);
}

struct DamageRow {
    const char* name;
    void (*damage)(std::string& bytes, const FirefoxEntry& entry);
    const char* error;
};

class FirefoxDamage : public ::testing::TestWithParam<DamageRow> {};

TEST_P(FirefoxDamage, gives_a_clear_error_for_the_entry)
{
    const FirefoxEntry entry;
    std::string bytes = entry.Bytes();
    GetParam().damage(bytes, entry);

    const BrowserCacheRecord record = Read(bytes);

    EXPECT_EQ(record.error, std::string("entry: ") + GetParam().error);
    EXPECT_EQ(record.body.length, 0u);
}

INSTANTIATE_TEST_SUITE_P(Rows, FirefoxDamage, ::testing::Values(
    DamageRow{"empty", [](std::string& b, const FirefoxEntry&) { b.clear(); }, "too short for a cache entry"},
    DamageRow{"offset_past_end", [](std::string& b, const FirefoxEntry&) { b.replace(b.size() - 4, 4, Be32(0xfffffff0)); },
              "metadata offset 4294967280 lies past the end of the file"},
    DamageRow{"only_the_offset", [](std::string& b, const FirefoxEntry& e) { b = Be32(0); (void)e; }, "metadata is truncated"},
    DamageRow{"wrong_version", [](std::string& b, const FirefoxEntry& e) { b.replace(e.body.size() + 6, 4, Be32(9)); },
              "unknown metadata version 9"},
    DamageRow{"huge_key", [](std::string& b, const FirefoxEntry& e) { b.replace(e.body.size() + 6 + 24, 4, Be32(0x7fffffff)); },
              "the key of 2147483647 bytes does not fit the metadata"},
    DamageRow{"key_not_ended", [](std::string& b, const FirefoxEntry& e) { b[e.body.size() + 6 + 32 + e.key.size()] = 'x'; },
              "the key of 26 bytes does not fit the metadata"},
    DamageRow{"metadata_changed", [](std::string& b, const FirefoxEntry& e) { b[e.body.size() + 6 + 32 + 5] ^= 1; },
              "the metadata fails its hash check"},
    DamageRow{"element_cut", [](std::string& b, const FirefoxEntry&) { b.erase(b.size() - 5, 1); },
              "the metadata elements are damaged"},
    DamageRow{"huge_metadata", [](std::string& b, const FirefoxEntry& e) { b = std::string(5 << 20, 'x') + Be32(0); (void)e; },
              "metadata of 5242880 bytes is too large"}),
    [](const ::testing::TestParamInfo<DamageRow>& info) { return std::string(info.param.name); });

TEST(FirefoxCache2, every_truncation_is_an_error_or_stays_inside_the_file)
{
    const std::string whole = FirefoxEntry().Bytes();

    for (std::size_t size = 0; size < whole.size(); ++size) {
        const BrowserCacheRecord record = Read(whole.substr(0, size));
        EXPECT_TRUE(!record.error.empty() || record.body.offset + record.body.length <= size) << size;
    }
}

TEST(FirefoxCache2, scans_the_entries_folder_below_the_cache2_folder)
{
    larkspool::testing::TempFolder folder;
    folder.Write("cache2/entries/B", FirefoxEntry().Bytes());
    folder.Write("cache2/entries/A", "damaged");

    const BrowserCacheScan scan = ScanFirefoxCache2(folder.Path() / "cache2");

    ASSERT_EQ(scan.records.size(), 2u);
    EXPECT_EQ(scan.records[0].error, "A: metadata offset 1634166116 lies past the end of the file");
    EXPECT_EQ(scan.records[1].url, "http://a.example/x.html");
    EXPECT_EQ(scan.records[1].body.file, folder.Path() / "cache2/entries/B");
}

TEST(FirefoxCache2, a_missing_folder_is_an_error_of_the_scan)
{
    larkspool::testing::TempFolder folder;

    const BrowserCacheScan scan = ScanFirefoxCache2(folder.Path() / "nothing");

    EXPECT_NE(scan.error.find("cannot list"), std::string::npos);
    EXPECT_TRUE(scan.records.empty());
}

// Between the listing and the reading of a body, the entry file gives way
// to a FIFO with no writer, a link to a file outside the cache, a folder,
// or the entries folder to a link: the body is refused with the reason,
// at once, and nothing from outside is read.
TEST(FirefoxCache2, an_entry_file_replaced_after_the_listing_is_refused_at_once)
{
    const struct {
        const char* replaced; // below cache2
        const char* how;
        const char* reason;
    } rows[] = {
        {"entries/A", "fifo", "is a FIFO"},
        {"entries/A", "link", "is a symbolic link"},
        {"entries/A", "folder", "is a folder"},
        {"entries", "link", "entries is a symbolic link"},
    };
    for (const auto& row : rows) {
        larkspool::testing::TempFolder folder;
        FirefoxEntry entry, outside;
        entry.body = "inside";
        outside.body = "OUTSIDE";
        folder.Write("cache2/entries/A", entry.Bytes());
        folder.Write("elsewhere/entries/A", outside.Bytes());
        const BrowserCacheScan scan = ScanFirefoxCache2(folder.Path() / "cache2");
        ASSERT_EQ(scan.records.size(), 1u);
        ASSERT_EQ(scan.records[0].error, "");
        const std::filesystem::path replaced = folder.Path() / "cache2" / row.replaced;
        std::filesystem::remove_all(replaced);
        if (row.how == "fifo"s)
            ASSERT_EQ(mkfifo(replaced.c_str(), 0600), 0);
        else if (row.how == "folder"s)
            std::filesystem::create_directory(replaced);
        else
            std::filesystem::create_symlink(folder.Path() / "elsewhere" / row.replaced, replaced);
        std::string body = "unset";

        const std::string error = ReadStoredBody(scan.records[0].body, body);
        const std::string decodeError = DecodeBody(scan.records[0].body, "", [&](const char* bytes, std::size_t n) {
            body.append(bytes, n);
            return true;
        });

        EXPECT_NE(error.find(row.reason), std::string::npos) << row.replaced << " " << row.how << ": " << error;
        EXPECT_NE(decodeError.find(row.reason), std::string::npos) << row.how << ": " << decodeError;
        EXPECT_EQ(body.find("OUTSIDE"), std::string::npos);
    }
}

// A file that grows while it is read is read to the size it had when opened.
TEST(FirefoxCache2, a_file_growing_while_read_is_read_to_its_size_when_opened)
{
    larkspool::testing::TempFolder folder;
    const std::string file = folder.Write("cache2/entries/A", "0123456789");
    const FileBytes bytes(file, folder.Path() / "cache2");
    std::ofstream(file, std::ios::app) << "more";
    std::string read;

    EXPECT_EQ(bytes.Size(), 10u);
    EXPECT_FALSE(bytes.ReadAt(8, 4, read));
    EXPECT_TRUE(bytes.ReadAt(0, 10, read));
    EXPECT_EQ(read, "0123456789");
}

} // namespace
