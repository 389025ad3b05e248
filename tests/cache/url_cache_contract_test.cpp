// What callers rely on from any UrlCache, written from the behaviour of
// WinINet itself: the same cases run against IndexDatCache natively and
// against the real API under Windows (or Wine).
#include "cache/file_time.h"
#include "tests/cache/contract_cache.h"
#include "tests/support/test_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using larkspool::CacheEntryBuffer;
using larkspool::kEntryBufferSize;
using larkspool::kTicksPerSecond;
using larkspool::NowTicks;
using larkspool::testing::ListedEntry;

// Every string of an entry lies inside the bytes the call said it used.
ListedEntry Read(const CacheEntryBuffer& buffer, DWORD used)
{
    const INTERNET_CACHE_ENTRY_INFOA& info = *buffer.info();
    EXPECT_LE(used, buffer.size());
    auto inside = [&](const char* text) {
        const char* begin = reinterpret_cast<const char*>(buffer.info());
        return text >= begin && text < begin + used && std::memchr(text, 0, begin + used - text) != nullptr;
    };
    EXPECT_TRUE(inside(info.lpszSourceUrlName));
    if (info.lpszLocalFileName) {
        EXPECT_TRUE(inside(info.lpszLocalFileName));
    }
    return larkspool::testing::ToListed(info);
}

std::vector<std::string> Urls(const std::vector<ListedEntry>& entries)
{
    std::vector<std::string> urls;
    for (const ListedEntry& entry : entries)
        urls.push_back(entry.url);
    std::sort(urls.begin(), urls.end());
    return urls;
}

class UrlCache : public ::testing::Test {
protected:
    UrlCache() : m_store(larkspool::testing::MakeContractStore()), m_cache(m_store->Cache()), m_host(FreshHost()) {}

    ~UrlCache() override
    {
        for (const ListedEntry& entry : Enumerate())
            while (m_cache.DeleteUrlCacheEntryA(entry.url.c_str())) {
            }
    }

    std::string Url(const std::string& path) const { return "http://" + m_host + "/" + path; }

    // A fresh local file for url, or "" after reporting the failure.
    std::string Reserve(const std::string& url, const char* extension)
    {
        std::vector<char> name(MAX_PATH, '\0');
        if (!m_cache.CreateUrlCacheEntryA(url.c_str(), 0, extension, name.data(), 0)) {
            ADD_FAILURE() << "CreateUrlCacheEntryA " << url << ": error " << m_cache.LastError();
            return {};
        }
        return name.data();
    }

    // Puts content into the cache as the import does; returns the local file.
    std::string Add(const std::string& url, const std::string& content, const char* extension,
                    std::uint64_t modified = 0)
    {
        std::string file = Reserve(url, extension);
        larkspool::testing::WriteFile(file, content);
        if (!m_cache.CommitUrlCacheEntryA(url.c_str(), file.c_str(), FILETIME{}, larkspool::MakeFileTime(modified), 0, nullptr, 0,
                                        extension, nullptr))
            ADD_FAILURE() << "CommitUrlCacheEntryA " << url << ": error " << m_cache.LastError();
        return file;
    }

    std::optional<ListedEntry> Get(const std::string& url)
    {
        CacheEntryBuffer buffer;
        DWORD size = buffer.size();
        if (!m_cache.GetUrlCacheEntryInfoA(url.c_str(), buffer.info(), &size))
            return std::nullopt;
        return Read(buffer, size);
    }

    // This test's entries in enumeration order, through a buffer that grows
    // when an entry does not fit (other programs' entries may be long).
    std::vector<ListedEntry> Enumerate()
    {
        std::vector<ListedEntry> entries;
        CacheEntryBuffer buffer;
        DWORD size = buffer.size();
        larkspool::CacheEnumHandle handle = m_cache.FindFirstUrlCacheEntryA("", buffer.info(), &size);
        while (!handle && m_cache.LastError() == ERROR_INSUFFICIENT_BUFFER) {
            buffer.resize(size);
            size = buffer.size();
            handle = m_cache.FindFirstUrlCacheEntryA("", buffer.info(), &size);
        }
        if (!handle)
            return entries;
        for (;;) {
            ListedEntry entry = Read(buffer, size);
            if (Mine(entry.url))
                entries.push_back(entry);
            size = buffer.size();
            while (!m_cache.FindNextUrlCacheEntryA(handle, buffer.info(), &size)) {
                if (m_cache.LastError() != ERROR_INSUFFICIENT_BUFFER) {
                    EXPECT_EQ(m_cache.LastError(), ERROR_NO_MORE_ITEMS);
                    EXPECT_TRUE(m_cache.FindCloseUrlCache(handle));
                    return entries;
                }
                buffer.resize(size);
                size = buffer.size();
            }
        }
    }

