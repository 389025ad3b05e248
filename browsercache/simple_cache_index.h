// The simple cache's index (index-dir/the-real-index), read only for each
// entry's last-use time: Chromium keeps that there, not in the entry file.
// A pickle whose header holds the payload size and the payload's CRC-32:
//
//   magic            uint64  0x656e74657220796f
//   version          uint32  7 to 9 read here
//   entry count      uint64
//   cache size       uint64
//   write reason     uint32  version 7 and later
//   entries          count x { hash uint64, last used int64 (microseconds
//                    since 1601), size uint64 }
//
// The index may lag behind the entry files; entries missing from it (or a
// damaged index) fall back to the entry file's modification time.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>

namespace larkspool::browsercache {

// Entry hash (as in the entry's file name) to last use in FILETIME ticks;
// empty when the bytes are not an index this reader knows.
std::unordered_map<std::uint64_t, std::uint64_t> ReadSimpleIndexLastUse(std::string_view bytes);

} // namespace larkspool::browsercache
