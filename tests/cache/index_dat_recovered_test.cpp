// What a scan of index.dat's blocks finds beyond the HASH chain: shown only
// when asked, each record under its own key, never changed, and never made
// of damaged or overwritten bytes.
#include "cache/index_dat_cache.h"
#include "cache/index_dat_format.h"
#include "cache/index_dat_orphans.h"
#include "tests/support/test_cache.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace larkspool;
using larkspool::testing::ReadFile;
using larkspool::testing::WriteFile;

constexpr const char* kGone = "http://host.example/gone.htm";
constexpr const char* kKept = "http://host.example/kept.htm";

struct Found {
    std::string url;
    std::string key;
    std::string localFile;
};

std::vector<Found> ListWithKeys(UrlCache& cache)
{
    std::vector<Found> found;
    ForEachCacheEntry(cache, "", [&](const INTERNET_CACHE_ENTRY_INFOA& info) {
        found.push_back({info.lpszSourceUrlName, cache.EntryKey(info),
                         info.lpszLocalFileName ? info.lpszLocalFileName : ""});
    });
    return found;
}

std::vector<Found> Recovered(const std::filesystem::path& folder)
{
    IndexDatCache cache(folder, NowTicks, {.recovered = true});
    std::vector<Found> found = ListWithKeys(cache);
    std::erase_if(found, [](const Found& one) { return one.key == one.url; });
    return found;
}

// The offset of the first URL record of url.
std::size_t RecordOffset(const std::string& bytes, const std::string& url)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    for (std::size_t at = indexdat::kBlocksStart; at + indexdat::kBlockSize <= bytes.size(); at += indexdat::kBlockSize) {
        if (bytes.compare(at, 4, "URL ") == 0 &&
            bytes.compare(at + indexdat::Load32(data + at + indexdat::kUrlUrlOffset), url.size() + 1, url + '\0') == 0)
            return at;
    }
    ADD_FAILURE() << "no record of " << url;
    return 0;
}

void Put32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    indexdat::Store32(reinterpret_cast<std::uint8_t*>(bytes.data() + at), value);
}

// A REDR record of url in the free block at, marked used, and named by an
// empty slot of the first HASH table's bucket, under url's key.
void PutLiveRedirect(std::string& bytes, std::size_t at, const std::string& url, std::uint32_t bucket)
{
    using namespace indexdat;
    bytes.replace(at, 4, "REDR");
    Put32(bytes, at + 4, 1);
    bytes.replace(at + kRedrUrlOffset, url.size() + 1, url.c_str(), url.size() + 1);
    const std::size_t block = (at - kBlocksStart) / kBlockSize;
    bytes[kBitmapOffset + block / 8] = char(bytes[kBitmapOffset + block / 8] | 1 << block % 8);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::size_t slot = Load32(data + kHashTableOffset) + kHashSlotsOffset + bucket * kHashBucketSlots * kHashSlotSize;
    while (!SlotIsEmpty(Load32(data + slot)))
        slot += kHashSlotSize;
    Put32(bytes, slot, (HashKey(url) & ~0x3fu) | 5);
    Put32(bytes, slot + 4, std::uint32_t(at));
}

class IndexDatRecovered : public ::testing::Test {
protected:
    // gone (with a URL long enough for three blocks) is written before kept,
    // so that its blocks come first, then deleted.
    void SetUp() override
    {
        m_writer.Add(m_longGone, "htm", "gone");
        m_writer.Add(kKept, "htm", "kept");
        ASSERT_TRUE(m_writer.Cache().DeleteUrlCacheEntryA(m_longGone.c_str()));
    }
    std::filesystem::path Folder() const { return m_writer.CacheDir(); }
    std::filesystem::path Index() const { return Folder() / "index.dat"; }

    const std::string m_longGone = std::string(kGone) + "?" + std::string(220, 'q');
    larkspool::testing::TestCache m_writer;
};