    bool Mine(const std::string& url) const { return url.rfind(Url(""), 0) == 0; }

    std::unique_ptr<larkspool::testing::ContractStore> m_store;
    larkspool::UrlCache& m_cache;
    const std::string m_host;

private:
    // A host of this test case alone, so a shared cache shows nothing else under it.
    static std::string FreshHost()
    {
        static const std::string run = std::to_string(std::random_device()());
        static int count = 0;
        return "t" + std::to_string(++count) + "-" + run + ".contract.test";
    }
};

TEST_F(UrlCache, commit_stores_file_size_times_and_a_normal_entry_type)
{
    struct Row {
        const char* path;
        const char* extension;
        std::string content;
        std::uint64_t modified;
    };
    const Row rows[] = {
        {"dir/page.htm", "htm", "<html>hello</html>", 0x01d9abcd12345677},
        {"img/c.gif?x=1&y=2", "gif", std::string(70'000, 'g'), 132'000'000'000'000'001},
        {"plain", "txt", "", 0}, // no last-modified time: the access time stands in
    };
    for (const Row& row : rows) {
        const std::string url = Url(row.path);
        const std::uint64_t before = NowTicks() - 60 * kTicksPerSecond;

        const std::string file = Add(url, row.content, row.extension, row.modified);
        const std::optional<ListedEntry> entry = Get(url);

        ASSERT_TRUE(entry) << url << ": error " << m_cache.LastError();
        EXPECT_EQ(entry->url, url);
        EXPECT_EQ(entry->localFile, file);
        EXPECT_EQ(entry->type, DWORD(NORMAL_CACHE_ENTRY)) << url;
        EXPECT_EQ(entry->size, row.content.size()) << url;
        EXPECT_EQ(entry->modified, row.modified) << url;
        EXPECT_GE(entry->accessed, before) << url;
        EXPECT_LE(entry->accessed, NowTicks() + 60 * kTicksPerSecond) << url;
        EXPECT_EQ(larkspool::testing::ReadFile(file), row.content) << url;
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(file).parent_path().parent_path() / "index.dat"));
    }
}

TEST_F(UrlCache, create_reserves_unique_files_in_sub_folders_keeping_the_extension)
{
    struct Row {
        const char* path;
        const char* extension;
    };
    const Row rows[] = {{"a/page.htm", "htm"}, {"pic.gif?q=1", "gif"}, {"dir/", "html"}, {"x.tar.gz", "gz"}};
    for (const Row& row : rows) {
        const std::string url = Url(row.path);

        const std::filesystem::path first = Reserve(url, row.extension);
        const std::filesystem::path second = Reserve(url, row.extension);

        EXPECT_NE(first, second) << url;
        for (const std::filesystem::path& file : {first, second}) {
            EXPECT_TRUE(std::filesystem::is_regular_file(file)) << file;
            EXPECT_EQ(file.extension().string(), std::string(".") + row.extension) << file;
            EXPECT_EQ(file.filename().string().find('?'), std::string::npos) << file;
            const std::string folder = file.parent_path().filename().string();
            EXPECT_EQ(folder.size(), 8u) << file;
            EXPECT_TRUE(std::all_of(folder.begin(), folder.end(),
                                    [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }))
                << file;
            std::error_code ignored;
            std::filesystem::remove(file, ignored);
        }
    }
}

TEST_F(UrlCache, commit_replaces_the_entry_of_the_same_url_and_drops_its_file)
{
    const std::string url = Url("page.htm");
    const std::string old = Add(url, "first", "htm");

    const std::string file = Add(url, "second!", "htm");

    const std::optional<ListedEntry> entry = Get(url);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->localFile, file);
    EXPECT_EQ(entry->size, 7u);
    EXPECT_EQ(Urls(Enumerate()), std::vector<std::string>{url});
    EXPECT_FALSE(std::filesystem::exists(old));
}

TEST_F(UrlCache, lookup_of_an_unknown_url_fails_with_file_not_found)
{
    Add(Url("page.htm"), "x", "htm");
    std::string host = m_host;
    std::transform(host.begin(), host.end(), host.begin(), [](unsigned char c) { return char(std::toupper(c)); });

    for (const std::string& url :
         {Url("never.htm"), Url("PAGE.htm"), "http://" + host + "/page.htm", Url("page.htm?x"), Url("")}) {
        CacheEntryBuffer buffer;
        DWORD size = buffer.size();

        EXPECT_FALSE(m_cache.GetUrlCacheEntryInfoA(url.c_str(), buffer.info(), &size)) << url;
        EXPECT_EQ(m_cache.LastError(), ERROR_FILE_NOT_FOUND) << url;
    }
}

