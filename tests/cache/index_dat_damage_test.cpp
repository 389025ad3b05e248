// Damaged index.dat files: reading and writing them must neither crash nor
// hang, and must keep whatever can still be trusted.
#include "cache/index_dat_cache.h"
#include "cache/index_dat_format.h"
#include "tests/support/test_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <functional>
#include <map>
#include <random>
#include <set>

namespace {

using larkspool::testing::ListEntries;
using larkspool::testing::TempFolder;
namespace fmt = larkspool::indexdat;

class IndexDatDamage : public ::testing::Test {
protected:
    IndexDatDamage()
    {
        larkspool::IndexDatCache cache(m_folder);
        for (int i = 0; i < kEntries; ++i) {
            const std::string url = "http://host/" + std::to_string(i) + ".htm";
            cache.CommitUrlCacheEntryA(url.c_str(), nullptr, FILETIME{}, FILETIME{}, 0, nullptr, 0, "htm", nullptr);
        }
        m_pristine = larkspool::testing::ReadFile(IndexPath());
    }

    std::filesystem::path IndexPath() const { return m_folder / "index.dat"; }
    void Install(const std::string& bytes) const { larkspool::testing::WriteFile(IndexPath(), bytes); }
    static void Put32(std::string& bytes, std::size_t at, std::uint32_t value)
    {
        if (at + 4 <= bytes.size())
            fmt::Store32(reinterpret_cast<std::uint8_t*>(bytes.data() + at), value);
    }
    static std::uint32_t Get32(const std::string& bytes, std::size_t at)
    {
        return fmt::Load32(reinterpret_cast<const std::uint8_t*>(bytes.data() + at));
    }
    static bool Commit(larkspool::IndexDatCache& cache, const std::string& url, const char* file = nullptr)
    {
        return cache.CommitUrlCacheEntryA(url.c_str(), file, FILETIME{}, FILETIME{}, 0, nullptr, 0, "htm", nullptr);
    }
    // URL -> record offset, for every live slot of the first table.
    std::map<std::string, std::uint32_t> RecordsByUrl() const
    {
        const std::uint32_t table = Get32(m_pristine, fmt::kHashTableOffset);
        const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(m_pristine.data()), m_pristine.size());
        std::map<std::string, std::uint32_t> records;
        for (std::uint32_t i = 0; i < fmt::kHashSlotsUsed; ++i) {
            const std::size_t slot = table + fmt::kHashSlotsOffset + i * fmt::kHashSlotSize;
            if (fmt::SlotIsEmpty(Get32(m_pristine, slot)))
                continue;
            if (const auto url = fmt::RecordUrl(bytes, Get32(m_pristine, slot + 4)))
                records[std::string(*url)] = Get32(m_pristine, slot + 4);
        }
        return records;
    }
    // How often each URL is listed.
    std::map<std::string, int> ListedUrls() const
    {
        larkspool::IndexDatCache cache(m_folder);
        std::map<std::string, int> urls;
        for (const auto& entry : ListEntries(cache))
            ++urls[entry.url];
        return urls;
    }
    static void SetBit(std::string& bytes, std::uint32_t block, bool on)
    {
        char& bits = bytes[fmt::kBitmapOffset + block / 8];
        bits = char(on ? bits | 1 << (block % 8) : bits & ~(1 << (block % 8)));
    }

    // Reads, looks up and writes once; returns how many entries were listed.
    std::size_t Exercise() const
    {
        larkspool::IndexDatCache cache(m_folder);
        (void)cache.LoadError();
        const std::size_t listed = ListEntries(cache).size();
        larkspool::CacheEntryBuffer buffer;
        DWORD size = buffer.size();
        cache.GetUrlCacheEntryInfoA("http://host/3.htm", buffer.info(), &size);
        cache.CommitUrlCacheEntryA("http://host/new.htm", nullptr, FILETIME{}, FILETIME{}, 0, nullptr, 0, nullptr,
                                   nullptr);
        cache.DeleteUrlCacheEntryA("http://host/4.htm");
        (void)ListEntries(cache);
        return listed;
    }

