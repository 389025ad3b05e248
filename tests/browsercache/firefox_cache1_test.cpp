// Firefox's first cache: the real one in the shared test data (whose map
// was copied while Firefox ran, so every entry is found in the block
// files), and caches laid out as Firefox writes them, then damaged.
#include "browsercache/firefox_cache1.h"

#include "browsercache/browser_cache.h"
#include "tests/browsercache/firefox_cache1_bytes.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

using namespace larkspool::browsercache;
using larkspool::testing::Be32Bytes;
using larkspool::testing::Cache1Bytes;
using larkspool::testing::Cache1Item;
using larkspool::testing::MakeCache1;

const std::filesystem::path kFixture = LARKSPOOL_TESTDATA_DIR "/firefox-cache1";

struct FixtureRow {
    const char* url;
    const char* file; // below the cache folder; "" for an empty body
    std::uint64_t offset;
    std::uint64_t length;
};

// Read from the bytes by hand: each metadata entry's key and data size,
// its body where the data size, the key's hash and the free blocks put it.
const FixtureRow kFixtureRows[] = {
    {"http://ocsp.digicert.com/", "_CACHE_001_", 16384 + 0 * 256, 471},
    {"http://ocsp.digicert.com/", "_CACHE_001_", 16384 + 4 * 256, 471},
    {"http://www.google.com/search?q=plaso+log2timeline&ie=utf-8&oe=utf-8&aq=t&rls=org.mozilla:en-US:official&client=firefox-a",
     "9/36/DD708d01", 0, 21480},
    {"http://www.google.com/xjs/_/js/k=xjs.hp.en.mpb1WB2NNYY.O/m=sb_he,d/rt=j/d=1/rs=ACT90oGih-7xKAMacGD5URLcVNRPtQs6JA",
     "3/3D/ED165d01", 0, 52133},
    {"http://www.google.com/images/nav_logo229.png", "_CACHE_003_", 1024, 12263},
    {"http://clients1.google.com/generate_204", "", 0, 0},
    {"http://www.google.com/client_204?&atyp=i&biw=959&bih=617&ei=yGBhW66SLJLOwQLj46eADg", "", 0, 0},
    {"http://ocsp.pki.goog/GTSGIAG3", "_CACHE_001_", 16384 + 19 * 256, 463},
    {"http://ocsp.pki.goog/gsr2", "_CACHE_001_", 16384 + 23 * 256, 468},
    {"http://www.google.com/images/branding/product/ico/googleg_lodp.ico", "_CACHE_002_", 4096, 1494},
    {"http://ssl.gstatic.com/gb/js/sem_c87908b20b80e337d7767b3e66715ee0.js", "E/1B/DCD2Fd01", 0, 20631},
    {"https://ssl.gstatic.com/gb/images/b_8d5afc09.png", "_CACHE_003_", 1024 + 3 * 4096, 9760},
    {"https://sb-ssl.google.com/safebrowsing/newkey?client=navclient-auto-ffox&appver=4.0&pver=2.2", "_CACHE_001_",
     16384 + 30 * 256, 154},
};

TEST(FirefoxCache1Fixture, lists_every_entry_of_the_block_files_and_where_its_body_lies)
{
    if (!std::filesystem::is_directory(kFixture))
        GTEST_SKIP() << "no " << kFixture;
    const BrowserCacheScan scan = ScanFirefoxCache1(kFixture);

    EXPECT_EQ(scan.format, BrowserCacheFormat::FirefoxCache1);
    ASSERT_EQ(scan.records.size(), 1 + std::size(kFixtureRows));
    EXPECT_EQ(scan.records[0].error, "_CACHE_MAP_: truncated: holds 0 of its 512 records; the others are searched "
                                     "for in the block files");
    for (std::size_t i = 0; i < std::size(kFixtureRows); ++i) {
        const FixtureRow& row = kFixtureRows[i];
        const BrowserCacheRecord& record = scan.records[i + 1];
        SCOPED_TRACE(row.url);
        EXPECT_EQ(record.error, "");
        EXPECT_EQ(record.url, row.url);
        EXPECT_EQ(record.body.length, row.length);
        if (row.length != 0) {
            EXPECT_EQ(record.body.file, kFixture / row.file);
            EXPECT_EQ(record.body.offset, row.offset);
        }
        EXPECT_TRUE(record.responseHead.starts_with("HTTP/1.1 2")) << record.responseHead;
        EXPECT_NE(record.accessTime, 0u);
    }
    EXPECT_EQ(scan.records[1].key, "HTTP:id=5b6160c9&uri=http://ocsp.digicert.com/");
}