TEST_F(IndexDatRecovered, a_deleted_entry_is_shown_only_when_asked_under_its_own_key_and_is_never_changed)
{
    const std::string before = ReadFile(Index());
    IndexDatCache plain(Folder());
    IndexDatCache recovering(Folder(), NowTicks, {.recovered = true});

    const auto live = ListWithKeys(plain);
    const auto all = ListWithKeys(recovering);

    ASSERT_EQ(live.size(), 1u);
    EXPECT_EQ(live[0].url, kKept);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].url, kKept);
    EXPECT_EQ(all[0].key, kKept);
    EXPECT_EQ(all[1].url, m_longGone);
    EXPECT_NE(all[1].key, m_longGone);
    EXPECT_EQ(std::filesystem::path(all[1].localFile).filename(), "gone[1].htm");

    const std::string& key = all[1].key;
    CacheEntryBuffer buffer;
    DWORD size = buffer.size();
    ASSERT_TRUE(recovering.GetUrlCacheEntryInfoA(key.c_str(), buffer.info(), &size));
    EXPECT_EQ(std::string(buffer.info()->lpszSourceUrlName), m_longGone);
    EXPECT_TRUE(recovering.EntryOrigin(key.c_str())->recovered);
    EXPECT_FALSE(recovering.EntryOrigin(kKept)->recovered);
    size = buffer.size();
    EXPECT_FALSE(plain.GetUrlCacheEntryInfoA(key.c_str(), buffer.info(), &size));

    EXPECT_FALSE(recovering.DeleteUrlCacheEntryA(key.c_str()));
    EXPECT_EQ(recovering.LastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_EQ(recovering.LastErrorText(), kRecoveredRecordText);
    EXPECT_TRUE(ReadFile(Index()) == before);
}