    static constexpr int kEntries = 40;
    TempFolder m_temp;
    std::filesystem::path m_folder = m_temp.Path();
    std::string m_pristine;
};

TEST_F(IndexDatDamage, foreign_files_give_a_load_error_and_stay_untouched)
{
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"text", "hello, this is no cache file at all......................"},
        {"other version", "Client UrlCache MMF Ver 4.7" + std::string(0x8000, '\0')},
        {"truncated header", m_pristine.substr(0, 0x3000)},
        {"zeroed signature", std::string(fmt::kSignatureSize, '\0') + m_pristine.substr(fmt::kSignatureSize)},
    };
    for (const Case& c : cases) {
        Install(c.bytes);

        larkspool::IndexDatCache cache(m_folder);
        EXPECT_EQ(cache.LoadError().rfind("not an index.dat file (", 0), 0u) << c.name << ": " << cache.LoadError();
        EXPECT_TRUE(ListEntries(cache).empty()) << c.name;
        EXPECT_FALSE(cache.CommitUrlCacheEntryA("http://a/", nullptr, FILETIME{}, FILETIME{}, 0, nullptr, 0, nullptr,
                                                nullptr))
            << c.name;
        EXPECT_EQ(larkspool::testing::ReadFile(IndexPath()), c.bytes) << c.name;
    }
}

// A first table laid where the header leads nowhere would land on the
// records and tables that can no longer be reached.
TEST_F(IndexDatDamage, a_header_that_leads_to_no_hash_table_is_damage_and_never_written)
{
    const std::uint32_t table = Get32(m_pristine, fmt::kHashTableOffset);
    struct Case {
        const char* name;
        std::size_t at;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"no offset", fmt::kHashTableOffset, 0},
        {"past the end", fmt::kHashTableOffset, 0xFFFFFF80},
        {"unaligned", fmt::kHashTableOffset, table + 3},
        {"at a URL record", fmt::kHashTableOffset, RecordsByUrl().begin()->second},
        {"absurd table size", table + 4, 0x7FFFFFFF},
    };
    for (const Case& c : cases) {
        std::string bytes = m_pristine;
        Put32(bytes, c.at, c.value);
        Install(bytes);

        larkspool::IndexDatCache cache(m_folder);

        EXPECT_EQ(cache.LoadError().rfind("damaged index.dat (its header's HASH table offset ", 0), 0u)
            << c.name << ": " << cache.LoadError();
        EXPECT_FALSE(Commit(cache, "http://a/")) << c.name;
        EXPECT_EQ(cache.LastError(), DWORD(ERROR_FILE_CORRUPT)) << c.name;
        EXPECT_FALSE(cache.DeleteUrlCacheEntryA("http://host/3.htm")) << c.name;
        EXPECT_TRUE(larkspool::testing::ReadFile(IndexPath()) == bytes) << c.name;
    }
}

TEST_F(IndexDatDamage, zero_filled_and_empty_files_read_as_empty_caches)
{
    for (const std::string& bytes : {std::string(), std::string(m_pristine.size(), '\0')}) {
        Install(bytes);

        larkspool::IndexDatCache cache(m_folder);
        EXPECT_EQ(cache.LoadError(), "");
        EXPECT_TRUE(ListEntries(cache).empty());
        EXPECT_TRUE(cache.CommitUrlCacheEntryA("http://a/", nullptr, FILETIME{}, FILETIME{}, 0, nullptr, 0, nullptr,
                                               nullptr));
        EXPECT_EQ(ListEntries(cache).size(), 1u);
    }
}

TEST_F(IndexDatDamage, broken_header_fields_and_chains_are_survived)
{
    const std::uint32_t table = Get32(m_pristine, fmt::kHashTableOffset);
    struct Case {
        const char* name;
        std::size_t at;
        std::uint32_t value;
        std::size_t listedAtLeast;
    };
    const Case cases[] = {
        {"hash table past the end", fmt::kHashTableOffset, 0xFFFFFF80, 0},
        {"hash table unaligned", fmt::kHashTableOffset, table + 3, 0},
        {"absurd capacity", fmt::kCapacityOffset, 0xFFFFFFFF, kEntries},
        {"absurd folder count", fmt::kFolderCountOffset, 0xFFFFFFFF, kEntries},
        {"chain looping on itself", table + fmt::kHashNextOffset, table, kEntries},
        {"absurd table size", table + 4, 0x7FFFFFFF, 0},
    };
    for (const Case& c : cases) {
        std::string bytes = m_pristine;
        Put32(bytes, c.at, c.value);
        Install(bytes);

        const std::size_t listed = Exercise();

        EXPECT_GE(listed, c.listedAtLeast) << c.name;
        EXPECT_LE(listed, std::size_t(kEntries)) << c.name;
    }
}

