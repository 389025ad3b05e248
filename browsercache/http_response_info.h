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

#include <cstdint>
#include <string>
#include <string_view>

namespace larkspool::browsercache {

struct ResponseInfo {
    std::string head;               // "\r\n"-ended lines
    std::uint64_t requestTime = 0;  // FILETIME ticks
    std::uint64_t responseTime = 0; // FILETIME ticks
};

// Reads info from the stream's bytes; returns the reason when they are not one.
std::string ReadResponseInfo(std::string_view stream, ResponseInfo& info);

} // namespace larkspool::browsercache