// Redirects the HASH table names: one under its URL's key, one in another
// bucket (as a real cache holds one), one whose URL a URL record holds too.
TEST_F(IndexDatRecovered, a_live_redirect_is_listed_under_its_url_without_a_file_only_when_asked_and_never_removed)
{
    const std::string moved = "http://moved.example/";
    const std::string elsewhere = "http://elsewhere.example/";
    std::string bytes = ReadFile(Index());
    const auto bucketOf = [](const std::string& url) { return indexdat::HashKey(url) % indexdat::kHashBuckets; };
    PutLiveRedirect(bytes, bytes.size() - indexdat::kBlockSize, moved, bucketOf(moved));
    PutLiveRedirect(bytes, bytes.size() - 2 * indexdat::kBlockSize, elsewhere, (bucketOf(elsewhere) + 1) % 64);
    PutLiveRedirect(bytes, bytes.size() - 3 * indexdat::kBlockSize, kKept, bucketOf(kKept));
    WriteFile(Index(), bytes);
    IndexDatCache plain(Folder());
    IndexDatCache recovering(Folder(), NowTicks, {.recovered = true});

    const auto live = ListWithKeys(plain);
    auto all = ListWithKeys(recovering);
    CacheEntryBuffer buffer;
    DWORD size = buffer.size();
    const BOOL foundPlain = plain.GetUrlCacheEntryInfoA(moved.c_str(), buffer.info(), &size);
    size = buffer.size();
    const BOOL found = recovering.GetUrlCacheEntryInfoA(moved.c_str(), buffer.info(), &size);

    ASSERT_EQ(live.size(), 1u);
    EXPECT_FALSE(foundPlain);
    std::sort(all.begin(), all.end(), [](const Found& a, const Found& b) { return a.url < b.url; });
    std::vector<std::string> listed;
    for (const Found& one : all)
        listed.push_back(one.url + (one.key == one.url ? " live " : " own ") + one.localFile);
    EXPECT_EQ(listed, (std::vector<std::string>{elsewhere + " live ", m_longGone + " own " + all[1].localFile,
                                                std::string(kKept) + " live " + live[0].localFile, moved + " live "}));
    ASSERT_TRUE(found);
    const INTERNET_CACHE_ENTRY_INFOA& info = *buffer.info();
    EXPECT_EQ(info.lpszLocalFileName, nullptr);
    EXPECT_EQ(info.dwSizeLow + info.LastModifiedTime.dwLowDateTime + info.LastAccessTime.dwLowDateTime, 0u);
    EXPECT_TRUE(recovering.EntryOrigin(moved.c_str())->urlOnly);
    EXPECT_FALSE(recovering.EntryOrigin(moved.c_str())->recovered);
    EXPECT_FALSE(recovering.EntryOrigin(kKept)->urlOnly);
    EXPECT_FALSE(plain.EntryOrigin(moved.c_str())->urlOnly);
    for (const std::string& url : {moved, elsewhere}) {
        EXPECT_FALSE(recovering.DeleteUrlCacheEntryA(url.c_str())) << url;
        EXPECT_EQ(recovering.LastErrorText(), kRedirectRecordText) << url;
    }
    EXPECT_FALSE(plain.DeleteUrlCacheEntryA(moved.c_str()));
    EXPECT_EQ(plain.LastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(ReadFile(Index()) == bytes);
}

TEST_F(IndexDatRecovered, an_older_record_of_a_live_url_is_recovered_beside_it)
{
    m_writer.Add(kKept, "htm", "kept again"); // the first record of kKept is freed, not wiped

    const auto recovered = Recovered(Folder());

    ASSERT_EQ(recovered.size(), 2u);
    EXPECT_EQ(recovered[0].url, m_longGone);
    EXPECT_EQ(recovered[1].url, kKept);
    IndexDatCache recovering(Folder(), NowTicks, {.recovered = true});
    CacheEntryBuffer live;
    CacheEntryBuffer old;
    DWORD size = live.size();
    ASSERT_TRUE(recovering.GetUrlCacheEntryInfoA(kKept, live.info(), &size));
    size = old.size();
    ASSERT_TRUE(recovering.GetUrlCacheEntryInfoA(recovered[1].key.c_str(), old.info(), &size));
    EXPECT_STRNE(live.info()->lpszLocalFileName, old.info()->lpszLocalFileName);
}

TEST_F(IndexDatRecovered, damaged_or_overwritten_records_are_not_recovered_and_the_scan_goes_on)
{
    const std::string intact = ReadFile(Index());
    const std::size_t gone = RecordOffset(intact, m_longGone);
    const std::size_t kept = RecordOffset(intact, kKept);
    ASSERT_LT(gone, kept);
    const std::uint32_t goneBlocks = std::uint32_t((kept - gone) / indexdat::kBlockSize);
    ASSERT_GE(goneBlocks, 3u);
    // A REDR record in a free block past every other.
    const std::size_t redirect = intact.size() - indexdat::kBlockSize;
    std::string withRedirect = intact;
    withRedirect.replace(redirect, 4, "REDR");
    Put32(withRedirect, redirect + 4, 1);
    withRedirect.replace(redirect + indexdat::kRedrUrlOffset, 24, "http://moved.example/\0\0\0", 24);

    const auto urlsOf = [&](const std::string& bytes) {
        WriteFile(Index(), bytes);
        std::vector<std::string> urls;
        for (const Found& one : Recovered(Folder()))
            urls.push_back(one.url);
        return urls;
    };
    const std::vector<std::string> both{m_longGone, "http://moved.example/"};
    EXPECT_EQ(urlsOf(withRedirect), both);

    struct Damage {
        const char* what;
        std::size_t at;
        std::uint32_t value;
    };
    for (const Damage& damage : {
             Damage{"a URL offset past its blocks", gone + indexdat::kUrlUrlOffset, goneBlocks * indexdat::kBlockSize},
             Damage{"a file name offset inside its fixed fields", gone + indexdat::kUrlFileNameOffset, 8},
             Damage{"header info past its blocks", gone + indexdat::kUrlHeaderSizeOffset, 0x10000},
             Damage{"more blocks than the file holds", gone + 4, 0x7fffffff},
             Damage{"blocks over a live record", gone + 4, goneBlocks + 1},
             Damage{"no blocks at all", gone + 4, 0},
         }) {
        std::string bytes = withRedirect;
        if (damage.at == gone + indexdat::kUrlHeaderSizeOffset)
            Put32(bytes, gone + indexdat::kUrlHeaderOffset, indexdat::kUrlFixedSize);
        Put32(bytes, damage.at, damage.value);
        EXPECT_EQ(urlsOf(bytes), std::vector<std::string>{"http://moved.example/"}) << damage.what;
    }

    // Bytes that look like a record inside a recovered one are its own, not another record.
    std::string inside = withRedirect;
    const std::size_t second = gone + indexdat::kBlockSize;
    inside.replace(second, 4, "REDR");
    Put32(inside, second + 4, 1);
    inside.replace(second + indexdat::kRedrUrlOffset, 22, "http://inside.example/", 22);
    inside[second + indexdat::kRedrUrlOffset + 22] = '\0';
    const auto found = urlsOf(inside);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[1], "http://moved.example/");
}