TEST_F(IndexDatDamage, the_next_write_recounts_blocks_in_use_and_clears_bits_past_the_capacity)
{
    std::string bytes = m_pristine;
    const std::uint32_t capacity = Get32(bytes, fmt::kCapacityOffset);
    ASSERT_LT(capacity / 8 + 9, fmt::kMaxBlocks / 8);
    bytes[fmt::kBitmapOffset + capacity / 8 + 8] = '\xFF';
    Put32(bytes, fmt::kBlocksInUseOffset, 12345);
    Install(bytes);

    EXPECT_EQ(Exercise(), std::size_t(kEntries));

    const std::string after = larkspool::testing::ReadFile(IndexPath());
    EXPECT_EQ(after[fmt::kBitmapOffset + capacity / 8 + 8], '\0');
    std::uint32_t used = 0;
    for (std::uint32_t i = 0; i < fmt::kMaxBlocks / 8; ++i)
        used += std::uint32_t(std::popcount(std::uint8_t(after[fmt::kBitmapOffset + i])));
    EXPECT_EQ(Get32(after, fmt::kBlocksInUseOffset), used);
    EXPECT_GT(used, std::uint32_t(kEntries));
}

TEST_F(IndexDatDamage, damaged_records_are_left_out_and_the_rest_listed)
{
    // Find every live slot's record and break one field in each of a few.
    const std::uint32_t table = Get32(m_pristine, fmt::kHashTableOffset);
    std::vector<std::uint32_t> records;
    for (std::uint32_t i = 0; i < fmt::kHashSlotsUsed; ++i) {
        const std::size_t slot = table + fmt::kHashSlotsOffset + i * fmt::kHashSlotSize;
        if (!fmt::SlotIsEmpty(Get32(m_pristine, slot)))
            records.push_back(Get32(m_pristine, slot + 4));
    }
    ASSERT_EQ(records.size(), std::size_t(kEntries));
    std::string bytes = m_pristine;
    Put32(bytes, records[0] + fmt::kUrlUrlOffset, 0xFFFFFFF0);                // URL past the end
    Put32(bytes, records[1] + 4, 0x00FFFFFF);                                 // blocks past the end
    Put32(bytes, records[2] + fmt::kUrlExtensionOffset, 0x7F);                // string without NUL in its blocks
    Put32(bytes, records[3] + fmt::kUrlHeaderSizeOffset, 0xFFFFFFFF);         // header info past the end
    bytes.replace(records[4] + fmt::kUrlFixedSize, 256 - fmt::kUrlFixedSize, std::string(256 - fmt::kUrlFixedSize, 'x'));
    for (std::size_t i = 5; i < 8; ++i)                                       // slots pointing anywhere
        Put32(bytes, table + fmt::kHashSlotsOffset + std::uint32_t(i) * 8 + 4, 0x13);
    Install(bytes);

    larkspool::IndexDatCache cache(m_folder);
    EXPECT_EQ(cache.LoadError(), "");
    const std::size_t listed = ListEntries(cache).size();
    EXPECT_GE(listed, std::size_t(kEntries - 8));
    EXPECT_LT(listed, std::size_t(kEntries));
}

