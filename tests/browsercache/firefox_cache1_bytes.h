// A Firefox cache of the first format laid out as Firefox lays it out, for
// the reader's tests and the fuzzer's seeds: each body in _CACHE_001_
// followed by its metadata, both marked in the bitmap, and a clean map
// naming both.
#pragma once

#include "browsercache/firefox_cache1_format.h"
#include "browsercache/firefox_hash.h"

#include <cstdint>
#include <string>
#include <vector>

namespace larkspool::testing {

inline std::string Be32Bytes(std::uint32_t value)
{
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

struct Cache1Item {
    std::string key;
    std::string head; // "HTTP/1.1 200 OK\r\n..."
    std::string body;
};

inline std::string Cache1EntryBytes(const Cache1Item& item, std::uint32_t lastModified = 1533108424)
{
    const std::string elements = std::string("request-method\0GET\0response-head\0", 33) + item.head + '\0';
    return Be32Bytes(0x00010013) + Be32Bytes(0) + Be32Bytes(1) + Be32Bytes(lastModified) + Be32Bytes(lastModified) +
           Be32Bytes(0) + Be32Bytes(std::uint32_t(item.body.size())) + Be32Bytes(std::uint32_t(item.key.size() + 1)) +
           Be32Bytes(std::uint32_t(elements.size())) + item.key + '\0' + elements;
}

struct Cache1Bytes {
    std::string map;
    std::string blocks1; // _CACHE_001_
};

// Bodies must fit four 256-byte blocks, as must the metadata.
inline Cache1Bytes MakeCache1(const std::vector<Cache1Item>& items)
{
    using namespace browsercache::cache1;
    constexpr std::uint32_t kRecords = 512;
    std::string bitmap(BitmapSize(1), '\0');
    std::string blocks;
    std::vector<std::string> buckets(kBuckets);
    std::uint32_t usage[kBuckets] = {};
    auto place = [&](const std::string& bytes) {
        const std::uint32_t first = std::uint32_t(blocks.size() / 256);
        const std::uint32_t count = std::uint32_t((bytes.size() + 255) / 256);
        blocks += bytes + std::string(count * 256 - bytes.size(), '\0');
        for (std::uint32_t block = first; block < first + count; ++block)
            bitmap[block / 32 * 4 + 3 - block % 32 / 8] |= char(1 << (block % 8));
        return 0x80000000u | 1u << 28 | (count - 1) << 24 | first;
    };
    for (const Cache1Item& item : items) {
        const std::uint32_t hash = browsercache::FirefoxHash(item.key);
        const std::uint32_t data = item.body.empty() ? 0 : place(item.body);
        const std::uint32_t meta = place(Cache1EntryBytes(item));
        buckets[hash % kBuckets] += Be32Bytes(hash) + Be32Bytes(1) + Be32Bytes(data) + Be32Bytes(meta);
        ++usage[hash % kBuckets];
    }
    Cache1Bytes cache;
    cache.map = Be32Bytes(0x00010013) + Be32Bytes(0) + Be32Bytes(std::uint32_t(items.size())) + Be32Bytes(0) +
                Be32Bytes(kRecords) + std::string(kBuckets * 4, '\0');
    for (const std::uint32_t used : usage)
        cache.map += Be32Bytes(used);
    for (std::string& bucket : buckets)
        cache.map += bucket + std::string((kRecords / kBuckets) * kMapRecordSize - bucket.size(), '\0');
    cache.blocks1 = bitmap + blocks;
    return cache;
}

} // namespace larkspool::testing
