#include "cache/url_escapes.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* in;
    const char* out;
};

TEST(UrlEscapes, decodes_escapes_and_leaves_broken_ones)
{
    const Case cases[] = {
        {"host%3a8080/a%20b/c.gif", "host:8080/a b/c.gif"},
        {"a%3Fb", "a?b"},
        {"100%", "100%"},
        {"%4", "%4"},
        {"%zz%41", "%zzA"},
        {"%%41", "%A"},
        // The neighbours of each digit range are no digits.
        {"%/0%:0%@0%G0%`0%g0%0/", "%/0%:0%@0%G0%`0%g0%0/"},
        {"%fF%Af%09", "\xff\xaf\t"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(larkspool::DecodePercentEscapes(c.in), c.out) << c.in;
}

TEST(UrlEscapes, decodes_nul_and_high_bytes)
{
    EXPECT_EQ(larkspool::DecodePercentEscapes("a%00b%82%a0"), std::string("a\0b\x82\xa0", 5));
}

} // namespace