TEST_F(IndexDatDamage, a_record_naming_a_file_outside_its_folder_is_never_followed)
{
    const auto victim = m_temp.Path() / "victim.txt";
    larkspool::testing::WriteFile(victim, "keep me");
    {
        larkspool::IndexDatCache cache(m_folder);
        char path[MAX_PATH] = {};
        ASSERT_TRUE(cache.CreateUrlCacheEntryA("http://evil/a.htm", 0, "htm", path, 0));
        ASSERT_TRUE(cache.CommitUrlCacheEntryA("http://evil/a.htm", path, FILETIME{}, FILETIME{}, 0, nullptr, 0,
                                               "htm", nullptr));
    }
    std::string bytes = larkspool::testing::ReadFile(IndexPath());
    const std::string name = "a[1].htm";
    const std::size_t at = bytes.find(name + '\0');
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, name.size(), "../vic.t");
    Install(bytes);

    larkspool::IndexDatCache cache(m_folder);
    larkspool::CacheEntryBuffer buffer;
    DWORD size = buffer.size();
    ASSERT_TRUE(cache.GetUrlCacheEntryInfoA("http://evil/a.htm", buffer.info(), &size));
    EXPECT_EQ(buffer.info()->lpszLocalFileName, nullptr);
    EXPECT_TRUE(cache.DeleteUrlCacheEntryA("http://evil/a.htm"));
    EXPECT_TRUE(std::filesystem::exists(victim));
}

TEST_F(IndexDatDamage, writes_never_hand_out_blocks_that_the_chain_reaches)
{
    const auto records = RecordsByUrl();
    const std::uint32_t table = Get32(m_pristine, fmt::kHashTableOffset);
    const std::uint32_t victim = records.at("http://host/4.htm");
    struct Case {
        const char* name;
        std::function<void(std::string&)> damage;
    };
    const Case cases[] = {
        {"bitmap cleared", [](std::string& b) { std::fill_n(b.begin() + fmt::kBitmapOffset, fmt::kMaxBlocks / 8, '\0'); }},
        {"first table's bits cleared",
         [&](std::string& b) {
             for (std::uint32_t n = 0; n < fmt::kHashTableBlocks; ++n)
                 SetBit(b, (table - fmt::kBlocksStart) / fmt::kBlockSize + n, false);
         }},
        {"bitmap inverted",
         [](std::string& b) {
             for (std::uint32_t i = 0; i < fmt::kMaxBlocks / 8; ++i)
                 b[fmt::kBitmapOffset + i] = char(~b[fmt::kBitmapOffset + i]);
         }},
        {"capacity 1 and stray bytes at the end",
         [](std::string& b) {
             Put32(b, fmt::kCapacityOffset, 1);
             b += "stray!!";
         }},
        {"record length inflated", [&](std::string& b) { Put32(b, victim + 4, 18); }},
        {"record length zero", [&](std::string& b) { Put32(b, victim + 4, 0); }},
    };
    for (const Case& c : cases) {
        std::string bytes = m_pristine;
        c.damage(bytes);
        Install(bytes);
        {
            // A zero-length record cannot be read, so it is not found either.
            larkspool::IndexDatCache cache(m_folder);
            cache.DeleteUrlCacheEntryA("http://host/4.htm");
        }
        {
            // A fresh store searches for free blocks from the start.
            larkspool::IndexDatCache cache(m_folder);
            for (int i = 0; i < 60; ++i)
                EXPECT_TRUE(Commit(cache, "http://other/" + std::to_string(i))) << c.name;
        }

        std::map<std::string, int> expected;
        for (const auto& [url, offset] : records)
            expected[url] = 1;
        expected.erase("http://host/4.htm");
        for (int i = 0; i < 60; ++i)
            expected["http://other/" + std::to_string(i)] = 1;
        EXPECT_EQ(ListedUrls(), expected) << c.name;
        EXPECT_GE(std::filesystem::file_size(IndexPath()), bytes.size()) << c.name;
    }
}