// A file in a sub-folder that neither a live nor a recovered record names:
// listed last, without a URL and only in a listing of everything, never
// removed through its key.
TEST_F(IndexDatRecovered, a_leftover_file_is_listed_without_a_url_and_never_removed)
{
    const std::filesystem::path sub =
        std::filesystem::path(m_writer.Info(kKept).info()->lpszLocalFileName).parent_path();
    WriteFile(sub / "left.htm", "left");
    WriteFile(sub / "desktop.ini", "[x]");
    std::error_code noLink;
    std::filesystem::create_symlink(Index(), sub / "link.htm", noLink);
    IndexDatCache recovering(Folder(), NowTicks, {.recovered = true});

    const auto all = ListWithKeys(recovering);
    std::size_t underPattern = 0;
    ForEachCacheEntry(recovering, "http://", [&](const INTERNET_CACHE_ENTRY_INFOA&) { ++underPattern; });

    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[2].url, "");
    EXPECT_EQ(all[2].localFile, (sub / "left.htm").string());
    EXPECT_EQ(underPattern, 2u);
    const std::string& key = all[2].key;
    EXPECT_TRUE(recovering.EntryOrigin(key.c_str())->recovered);
    EXPECT_FALSE(recovering.DeleteUrlCacheEntryA(key.c_str()));
    EXPECT_EQ(recovering.LastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(std::filesystem::exists(sub / "left.htm"));
    std::filesystem::remove(sub / "left.htm");
    CacheEntryBuffer buffer;
    DWORD size = buffer.size();
    EXPECT_FALSE(recovering.GetUrlCacheEntryInfoA(key.c_str(), buffer.info(), &size));
}

// A copy kept as evidence: a write to it while its recovered records are
// shown, or with the orphan cleanup off, removes no file that no record
// names; the first ordinary write does.
TEST_F(IndexDatRecovered, a_write_beside_recovered_records_removes_no_leftover_file)
{
    const std::filesystem::path leftover =
        std::filesystem::path(m_writer.Info(kKept).info()->lpszLocalFileName).parent_path() / "leftover.htm";
    WriteFile(leftover, "no record names me");
    // Past the age at which a file no record names counts as left behind.
    const auto later = [] { return NowTicks() + 2 * kOrphanAgeTicks; };
    for (const char* url : {"http://host.example/1.htm", "http://host.example/2.htm", "http://host.example/3.htm"})
        m_writer.Add(url, "htm");

    IndexDatCache recovering(Folder(), later, {.recovered = true});
    EXPECT_TRUE(recovering.DeleteUrlCacheEntryA("http://host.example/1.htm"));
    IndexDatCache keepsAll(Folder(), later, {.removeOrphans = false});
    EXPECT_TRUE(keepsAll.DeleteUrlCacheEntryA("http://host.example/2.htm"));
    EXPECT_TRUE(std::filesystem::exists(leftover));

    IndexDatCache ordinary(Folder(), later);
    EXPECT_TRUE(ordinary.DeleteUrlCacheEntryA("http://host.example/3.htm"));
    EXPECT_FALSE(std::filesystem::exists(leftover));
}

} // namespace