TEST_F(UrlCache, lookup_reports_the_size_needed_when_the_entry_does_not_fit)
{
    const std::string shortUrl = Url("page.htm");
    const std::string longUrl = Url(std::string(5000, 'a') + ".htm");
    Add(shortUrl, "x", "htm");
    Add(longUrl, "y", "htm");

    for (const auto& [url, given] :
         {std::pair{shortUrl, DWORD(sizeof(INTERNET_CACHE_ENTRY_INFOA))}, std::pair{longUrl, kEntryBufferSize}}) {
        CacheEntryBuffer buffer;
        DWORD size = given;

        EXPECT_FALSE(m_cache.GetUrlCacheEntryInfoA(url.c_str(), buffer.info(), &size));
        EXPECT_EQ(m_cache.LastError(), ERROR_INSUFFICIENT_BUFFER);
        EXPECT_GT(size, given);
        EXPECT_GE(size, sizeof(INTERNET_CACHE_ENTRY_INFOA) + url.size() + 1);

        buffer.resize(size);
        ASSERT_TRUE(m_cache.GetUrlCacheEntryInfoA(url.c_str(), buffer.info(), &size)) << m_cache.LastError();
        EXPECT_EQ(Read(buffer, size).url, url);
    }
}

TEST_F(UrlCache, empty_pattern_enumerates_every_entry_once)
{
    std::vector<std::string> urls;
    std::vector<std::string> files;
    for (const char* path : {"index.htm", "a/b.gif", "a/b.gif?size=2", "a/c/", "x%20y.txt", "Upper.HTM"}) {
        urls.push_back(Url(path));
        files.push_back(Add(urls.back(), path, "htm"));
    }

    const std::vector<ListedEntry> entries = Enumerate();

    std::sort(urls.begin(), urls.end());
    EXPECT_EQ(Urls(entries), urls);
    for (const ListedEntry& entry : entries) {
        EXPECT_NE(std::find(files.begin(), files.end(), entry.localFile), files.end()) << entry.localFile;
        EXPECT_EQ(entry.size, entry.url.size() - Url("").size()) << entry.url;
    }
}

TEST_F(UrlCache, enumeration_of_an_empty_cache_reports_no_more_items)
{
    if (!m_store->StartsEmpty())
        GTEST_SKIP() << "the cache is shared";
    CacheEntryBuffer buffer;
    DWORD size = buffer.size();

    EXPECT_EQ(m_cache.FindFirstUrlCacheEntryA("", buffer.info(), &size), nullptr);
    EXPECT_EQ(m_cache.LastError(), ERROR_NO_MORE_ITEMS);
}

TEST_F(UrlCache, a_small_buffer_leaves_the_enumeration_where_it_is)
{
    std::vector<std::string> urls;
    for (const char* path : {"1.htm", "2.htm", "3.htm", "4.htm"}) {
        urls.push_back(Url(path));
        Add(urls.back(), path, "htm");
    }
    const DWORD small = sizeof(INTERNET_CACHE_ENTRY_INFOA);
    CacheEntryBuffer buffer;
    DWORD size = small;

    EXPECT_EQ(m_cache.FindFirstUrlCacheEntryA("", buffer.info(), &size), nullptr);
    EXPECT_EQ(m_cache.LastError(), ERROR_INSUFFICIENT_BUFFER);
    ASSERT_GT(size, small);
    buffer.resize(size);
    larkspool::CacheEnumHandle handle = m_cache.FindFirstUrlCacheEntryA("", buffer.info(), &size);
    ASSERT_NE(handle, nullptr) << m_cache.LastError();

    // Each entry is asked for twice with too small a buffer, then with the
    // size it needs; none may be skipped or repeated.
    std::vector<std::string> seen;
    for (;;) {
        const std::string url = Read(buffer, size).url;
        if (Mine(url))
            seen.push_back(url);
        size = small;
        if (m_cache.FindNextUrlCacheEntryA(handle, buffer.info(), &size) || m_cache.LastError() == ERROR_NO_MORE_ITEMS)
            break;
        ASSERT_EQ(m_cache.LastError(), ERROR_INSUFFICIENT_BUFFER);
        const DWORD needed = size;
        ASSERT_GT(needed, small);
        size = small;
        EXPECT_FALSE(m_cache.FindNextUrlCacheEntryA(handle, buffer.info(), &size));
        EXPECT_EQ(size, needed);
        buffer.resize(needed);
        size = needed;
        ASSERT_TRUE(m_cache.FindNextUrlCacheEntryA(handle, buffer.info(), &size)) << m_cache.LastError();
    }
    EXPECT_EQ(m_cache.LastError(), ERROR_NO_MORE_ITEMS);
    EXPECT_TRUE(m_cache.FindCloseUrlCache(handle));

    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, urls);
}