TEST_F(IndexDatDamage, a_refused_write_leaves_every_byte_as_it_was)
{
    const auto outside = m_temp.Write("outside.htm", "x");
    struct Case {
        const char* name;
        std::function<void(std::string&)> damage;
    };
    const Case cases[] = {
        {"blocks in use miscounted", [](std::string& b) { Put32(b, fmt::kBlocksInUseOffset, 12345); }},
        {"bitmap cleared", [](std::string& b) { std::fill_n(b.begin() + fmt::kBitmapOffset, fmt::kMaxBlocks / 8, '\0'); }},
        {"longer than its header says", [](std::string& b) { b += std::string(fmt::kBlockSize * 3, '\0'); }},
    };
    for (const Case& c : cases) {
        std::string bytes = m_pristine;
        c.damage(bytes);
        Install(bytes);

        larkspool::IndexDatCache cache(m_folder);
        EXPECT_FALSE(Commit(cache, "http://host/new.htm", outside.c_str())) << c.name;
        EXPECT_EQ(larkspool::testing::ReadFile(IndexPath()), bytes) << c.name;
    }
}

TEST_F(IndexDatDamage, what_a_killed_writer_allocated_is_freed_unless_the_chain_is_broken)
{
    // An unlinked two-block record, as a writer killed before publishing leaves it.
    constexpr std::uint32_t kOrphan = 200;
    std::string orphaned = m_pristine;
    const std::size_t at = fmt::kBlocksStart + kOrphan * fmt::kBlockSize;
    Put32(orphaned, at, fmt::kUrlSignature);
    Put32(orphaned, at + 4, 2);
    SetBit(orphaned, kOrphan, true);
    SetBit(orphaned, kOrphan + 1, true);
    std::string broken = orphaned;
    Put32(broken, Get32(m_pristine, fmt::kHashTableOffset) + fmt::kHashNextOffset, 0x00FFFF80);

    for (const auto& [bytes, freed] : {std::pair{orphaned, true}, std::pair{broken, false}}) {
        Install(bytes);
        {
            larkspool::IndexDatCache cache(m_folder);
            EXPECT_TRUE(cache.DeleteUrlCacheEntryA("http://host/4.htm"));
        }
        const std::string after = larkspool::testing::ReadFile(IndexPath());
        for (std::uint32_t block : {kOrphan, kOrphan + 1})
            EXPECT_EQ((after[fmt::kBitmapOffset + block / 8] >> (block % 8) & 1) == 0, freed) << block;
    }
}

TEST_F(IndexDatDamage, a_record_never_leads_to_index_dat_or_through_a_linked_folder)
{
    const auto outside = m_temp.Path() / "outside";
    std::string linkedFile;
    {
        larkspool::IndexDatCache cache(m_folder);
        char path[MAX_PATH] = {};
        for (const char* url : {"http://evil/c.htm", "http://evil/a.htm", "http://evil/b.htm"}) {
            ASSERT_TRUE(cache.CreateUrlCacheEntryA(url, 0, "htm", path, 0));
            ASSERT_TRUE(Commit(cache, url, path));
            if (std::string_view(url) == "http://evil/c.htm")
                linkedFile = path;
        }
        // c's file becomes a link to a file outside.
        std::filesystem::remove(linkedFile);
        std::error_code noLinks;
        std::filesystem::create_symlink(m_temp.Path() / "victim.txt", linkedFile, noLinks);
        larkspool::testing::WriteFile(m_temp.Path() / "victim.txt", "keep me");
        ASSERT_NE(std::filesystem::path(linkedFile).parent_path(), std::filesystem::path(path).parent_path());
        linkedFile = path;
    }
    // b's sub-folder moved out of the cache and linked back in, where the
    // system has links (Wine has none).
    const std::filesystem::path folder = std::filesystem::path(linkedFile).parent_path();
    std::filesystem::rename(folder, outside);
    std::error_code noLinks;
    std::filesystem::create_directory_symlink(outside, folder, noLinks);
    if (noLinks)
        std::filesystem::rename(outside, folder);
    // a's record names index.dat in the cache folder itself.
    std::string bytes = larkspool::testing::ReadFile(IndexPath());
    const std::size_t at = bytes.find("a[1].htm");
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, 9, std::string("INDEX.DAT", 9));
    const std::size_t record = at - at % fmt::kBlockSize;
    bytes[record + fmt::kUrlFolderOffset] = char(fmt::kNoFolder);
    Install(bytes);

    larkspool::IndexDatCache cache(m_folder);
    std::vector<const char*> urls{"http://evil/a.htm"};
    if (!noLinks) {
        urls.push_back("http://evil/b.htm");
        urls.push_back("http://evil/c.htm");
    }
    // A listing gives none of them a local file, and neither does a lookup.
    for (const auto& entry : ListEntries(cache)) {
        if (std::find(urls.begin(), urls.end(), entry.url) != urls.end())
            EXPECT_EQ(entry.localFile, "") << entry.url;
    }
    for (const char* url : urls) {
        larkspool::CacheEntryBuffer buffer;
        DWORD size = buffer.size();
        ASSERT_TRUE(cache.GetUrlCacheEntryInfoA(url, buffer.info(), &size)) << url;
        EXPECT_EQ(buffer.info()->lpszLocalFileName, nullptr) << url;
        EXPECT_TRUE(cache.DeleteUrlCacheEntryA(url)) << url;
    }
    EXPECT_TRUE(std::filesystem::exists(IndexPath()));
    if (!noLinks) {
        EXPECT_TRUE(std::filesystem::exists(outside / std::filesystem::path(linkedFile).filename()));
        EXPECT_EQ(larkspool::testing::ReadFile(m_temp.Path() / "victim.txt"), "keep me");
    }
}

