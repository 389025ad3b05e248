// The blockfile reader against the real cache in the shared test data
// (whose data_3 is missing) and against small caches laid out as Chromium
// lays them out, whole and damaged.
#include "browsercache/chromium_blockfile_cache.h"

#include "browsercache/body_decoding.h"
#include "browsercache/body_pieces.h"
#include "browsercache/chromium_blockfile_sparse.h"
#include "browsercache/stored_body.h"
#include "tests/browsercache/blockfile_builder.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <set>
#include <tuple>

namespace {

using namespace larkspool::browsercache;
using namespace std::string_literals;
using larkspool::testing::BlockfileBuilder;
using larkspool::testing::Le32;
using larkspool::testing::ResponseRecord;
using larkspool::testing::SparseControl;
using Where = BlockfileBuilder::Where;

const std::filesystem::path kFixture = LARKSPOOL_TESTDATA_DIR "/chromium-blockfile";

// The entries of the fixture whose key, response record and body lie
// outside data_3, as the index's hash table and data_1's entry blocks show
// them: URL, the file holding the body ("" for none), the body's size.
using Readable = std::tuple<std::string, std::string, std::uint64_t>;
const std::set<Readable> kReadable = {
    {"http://www.blogblog.com/dynamicviews/76f25a6f2e06af76/js/thirdparty/jquery-mousewheel.js",
     "data_1", 723},
    {"http://plaso.kiddaland.net/_/tz?jot.xtok=undefined&afjstz",
     "data_1", 175},
    {"http://www.google-analytics.com/collect?v=1&_v=j20&aip=1&a=411560419&t=pageview&_s=1&dl=http%3A%2F%2Fplaso.kiddaland.net%2Fdeveloper%2Fbuilding-the-tool&dp=%2Fdeveloper%2Fbuilding-the-tool&ul=en-us&de=UTF-8&dt=Build%20instructions%20-%20plaso%20-%20home%20of%20the%20super%20timeline&sd=24-bit&sr=1024x768&vp=943x682&je=1&fl=13.0%20r0&_u=cAC~&cid=235375106.1398876302&tid=UA-38003561-1&cd1=Guest&cd2=No%20write%20access&cd3=No%20admin%20access&cd4=Public&cd5=Hosted&cd6=Not%20Embedded&cm1=15&z=34899254",
     "data_1", 35},
    {"http://www.google-analytics.com/collect?v=1&_v=j20&aip=1&a=2047947794&t=pageview&_s=1&dl=http%3A%2F%2Fplaso.kiddaland.net%2F&dp=%2Fhome&ul=en-us&de=UTF-8&dt=plaso%20-%20home%20of%20the%20super%20timeline&sd=24-bit&sr=1024x768&vp=943x682&je=1&fl=13.0%20r0&_u=cE~&cid=235375106.1398876302&tid=UA-38003561-1&cd1=Guest&cd2=No%20write%20access&cd3=No%20admin%20access&cd4=Public&cd5=Hosted&cd6=Not%20Embedded&cm1=20&z=2007279575",
     "data_1", 35},
    {"http://blog.kiddaland.net/?v=0&action=initial&widgetId=BlogArchive1&responseType=js",
     "data_1", 664},
    {"http://www.gstatic.com/sites/p/bec972/system/app/themes/shipshape/standard-css-shipshape-ltr-ltr.css",
     "f_00001d", 27568},
    {"http://www.apache.org/favicon.ico",
     "data_2", 3638},
    {"http://blog.kiddaland.net/feeds/posts/default?alt=json&v=2&dynamicviews=1&orderby=published&max-results=25",
     "f_00002f", 25223},
    {"http://plaso.kiddaland.net/_/rsrc/1398238456000/system/app/css/camelot/allthemes-view.css",
     "data_1", 495},
    {"http://www.apache.org/js/jquery.js",
     "f_000028", 55776},
    {"http://www.blogblog.com/dynamicviews/76f25a6f2e06af76/js/gadgets.js",
     "f_00002a", 27668},
    {"http://csi.gstatic.com/csi?v=3&s=jotspot&action=load,text,user_page&it=wtsrt_.359,tbsd_.19,tbnd_.10&srt=359&tbsrt=388&tran=0&rt=scl.20,cl.27,sjl.30,jl.35,render.48,ol.799",
     "", 0},
    {"http://www.google-analytics.com/collect?v=1&_v=j20&aip=1&a=1806368067&t=pageview&_s=1&dl=http%3A%2F%2Fplaso.kiddaland.net%2F&dp=%2Fhome&ul=en-us&de=UTF-8&dt=plaso%20-%20home%20of%20the%20super%20timeline&sd=24-bit&sr=1024x768&vp=943x682&je=1&fl=13.0%20r0&_u=cAC~&cid=235375106.1398876302&tid=UA-38003561-1&cd1=Guest&cd2=No%20write%20access&cd3=No%20admin%20access&cd4=Public&cd5=Hosted&cd6=Not%20Embedded&cm1=20&z=503124776",
     "data_1", 35},
    {"http://www.gstatic.com/sites/p/bec972/system/js/jot_min_view__en.js",
     "f_00001f", 86823},
    {"http://www.apache.org/js/apache_boot.js",
     "data_1", 929},
    {"http://www.blogblog.com/dynamicviews/4224c15c4e7c9321/js/comments.js",
     "f_00002e", 122175},
    {"http://www.apache.org/css/960.css",
     "data_2", 1149},
    {"http://www.google.com/images/icons/product/sites-16.ico",
     "data_1", 176},
    {"http://tools.google.com/chrome/intl/en/welcome.html",
     "", 0},
    {"http://www.google-analytics.com/collect?v=1&_v=j20&aip=1&a=1876185791&t=pageview&_s=1&dl=http%3A%2F%2Fplaso.kiddaland.net%2Fdeveloper%2Fbuilding-the-tool&dp=%2Fdeveloper%2Fbuilding-the-tool&ul=en-us&de=UTF-8&dt=Build%20instructions%20-%20plaso%20-%20home%20of%20the%20super%20timeline&sd=24-bit&sr=1024x768&vp=943x682&je=1&fl=13.0%20r0&_u=cAC~&cid=235375106.1398876302&tid=UA-38003561-1&cd1=Guest&cd2=No%20write%20access&cd3=No%20admin%20access&cd4=Public&cd5=Hosted&cd6=Not%20Embedded&cm1=15&z=849193928",
     "data_1", 35},
    {"http://www.apache.org/css/grid.css",
     "data_2", 1214},
    {"http://www.blogblog.com/dynamicviews/76f25a6f2e06af76/js/common.js",
     "f_00002d", 90257},
    {"http://csi.gstatic.com/csi?v=3&s=jotspot&action=load,text,user_page&it=wtsrt_.0,tbsd_.21,tbnd_.2&tbsrt=23&tran=6&rt=scl.23,cl.30,sjl.45,jl.71,render.88,ol.247",
     "", 0},
    {"http://www.apache.org/css/code.css",
     "data_1", 867},
    {"http://www.gstatic.com/sites/p/bec972/system/js/jot_caja.js",
     "f_00001e", 38170},
    {"http://blog.kiddaland.net/favicon.ico",
     "data_1", 412},
    {"http://www.apache.org/css/layout.css",
     "data_2", 2006},
    {"http://www.gstatic.com/sites/p/bec972/system/app/themes/shipshape/page-bg.gif",
     "f_000020", 41548},
    {"http://www.apache.org/css/text.css",
     "data_1", 464},
    {"http://www.google-analytics.com/collect?v=1&_v=j20&aip=1&a=597441298&t=pageview&_s=1&dl=http%3A%2F%2Fplaso.kiddaland.net%2Fdeveloper%2Fbuilding-the-tool%2Flicenses&dp=%2Fdeveloper%2Fbuilding-the-tool%2Flicenses&ul=en-us&de=UTF-8&dt=Licenses%20-%20plaso%20-%20home%20of%20the%20super%20timeline&sd=24-bit&sr=1024x768&vp=943x682&je=1&fl=13.0%20r0&_u=cAC~&cid=235375106.1398876302&tid=UA-38003561-1&cd1=Guest&cd2=No%20write%20access&cd3=No%20admin%20access&cd4=Public&cd5=Hosted&cd6=Not%20Embedded&cm1=36&z=1664147700",
     "data_1", 35},
    {"http://csi.gstatic.com/csi?v=3&s=jotspot&action=load,text,user_page&it=wtsrt_.1452,tbsd_.7,tbnd_.1&srt=1452&tbsrt=1460&tran=0&rt=scl.10,cl.1607,sjl.1815,jl.2270,render.2283,ol.8356",
     "", 0},
    {"http://www.blogblog.com/dynamicviews/76f25a6f2e06af76/js/classic.js",
     "f_00002b", 46297},
    {"http://www.blogblog.com/dynamicviews/76f25a6f2e06af76/js/thirdparty/jquery.js",
     "f_000029", 33598},
    {"http://www.apache.org/css/style.css",
     "data_2", 1090},
    {"http://csi.gstatic.com/csi?v=3&s=jotspot&action=load,text,user_page&it=wtsrt_.303,tbsd_.12,tbnd_.1&srt=303&tbsrt=316&tran=0&rt=scl.13,cl.24,sjl.43,jl.72,render.89,ol.1116",
     "", 0},
    {"http://plaso.kiddaland.net/_/rsrc/1398238456000/system/app/css/overlay.css?cb=shipshape100%2566150goog-ws-nav-leftcontent30themedefaultstandard",
     "data_1", 429},
    {"http://csi.gstatic.com/csi?v=3&s=blogger&action=item_blogspot&it=prt.0,pst.5&blogId=6424586675749229382&e=blitz,blitz_classic",
     "", 0},
    {"http://ssl.gstatic.com/s2/profiles/images/silhouette96.png",
     "data_2", 1340},
    {"http://ssl.gstatic.com/editor/editortoolbar.png",
     "data_2", 2759},
    {"http://www.apache.org/css/reset.css",
     "data_1", 570},
    {"http://csi.gstatic.com/csi?v=3&s=jotspot&action=load,text,user_page&it=wtsrt_.0,tbsd_.17,tbnd_.1&tbsrt=17&tran=6&rt=scl.19,cl.35,sjl.39,jl.43,render.53,ol.129",
     "", 0},
};

TEST(ChromiumBlockfileCache, reads_every_entry_of_the_real_cache_that_data_3_does_not_hold)
{
    if (!std::filesystem::is_directory(kFixture))
        GTEST_SKIP() << "no " << kFixture;

    const BrowserCacheScan scan = ScanChromiumBlockfileCache(kFixture);

    ASSERT_EQ(scan.error, "");
    EXPECT_EQ(scan.format, BrowserCacheFormat::ChromiumBlockfile);
    std::set<Readable> readable;
    std::size_t missingData3 = 0;
    for (const BrowserCacheRecord& record : scan.records) {
        EXPECT_FALSE(record.url.empty()) << record.key;
        EXPECT_NE(record.accessTime, 0u) << record.key;
        if (!record.error.empty()) {
            missingData3 += record.error.find("data_3 is missing") != std::string::npos;
            continue;
        }
        EXPECT_TRUE(record.responseHead.starts_with("HTTP/1.1 ")) << record.key;
        EXPECT_NE(record.responseTime, 0u);
        readable.emplace(record.url, record.body.length ? record.body.file.filename().string() : "", record.body.length);
        std::string body;
        EXPECT_EQ(ReadStoredBody(record.body, body), "");
        if (!body.empty() && record.responseHead.find("\r\nContent-Encoding: gzip\r\n") != std::string::npos) {
            EXPECT_TRUE(body.starts_with("\x1f\x8b")) << record.url;
        }
    }
    EXPECT_EQ(scan.records.size(), 217u);
    EXPECT_EQ(missingData3, 217u - kReadable.size());
    EXPECT_EQ(readable, kReadable);
}

TEST(ChromiumBlockfileCache, a_kept_redirect_has_its_status_and_location)
{
    if (!std::filesystem::is_directory(kFixture))
        GTEST_SKIP() << "no " << kFixture;

    const BrowserCacheScan scan = ScanChromiumBlockfileCache(kFixture);

    const auto found = std::find_if(scan.records.begin(), scan.records.end(), [](const BrowserCacheRecord& r) {
        return r.url == "http://tools.google.com/chrome/intl/en/welcome.html";
    });
    ASSERT_NE(found, scan.records.end());
    EXPECT_TRUE(found->responseHead.starts_with("HTTP/1.1 301 Moved Permanently\r\n"));
    EXPECT_NE(found->responseHead.find("\r\nLocation: "), std::string::npos);
}

const std::string kRecord = ResponseRecord(0x3, "HTTP/1.1 200 OK\0Content-Type: text/html\0\0"s);

// Scans the builder's files from memory.
BrowserCacheScan Scan(BlockfileBuilder& cache)
{
    return ScanChromiumBlockfileFiles("/cache", [&](const std::string& name, std::string&) -> std::unique_ptr<ByteSource> {
        const auto found = cache.Files().find(name);
        if (found == cache.Files().end())
            return nullptr;
        return std::make_unique<MemoryBytes>(found->second);
    });
}

struct PlacementRow {
    const char* name;
    Where key;
    std::size_t keyLength;
    Where body;
    const char* bodyFile;
};

class BlockfilePlacement : public ::testing::TestWithParam<PlacementRow> {};

TEST_P(BlockfilePlacement, finds_key_and_body_wherever_they_lie)
{
    const PlacementRow& row = GetParam();
    BlockfileBuilder cache;
    const std::string key = "http://a.example/" + std::string(row.keyLength, 'k');
    const std::string body(3000, 'b');
    cache.AddEntry(key, kRecord, body, row.body, 5, 13441196716000000ULL, row.key);

    const BrowserCacheScan scan = Scan(cache);

    ASSERT_EQ(scan.error, "");
    ASSERT_EQ(scan.records.size(), 1u);
    const BrowserCacheRecord& record = scan.records[0];
    EXPECT_EQ(record.error, "");
    EXPECT_EQ(record.key, key);
    EXPECT_EQ(record.url, key);
    EXPECT_EQ(record.responseHead, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n");
    EXPECT_EQ(record.body.file, std::filesystem::path("/cache") / row.bodyFile);
    EXPECT_EQ(cache.Files()[row.bodyFile].substr(record.body.offset, record.body.length), body);
    EXPECT_EQ(record.accessTime, 134411967160000000ULL);
    EXPECT_EQ(record.entryTime, 134411967160000000ULL / 2 / 10 * 10);
}

INSTANTIATE_TEST_SUITE_P(Rows, BlockfilePlacement, ::testing::Values(
    PlacementRow{"inline_key_body_in_blocks", Where::Data1, 10, Where::Data3, "data_3"},
    PlacementRow{"key_over_four_blocks_body_external", Where::Data1, 800, Where::External, "f_000001"},
    PlacementRow{"long_key_in_data_2", Where::Data2, 1500, Where::Data2, "data_2"},
    PlacementRow{"long_key_external", Where::External, 20000, Where::Data3, "data_3"}),
    [](const ::testing::TestParamInfo<PlacementRow>& info) { return std::string(info.param.name); });

TEST(ChromiumBlockfileCache, follows_each_bucket_chain_reads_a_looping_one_once_and_takes_empty_streams)
{
    BlockfileBuilder cache;
    const std::uint32_t first = cache.AddEntry("http://a.example/1", kRecord, "one", Where::Data2, 3);
    const std::uint32_t second = cache.AddEntry("http://a.example/2", kRecord, "two", Where::Data2, 3);
    cache.AddEntry("http://a.example/3", "", "", Where::Data2, 9);
    // The bucket's chain runs 2, 1, and back to 2.
    cache.Files()["data_1"].replace(8192 + (first & 0xFFFF) * 256 + 4, 4, Le32(second));

    const BrowserCacheScan scan = Scan(cache);

    ASSERT_EQ(scan.records.size(), 3u);
    EXPECT_EQ(scan.records[0].url, "http://a.example/2");
    EXPECT_EQ(scan.records[1].url, "http://a.example/1");
    EXPECT_EQ(scan.records[2].url, "http://a.example/3");
    EXPECT_EQ(scan.records[2].body.length, 0u);
    EXPECT_EQ(scan.records[2].error, "");
    EXPECT_EQ(scan.records[2].responseHead, "");
}

struct IndexDamageRow {
    const char* name;
    void (*damage)(BlockfileBuilder& cache);
    const char* error;
};

class BlockfileIndexDamage : public ::testing::TestWithParam<IndexDamageRow> {};

TEST_P(BlockfileIndexDamage, is_an_error_of_the_scan)
{
    BlockfileBuilder cache;
    cache.AddEntry("http://a.example/1", kRecord, "one", Where::Data2, 3);
    GetParam().damage(cache);

    const BrowserCacheScan scan = Scan(cache);

    EXPECT_EQ(scan.error, GetParam().error);
    EXPECT_TRUE(scan.records.empty());
}

INSTANTIATE_TEST_SUITE_P(Rows, BlockfileIndexDamage, ::testing::Values(
    IndexDamageRow{"missing_and_no_rankings", [](BlockfileBuilder& c) { c.Files().erase("index"); c.Files().erase("data_0"); },
                   "no index in /cache, and no entry ranked in data_0 to find the entries by"},
    IndexDamageRow{"short", [](BlockfileBuilder& c) { c.Files()["index"].resize(100); }, "the index is too short"},
    IndexDamageRow{"wrong_magic", [](BlockfileBuilder& c) { c.Files()["index"][0] = 'X'; },
                   "the index is not a Chromium cache index (wrong magic number)"},
    IndexDamageRow{"version_1", [](BlockfileBuilder& c) { c.Files()["index"].replace(4, 4, Le32(0x10000)); },
                   "unknown index version 1.0"},
    IndexDamageRow{"version_3_1", [](BlockfileBuilder& c) { c.Files()["index"].replace(4, 4, Le32(0x30001)); },
                   "unknown index version 3.1"},
    IndexDamageRow{"version_4", [](BlockfileBuilder& c) { c.Files()["index"].replace(4, 4, Le32(0x40000)); },
                   "unknown index version 4.0"},
    IndexDamageRow{"huge_table", [](BlockfileBuilder& c) { c.Files()["index"].replace(0x1C, 4, Le32(0xFFFFFFFF)); },
                   "the index claims a hash table of 4294967295 buckets, more than Chromium makes (1048576)"},
    IndexDamageRow{"largest_table_past_the_end", [](BlockfileBuilder& c) { c.Files()["index"].replace(0x1C, 4, Le32(0x100000)); },
                   "the index is too short for its hash table of 1048576 buckets"}),
    [](const ::testing::TestParamInfo<IndexDamageRow>& info) { return std::string(info.param.name); });

// A partly copied cache: data_0's rankings in use name every entry.
TEST(ChromiumBlockfileCache, without_its_index_finds_the_entries_by_their_rankings)
{
    BlockfileBuilder cache;
    cache.AddEntry("http://a.example/1", kRecord, "one", Where::Data2, 3);
    cache.AddEntry("http://a.example/2", kRecord, "two", Where::External, 3, 13441196716000000ULL);
    cache.AddEntry("http://a.example/freed", kRecord, "gone", Where::Data2, 7);
    cache.Files().erase("index");
    std::string& rankings = cache.Files()["data_0"];
    const std::uint32_t freedNode = 2; // the third entry's rankings block, no longer in use
    rankings[80 + freedNode / 8] = char(rankings[80 + freedNode / 8] & ~(1 << freedNode % 8));

    const BrowserCacheScan scan = Scan(cache);

    EXPECT_EQ(scan.error, "");
    ASSERT_EQ(scan.records.size(), 2u);
    EXPECT_EQ(scan.records[0].url, "http://a.example/1");
    EXPECT_EQ(scan.records[1].url, "http://a.example/2");
    EXPECT_EQ(scan.records[1].error, "");
    EXPECT_NE(scan.records[1].accessTime, 0u);
}

TEST(ChromiumBlockfileCache, reads_every_index_version_chromium_has_written)
{
    for (const std::uint32_t version : {0x20000u, 0x20001u, 0x30000u}) {
        BlockfileBuilder cache;
        cache.AddEntry("http://a.example/1", kRecord, "one", Where::Data2, 3);
        cache.Files()["index"].replace(4, 4, Le32(version));

        const BrowserCacheScan scan = Scan(cache);

        EXPECT_EQ(scan.error, "") << std::hex << version;
        ASSERT_EQ(scan.records.size(), 1u) << std::hex << version;
        EXPECT_EQ(scan.records[0].url, "http://a.example/1");
    }
}

// A sparse index costs no disk whatever table it claims: the claim is
// refused before anything is read or allocated.
TEST(ChromiumBlockfileCache, a_sparse_index_claiming_a_huge_table_is_refused_without_reading_it)
{
    larkspool::testing::TempFolder folder;
    BlockfileBuilder cache;
    cache.Files()["index"].replace(0x1C, 4, Le32(1u << 29));
    cache.WriteTo(folder.Path());
    std::filesystem::resize_file(folder.Path() / "index", 0x170 + (std::uint64_t(1) << 31));

    const BrowserCacheScan scan = ScanChromiumBlockfileCache(folder.Path());

    EXPECT_EQ(scan.error, "the index claims a hash table of 536870912 buckets, more than Chromium makes (1048576)");
}

// Run as an ordinary user: root reads files of mode 000.
TEST(ChromiumBlockfileCache, unreadable_files_are_named_with_the_reason)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    larkspool::testing::TempFolder folder;
    BlockfileBuilder cache;
    cache.AddEntry("http://a.example/1", kRecord, "one", Where::Data2, 3);
    cache.WriteTo(folder.Path());
    std::filesystem::permissions(folder.Path() / "data_2", std::filesystem::perms::none);

    const BrowserCacheScan entries = ScanChromiumBlockfileCache(folder.Path());
    std::filesystem::permissions(folder.Path() / "index", std::filesystem::perms::none);
    const BrowserCacheScan index = ScanChromiumBlockfileCache(folder.Path());

    ASSERT_EQ(entries.records.size(), 1u);
    EXPECT_EQ(entries.records[0].error,
              "http://a.example/1: the body cannot be read: data_2 cannot be opened: Permission denied");
    EXPECT_EQ(index.error, "the index cannot be opened: Permission denied");
}

struct EntryDamageRow {
    const char* name;
    // Damages the entry block at offset in data_1.
    void (*damage)(std::string& data1, std::size_t entry);
    const char* error;
};

class BlockfileEntryDamage : public ::testing::TestWithParam<EntryDamageRow> {};

TEST_P(BlockfileEntryDamage, is_an_error_of_that_entry_only)
{
    BlockfileBuilder cache;
    const std::uint32_t damaged = cache.AddEntry("http://a.example/bad", kRecord, "bad", Where::Data2, 3);
    cache.AddEntry("http://a.example/good", kRecord, "good", Where::Data2, 4);
    GetParam().damage(cache.Files()["data_1"], 8192 + (damaged & 0xFFFF) * 256);

    const BrowserCacheScan scan = Scan(cache);

    ASSERT_EQ(scan.error, "");
    ASSERT_EQ(scan.records.size(), 2u);
    EXPECT_EQ(scan.records[0].error, GetParam().error);
    EXPECT_EQ(scan.records[0].body.length, 0u);
    EXPECT_EQ(scan.records[1].error, "");
    EXPECT_EQ(scan.records[1].url, "http://a.example/good");
}

INSTANTIATE_TEST_SUITE_P(Rows, BlockfileEntryDamage, ::testing::Values(
    EntryDamageRow{"huge_key", [](std::string& d, std::size_t e) { d.replace(e + 0x20, 4, Le32(0x7FFFFFFF)); },
                   "entry at data_1 block 1: a key of 2147483647 bytes is too long"},
    EntryDamageRow{"key_past_entry", [](std::string& d, std::size_t e) { d.replace(e + 0x20, 4, Le32(300)); },
                   "entry at data_1 block 1: the key does not fit its entry"},
    EntryDamageRow{"long_key_nowhere", [](std::string& d, std::size_t e) { d.replace(e + 0x24, 4, Le32(0x80000000u | 0x7777)); },
                   "entry at data_1 block 1: the key cannot be read: f_007777 is missing"},
    EntryDamageRow{"record_address_invalid", [](std::string& d, std::size_t e) { d.replace(e + 0x38, 4, Le32(0x70000000)); },
                   "http://a.example/bad: the response record cannot be read: invalid cache address 1879048192"},
    EntryDamageRow{"record_too_large", [](std::string& d, std::size_t e) { d.replace(e + 0x28, 4, Le32(0x10000000)); },
                   "http://a.example/bad: a response record of 268435456 bytes is too large"},
    EntryDamageRow{"record_larger_than_blocks", [](std::string& d, std::size_t e) { d.replace(e + 0x28, 4, Le32(2000)); },
                   "http://a.example/bad: the response record cannot be read: data_1 is too short for the data it should hold"},
    EntryDamageRow{"body_past_data_file", [](std::string& d, std::size_t e) { d.replace(e + 0x3C, 4, Le32(0xB002FFF0)); },
                   "http://a.example/bad: the body cannot be read: data_2 is too short for the data it should hold"},
    EntryDamageRow{"body_in_blocks_of_another_size", [](std::string& d, std::size_t e) { d.replace(e + 0x3C, 4, Le32(0xB0000000)); },
                   "http://a.example/bad: the body cannot be read: data_0 is not a block file of 1024-byte blocks"},
    EntryDamageRow{"body_longer_than_blocks", [](std::string& d, std::size_t e) { d.replace(e + 0x2C, 4, Le32(5000)); },
                   "http://a.example/bad: the body cannot be read: data_2 is too short for the data it should hold"},
    EntryDamageRow{"body_in_missing_file", [](std::string& d, std::size_t e) { d.replace(e + 0x3C, 4, Le32(0x80000099)); },
                   "http://a.example/bad: the body cannot be read: f_000099 is missing"}),
    [](const ::testing::TestParamInfo<EntryDamageRow>& info) { return std::string(info.param.name); });

TEST(ChromiumBlockfileCache, an_entry_address_into_another_kind_of_block_is_reported)
{
    BlockfileBuilder cache;
    cache.AddEntry("http://a.example/1", kRecord, "one", Where::Data2, 3);
    cache.Files()["index"].replace(0x170 + 3 * 4, 4, Le32(0x90000000));

    const BrowserCacheScan scan = Scan(cache);

    ASSERT_EQ(scan.records.size(), 1u);
    EXPECT_EQ(scan.records[0].error, "entry at data_0 block 0: an entry address points at no entry block");
}

TEST(ChromiumBlockfileCache, every_truncation_of_a_file_is_an_error_or_stays_inside_it)
{
    BlockfileBuilder whole;
    whole.AddEntry("http://a.example/1", kRecord, std::string(2000, 'b'), Where::Data2, 3);
    whole.AddEntry("http://a.example/" + std::string(1200, 'k'), kRecord, "x", Where::External, 4, 0, Where::Data2);

    for (const std::string name : {"index", "data_0", "data_1", "data_2", "f_000001"}) {
        for (std::size_t size = 0; size < whole.Files()[name].size(); size += 7) {
            BlockfileBuilder cache = whole;
            cache.Files()[name].resize(size);
            for (const BrowserCacheRecord& record : Scan(cache).records) {
                if (record.error.empty() && record.body.length > 0) {
                    EXPECT_LE(record.body.offset + record.body.length,
                              cache.Files()[record.body.file.filename().string()].size()) << name << " " << size;
                }
            }
        }
    }
}

TEST(ChromiumBlockfileCache, keeps_at_most_one_external_file_open_however_many_bodies_there_are)
{
    larkspool::testing::TempFolder folder;
    BlockfileBuilder cache;
    for (std::uint32_t n = 0; n < 3000; ++n)
        cache.AddEntry("http://a.example/" + std::to_string(n), kRecord, "body", Where::External, n % 64);
    cache.WriteTo(folder.Path());
    std::size_t opened = 0, mostOpen = 0;
    auto open = [&](const std::string& name, std::string&) -> std::unique_ptr<ByteSource> {
        struct Counted final : ByteSource {
            Counted(const std::filesystem::path& file, std::size_t& open) : bytes(file), open(++open) {}
            ~Counted() override { --open; }
            std::uint64_t Size() const override { return bytes.Size(); }
            bool ReadAt(std::uint64_t offset, std::uint64_t length, std::string& out) const override
            {
                return bytes.ReadAt(offset, length, out);
            }
            std::optional<std::string_view> Whole() const override { return bytes.Whole(); }
            FileBytes bytes;
            std::size_t& open;
        };
        auto file = std::make_unique<Counted>(folder.Path() / name, opened);
        mostOpen = std::max(mostOpen, opened);
        return file;
    };

    const BrowserCacheScan scan = ScanChromiumBlockfileFiles(folder.Path(), open);

    ASSERT_EQ(scan.records.size(), 3000u);
    EXPECT_EQ(std::count_if(scan.records.begin(), scan.records.end(), [](const BrowserCacheRecord& r) { return r.error.empty(); }), 3000);
    EXPECT_LE(mostOpen, 6u); // index, data_0 ... data_3, one f_ file
}

TEST(ChromiumBlockfileCache, reads_from_a_folder_on_disk)
{
    larkspool::testing::TempFolder folder;
    BlockfileBuilder cache;
    cache.AddEntry("1/0/_dk_http://a.example http://a.example http://a.example/p.html", kRecord, "<p>", Where::External, 1);
    cache.WriteTo(folder.Path());

    const BrowserCacheScan scan = ScanChromiumBlockfileCache(folder.Path());
    std::string body;

    ASSERT_EQ(scan.records.size(), 1u);
    EXPECT_EQ(scan.records[0].url, "http://a.example/p.html");
    EXPECT_EQ(ReadStoredBody(scan.records[0].body, body), "");
    EXPECT_EQ(body, "<p>");
}

// A body fetched by byte ranges: a parent keeping the 206 head and a bitmap
// of its children, each child 1 MiB of the body in 1 KiB blocks.
constexpr std::uint64_t kSignature = 0x5e1f00d2c3b4a59ULL;
const std::string kSparseKey = "1/0/_dk_http://a.example http://a.example http://a.example/v.webm";

char BodyByte(std::uint64_t at) { return char('a' + at % 23); }

struct SparseChild {
    std::uint32_t n;
    std::vector<std::uint32_t> fullBlocks;
    std::int32_t lastBlock = -1; // filled only lastLength bytes far
    std::int32_t lastLength = 0;
    bool stored = true;          // an entry of its own, else only a bit of the parent's
    std::uint64_t signature = kSignature;
    std::uint32_t dataShort = 0; // bytes fewer in stream 1 than its blocks say
};

struct BlockfileSparseRow {
    const char* name;
    const char* lengthHeader;
    std::vector<SparseChild> children;
    std::string error;
    std::uint64_t held;
    std::uint64_t length;
};

class BlockfileSparseBody : public ::testing::TestWithParam<BlockfileSparseRow> {};

TEST_P(BlockfileSparseBody, puts_the_children_together_at_their_offsets)
{
    const BlockfileSparseRow& row = GetParam();
    larkspool::testing::TempFolder folder;
    BlockfileBuilder cache;
    std::vector<std::uint32_t> present;
    std::string expected(row.length, '\0');
    for (const SparseChild& child : row.children) {
        present.push_back(child.n);
        std::uint32_t end = child.lastBlock >= 0 ? std::uint32_t(child.lastBlock) * 1024 + child.lastLength : 0;
        for (const std::uint32_t block : child.fullBlocks)
            end = std::max(end, (block + 1) * 1024);
        std::string data(end - child.dataShort, '\0');
        for (std::uint32_t at = 0; at < data.size(); ++at)
            data[at] = BodyByte((std::uint64_t(child.n) << 20) + at);
        const auto held = [&](std::uint32_t from, std::uint32_t count) {
            const std::uint64_t at = (std::uint64_t(child.n) << 20) + from;
            if (child.stored && child.signature == kSignature && at + count <= expected.size())
                expected.replace(at, count, data.substr(from, count));
        };
        for (const std::uint32_t block : child.fullBlocks)
            held(block * 1024, 1024);
        if (child.lastBlock >= 0)
            held(std::uint32_t(child.lastBlock) * 1024, std::uint32_t(child.lastLength));
        if (child.stored)
            cache.AddEntry(blockfile::ChildKey(kSparseKey, kSignature, child.n), "", data, Where::External, 7, 0, Where::Data1,
                           SparseControl(kSparseKey, child.signature, child.lastBlock, child.lastLength,
                                         child.fullBlocks, 128),
                           2);
    }
    const std::string head = "HTTP/1.1 206 Partial Content\0"s + row.lengthHeader + "\0Content-Type: video/webm\0\0"s;
    cache.AddEntry(kSparseKey, ResponseRecord(0x3, head), "", Where::External, 3, 0, Where::Data1,
                   SparseControl(kSparseKey, kSignature, 0, 0, present, 4), 1);
    cache.WriteTo(folder.Path());

    const BrowserCacheScan scan = ScanChromiumBlockfileCache(folder.Path());

    ASSERT_EQ(scan.error, "");
    ASSERT_EQ(scan.records.size(), 1u) << "the children are no entries of their own";
    const BrowserCacheRecord& record = scan.records[0];
    if (!row.error.empty()) {
        EXPECT_EQ(record.error, kSparseKey + ": " + row.error);
        EXPECT_TRUE(record.body.pieces.empty());
        return;
    }
    ASSERT_EQ(record.error, "");
    EXPECT_EQ(record.url, "http://a.example/v.webm");
    EXPECT_EQ(record.body.length, row.length);
    EXPECT_EQ(HeldBytes(record.body), row.held);
    if (row.length == 0)
        return; // nothing held lists no body
    std::string body;
    EXPECT_EQ(DecodeBody(record.body, "", [&body](const char* bytes, std::size_t count) {
        body.append(bytes, count);
        return true;
    }), "");
    ASSERT_EQ(body.size(), expected.size());
    EXPECT_TRUE(body == expected) << "the bytes differ from byte "
                                  << std::mismatch(body.begin(), body.end(), expected.begin()).first - body.begin();
}

std::vector<std::uint32_t> Blocks(std::uint32_t first, std::uint32_t count)
{
    std::vector<std::uint32_t> blocks(count);
    for (std::uint32_t n = 0; n < count; ++n)
        blocks[n] = first + n;
    return blocks;
}

INSTANTIATE_TEST_SUITE_P(Rows, BlockfileSparseBody, ::testing::Values(
    BlockfileSparseRow{"whole_from_two_children", "Content-Length: 1049700",
                       {{0, Blocks(0, 1024)}, {1, {0}, 1, 100}}, "", 1049700, 1049700},
    BlockfileSparseRow{"gaps_where_blocks_and_a_child_are_missing", "Content-Range: bytes 0-2047/2098276",
                       {{0, Blocks(0, 2)}, {1, {}, -1, 0, false}, {2, {0}, 1, 100}}, "", 2048 + 1124, 2098276},
    BlockfileSparseRow{"a_partly_filled_block_before_a_full_one", "Content-Range: bytes 0-9/3072",
                       {{0, {2}, 0, 10}}, "", 1034, 3072},
    BlockfileSparseRow{"a_child_of_another_signature_is_a_gap", "Content-Range: bytes 0-2047/2097152",
                       {{0, Blocks(0, 2)}, {1, {0}, -1, 0, true, kSignature + 1}}, "", 2048, 2097152},
    BlockfileSparseRow{"no_child_left_holds_nothing", "Content-Length: 2048",
                       {{0, Blocks(0, 2), -1, 0, false}}, "", 0, 0},
    BlockfileSparseRow{"a_range_past_the_total", "Content-Range: bytes 0-999/1000", {{0, Blocks(0, 2)}},
                       "a range ends at byte 2048, past the body's 1000 bytes", 0, 0},
    BlockfileSparseRow{"a_child_holding_fewer_bytes_than_its_bitmap", "Content-Length: 2048",
                       {{0, Blocks(0, 2), -1, 0, true, kSignature, 1}},
                       "range child 0 holds 2047 bytes, fewer than its bitmap says", 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
