// Telling a cache by its files, in the folder given or below it.
#include "browsercache/cache_folder.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace larkspool::browsercache {
namespace {

using testing::TempFolder;

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
    std::filesystem::create_directory_symlink(home.Path() / ".cache/chromium", home.Path() / ".cache/zz-link");

    const auto found = FindCacheFolders(home.Path() / ".cache");
    const auto one = FindCacheFolders(home.Path() / ".cache/chromium/Default/Cache/Cache_Data");

    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].folder, home.Path() / ".cache/chromium/Default/Cache/Cache_Data");
    EXPECT_EQ(found[0].format, CacheFolderFormat::ChromiumSimple);
    EXPECT_EQ(found[1].folder, home.Path() / ".cache/mozilla/firefox/abc.default-esr/cache2");
    EXPECT_EQ(found[1].format, CacheFolderFormat::FirefoxCache2);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_TRUE(FindCacheFolders(home.Path() / ".config").empty());
    EXPECT_TRUE(FindCacheFolders(home.Path() / ".cache", 2).empty());
}

} // namespace
} // namespace larkspool::browsercache
