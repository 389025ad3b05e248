// Telling a cache by its files, in the folder given or below it.
#include "browsercache/cache_folder.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace larkspool::browsercache {
namespace {

using testing::TempFolder;
using namespace std::string_literals;

TEST(CacheFolderDetection, each_format_by_its_files)
{
    TempFolder folder;
    folder.Write("ie/index.dat");
    folder.Write("simple/index");
    folder.Write("simple/index-dir/the-real-index");
    folder.Write("simple-no-index-dir/index");
    folder.Write("simple-no-index-dir/0123456789abcdef_0");
    folder.Write("blockfile/index");
    folder.Write("blockfile/data_0");
    folder.Write("blockfile/data_1");
    folder.Write("cache2/entries/0123456789ABCDEF0123456789ABCDEF01234567");
    folder.Write("entries-only/0123456789ABCDEF0123456789ABCDEF01234567");
    folder.Write("index-alone/index");
    folder.Write("other/readme.txt");
    // Partly copied caches, each told by the one kind of file left.
    folder.Write("blockfile-index-only/index", "\xC3\xCA\x03\xC1\x00\x00\x03\x00"s);
    folder.Write("blockfile-no-index/data_1");
    folder.Write("blockfile-data-3-only/data_3");
    folder.Write("simple-index-only/index", "\x30\x5c\x72\xa7\x1b\x6d\xfb\xfc\x09\x00\x00\x00"s);
    folder.Write("simple-entries-only/0123456789abcdef_0");
    folder.Write("simple-real-index-only/index-dir/the-real-index");
    folder.Write("firefox-cache1/_CACHE_MAP_");
    folder.Write("firefox-cache1/_CACHE_001_");
    folder.Write("firefox-cache1-blocks-only/_CACHE_003_");
    const struct {
        const char* folder;
        std::optional<CacheFolderFormat> format;
    } rows[] = {
        {"ie", CacheFolderFormat::IndexDat},
        {"simple", CacheFolderFormat::ChromiumSimple},
        {"simple-no-index-dir", CacheFolderFormat::ChromiumSimple},
        {"blockfile", CacheFolderFormat::ChromiumBlockfile},
        {"cache2", CacheFolderFormat::FirefoxCache2},
        {"entries-only", CacheFolderFormat::FirefoxCache2},
        {"index-alone", std::nullopt},
        {"blockfile-index-only", CacheFolderFormat::ChromiumBlockfile},
        {"blockfile-no-index", CacheFolderFormat::ChromiumBlockfile},
        {"blockfile-data-3-only", CacheFolderFormat::ChromiumBlockfile},
        {"simple-index-only", CacheFolderFormat::ChromiumSimple},
        {"simple-entries-only", CacheFolderFormat::ChromiumSimple},
        {"simple-real-index-only", CacheFolderFormat::ChromiumSimple},
        {"firefox-cache1", CacheFolderFormat::FirefoxCache1},
        {"firefox-cache1-blocks-only", CacheFolderFormat::FirefoxCache1},
        {"other", std::nullopt},
        {"missing", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(DetectCacheFormat(folder.Path() / row.folder), row.format) << row.folder;
}

TEST(CacheFolderSearch, finds_caches_below_a_profile_passing_over_code_caches_and_links)
{
    TempFolder home;
    home.Write(".cache/chromium/Default/Cache/Cache_Data/index");
    home.Write(".cache/chromium/Default/Cache/Cache_Data/index-dir/the-real-index");
    home.Write(".cache/chromium/Default/Code Cache/js/index");
    home.Write(".cache/chromium/Default/Code Cache/js/index-dir/the-real-index");
    home.Write(".config/chromium/Default/Shared Dictionary/cache/index");
    home.Write(".config/chromium/Default/Shared Dictionary/cache/index-dir/the-real-index");
    home.Write(".cache/mozilla/firefox/abc.default-esr/cache2/entries/0123456789ABCDEF0123456789ABCDEF01234567");
    home.Write(".cache/mozilla/firefox/abc.default-esr/cache2/index");
    // A Firefox 3 profile: the cache and its hex sub-folders.
    home.Write(".cache/mozilla/firefox/old.default/Cache/_CACHE_MAP_");
    home.Write(".cache/mozilla/firefox/old.default/Cache/3/3D/ED165d01");
    std::filesystem::create_directory_symlink(home.Path() / ".cache/chromium", home.Path() / ".cache/zz-link");

    const auto found = FindCacheFolders(home.Path() / ".cache");
    const auto one = FindCacheFolders(home.Path() / ".cache/chromium/Default/Cache/Cache_Data");

    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].folder, home.Path() / ".cache/chromium/Default/Cache/Cache_Data");
    EXPECT_EQ(found[0].format, CacheFolderFormat::ChromiumSimple);
    EXPECT_EQ(found[1].folder, home.Path() / ".cache/mozilla/firefox/abc.default-esr/cache2");
    EXPECT_EQ(found[1].format, CacheFolderFormat::FirefoxCache2);
    EXPECT_EQ(found[2].folder, home.Path() / ".cache/mozilla/firefox/old.default/Cache");
    EXPECT_EQ(found[2].format, CacheFolderFormat::FirefoxCache1);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_TRUE(FindCacheFolders(home.Path() / ".config").empty());
    EXPECT_TRUE(FindCacheFolders(home.Path() / ".cache", 2).empty());
}

TEST(CacheFolderSearch, names_a_cache_it_passed_over_deeper_down_or_behind_a_link)
{
    TempFolder home;
    home.Write("deep/1/2/3/4/5/6/7/cache2/entries/0123456789ABCDEF0123456789ABCDEF01234567");
    home.Write("elsewhere/Cache_Data/0123456789abcdef_0");
    home.Write("linked/profile/readme.txt");
    std::filesystem::create_directory_symlink(home.Path() / "elsewhere/Cache_Data", home.Path() / "linked/profile/Cache");
    home.Write("nothing/a/b/readme.txt");

    EXPECT_TRUE(FindCacheFolders(home.Path() / "deep").empty());
    EXPECT_EQ(CacheOutOfReach(home.Path() / "deep"),
              "the cache in " + home.Under("deep/1/2/3/4/5/6/7/cache2") +
                  " lies 8 folders down, deeper than the search goes (6): name that folder");
    EXPECT_TRUE(FindCacheFolders(home.Path() / "linked").empty());
    EXPECT_EQ(CacheOutOfReach(home.Path() / "linked"),
              "the cache in " + home.Under("linked/profile/Cache") +
                  " lies behind a linked folder, which the search does not follow: name that folder");
    EXPECT_EQ(CacheOutOfReach(home.Path() / "nothing"), "");
}

TEST(CacheFolderDetection, names_the_files_of_a_browser_cache_that_no_format_reads)
{
    TempFolder folder;
    folder.Write("unknown-index/index");
    folder.Write("entries-folder/entries/readme.txt");
    folder.Write("plain/readme.txt");

    EXPECT_EQ(BrowserCacheFileIn(folder.Path() / "unknown-index"), "index");
    EXPECT_EQ(BrowserCacheFileIn(folder.Path() / "entries-folder"), "entries");
    EXPECT_EQ(BrowserCacheFileIn(folder.Path() / "plain"), "");
}

} // namespace
} // namespace larkspool::browsercache