// length bytes at offset of the fixture's file, gunzipped when gzip is set.
std::string FixtureBytes(const char* file, std::uint64_t offset, std::uint64_t length, bool gzip)
{
    std::ifstream in(kFixture / file, std::ios::binary);
    std::string stored(std::istreambuf_iterator<char>(in), {});
    stored = stored.substr(std::size_t(offset), std::size_t(length));
    if (!gzip)
        return stored;
    z_stream stream{};
    EXPECT_EQ(inflateInit2(&stream, 16 + MAX_WBITS), Z_OK);
    stream.next_in = reinterpret_cast<Bytef*>(stored.data());
    stream.avail_in = uInt(stored.size());
    std::string plain;
    int status = Z_OK;
    while (status == Z_OK) {
        char buffer[65536];
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        status = inflate(&stream, Z_NO_FLUSH);
        plain.append(buffer, sizeof buffer - stream.avail_out);
    }
    EXPECT_EQ(status, Z_STREAM_END) << file;
    inflateEnd(&stream);
    return plain;
}

std::string ReadStream(std::FILE* stream)
{
    std::string bytes;
    char buffer[4096];
    for (std::size_t got; stream && (got = std::fread(buffer, 1, sizeof buffer, stream)) > 0;)
        bytes.append(buffer, got);
    if (stream)
        std::fclose(stream);
    return bytes;
}

struct BodyRow {
    const char* url;
    const char* file;
    std::uint64_t offset;
    std::uint64_t length;
    bool gzip; // Content-Encoding: gzip
    std::size_t decodedLength;
};

// Offsets as in kFixtureRows; decoded lengths counted by hand with zlib.
const BodyRow kBodyRows[] = {
    {"http://www.google.com/search?q=plaso+log2timeline&ie=utf-8&oe=utf-8&aq=t&rls=org.mozilla:en-US:official&client=firefox-a",
     "9/36/DD708d01", 0, 21480, true, 79778},
    {"http://www.google.com/xjs/_/js/k=xjs.hp.en.mpb1WB2NNYY.O/m=sb_he,d/rt=j/d=1/rs=ACT90oGih-7xKAMacGD5URLcVNRPtQs6JA",
     "3/3D/ED165d01", 0, 52133, true, 146908},
    {"http://www.google.com/images/nav_logo229.png", "_CACHE_003_", 1024, 12263, false, 12263},
    {"http://ocsp.pki.goog/GTSGIAG3", "_CACHE_001_", 16384 + 19 * 256, 463, false, 463},
    {"http://ocsp.pki.goog/gsr2", "_CACHE_001_", 16384 + 23 * 256, 468, false, 468},
    {"http://www.google.com/images/branding/product/ico/googleg_lodp.ico", "_CACHE_002_", 4096, 1494, true, 5430},
    {"http://ssl.gstatic.com/gb/js/sem_c87908b20b80e337d7767b3e66715ee0.js", "E/1B/DCD2Fd01", 0, 20631, true, 56682},
    {"https://ssl.gstatic.com/gb/images/b_8d5afc09.png", "_CACHE_003_", 1024 + 3 * 4096, 9760, false, 9760},
    {"https://sb-ssl.google.com/safebrowsing/newkey?client=navclient-auto-ffox&appver=4.0&pver=2.2", "_CACHE_001_",
     16384 + 30 * 256, 154, false, 154},
};

TEST(FirefoxCache1Fixture, gives_each_body_byte_for_byte_decoded)
{
    if (!std::filesystem::is_directory(kFixture))
        GTEST_SKIP() << "no " << kFixture;
    BrowserCacheScan scan = ScanFirefoxCache1(kFixture);
    scan.folder = kFixture;
    const larkspool::testing::TempFolder scratch;
    BrowserCache cache(std::move(scan), scratch.Path());

    EXPECT_STREQ(cache.Kind().name, "Firefox Cache");
    ASSERT_EQ(cache.Problems().size(), 1u); // the map's truncation
    for (const BodyRow& row : kBodyRows) {
        SCOPED_TRACE(row.url);
        const std::string expected = FixtureBytes(row.file, row.offset, row.length, row.gzip);
        EXPECT_EQ(expected.size(), row.decodedLength);
        EXPECT_TRUE(ReadStream(cache.OpenUrlCacheEntryBody(row.url)) == expected);
    }
    // Two answers under one URL: either is the cache's.
    const std::string ocsp = ReadStream(cache.OpenUrlCacheEntryBody("http://ocsp.digicert.com/"));
    EXPECT_TRUE(ocsp == FixtureBytes("_CACHE_001_", 16384, 471, false) ||
                ocsp == FixtureBytes("_CACHE_001_", 16384 + 4 * 256, 471, false));
}

