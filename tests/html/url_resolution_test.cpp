#include "html/url_resolution.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* link;
    const char* expected;
};

TEST(UrlResolution, resolves_links_as_a_browser_does)
{
    // RFC 3986 section 5.4's own examples, and the cases the export meets.
    const Case cases[] = {
        {"g", "http://a/b/c/g"},           {"./g", "http://a/b/c/g"},
        {"g/", "http://a/b/c/g/"},         {"/g", "http://a/g"},
        {"//g", "http://g"},               {"?y", "http://a/b/c/d;p?y"},
        {"g?y", "http://a/b/c/g?y"},       {"#s", "http://a/b/c/d;p?q#s"},
        {"g#s", "http://a/b/c/g#s"},       {"", "http://a/b/c/d;p?q"},
        {".", "http://a/b/c/"},            {"..", "http://a/b/"},
        {"../g", "http://a/b/g"},          {"../../../g", "http://a/g"},
        {"/./g", "http://a/g"},            {"g.", "http://a/b/c/g."},
        {"./../g", "http://a/b/g"},        {"g/../h", "http://a/b/c/h"},
        {"g;x=1/../y", "http://a/b/c/y"},  {"https://o:81/x", "https://o:81/x"},
        {"mailto:me@a", "mailto:me@a"},    {"//o:81/p/../q?z#f", "http://o:81/q?z#f"},
        {"\x83\x5C/x.gif", "http://a/b/c/\x83\x5C/x.gif"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(larkspool::ResolveUrl("http://a/b/c/d;p?q", c.link), c.expected) << c.link;
    EXPECT_EQ(larkspool::ResolveUrl("http://a", "x"), "http://a/x");
}

TEST(UrlResolution, a_scheme_is_a_letter_then_scheme_bytes_up_to_a_colon)
{
    for (const char* link : {"http:", "a+b-c.d:x", "HTTPS://x", "javascript:void(0)"})
        EXPECT_TRUE(larkspool::HasScheme(link)) << link;
    for (const char* link : {"", ":x", "1a:x", "a b:x", "/a:b", "a", "c%3a"})
        EXPECT_FALSE(larkspool::HasScheme(link)) << link;
}

} // namespace
