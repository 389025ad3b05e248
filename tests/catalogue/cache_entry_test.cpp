#include "catalogue/cache_entry.h"

#include <gtest/gtest.h>

#include <memory>

namespace larkspool {
namespace {

struct TailCase {
    const char* text;
    std::size_t position;
    const char* name;
    const char* extension;
};

TEST(CacheEntry, split_url_tail_takes_name_and_extension_after_the_last_slash)
{
    const TailCase cases[] = {
        {"host/dir/page.html", 9, "page", ".html"},
        {"host/dir/", 9, "", ""},
        {"host/dir.d/file", 11, "file", ""},
        {"host/a.tar.gz", 5, "a.tar", ".gz"},
        {"host/.htaccess", 5, "", ".htaccess"},
        {"nohost", 6, "", ""},
    };
    for (const TailCase& c : cases) {
        std::string name = "stale";
        std::string extension = "stale";
        EXPECT_EQ(SplitUrlTail(c.text, name, extension), c.position) << c.text;
        EXPECT_EQ(name, c.name) << c.text;
        EXPECT_EQ(extension, c.extension) << c.text;
    }
}

class CatalogueOrder : public ::testing::Test {
protected:
    TCacheEntry* Add(const std::string& sitePath, FileTicks modified = 0)
    {
        auto entry = std::make_unique<TCacheEntry>();
        entry->SitePath = sitePath;
        entry->Name = sitePath.substr(sitePath.rfind('/') + 1);
        entry->Modified = modified;
        m_list.push_back(entry.get());
        m_records.push_back(std::move(entry));
        return m_list.back();
    }

    std::vector<std::string> Paths() const
    {
        std::vector<std::string> paths;
        for (const TCacheEntry* entry : m_list)
            paths.push_back(entry->SitePath);
        return paths;
    }

    std::vector<std::unique_ptr<TCacheEntry>> m_records;
    std::vector<TCacheEntry*> m_list;
};

TEST_F(CatalogueOrder, paths_compare_as_bytes_with_ascii_letters_folded_then_older_first)
{
    // "ア" is 83 41 in Shift-JIS; the trail byte of 83 61 has the value of
    // "a" and folds onto 83 41, so the byte after it decides.
    const std::string sjisA = "\x83\x41";
    const std::string sjisTrailLowerA = "\x83\x61";
    Add("host/b.html");
    Add("host/_x.html");
    Add("HOST/a.html", 20);
    Add("host/A.html", 10);
    Add("host/a/x.html");
    Add("host/a-b/x.html");
    Add("host/" + sjisTrailLowerA + "1.html");
    Add("host/" + sjisA + "2.html");
    Add("host/\xe9.html");

    SortCacheList(m_list);

    const std::vector<std::string> expected = {
        "host/a-b/x.html", "host/A.html", "HOST/a.html", "host/a/x.html", "host/b.html", "host/_x.html",
        "host/" + sjisTrailLowerA + "1.html", "host/" + sjisA + "2.html", "host/\xe9.html",
    };
    EXPECT_EQ(Paths(), expected);
    EXPECT_EQ(CompareEntries(*m_list[1], *m_list[2]), -1);
    EXPECT_EQ(CompareEntries(*m_list[2], *m_list[1]), 1);
    EXPECT_EQ(CompareEntries(*m_list[0], *m_list[0]), 0);
}

TEST_F(CatalogueOrder, numbering_keeps_the_oldest_name_and_counts_each_run_from_one)
{
    Add("host/a.html", 2);
    Add("host/a.html", 1);
    Add("host/cgi/s.htm", 5);
    Add("host/cgi/S.HTM", 6);
    Add("host/cgi/s.htm", 7);
    Add("host/readme", 1);
    Add("host/readme", 2);
    Add("host/a(1).html", 1);
    SortCacheList(m_list);

    const std::vector<TCacheEntry*> refused = NumberDuplicates(m_list);

    EXPECT_TRUE(refused.empty());
    const std::vector<std::string> expected = {
        "host/a(1).html", "host/a.html", "host/a(1).html", "host/cgi/s.htm", "host/cgi/S(1).HTM",
        "host/cgi/s(2).htm", "host/readme", "host/readme(1)",
    };
    EXPECT_EQ(Paths(), expected);
    EXPECT_EQ(m_list[2]->Name, "a(1).html");
    EXPECT_EQ(m_list[2]->Modified, 2u);
    EXPECT_EQ(m_list[7]->Name, "readme(1)");
}

TEST_F(CatalogueOrder, a_number_that_would_make_the_path_too_long_refuses_the_entry)
{
    const std::string longPath = "host/" + std::string(kMaxSitePath - 5 - 7, 'x') + "(9).htm";
    ASSERT_EQ(longPath.size(), kMaxSitePath);
    Add(longPath, 1);
    TCacheEntry* later = Add(longPath, 2);
    Add("host/z.htm", 1);
    SortCacheList(m_list);

    const std::vector<TCacheEntry*> refused = NumberDuplicates(m_list);

    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0], later);
    EXPECT_EQ(Paths(), (std::vector<std::string>{longPath, "host/z.htm"}));
}

} // namespace
} // namespace larkspool
