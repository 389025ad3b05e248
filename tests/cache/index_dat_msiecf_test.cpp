// Checks the store against an independent reader of index.dat: the real
// cache files list the same URL records here as in msiecfexport, and so does
// a cache this store wrote.
#include "cache/index_dat_cache.h"
#include "cache/index_dat_format.h"
#include "tests/support/test_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <sstream>

namespace {

using larkspool::testing::ListEntries;
using larkspool::testing::TempFolder;

const std::filesystem::path kTestData = std::filesystem::path(LARKSPOOL_TESTDATA_DIR) / "msiecf";

struct Item {
    std::string url;
    std::string fileName;
    std::string folder;
    std::string modified; // msiecfexport's "Secondary time", empty when zero
    std::string accessed; // its "Primary time"
    bool operator<(const Item& o) const { return std::tie(url, fileName) < std::tie(o.url, o.fileName); }
    bool operator==(const Item& o) const = default;
};

std::ostream& operator<<(std::ostream& out, const Item& item)
{
    return out << item.url << " | " << item.fileName << " | " << item.folder << " | " << item.modified << " | "
               << item.accessed;
}

// FILETIME as msiecfexport prints it: "Aug 25, 2015 11:05:20.262000000".
std::string FormatTime(std::uint64_t ticks)
{
    if (ticks == 0)
        return {};
    const std::time_t seconds = std::time_t(ticks / 10'000'000 - 11'644'473'600LL);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[64];
    const std::size_t length = std::strftime(text, sizeof(text), "%b %d, %Y %H:%M:%S", &utc);
    char fraction[16];
    std::snprintf(fraction, sizeof(fraction), ".%09u", unsigned(ticks % 10'000'000 * 100));
    return std::string(text, length) + fraction;
}

bool HaveMsiecfexport() { return std::system("msiecfexport -V >/dev/null 2>&1") == 0; }

// What msiecfexport prints in mode ("items", "recovered" or "all").
std::string ExportedText(const std::filesystem::path& file, const std::string& mode)
{
    const std::string command = "msiecfexport -c windows-1252 -m " + mode + " '" + file.string() + "' 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    for (int c; pipe && (c = std::fgetc(pipe)) != EOF;)
        output.push_back(char(c));
    if (pipe)
        pclose(pipe);
    return output;
}

// Every record msiecfexport shows in mode, partial ones included.
std::size_t ExportedRecordCount(const std::filesystem::path& file, const std::string& mode)
{
    std::istringstream lines(ExportedText(file, mode));
    std::size_t count = 0;
    for (std::string line; std::getline(lines, line);)
        count += line.starts_with("Record type");
    return count;
}

// The records of the given types msiecfexport lists in mode ("items" or
// "recovered"); those it marks partial are left out.
std::vector<Item> ExportedItems(const std::filesystem::path& file, const std::string& mode,
                                const std::vector<std::string>& types)
{
    std::vector<Item> items;
    std::istringstream lines(ExportedText(file, mode));
    Item item;
    bool wanted = false;
    const auto flush = [&] {
        if (wanted)
            items.push_back(item);
        item = Item{};
        wanted = false;
    };
    for (std::string line; std::getline(lines, line);) {
        const std::size_t colon = line.find(": ");
        if (line.empty() || colon == std::string::npos) {
            flush();
            continue;
        }
        std::string key = line.substr(0, colon);
        key.erase(key.find_last_not_of("\t ") + 1);
        const std::string value = line.substr(colon + 2);
        if (key == "Record type")
            wanted = std::find(types.begin(), types.end(), value) != types.end();
        else if (key == "Offset range" && value.ends_with("(partial)"))
            wanted = false;
        else if (key == "Location")
            item.url = value;
        else if (key == "Filename")
            item.fileName = value;
        else if (key == "Primary time")
            item.accessed = value;
        else if (key == "Secondary time")
            item.modified = value;
        else if (key == "Cache directory index" && std::count(value.begin(), value.end(), '(') == 2)
            item.folder = value.substr(value.rfind('(') + 1, value.size() - value.rfind('(') - 2);
    }
    flush();
    std::sort(items.begin(), items.end());
    return items;
}

std::vector<Item> ExportedUrlItems(const std::filesystem::path& file) { return ExportedItems(file, "items", {"URL"}); }

// Which of the listed entries: all, those under their URLs (the live ones),
// or those under keys of their own (what the cache no longer lists).
enum class Keys { Any, Url, Own };

std::vector<Item> ListedItems(larkspool::IndexDatCache& cache, bool withTimes, Keys keys = Keys::Any)
{
    std::vector<larkspool::testing::ListedEntry> entries;
    ForEachCacheEntry(cache, "", [&](const INTERNET_CACHE_ENTRY_INFOA& info) {
        const bool ownKey = cache.EntryKey(info) != info.lpszSourceUrlName;
        if (keys == Keys::Any || ownKey == (keys == Keys::Own))
            entries.push_back(larkspool::testing::ToListed(info));
    });
    std::vector<Item> items;
    for (const auto& entry : entries) {
        Item item;
        item.url = entry.url;
        if (!entry.localFile.empty()) {
            const std::filesystem::path path(entry.localFile);
            item.fileName = path.filename().string();
            if (path.parent_path() != cache.Folder())
                item.folder = path.parent_path().filename().string();
        }
        if (withTimes) {
            item.modified = FormatTime(entry.modified);
            item.accessed = FormatTime(entry.accessed);
        }
        items.push_back(item);
    }
    std::sort(items.begin(), items.end());
    return items;
}

class IndexDatMsiecf : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveMsiecfexport())
            GTEST_SKIP() << "msiecfexport is not installed";
    }
    // Each real cache file and a new folder for its cache; none without test data.
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> RealCaches() const
    {
        std::vector<std::pair<std::filesystem::path, std::filesystem::path>> caches;
        std::error_code missing;
        for (const auto& source : std::filesystem::directory_iterator(kTestData, missing)) {
            if (source.path().extension() != ".dat")
                continue;
            caches.emplace_back(source.path(), m_temp.Path() / source.path().stem());
            std::filesystem::create_directories(caches.back().second);
        }
        return caches;
    }

    TempFolder m_temp;
};

