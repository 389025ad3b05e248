// The index key replay tools look a URL up by.
#include "archive/surt.h"

#include <gtest/gtest.h>

namespace {

struct SurtCase {
    const char* url;
    const char* key;
};

class Surt : public ::testing::TestWithParam<SurtCase> {};

TEST_P(Surt, reverses_the_host_and_sorts_the_query)
{
    EXPECT_EQ(larkspool::archive::SurtKey(GetParam().url), GetParam().key);
}

INSTANTIATE_TEST_SUITE_P(Examples, Surt,
                         ::testing::Values(SurtCase{"https://www.Example.com/a/B?z=1&a=2#top", "com,example)/a/b?a=2&z=1"},
                                           SurtCase{"http://example.com:8080/", "com,example:8080)/"},
                                           SurtCase{"https://example.com:443/x", "com,example)/x"},
                                           SurtCase{"http://example.com:443/x", "com,example:443)/x"},
                                           SurtCase{"http://127.0.0.1/x", "1,0,0,127)/x"},
                                           SurtCase{"http://user:pw@example.com", "com,example)/"},
                                           SurtCase{"http://[::1]:8080/p", "[::1]:8080)/p"},
                                           SurtCase{"http://a.example/?", "example,a)/?"},
                                           SurtCase{"http://a.example/p?b&a=1&a=0", "example,a)/p?a=0&a=1&b"}));

} // namespace