TEST_F(IndexDatDamage, slots_sharing_one_record_give_it_once_and_free_it_once)
{
    const std::uint32_t table = Get32(m_pristine, fmt::kHashTableOffset);
    const std::uint32_t shared = RecordsByUrl().at("http://host/0.htm");
    std::string bytes = m_pristine;
    for (std::uint32_t i = 0; i < fmt::kHashSlotsUsed; ++i) {
        Put32(bytes, table + fmt::kHashSlotsOffset + i * fmt::kHashSlotSize, fmt::HashKey("http://host/0.htm"));
        Put32(bytes, table + fmt::kHashSlotsOffset + i * fmt::kHashSlotSize + 4, shared);
    }
    Install(bytes);

    EXPECT_EQ(ListedUrls(), (std::map<std::string, int>{{"http://host/0.htm", 1}}));
    {
        larkspool::IndexDatCache cache(m_folder);
        while (cache.DeleteUrlCacheEntryA("http://host/0.htm")) {
        }
        for (int i = 0; i < 60; ++i)
            EXPECT_TRUE(Commit(cache, "http://other/" + std::to_string(i)));
    }
    // The record is freed once, when the last slot a lookup reaches goes;
    // whatever then takes its blocks is listed once.
    const auto listed = ListedUrls();
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(listed.count("http://other/" + std::to_string(i)) ? listed.at("http://other/" + std::to_string(i)) : 0, 1);
    EXPECT_LE(listed.size(), 61u);
}

namespace {

using Variant = std::pair<std::string, std::string>; // what was done, the damaged bytes

std::uint32_t At32(const std::string& bytes, std::size_t at)
{
    return at + 4 <= bytes.size() ? fmt::Load32(reinterpret_cast<const std::uint8_t*>(bytes.data() + at)) : 0;
}

void Set32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    if (at + 4 <= bytes.size())
        fmt::Store32(reinterpret_cast<std::uint8_t*>(bytes.data() + at), value);
}

