// Chromium's record of one response (stream 0 of every HTTP cache entry, in
// both of its disk formats): a pickle of
//
//   flags            int32   low 8 bits: version (1 to 3); bit 31: extra flags follow
//   extra flags      int32   only with bit 31; bit 2: an original response time follows
//   request time     int64   microseconds since 1601-01-01 UTC
//   response time    int64   likewise
//   original time    int64   only with extra flag bit 2
//   raw headers      string  status line and header lines, each ended by NUL, then a NUL
//   ...                      certificates, vary data, address: not read here
#pragma once

#include "browsercache/browser_cache_record.h"

#include <string>
#include <string_view>

namespace larkspool::browsercache {

// Sets the record's response head, request and response times (and its
// entry time to the response time) from the stream's bytes; returns the
// reason when they are not a response record. An empty stream is no
// record, and no error: the record keeps no head.
std::string ReadResponseInfo(std::string_view stream, BrowserCacheRecord& record);

} // namespace larkspool::browsercache