TEST_F(UrlCache, delete_succeeds_once_per_entry_then_reports_file_not_found)
{
    const std::string url = Url("gone.htm");
    const std::string file = Add(url, "x", "htm");
    const std::string kept = Url("kept.htm");
    Add(kept, "y", "htm");

    int deleted = 0;
    while (m_cache.DeleteUrlCacheEntryA(url.c_str()))
        ASSERT_LT(++deleted, 10);

    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(m_cache.LastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(Get(url));
    EXPECT_EQ(m_cache.LastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(Get(kept));
    EXPECT_EQ(Urls(Enumerate()), std::vector<std::string>{kept});
}

// With ICU_DECODE | ICU_NO_ENCODE a scheme-less text has its escapes decoded
// in one pass and nothing else changed: dot segments stay.
TEST_F(UrlCache, canonicalize_decodes_escapes_and_nothing_else)
{
    struct Row {
        const char* in;
        std::string out;
    };
    const Row rows[] = {
        {"host%3a8080/a%20b/c.gif", "host:8080/a b/c.gif"},
        {"host/a/../b/c.gif", "host/a/../b/c.gif"},
        {"host/a/%2e%2e/b/c.gif", "host/a/../b/c.gif"},
        {"host/a/%2E%2E/b", "host/a/../b"},
        {"host/./a//b", "host/./a//b"},
        {"host/a%3Fb%23c", "host/a?b#c"},
        {"host/a?b/../c", "host/a?b/../c"},
        {"host/a%2fb", "host/a/b"},
        {"host/a%25%32%30b", "host/a%20b"},
        {"host/a%zzb%4", "host/a%zzb%4"},
        {"host/a b+c", "host/a b+c"},
        {"%68ost/x", "host/x"},
        {"host\\a\\b", "host\\a\\b"},
        {"host/a%00b", "host/a"}, // a decoded NUL ends the text
    };
    for (const Row& row : rows) {
        std::vector<char> out(MAX_PATH, 'X');
        DWORD length = MAX_PATH;

        ASSERT_TRUE(m_cache.InternetCanonicalizeUrlA(row.in, out.data(), &length, ICU_DECODE | ICU_NO_ENCODE))
            << row.in << ": error " << m_cache.LastError();

        EXPECT_EQ(std::string(out.data()), row.out) << row.in;
        EXPECT_EQ(length, row.out.size()) << row.in;
    }
}

TEST_F(UrlCache, canonicalize_reports_the_length_needed_when_the_output_does_not_fit)
{
    struct Row {
        const char* in;
        DWORD given;
        bool fits;
        DWORD error;
        DWORD lengthAfter; // the text's length, or the bytes needed with its NUL
    };
    const Row rows[] = {
        {"host%3a8080/a%20b/c.gif", 5, false, ERROR_INSUFFICIENT_BUFFER, 20},
        {"host%3a8080/a%20b/c.gif", 19, false, ERROR_INSUFFICIENT_BUFFER, 20},
        {"host%3a8080/a%20b/c.gif", 20, true, 0, 19},
        {"a%20c", 3, false, ERROR_INSUFFICIENT_BUFFER, 4},
        {"a%20c", 4, true, 0, 3},
        {"abc", 0, false, ERROR_INVALID_PARAMETER, 0},
    };
    constexpr DWORD kGuard = 16;
    for (const Row& row : rows) {
        std::vector<char> out(row.given + kGuard, 'X');
        DWORD length = row.given;

        const BOOL done = m_cache.InternetCanonicalizeUrlA(row.in, out.data(), &length, ICU_DECODE | ICU_NO_ENCODE);

        EXPECT_EQ(bool(done), row.fits) << row.in << " in " << row.given;
        if (!done) {
            EXPECT_EQ(m_cache.LastError(), row.error) << row.in << " in " << row.given;
        }
        EXPECT_EQ(length, row.lengthAfter) << row.in << " in " << row.given;
        EXPECT_TRUE(std::all_of(out.begin() + row.given, out.end(), [](char c) { return c == 'X'; }))
            << row.in << " written past " << row.given;
    }
}

} // namespace
