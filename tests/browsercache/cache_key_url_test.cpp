// The URL inside each form of key the browsers write.
#include "browsercache/cache_key_url.h"
#include "tests/support/row_number.h"

#include <gtest/gtest.h>

namespace {

using larkspool::browsercache::UrlFromChromiumKey;
using larkspool::browsercache::UrlFromFirefoxCache1Key;
using larkspool::browsercache::UrlFromFirefoxKey;

struct KeyRow {
    const char* key;
    const char* url;
};

class ChromiumKey : public ::testing::TestWithParam<KeyRow> {};
class FirefoxKey : public ::testing::TestWithParam<KeyRow> {};
class FirefoxCache1Key : public ::testing::TestWithParam<KeyRow> {};

TEST_P(ChromiumKey, names_the_url_after_the_isolation_parts)
{
    EXPECT_EQ(UrlFromChromiumKey(GetParam().key), GetParam().url);
}

TEST_P(FirefoxCache1Key, names_the_url_after_the_client_and_the_post_id)
{
    EXPECT_EQ(UrlFromFirefoxCache1Key(GetParam().key), GetParam().url);
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

INSTANTIATE_TEST_SUITE_P(Rows, FirefoxCache1Key, ::testing::Values(
    KeyRow{"HTTP:http://www.google.com/images/nav_logo229.png", "http://www.google.com/images/nav_logo229.png"},
    KeyRow{"HTTP:id=5b6160c9&uri=http://ocsp.digicert.com/", "http://ocsp.digicert.com/"},
    KeyRow{"HTTP:http://a.example/?id=1&uri=http://b/", "http://a.example/?id=1&uri=http://b/"},
    KeyRow{"HTTP-memory-only:https://a.example/x", "https://a.example/x"},
    KeyRow{"HTTP:id=5&uri=", ""},
    KeyRow{"wyciwyg:wyciwyg://0/http://a.example/", ""},
    KeyRow{"http://a.example/", ""},
    KeyRow{"", ""}),
                         larkspool::testing::RowNumber());

} // namespace
