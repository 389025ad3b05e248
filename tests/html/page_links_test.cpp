#include "html/page_links.h"

#include "html/link_targets.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using larkspool::PageAddress;
using larkspool::PageLinks;

// The export's map, keyed here by the URL exactly as resolved.
class FakeTargets : public larkspool::LinkTargets {
public:
    FakeTargets(std::map<std::string, std::string, std::less<>> paths) : m_paths(std::move(paths)) {}
    const std::string* SitePathOf(std::string_view url) const override
    {
        const auto found = m_paths.find(url);
        return found == m_paths.end() ? nullptr : &found->second;
    }

private:
    std::map<std::string, std::string, std::less<>> m_paths;
};

struct Case {
    const char* link;
    const char* expected;
};

class PageLinksMap : public ::testing::Test {
protected:
    PageLinks links(const char* base = nullptr) const
    {
        PageLinks page = PageLinks::ForExport("h/d/", "index.html", {"http://h/d/p.htm", "h/d/p.htm", &m_targets});
        if (base)
            page.SetBase(base);
        return page;
    }

    const FakeTargets m_targets{{
        {"http://h/d/p.htm", "h/d/p.htm"},
        {"http://h/d/a.htm", "h/d/a.htm"},
        {"http://h/shop/item.php?id=7", "h/shop/item.htm"},
        {"http://h/g.asp?id=1", "h/g.htm"},
        {"http://h/t.php?id=1", "h/t.php"},
        {"http://h/t.php?id=2", "h/t(1).php"},
        {"http://h/news/", "h/news/index.html"},
        {"http://h:81/x.css", "h%3a81/x.css"},
        {"http://h/d/a%20b.gif", "h/d/a b.gif"},
        {"http://h/d/100%25.gif", "h/d/100%.gif"},
        {"http://o/base/i.png", "o/base/i.png"},
    }};
};

TEST_F(PageLinksMap, links_to_held_urls_name_the_written_file)
{
    const Case cases[] = {
        {"/shop/item.php?id=7", "../shop/item.htm"},
        {"../g.asp?id=1", "../g.htm"},
        {"/t.php?id=1", "../t.php"},
        {"/t.php?id=2#top", "../t(1).php#top"},
        {"/news/#latest", "../news/index.html#latest"},
        {"http://h:81/x.css", "../../h%253a81/x.css"},
        {"100%25.gif", "100%25.gif"},
        {"//o/base/i.png", "../../o/base/i.png"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(links().Rewrite(c.link), c.expected) << c.link;
}

TEST_F(PageLinksMap, where_the_old_rule_names_the_file_its_text_stays)
{
    const Case cases[] = {
        {"a.htm", "a.htm"},
        {"HTTP://h/d/a.htm#x", "a.htm#x"},
        {"a%20b.gif", "a%20b.gif"},
        {"#top", "#top"},
        {"p.htm#top", "p.htm#top"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(links().Rewrite(c.link), c.expected) << c.link;
}

TEST_F(PageLinksMap, links_the_export_does_not_hold_keep_the_old_rule)
{
    const Case cases[] = {
        {"/shop/item.php?id=8", "../shop/item.php?id=8"},
        {"g.asp?id=1", "g.asp.htm?id=1"},
        {"http://h:82/y.css", "../../h%253a82/y.css"},
        {"http://elsewhere/", "../../elsewhere/index.html"},
        {"javascript:go()", "javascript:go()"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(links().Rewrite(c.link), c.expected) << c.link;
}

TEST_F(PageLinksMap, a_base_sets_what_links_resolve_against)
{
    const Case cases[] = {
        {"i.png", "../../o/base/i.png"},
        {"other.png", "../../o/base/other.png"},
        {"/news/", "../../o/news/index.html"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(links("http://o/base/").Rewrite(c.link), c.expected) << c.link;
    EXPECT_EQ(links("../shop/").Rewrite("item.php?id=7"), "../shop/item.htm");
    // Without an address the base still counts, against the page's location.
    PageLinks plain = PageLinks::ForExport("h/d/", "index.html");
    plain.SetBase("/up/");
    plain.SetBase("/ignored/");
    EXPECT_EQ(plain.Rewrite("a.htm"), "../up/a.htm");
}

TEST(PageLinksImport, links_into_another_host_folder_become_web_links_to_that_host)
{
    const std::set<std::string, std::less<>> hosts = {"h", "h%3a81", "o"};
    const PageLinks links = PageLinks::ForImport("/x/Export", "h/d/p.htm", &hosts);
    const Case cases[] = {
        {"../../h%253a81/a.htm#f", "http://h:81/a.htm#f"},
        {"../../o/i.png?v=1", "http://o/i.png?v=1"},
        {"../../o", "../../o"},
        {"../a.htm", "../a.htm"},
        {"../../h/b.htm", "../../h/b.htm"},
        {"../../elsewhere/c.htm", "../../elsewhere/c.htm"},
        {"file:///x/Export/o/d.htm", "http://o/d.htm"},
        {"//o/e.htm", "//o/e.htm"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(links.Rewrite(c.link), c.expected) << c.link;
}

} // namespace
