// CRC-32 as zlib computes it (reflected, polynomial 0xEDB88320), the checksum
// Chromium stores for each stream of a simple-cache entry and its index.
#pragma once

#include <cstdint>
#include <string_view>

namespace larkspool::browsercache {

// Continues crc over bytes; start with 0.
std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc = 0);

} // namespace larkspool::browsercache
