// The site a browser partitioned an entry under, taken from its cache key:
// the top-frame site, so that a report can tell the same URL fetched inside
// two sites apart. Empty when the key carries none.
//
//   Chromium  1/0/_dk_http://a http://b http://c/i.html         -> http://a
//             1/0/_dk__cn_https://a https://b https://c/x       -> https://a
//             1/0/https://a/x                                   -> (empty)
//   Firefox   O^partitionKey=%28http%2C127.0.0.1%29,:http://a/  -> http://127.0.0.1
//             O^partitionKey=%28https%2Ca.org%2C8443%29,:...    -> https://a.org:8443
//             O^userContextId=2,:https://a/x                    -> userContextId=2
//             a,:https://a/x                                    -> (empty)
#pragma once

#include <string>
#include <string_view>

namespace larkspool::browsercache {

std::string PartitionFromChromiumKey(std::string_view key);
// A partitionKey as its site; other origin attributes as they stand.
std::string PartitionFromFirefoxKey(std::string_view key);

} // namespace larkspool::browsercache