TEST_F(IndexDatMsiecf, real_cache_files_list_the_same_url_records)
{
    const auto caches = RealCaches();
    if (caches.empty())
        GTEST_SKIP() << "no test data at " << kTestData;
    for (const auto& [source, folder] : caches) {
        std::filesystem::copy_file(source, folder / "index.dat");
        std::filesystem::permissions(folder / "index.dat", std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        larkspool::IndexDatCache cache(folder);

        const auto expected = ExportedUrlItems(folder / "index.dat");
        const auto listed = ListedItems(cache, true);

        EXPECT_EQ(cache.LoadError(), "") << source;
        EXPECT_FALSE(expected.empty()) << source;
        EXPECT_EQ(listed, expected) << source;
    }
}

// The records the chain no longer reaches are what msiecfexport recovers, and
// the LEAK records, which it lists as items (with their file names only)
// though no slot names them either. Two of its records are not recovered
// here, by their bytes:
// - leak-records-index.dat at 93952, which it marks partial: its 3 blocks
//   reach into 94208, where a live URL record begins, so its header info
//   (200 + 113 bytes from its start) is that record's;
// - the LEAK record of leak-records-index.dat at 26368, whose URL offset is
//   0xDEADBEEF, the fill of a freed block: it names no URL (msiecfexport
//   lists it without a location).
TEST_F(IndexDatMsiecf, real_cache_files_recover_the_records_msiecfexport_recovers)
{
    const auto caches = RealCaches();
    if (caches.empty())
        GTEST_SKIP() << "no test data at " << kTestData;
    const auto fileOnly = [](std::vector<Item> items) {
        for (Item& item : items)
            item = Item{{}, item.fileName, item.folder, {}, {}};
        std::sort(items.begin(), items.end());
        return items;
    };
    std::size_t total = 0;
    for (const auto& [source, folder] : caches) {
        std::filesystem::copy_file(source, folder / "index.dat");
        larkspool::IndexDatCache cache(folder, larkspool::NowTicks, {.recovered = true});

        const auto urls = ExportedItems(source, "recovered", {"URL", "REDR", "LEAK"});
        auto withLeaks = ExportedItems(source, "items", {"LEAK"});
        std::erase_if(withLeaks, [](const Item& leak) { return leak.fileName == "ADSAdClient31[1].htm"; });
        withLeaks.insert(withLeaks.end(), urls.begin(), urls.end());
        const auto recovered = ListedItems(cache, true, Keys::Own);

        EXPECT_EQ(fileOnly(recovered), fileOnly(withLeaks)) << source;
        for (const Item& url : urls)
            EXPECT_NE(std::find(recovered.begin(), recovered.end(), url), recovered.end()) << source << ": " << url;
        total += recovered.size();
    }
    EXPECT_EQ(total, 17u); // 2 of the history file; 7 URL and 8 LEAK records of the larger cache
}

// Shown all it holds, a cache lists its live REDR records too, as
// msiecfexport lists them among its items: a URL, no file, no times. In all,
// as many records as its -m all shows, but for the two of
// leak-records-index.dat above: the partial record at 93952 and the LEAK
// record at 26368 whose URL offset is 0xDEADBEEF.
TEST_F(IndexDatMsiecf, real_cache_files_shown_all_they_hold_list_as_many_records_as_msiecfexport_shows)
{
    const auto caches = RealCaches();
    if (caches.empty())
        GTEST_SKIP() << "no test data at " << kTestData;
    const std::map<std::string, std::size_t> notListed{
        {"content-ie5-index", 0}, {"history-ie5-index", 0}, {"leak-records-index", 2}, {"mshist-index", 0}};
    std::size_t redirects = 0;
    for (const auto& [source, folder] : caches) {
        std::filesystem::copy_file(source, folder / "index.dat");
        larkspool::IndexDatCache cache(folder, larkspool::NowTicks, {.recovered = true});

        const auto live = ListedItems(cache, true, Keys::Url);
        const auto all = ListedItems(cache, false);
        const auto exported = ExportedItems(source, "items", {"URL", "REDR"});
        const std::size_t shown = ExportedRecordCount(source, "all");

        EXPECT_EQ(live, exported) << source;
        ASSERT_TRUE(notListed.contains(source.stem().string())) << source;
        EXPECT_EQ(all.size() + notListed.at(source.stem().string()), shown) << source;
        larkspool::IndexDatCache plain(folder);
        redirects += live.size() - ListedItems(plain, false).size();
    }
    EXPECT_EQ(redirects, 14u + 34u);
}

// Without its first HASH table offset a real file still holds every record:
// an add must refuse it rather than start a chain over them.
TEST_F(IndexDatMsiecf, real_cache_files_without_a_hash_table_offset_are_refused_and_keep_their_records)
{
    const auto caches = RealCaches();
    if (caches.empty())
        GTEST_SKIP() << "no test data at " << kTestData;
    for (const auto& [source, folder] : caches) {
        std::string bytes = larkspool::testing::ReadFile(source);
        std::fill_n(bytes.begin() + larkspool::indexdat::kHashTableOffset, 4, '\0');
        larkspool::testing::WriteFile(folder / "index.dat", bytes);
        const auto expected = ExportedUrlItems(source);
        larkspool::IndexDatCache cache(folder);

        const std::string loadError = cache.LoadError();
        const BOOL added = cache.CommitUrlCacheEntryA("http://added.example/", nullptr, FILETIME{}, FILETIME{}, 0,
                                                      nullptr, 0, nullptr, nullptr);

        EXPECT_EQ(loadError.rfind("damaged index.dat", 0), 0u) << source << ": " << loadError;
        EXPECT_FALSE(added) << source;
        EXPECT_TRUE(larkspool::testing::ReadFile(folder / "index.dat") == bytes) << source;
        EXPECT_EQ(ExportedUrlItems(folder / "index.dat"), expected) << source;
    }
}

TEST_F(IndexDatMsiecf, a_written_cache_lists_the_same_urls_and_file_names)
{
    larkspool::IndexDatCache cache(m_temp.Path() / "Content.IE5");
    for (int i = 0; i < 300; ++i) {
        const std::string url = "http://site" + std::to_string(i % 5) + ".example/dir/page" + std::to_string(i) + ".htm";
        char path[MAX_PATH] = {};
        ASSERT_TRUE(cache.CreateUrlCacheEntryA(url.c_str(), 0, "htm", path, 0));
        larkspool::testing::WriteFile(path, url);
        ASSERT_TRUE(cache.CommitUrlCacheEntryA(url.c_str(), path, FILETIME{}, FILETIME{}, 0, nullptr, 0, "htm",
                                               nullptr));
        if (i % 4 == 0) {
            ASSERT_TRUE(cache.DeleteUrlCacheEntryA(url.c_str()));
        }
    }

    const auto listed = ListedItems(cache, false);
    auto exported = ExportedUrlItems(cache.Folder() / "index.dat");
    for (Item& item : exported)
        item.modified = item.accessed = {};

    EXPECT_EQ(listed.size(), 225u);
    EXPECT_EQ(exported, listed);
}

} // namespace
