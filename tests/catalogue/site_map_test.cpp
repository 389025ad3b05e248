#include "catalogue/site_map.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using larkspool::CanonicalUrl;

struct Case {
    const char* url;
    const char* expected;
};

TEST(SiteMap, compares_urls_in_one_canonical_form)
{
    const Case cases[] = {
        {"HTTP://Host.Example/A.htm", "http://host.example/A.htm"},
        {"http://h:80/a", "http://h/a"},
        {"https://h:443/a", "https://h/a"},
        {"http://h:443/a", "http://h:443/a"},
        {"http://h:/a", "http://h/a"},
        {"http://h", "http://h/"},
        {"http://h?q", "http://h/?q"},
        {"http://h/%7euser/%41%2f%2F%3a", "http://h/~user/A%2F%2F%3A"},
        {"http://h/a?x=%41&y=%2b", "http://h/a?x=A&y=%2B"},
        {"http://h/news/#latest", "http://h/news/"},
        {"http://User@H:8080/p", "http://User@h:8080/p"},
        {"http://[::1]:80/p", "http://[::1]/p"},
        {"http://[::1]/p", "http://[::1]/p"},
        {"http://h/100%", "http://h/100%"},
        {"mailto:x@h", "mailto:x@h"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CanonicalUrl(c.url), c.expected) << c.url;
}

TEST(SiteMap, finds_the_file_written_for_any_spelling_of_an_entrys_url)
{
    std::vector<std::unique_ptr<larkspool::TCacheEntry>> records;
    std::vector<larkspool::TCacheEntry*> entries;
    for (const auto& [url, sitePath] : {std::pair{"http://h/shop/item.php?id=7", "h/shop/item.htm"},
                                        {"http://h/t.php?id=2", "h/t(1).php"},
                                        {"http://h:8771/a%20b.gif", "h%3a8771/a b.gif"},
                                        {"http://H/t.php?id=2", "h/t(2).php"}}) {
        records.push_back(std::make_unique<larkspool::TCacheEntry>());
        records.back()->SourceUrl = url;
        records.back()->SitePath = sitePath;
        entries.push_back(records.back().get());
    }
    const larkspool::SiteMap map(entries);
    const Case cases[] = {
        {"http://h/shop/item.php?id=7", "h/shop/item.htm"},
        {"HTTP://H:80/shop/item.php?id=7", "h/shop/item.htm"},
        {"http://h/t.php?id=2", "h/t(1).php"},
        {"http://h:8771/a%20b.gif", "h%3a8771/a b.gif"},
    };

    for (const Case& c : cases) {
        const std::string* found = map.SitePathOf(c.url);
        ASSERT_TRUE(found) << c.url;
        EXPECT_EQ(*found, c.expected) << c.url;
    }
    EXPECT_EQ(map.SitePathOf("http://h/shop/item.php?id=8"), nullptr);
    EXPECT_EQ(map.SitePathOf("http://h/shop/item.php"), nullptr);
    EXPECT_EQ(map.Size(), 3u);
}

} // namespace