// The damage a file copied from an old disk shows, placed by the file's own
// structure: cut at every boundary, a blank header, a wrong bitmap, record
// lengths that lie, chains that loop and slots that share a record.
std::vector<Variant> DamagedVariants(const std::string& file)
{
    std::vector<std::uint32_t> tables;
    std::set<std::uint32_t> records;
    for (std::uint32_t at = At32(file, fmt::kHashTableOffset);
         at != 0 && at + fmt::kHashSlotsOffset <= file.size() && At32(file, at) == fmt::kHashSignature &&
         std::find(tables.begin(), tables.end(), at) == tables.end();
         at = At32(file, at + fmt::kHashNextOffset)) {
        tables.push_back(at);
        for (std::uint32_t slot = at + fmt::kHashSlotsOffset;
             slot + 8 <= std::min<std::size_t>(file.size(), at + At32(file, at + 4) * fmt::kBlockSize) && records.size() < 3;
             slot += fmt::kHashSlotSize) {
            if (!fmt::SlotIsEmpty(At32(file, slot)) && At32(file, slot + 4) < file.size())
                records.insert(At32(file, slot + 4));
        }
    }
    std::vector<Variant> variants;
    const auto cut = [&](const std::string& name, std::size_t at) {
        if (at < file.size())
            variants.push_back({"cut at " + name, file.substr(0, at)});
    };
    const auto change = [&](const std::string& name, const std::function<void(std::string&)>& damage) {
        std::string bytes = file;
        damage(bytes);
        variants.push_back({name, bytes});
    };
    cut("the signature's end", fmt::kSignatureSize);
    cut("the bitmap's start", fmt::kBitmapOffset);
    cut("the bitmap's end", fmt::kBitmapOffset + (At32(file, fmt::kCapacityOffset) + 7) / 8);
    cut("the header's end", fmt::kBlocksStart);
    for (std::uint32_t table : tables) {
        cut("a table's start", table);
        cut("a table's first slot", table + fmt::kHashSlotsOffset);
        cut("a table's end", table + At32(file, table + 4) * fmt::kBlockSize);
    }
    for (std::uint32_t record : records) {
        cut("a record's start", record);
        cut("a record's strings", record + fmt::kUrlFixedSize);
    }
    change("zeroed signature", [](std::string& b) { std::fill_n(b.begin(), fmt::kSignatureSize, '\0'); });
    change("zeroed header", [](std::string& b) { std::fill_n(b.begin(), std::min<std::size_t>(b.size(), fmt::kBlocksStart), '\0'); });
    change("bitmap cleared", [](std::string& b) { std::fill_n(b.begin() + fmt::kBitmapOffset, fmt::kMaxBlocks / 8, '\0'); });
    change("bitmap inverted", [](std::string& b) {
        for (std::uint32_t i = fmt::kBitmapOffset; i < fmt::kBlocksStart; ++i)
            b[i] = char(~b[i]);
    });
    for (std::uint32_t record : records) {
        change("record length inflated", [&](std::string& b) { Set32(b, record + 4, At32(b, record + 4) + 14); });
        change("record length past the end", [&](std::string& b) { Set32(b, record + 4, 0x00FFFFFF); });
        change("record length zero", [&](std::string& b) { Set32(b, record + 4, 0); });
    }
    if (!tables.empty()) {
        change("chain looping on its first table",
               [&](std::string& b) { Set32(b, tables.back() + fmt::kHashNextOffset, tables.front()); });
        change("every slot naming one record", [&](std::string& b) {
            for (std::uint32_t slot = tables.front() + fmt::kHashSlotsOffset;
                 slot + 8 <= tables.front() + fmt::kHashTableBlocks * fmt::kBlockSize && !records.empty();
                 slot += fmt::kHashSlotSize) {
                Set32(b, slot, At32(file, slot) == fmt::kSlotFree ? fmt::HashKey("http://shared/") : At32(b, slot));
                Set32(b, slot + 4, *records.begin());
            }
        });
    }
    return variants;
}

std::set<std::string> ListedSet(larkspool::IndexDatCache& cache)
{
    std::set<std::string> urls;
    for (const auto& entry : ListEntries(cache))
        urls.insert(entry.url);
    return urls;
}

} // namespace

