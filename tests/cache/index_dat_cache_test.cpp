#include "cache/cache_file_name.h"
#include "cache/index_dat_cache.h"
#include "cache/index_dat_orphans.h"
#include "tests/support/test_cache.h"

#include <gtest/gtest.h>

#include "cache/index_dat_file.h"
#include "cache/index_dat_format.h"

#include <algorithm>
#include <optional>
#include <set>
#include <thread>
#include <tuple>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

using larkspool::CacheEntryBuffer;
using larkspool::testing::ListEntries;
using larkspool::testing::TempFolder;

class IndexDatCache : public ::testing::Test {
protected:
    // Reserves a file for url, fills it and commits it; returns the file's path.
    std::string Add(larkspool::IndexDatCache& cache, const std::string& url, const std::string& content = "data",
                    DWORD type = 0, std::uint64_t modified = 0x01D0DF25EE8B1260)
    {
        char path[MAX_PATH] = {};
        EXPECT_TRUE(cache.CreateUrlCacheEntryA(url.c_str(), 0, "htm", path, 0)) << url;
        larkspool::testing::WriteFile(path, content);
        const FILETIME lastModified{DWORD(modified), DWORD(modified >> 32)};
        EXPECT_TRUE(cache.CommitUrlCacheEntryA(url.c_str(), path, FILETIME{}, lastModified, type, nullptr, 0, "htm",
                                               nullptr))
            << url << " error " << cache.LastError();
        return path;
    }

    TempFolder m_temp;
    std::filesystem::path m_folder = m_temp.Path() / "Content.IE5";
    larkspool::IndexDatCache m_cache{m_folder};
};