// A clean cache of three entries, each body in the blocks before its metadata.
Cache1Bytes ThreeEntries()
{
    return MakeCache1({{"HTTP:http://a.example/1", "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n", "first body"},
                       {"HTTP:http://a.example/2", "HTTP/1.1 200 OK\r\n", std::string(600, 'b')},
                       {"HTTP:http://a.example/3", "HTTP/1.1 200 OK\r\n", "third"}});
}

std::vector<BrowserCacheRecord> Read(const Cache1Bytes& cache)
{
    const MemoryBytes map(cache.map), blocks(cache.blocks1);
    FirefoxCache1Files files;
    files.map = &map;
    files.blockFiles[0] = &blocks;
    return ReadFirefoxCache1(files, "/cache");
}

// The record of url, or a failure.
const BrowserCacheRecord& Named(const std::vector<BrowserCacheRecord>& records, const std::string& url)
{
    static const BrowserCacheRecord none;
    for (const BrowserCacheRecord& record : records)
        if (record.url == url)
            return record;
    ADD_FAILURE() << "no record of " << url;
    return none;
}

TEST(FirefoxCache1, a_clean_cache_is_read_through_its_map)
{
    const Cache1Bytes cache = ThreeEntries();
    const std::vector<BrowserCacheRecord> records = Read(cache);

    ASSERT_EQ(records.size(), 3u);
    const BrowserCacheRecord& second = Named(records, "http://a.example/2");
    EXPECT_EQ(second.error, "");
    EXPECT_EQ(second.body.file, "/cache/_CACHE_001_");
    EXPECT_EQ(second.body.offset, 16384u + 2 * 256); // the first entry's body and metadata take a block each
    EXPECT_EQ(second.body.length, 600u);
    EXPECT_EQ(cache.blocks1.substr(std::size_t(second.body.offset), 600), std::string(600, 'b'));
    EXPECT_EQ(Named(records, "http://a.example/1").responseHead, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n");
}

struct DamageRow {
    const char* name;
    void (*damage)(Cache1Bytes&);
    const char* damagedUrl; // "" when the damage is the map's
    const char* error;
};

void Poke32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    bytes.replace(at, 4, Be32Bytes(value));
}

// Blocks of the three entries: 0 body 1, 1 meta 1, 2-4 body 2, 5 meta 2, 6 body 3, 7 meta 3.
constexpr std::size_t kBlocks = 16384;
constexpr std::size_t kMeta2 = kBlocks + 5 * 256;

// The map record holding metaLocation, found by its value.
std::size_t RecordOf(const std::string& map, std::uint32_t metaLocation)
{
    return map.find(Be32Bytes(metaLocation)) - 12;
}

class FirefoxCache1Damage : public ::testing::TestWithParam<DamageRow> {};