// What a user does with a damaged cache - list it, look every entry up, add
// one, remove one, move one out - ends in an error that leaves every byte as
// it was, or in a result that lost nothing that was listed before.
TEST_F(IndexDatDamage, damaged_real_and_written_caches_give_an_error_or_a_sound_result)
{
    std::vector<std::pair<std::string, std::string>> sources{{"written", m_pristine}};
    const std::filesystem::path real = std::filesystem::path(LARKSPOOL_TESTDATA_DIR) / "msiecf";
    std::error_code absent;
    for (const auto& file : std::filesystem::directory_iterator(real, absent)) {
        if (file.path().extension() == ".dat")
            sources.push_back({file.path().filename().string(), larkspool::testing::ReadFile(file.path())});
    }
    for (const auto& [source, file] : sources) {
        for (const auto& [damage, bytes] : DamagedVariants(file)) {
            const std::string name = source + ", " + damage;
            for (const auto& left : std::filesystem::directory_iterator(m_folder))
                std::filesystem::remove_all(left.path());
            Install(bytes);
            larkspool::IndexDatCache cache(m_folder);
            (void)cache.LoadError();
            std::set<std::string> listed = ListedSet(cache);
            std::size_t lookups = 0;
            for (const std::string& url : listed) {
                if (++lookups > 20)
                    break;
                larkspool::CacheEntryBuffer buffer;
                DWORD size = buffer.size();
                if (cache.GetUrlCacheEntryInfoA(url.c_str(), buffer.info(), &size) && buffer.info()->lpszLocalFileName) {
                    EXPECT_EQ(std::string(buffer.info()->lpszLocalFileName).rfind(m_folder.string(), 0), 0u) << name;
                }
            }
            // Each write, checked against what was there before it.
            const auto write = [&](const char* what, const std::function<bool()>& work, const std::string& gone,
                                   const std::string& more) {
                const std::string before = larkspool::testing::ReadFile(IndexPath());
                if (!work()) {
                    EXPECT_EQ(larkspool::testing::ReadFile(IndexPath()), before) << name << ": a refused " << what;
                    return;
                }
                std::set<std::string> expected = listed;
                expected.erase(gone);
                if (!more.empty())
                    expected.insert(more);
                const std::set<std::string> now = ListedSet(cache);
                EXPECT_TRUE(std::includes(now.begin(), now.end(), expected.begin(), expected.end()))
                    << name << ": " << what << " lost entries";
                listed = now;
            };
            write("add", [&] {
                char path[MAX_PATH] = {};
                if (!cache.CreateUrlCacheEntryA("http://added/a.htm", 0, "htm", path, 0))
                    return false;
                larkspool::testing::WriteFile(path, "new content");
                return bool(Commit(cache, "http://added/a.htm", path));
            }, "", "http://added/a.htm");
            const std::vector<std::string> urls(listed.begin(), listed.end());
            if (!urls.empty())
                write("remove", [&] { return bool(cache.DeleteUrlCacheEntryA(urls.front().c_str())); }, urls.front(), "");
            if (urls.size() > 1)
                write("move", [&] {
                    larkspool::CacheEntryBuffer buffer;
                    DWORD size = buffer.size();
                    if (cache.GetUrlCacheEntryInfoA(urls.back().c_str(), buffer.info(), &size) &&
                        buffer.info()->lpszLocalFileName)
                        (void)larkspool::testing::ReadFile(buffer.info()->lpszLocalFileName);
                    return bool(cache.DeleteUrlCacheEntryA(urls.back().c_str()));
                }, urls.back(), "");
        }
    }
}

TEST_F(IndexDatDamage, random_bit_flips_and_truncations_never_crash)
{
    std::mt19937 random(4242);
    for (int round = 0; round < 150; ++round) {
        std::string bytes = m_pristine;
        const int flips = std::uniform_int_distribution<int>(1, 16)(random);
        for (int i = 0; i < flips; ++i) {
            // Half of the flips land in the header and the first table, where they hurt most.
            const std::size_t limit = i % 2 ? bytes.size() : std::min<std::size_t>(bytes.size(), 0x5000);
            const std::size_t at = std::uniform_int_distribution<std::size_t>(0, limit - 1)(random);
            bytes[at] = char(bytes[at] ^ (1 << std::uniform_int_distribution<int>(0, 7)(random)));
        }
        if (round % 5 == 0)
            bytes.resize(std::uniform_int_distribution<std::size_t>(0, bytes.size())(random));
        Install(bytes);

        EXPECT_LE(Exercise(), std::size_t(kEntries)) << "round " << round;
    }
}

TEST_F(IndexDatDamage, random_bytes_give_a_load_error)
{
    std::mt19937 random(7);
    std::string bytes(0x8000, '\0');
    for (char& c : bytes)
        c = char(random());
    Install(bytes);

    larkspool::IndexDatCache cache(m_folder);
    EXPECT_NE(cache.LoadError(), "");
    EXPECT_EQ(Exercise(), 0u);
}

} // namespace
