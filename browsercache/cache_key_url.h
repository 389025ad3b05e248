// The URL a browser's cache key names, without the isolation and
// partitioning the browser puts in front of it. Empty when the key names no
// http or https URL (predictor, code-cache and other internal entries).
//
//   Chromium  1/0/_dk_http://a http://a http://a:8765/i.html  -> http://a:8765/i.html
//             1/0/https://a/x                                  -> https://a/x
//             http://tools.google.com/chrome/                  -> http://tools.google.com/chrome/
//   Firefox   :https://a/x                                     -> https://a/x
//             a,:https://a/x                                   -> https://a/x
//             O^partitionKey=%28http%2C127.0.0.1%29,:http://a/ -> http://a/
//             ~predictor-origin,:https://a/                    -> (empty: the predictor's)
//             predictor::https://a/                            -> (empty)
//   Firefox 3 to 31
//             HTTP:http://a/x                                  -> http://a/x
//             HTTP:id=5b6160c9&uri=http://a/                   -> http://a/   (a POST's answer)
#pragma once

#include <string>
#include <string_view>

namespace larkspool::browsercache {

std::string UrlFromChromiumKey(std::string_view key);
// The key without its "credentials/upload-id/" prefixes ("1/0/").
std::string_view WithoutChromiumKeyPrefixes(std::string_view key);
std::string UrlFromFirefoxKey(std::string_view key);
// The first Firefox cache: "CLIENT:" and the URL, or "id=N&uri=" and the URL.
std::string UrlFromFirefoxCache1Key(std::string_view key);

} // namespace larkspool::browsercache