TEST_P(FirefoxCache1Damage, is_named_and_the_sound_entries_are_still_listed)
{
    Cache1Bytes cache = ThreeEntries();
    GetParam().damage(cache);
    const std::vector<BrowserCacheRecord> records = Read(cache);

    std::vector<std::string> errors;
    for (const BrowserCacheRecord& record : records)
        if (!record.error.empty())
            errors.push_back(record.error);
    ASSERT_EQ(errors.size(), 1u) << ::testing::PrintToString(errors);
    EXPECT_EQ(errors[0], GetParam().error);
    for (const char* url : {"http://a.example/1", "http://a.example/2", "http://a.example/3"}) {
        if (url == std::string_view(GetParam().damagedUrl))
            continue;
        const BrowserCacheRecord& record = Named(records, url);
        EXPECT_EQ(record.error, "") << url;
        EXPECT_EQ(record.key, "HTTP:" + std::string(url));
        EXPECT_NE(record.body.length, 0u) << url;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, FirefoxCache1Damage, ::testing::Values(
    // Cut inside the records: what the map lost is found in the block files.
    DamageRow{"truncated_map", [](Cache1Bytes& c) { c.map.resize(276 + 40); }, "",
              "_CACHE_MAP_: truncated: holds 2 of its 512 records; the others are searched for in the block files"},
    DamageRow{"map_shorter_than_its_header", [](Cache1Bytes& c) { c.map.resize(100); }, "",
              "_CACHE_MAP_: truncated: 100 bytes, less than its header"},
    DamageRow{"body_past_the_block_file",
              [](Cache1Bytes& c) {
                  const std::size_t record = RecordOf(c.map, 0x80000000u | 1u << 28 | 5);
                  Poke32(c.map, record + 8, 0x80000000u | 1u << 28 | 2u << 24 | 200);
              },
              "http://a.example/2", "_CACHE_001_: the body at block 200 lies past the end of _CACHE_001_"},
    DamageRow{"key_size_past_the_entry", [](Cache1Bytes& c) { Poke32(c.blocks1, kMeta2 + 28, 5000); },
              "http://a.example/2", "_CACHE_001_: block 5: the key of 5000 bytes lies past the entry's 256 bytes"},
    DamageRow{"bitmap_marks_the_metadata_free", [](Cache1Bytes& c) { c.blocks1[0 * 4 + 3] &= char(~(1 << 5)); },
              "http://a.example/2",
              "_CACHE_001_: the metadata at block 5 lies in blocks _CACHE_001_ marks free"},
    DamageRow{"key_not_matching_the_hash", [](Cache1Bytes& c) { c.blocks1[kMeta2 + 36 + 22] = '9'; },
              "http://a.example/2",
              "_CACHE_001_: the key HTTP:http://a.example/9 does not match the map record's hash"}),
    [](const ::testing::TestParamInfo<DamageRow>& info) { return std::string(info.param.name); });

TEST(FirefoxCache1, a_dirty_map_leaves_the_entries_it_lacks_to_the_block_files)
{
    Cache1Bytes cache = ThreeEntries();
    Poke32(cache.map, 12, 1); // dirty
    const std::size_t record = RecordOf(cache.map, 0x80000000u | 1u << 28 | 5);
    cache.map.replace(record, 16, std::string(16, '\0')); // the second entry unknown to the map
    cache.blocks1.replace(0, 16384, std::string(16384, '\0')); // and the bitmap never written

    const std::vector<BrowserCacheRecord> records = Read(cache);

    ASSERT_EQ(records.size(), 3u);
    const BrowserCacheRecord& found = Named(records, "http://a.example/2");
    EXPECT_EQ(found.error, "");
    EXPECT_EQ(found.body.offset, 16384u + 2 * 256);
    EXPECT_EQ(found.body.length, 600u);
}

TEST(FirefoxCache1, arbitrary_block_files_without_a_map_give_errors_not_entries)
{
    std::string noise(16384 + 64 * 256, '\0');
    for (std::size_t i = 16384; i < noise.size(); i += 256)
        noise.replace(i, 36, Be32Bytes(0x00010013) + std::string(20, '\x7f') + Be32Bytes(0xFFFFFFF0) +
                                 Be32Bytes(0xFFFFFFF0) + Be32Bytes(0xFFFFFFF0));
    const MemoryBytes blocks(noise);
    FirefoxCache1Files files;
    files.blockFiles[0] = &blocks;

    const std::vector<BrowserCacheRecord> records = ReadFirefoxCache1(files, "/cache");

    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].error, "_CACHE_MAP_: is missing; the entries are searched for in the block files");
}

// A map lost with the copy: the block files' entries, and those whose
// metadata Firefox wrote to a file of its own, found in the folders named
// by their keys' hashes; a metadata file whose key is not its name's is named.
TEST(FirefoxCache1, without_a_map_the_separate_metadata_files_are_found_too)
{
    const larkspool::testing::TempFolder folder;
    larkspool::testing::WriteFile(folder.Path() / "_CACHE_001_", ThreeEntries().blocks1);
    const Cache1Item big{"HTTP:http://a.example/big", "HTTP/1.1 200 OK\r\n", std::string(20000, 'g')};
    const std::uint32_t hash = FirefoxHash(big.key);
    larkspool::testing::WriteFile(folder.Path() / cache1::SeparateFileName(hash, false, 1),
                                  larkspool::testing::Cache1EntryBytes(big));
    larkspool::testing::WriteFile(folder.Path() / cache1::SeparateFileName(hash, true, 1), big.body);
    larkspool::testing::WriteFile(folder.Path() / cache1::SeparateFileName(hash + 1, false, 1),
                                  larkspool::testing::Cache1EntryBytes(big));
    larkspool::testing::WriteFile(folder.Path() / "0/00/notes.txt", "not Firefox's");

    const BrowserCacheScan scan = ScanFirefoxCache1(folder.Path());

    ASSERT_EQ(scan.records.size(), 6u);
    const BrowserCacheRecord& found = Named(scan.records, "http://a.example/big");
    EXPECT_EQ(found.error, "");
    EXPECT_EQ(found.body.file, folder.Path() / cache1::SeparateFileName(hash, true, 1));
    EXPECT_EQ(found.body.length, 20000u);
    EXPECT_EQ(Named(scan.records, "http://a.example/3").error, "");
    std::vector<std::string> errors;
    for (const BrowserCacheRecord& record : scan.records)
        if (!record.error.empty())
            errors.push_back(record.error);
    const std::string misnamed = cache1::SeparateFileName(hash + 1, false, 1);
    EXPECT_EQ(errors, (std::vector<std::string>{
                          "_CACHE_MAP_: is missing; the entries are searched for in the block files",
                          misnamed.substr(5) + ": the key HTTP:http://a.example/big does not match the file name's hash"}));
}

} // namespace
