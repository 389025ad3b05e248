// The URL inside each form of key the browsers write.
#include "browsercache/cache_key_url.h"
#include "tests/support/row_number.h"

#include <gtest/gtest.h>

namespace {

using larkspool::browsercache::UrlFromChromiumKey;
using larkspool::browsercache::UrlFromFirefoxKey;

struct KeyRow {
    const char* key;
    const char* url;
};

class ChromiumKey : public ::testing::TestWithParam<KeyRow> {};
class FirefoxKey : public ::testing::TestWithParam<KeyRow> {};

TEST_P(ChromiumKey, names_the_url_after_the_isolation_parts)
{
    EXPECT_EQ(UrlFromChromiumKey(GetParam().key), GetParam().url);
}

TEST_P(FirefoxKey, names_the_url_after_the_tags)
{
    EXPECT_EQ(UrlFromFirefoxKey(GetParam().key), GetParam().url);
}

INSTANTIATE_TEST_SUITE_P(Rows, ChromiumKey, ::testing::Values(
    KeyRow{"1/0/_dk_http://127.0.0.1 http://127.0.0.1 http://127.0.0.1:8765/index.html", "http://127.0.0.1:8765/index.html"},
    KeyRow{"1/0/https://a.example/x", "https://a.example/x"},
    KeyRow{"0/https://a.example/x", "https://a.example/x"},
    KeyRow{"http://tools.google.com/chrome/intl/en/welcome.html", "http://tools.google.com/chrome/intl/en/welcome.html"},
    KeyRow{"_dk_s_https://a https://a https://a/b.js", "https://a/b.js"},
    KeyRow{"1/0/", ""},
    KeyRow{"chrome-extension://abc/x", ""},
    KeyRow{"12/", ""},
    KeyRow{"", ""}),
                         larkspool::testing::RowNumber());

INSTANTIATE_TEST_SUITE_P(Rows, FirefoxKey, ::testing::Values(
    KeyRow{":https://a.example/x", "https://a.example/x"},
    KeyRow{"a,:https://a.example/x,y", "https://a.example/x,y"},
    KeyRow{"O^partitionKey=%28http%2C127.0.0.1%29,:http://127.0.0.1:8765/index.html", "http://127.0.0.1:8765/index.html"},
    KeyRow{"a,~1610000000,:http://a.example/post", "http://a.example/post"},
    KeyRow{"~predictor-origin,:https://www.mozilla.org/", ""},
    KeyRow{"predictor::https://www.mozilla.org/", ""},
    KeyRow{":moz-extension://abc/x", ""},
    KeyRow{"a,O^x", ""},
    KeyRow{"", ""}),
                         larkspool::testing::RowNumber());

} // namespace