TEST_F(IndexDatCache, missing_folder_reads_as_empty_cache_and_stays_missing)
{
    CacheEntryBuffer buffer;
    DWORD size = buffer.size();

    EXPECT_EQ(m_cache.FindFirstUrlCacheEntryA("", buffer.info(), &size), nullptr);
    EXPECT_EQ(m_cache.LastError(), ERROR_NO_MORE_ITEMS);
    EXPECT_FALSE(m_cache.GetUrlCacheEntryInfoA("http://a/", buffer.info(), &size));
    EXPECT_EQ(m_cache.LastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(m_cache.DeleteUrlCacheEntryA("http://a/"));
    EXPECT_EQ(m_cache.LastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(m_cache.LoadError(), "");
    EXPECT_FALSE(std::filesystem::exists(m_folder));
}

// The contract checks the stored fields; this store also names the file
// after the URL with a counter and keeps the extension asked for.
TEST_F(IndexDatCache, committed_file_is_named_after_the_url_and_keeps_its_extension)
{
    const std::string path = Add(m_cache, "http://host/dir/page.htm?q=1", "12345");

    CacheEntryBuffer buffer;
    DWORD size = buffer.size();
    ASSERT_TRUE(m_cache.GetUrlCacheEntryInfoA("http://host/dir/page.htm?q=1", buffer.info(), &size));

    EXPECT_EQ(std::filesystem::path(path).filename(), "page[1].htm");
    EXPECT_EQ(std::filesystem::path(path).parent_path().parent_path(), m_folder);
    EXPECT_STREQ(buffer.info()->lpszFileExtension, "htm");
}

TEST_F(IndexDatCache, entry_types_are_stored_with_the_container_default)
{
    struct Case {
        const char* url;
        DWORD given;
        DWORD stored;
    };
    const Case cases[] = {
        {"http://a/1.htm", 0, NORMAL_CACHE_ENTRY},
        {"http://a/2.htm", STICKY_CACHE_ENTRY, STICKY_CACHE_ENTRY | NORMAL_CACHE_ENTRY},
        {"http://a/3.htm", COOKIE_CACHE_ENTRY, COOKIE_CACHE_ENTRY | NORMAL_CACHE_ENTRY},
        {"Visited: me@http://a/4.htm", 0, URLHISTORY_CACHE_ENTRY},
    };
    for (const Case& c : cases)
        Add(m_cache, c.url, "x", c.given);

    for (const Case& c : cases) {
        CacheEntryBuffer buffer;
        DWORD size = buffer.size();
        ASSERT_TRUE(m_cache.GetUrlCacheEntryInfoA(c.url, buffer.info(), &size)) << c.url;
        EXPECT_EQ(buffer.info()->CacheEntryType, c.stored) << c.url;
    }
}

TEST_F(IndexDatCache, committing_the_same_file_again_keeps_it)
{
    const std::string path = Add(m_cache, "http://host/a.htm", "content");

    ASSERT_TRUE(m_cache.CommitUrlCacheEntryA("http://host/a.htm", path.c_str(), FILETIME{}, FILETIME{}, 0, nullptr,
                                             0, "htm", nullptr));

    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(ListEntries(m_cache).size(), 1u);
}

TEST_F(IndexDatCache, commit_refuses_missing_files_and_files_outside_the_cache)
{
    Add(m_cache, "http://host/first.htm");
    const auto outside = m_temp.Path() / "outside.htm";
    larkspool::testing::WriteFile(outside, "x");

    EXPECT_FALSE(m_cache.CommitUrlCacheEntryA("http://host/x.htm", outside.string().c_str(), FILETIME{}, FILETIME{},
                                              0, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(m_cache.LastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(m_cache.CommitUrlCacheEntryA("http://host/x.htm", (m_folder / "nope").string().c_str(), FILETIME{},
                                              FILETIME{}, 0, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(m_cache.LastError(), ERROR_FILE_NOT_FOUND);
    const auto folderAsFile = std::filesystem::path(Add(m_cache, "http://host/second.htm")).parent_path() / "f.htm";
    std::filesystem::create_directory(folderAsFile);
    EXPECT_FALSE(m_cache.CommitUrlCacheEntryA("http://host/x.htm", folderAsFile.string().c_str(), FILETIME{},
                                              FILETIME{}, 0, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(m_cache.LastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ListEntries(m_cache).size(), 2u);
}

// A caller may spell the reserved file's path its own way: doubled
// separators, "." elements, or the cache folder through a link.
TEST_F(IndexDatCache, commit_takes_its_file_under_another_spelling_of_its_path)
{
    const std::filesystem::path made = Add(m_cache, "http://host/first.htm");
    const std::string sub = made.parent_path().filename().string();
    std::vector<std::string> spellings = {
        m_folder.string() + "//" + sub + "//",
        m_folder.string() + "/./" + sub + "/",
    };
    const auto link = m_temp.Path() / "link";
    std::error_code noLinks; // Wine makes none
    std::filesystem::create_directory_symlink(m_folder, link, noLinks);
    if (!noLinks)
        spellings.push_back(link.string() + "/" + sub + "/");
    for (const std::string& folder : spellings) {
        char reserved[MAX_PATH] = {};
        ASSERT_TRUE(m_cache.CreateUrlCacheEntryA("http://host/b.htm", 0, "htm", reserved, 0));
        const std::string name = std::filesystem::path(reserved).filename().string();
        if (std::filesystem::path(reserved).parent_path().filename() != sub)
            std::filesystem::rename(reserved, m_folder / sub / name);
        EXPECT_TRUE(m_cache.CommitUrlCacheEntryA("http://host/b.htm", (folder + name).c_str(), FILETIME{},
                                                 FILETIME{}, 0, nullptr, 0, "htm", nullptr))
            << folder << name << " error " << m_cache.LastError();
    }
    EXPECT_EQ(ListEntries(m_cache).size(), 2u);
}

// What the store learns about its sub-folders holds for one taking of the
// lock only, with or without a hold around the calls.
TEST_F(IndexDatCache, a_sub_folder_changed_by_hand_is_seen_by_the_next_call)
{
    for (const bool held : {false, true}) {
        SCOPED_TRACE(held ? "under a hold" : "call by call");
        std::optional<larkspool::CacheLockHold> hold;
        if (held)
            hold.emplace(m_cache);
        const std::string url = std::string("http://host/") + (held ? "held" : "free") + ".htm";
        const std::filesystem::path file = Add(m_cache, url);
        const auto localFile = [&] {
            CacheEntryBuffer entry;
            DWORD size = entry.size();
            EXPECT_TRUE(m_cache.GetUrlCacheEntryInfoA(url.c_str(), entry.info(), &size));
            return std::string(entry.info()->lpszLocalFileName ? entry.info()->lpszLocalFileName : "");
        };
        EXPECT_EQ(localFile(), file.string());

        // Swapped for a link to a folder outside: no longer the entry's file.
        const std::filesystem::path folder = file.parent_path();
        const std::filesystem::path outside = m_temp.Path() / (held ? "outside-held" : "outside-free");
        std::filesystem::rename(folder, outside);
        std::error_code noLinks; // Wine makes none
        std::filesystem::create_directory_symlink(outside, folder, noLinks);
        if (!noLinks) {
            if (held) // the hold lets the lock go after a while: wait for that
                std::this_thread::sleep_for(2 * larkspool::IndexDatFile::kLongestHold);
            EXPECT_EQ(localFile(), "");
            std::filesystem::remove(folder);
        }

        // Gone: the next file put there makes it again (the least filled
        // sub-folder takes each file, so eight reach every one).
        for (int i = 0; i < 8; ++i)
            Add(m_cache, url + std::to_string(i));
        EXPECT_TRUE(std::filesystem::is_directory(folder));
        std::filesystem::remove_all(outside);
    }
}

TEST_F(IndexDatCache, enumeration_reaches_tables_appended_while_it_runs)
{
    // 900 entries added by another store after the first step need tables
    // behind those the enumeration started with.
    for (int i = 0; i < 300; ++i)
        Add(m_cache, "http://old/" + std::to_string(i) + ".htm");
    CacheEntryBuffer buffer;
    DWORD size = buffer.size();
    auto handle = m_cache.FindFirstUrlCacheEntryA("", buffer.info(), &size);
    ASSERT_NE(handle, nullptr);
    std::vector<std::string> urls{buffer.info()->lpszSourceUrlName};
    larkspool::IndexDatCache other(m_folder);
    for (int i = 0; i < 900; ++i)
        Add(other, "http://new/" + std::to_string(i) + ".htm");

    for (size = buffer.size(); m_cache.FindNextUrlCacheEntryA(handle, buffer.info(), &size); size = buffer.size())
        urls.push_back(buffer.info()->lpszSourceUrlName);
    m_cache.FindCloseUrlCache(handle);

    EXPECT_EQ(m_cache.LastError(), ERROR_NO_MORE_ITEMS);
    std::sort(urls.begin(), urls.end());
    EXPECT_EQ(std::unique(urls.begin(), urls.end()), urls.end());
    const auto old =
        std::count_if(urls.begin(), urls.end(), [](const std::string& url) { return url.starts_with("http://old/"); });
    EXPECT_EQ(old, 300);
    // Only a slot before the first entry's could be passed already.
    EXPECT_EQ(urls.size() - std::size_t(old), 900u);
}

TEST_F(IndexDatCache, thousands_of_entries_survive_reopening_and_deletes)
{
    constexpr int kCount = 1200;
    for (int i = 0; i < kCount; ++i)
        Add(m_cache, "http://host" + std::to_string(i % 7) + "/p/" + std::to_string(i) + ".htm");
    for (int i = 0; i < kCount; i += 2)
        ASSERT_TRUE(m_cache.DeleteUrlCacheEntryA(("http://host" + std::to_string(i % 7) + "/p/" + std::to_string(i) +
                                                  ".htm")
                                                     .c_str()));

    larkspool::IndexDatCache reopened(m_folder);
    const auto entries = ListEntries(reopened);

    EXPECT_EQ(entries.size(), std::size_t(kCount / 2));
    CacheEntryBuffer buffer;
    for (int i = 1; i < kCount; i += 2) {
        DWORD size = buffer.size();
        const std::string url = "http://host" + std::to_string(i % 7) + "/p/" + std::to_string(i) + ".htm";
        ASSERT_TRUE(reopened.GetUrlCacheEntryInfoA(url.c_str(), buffer.info(), &size)) << url;
        EXPECT_TRUE(std::filesystem::exists(buffer.info()->lpszLocalFileName));
    }
}

TEST_F(IndexDatCache, a_second_store_on_the_same_folder_sees_every_change)
{
    larkspool::IndexDatCache other(m_folder);
    Add(m_cache, "http://a/1.htm");
    Add(other, "http://a/2.htm");
    for (int i = 0; i < 500; ++i) // makes the file grow under the first store
        Add(other, "http://b/" + std::to_string(i) + ".htm");

    EXPECT_EQ(ListEntries(m_cache).size(), 502u);
    EXPECT_TRUE(m_cache.DeleteUrlCacheEntryA("http://a/2.htm"));
    EXPECT_EQ(ListEntries(other).size(), 501u);
}

// Look-ups remember the chain of HASH tables; tables appended since, by this
// store inside one hold or by another store in between, are still searched.
TEST_F(IndexDatCache, look_ups_reach_tables_appended_since_the_last)
{
    larkspool::IndexDatCache other(m_folder);
    const auto found = [](larkspool::IndexDatCache& cache, const std::string& url) {
        CacheEntryBuffer buffer;
        DWORD size = buffer.size();
        return cache.GetUrlCacheEntryInfoA(url.c_str(), buffer.info(), &size) == TRUE;
    };
    std::vector<std::string> urls;
    for (int round = 0; round < 4; ++round) {
        larkspool::IndexDatCache& writer = round % 2 ? other : m_cache;
        const larkspool::CacheLockHold hold(writer);
        for (int i = 0; i < 400; ++i) {
            urls.push_back("http://r" + std::to_string(round) + "/" + std::to_string(i) + ".htm");
            Add(writer, urls.back());
            ASSERT_TRUE(found(writer, urls.back())) << urls.back();
        }
    }
    for (larkspool::IndexDatCache* cache : {&m_cache, &other}) {
        const larkspool::CacheLockHold hold(*cache);
        EXPECT_EQ(std::count_if(urls.begin(), urls.end(), [&](const std::string& url) { return found(*cache, url); }),
                  1600);
    }
}

#ifndef _WIN32
// The file a reservation made is handed over open, once, to whoever names it;
// one nobody takes is closed by the next call. (Windows keeps none open.)
TEST_F(IndexDatCache, the_reserved_file_is_taken_open_once)
{
    const auto openFiles = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    };
    char path[MAX_PATH] = {};
    ASSERT_TRUE(m_cache.CreateUrlCacheEntryA("http://a/taken.htm", 0, "htm", path, 0));

    EXPECT_EQ(m_cache.TakeCreatedFile("/elsewhere/taken[1].htm"), -1);
    const int file = m_cache.TakeCreatedFile(path);
    ASSERT_GE(file, 0);
    EXPECT_EQ(m_cache.TakeCreatedFile(path), -1);
    EXPECT_EQ(::write(file, "taken", 5), 5);
    ::close(file);
    EXPECT_EQ(larkspool::testing::ReadFile(path), "taken");

    const auto before = openFiles(); // index.dat open by now
    ASSERT_TRUE(m_cache.CreateUrlCacheEntryA("http://a/left.htm", 0, "htm", path, 0));
    EXPECT_TRUE(m_cache.CommitUrlCacheEntryA("http://a/left.htm", path, FILETIME{}, FILETIME{}, 0, nullptr, 0, "htm",
                                             nullptr));
    EXPECT_EQ(m_cache.TakeCreatedFile(path), -1);
    EXPECT_EQ(openFiles(), before);
}
#endif

TEST_F(IndexDatCache, a_later_write_removes_old_content_files_no_record_names_and_nothing_else)
{
    Add(m_cache, "http://host/kept.htm");
    char path[MAX_PATH] = {};
    ASSERT_TRUE(m_cache.CreateUrlCacheEntryA("http://host/orphan.htm", 0, "htm", path, 0));
    larkspool::testing::WriteFile(path, "left by a writer killed before it committed");
    const std::filesystem::path orphan = path;
    const std::filesystem::path sub = orphan.parent_path();
    // What no record names but is not ours to remove.
    const std::vector<std::filesystem::path> others{m_folder / "loose.htm", m_folder / "NOTLISTD" / "x.htm",
                                                    sub / "desktop.ini", sub / "INDEX.DAT", m_temp.Path() / "outside"};
    std::filesystem::create_directory(m_folder / "NOTLISTD");
    for (const auto& other : others)
        larkspool::testing::WriteFile(other, "x");
    std::error_code noLinks;
    std::filesystem::create_symlink(m_temp.Path() / "outside", sub / "link.htm", noLinks);
    // An import sets an old date on a file it has yet to commit: only its
    // change time says it is new.
    std::filesystem::last_write_time(orphan, std::filesystem::file_time_type::clock::now() - std::chrono::hours(48));
    const auto later = [] { return larkspool::NowTicks() + 2 * larkspool::kOrphanAgeTicks; };

    larkspool::IndexDatCache now(m_folder);
    Add(now, "http://host/now.htm");
    larkspool::IndexDatCache reader(m_folder, later);
    EXPECT_EQ(ListEntries(reader).size(), 2u);
    EXPECT_TRUE(std::filesystem::exists(orphan)) << "removed while new, or by a read";

    larkspool::IndexDatCache writer(m_folder, later);
    EXPECT_TRUE(writer.DeleteUrlCacheEntryA("http://host/now.htm"));
    EXPECT_FALSE(std::filesystem::exists(orphan));
    EXPECT_EQ(ListEntries(writer).size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(ListEntries(writer).front().localFile));
    for (const auto& other : others)
        EXPECT_TRUE(std::filesystem::exists(other)) << other;
    EXPECT_TRUE(noLinks || std::filesystem::is_symlink(sub / "link.htm"));
}

// Each field at its own value, strings of every length modulo 4 and headers
// (with a NUL) ending on every byte of a block: a field written to the wrong
// offset, a string laid over another or a record cut a block short reads back
// changed.
TEST(IndexDatRecord, reads_back_every_field_it_was_encoded_with)
{
    namespace fmt = larkspool::indexdat;
    const auto encodeAndRead = [](const fmt::UrlRecord& record) {
        std::vector<std::uint8_t> file(fmt::kBlocksStart, 0);
        const std::vector<std::uint8_t> bytes = fmt::EncodeUrlRecord(record);
        EXPECT_EQ(bytes.size() % fmt::kBlockSize, 0u);
        file.insert(file.end(), bytes.begin(), bytes.end());
        auto read = fmt::ParseUrlRecord(file, fmt::kBlocksStart);
        EXPECT_TRUE(read && read->blocks == bytes.size() / fmt::kBlockSize);
        return read;
    };
    const auto fields = [](const fmt::UrlRecord& r) {
        return std::tie(r.modified, r.accessed, r.expireDos, r.fileSize, r.exemptDelta, r.folder, r.entryType,
                        r.syncDos, r.hitRate, r.useCount, r.writeStampDos, r.url, r.fileName, r.headerInfo,
                        r.extension);
    };
    fmt::UrlRecord record;
    record.modified = 0x0102030405060708;
    record.accessed = 0x1112131415161718;
    record.expireDos = 0x21222324;
    record.fileSize = 0x3132333435363738;
    record.exemptDelta = 0x41424344;
    record.folder = 3;
    record.entryType = 0x51525354;
    record.syncDos = 0x61626364;
    record.hitRate = 0x71727374;
    record.useCount = 0x01020304;
    record.writeStampDos = 0x11121314;
    record.url = "http://h/";

    const auto bare = encodeAndRead(record);
    ASSERT_TRUE(bare);
    EXPECT_EQ(fields(*bare), fields(record));

    for (std::size_t length = 1; length <= 4; ++length) {
        for (std::size_t headerSize = 1; headerSize <= fmt::kBlockSize + 1; ++headerSize) {
            record.url = "http://h/" + std::string(length, 'u');
            record.fileName = std::string(length, 'f');
            record.headerInfo = std::string(headerSize, 'h');
            (*record.headerInfo)[headerSize / 2] = '\0';
            record.extension = std::string(length, 'e');

            const auto read = encodeAndRead(record);

            ASSERT_TRUE(read) << length << " " << headerSize;
            EXPECT_EQ(fields(*read), fields(record)) << length << " " << headerSize;
        }
    }
}

TEST(CacheFileName, names_come_from_the_last_path_element)
{
    struct Case {
        const char* url;
        const char* base;
    };
    const Case cases[] = {
        {"http://host/dir/page.htm?x=1", "page"},
        {"http://host/a.b.gif#top", "a.b"},
        {"http://host/dir/", ""},
        {"http://host", ""},
        {"not a url", ""},
        {"http://host/we:ird*na|me\"<>.htm", "we_ird_na_me___"},
        {"http://host/dir\\back.htm", "back"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(larkspool::CacheFileBaseName(c.url), c.base) << c.url;
    EXPECT_EQ(larkspool::CacheFileExtension("../h:t."), ".._h_t_");
    EXPECT_EQ(larkspool::CacheFileName("page", 1, "htm"), "page[1].htm");
    EXPECT_EQ(larkspool::CacheFileName("page", 2, ""), "page[2]");
}

} // namespace
