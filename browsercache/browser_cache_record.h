// One entry of a browser's own cache (Chromium simple, blockfile or CacheStorage, Firefox
// cache1 or cache2, WebKit) as its format reader finds it, before anything is decoded. The
// readers only locate bytes; the read-only URL cache over them decodes bodies
// on demand, so listing a large cache copies nothing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace larkspool::browsercache {

// One stored piece of a body the browser fetched by byte ranges (Chromium's
// sparse data): length bytes at fileOffset in file are the body's bytes from
// bodyOffset on.
struct BodyPiece {
    std::filesystem::path file;
    std::uint64_t fileOffset = 0;
    std::uint64_t bodyOffset = 0;
    std::uint64_t length = 0;
    std::optional<std::uint32_t> crc32; // of the piece's bytes, where the format kept one
};

// Where an entry's stored body lies: length bytes from offset in file. The
// bytes are as the browser stored them (still Content-Encoded, unless decoded).
struct BodyLocation {
    std::filesystem::path file;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    bool hasCrc32 = false; // the format stored a CRC-32 of these bytes (Chromium simple cache)
    std::uint32_t crc32 = 0;
    // The cache folder file lies below, opened by the rule of inside_cache.h;
    // empty: the file's own folder.
    std::filesystem::path cacheFolder{};
    // The browser stored the body as its network layer handed it over, the
    // Content-Encoding the head names already undone (WebKit, CacheStorage):
    // passed through.
    bool decoded = false;
    // Not empty: the body is kept in these pieces, ordered and apart, each at
    // its own offset and zeros between them up to length; offset and the
    // CRC-32 above are then unused.
    std::vector<BodyPiece> pieces{};
};

// The bytes of the body the cache holds: all of them but for a body kept in
// pieces with gaps.
std::uint64_t HeldBytes(const BodyLocation& body);

// How many bytes a body decodes to, as far as it was counted.
struct DecodedSize {
    std::uint64_t bytes = 0;
    bool atLeast = false; // counting stopped at a limit: the body is larger
};

// A listing decodes at most this much of one body to learn its size: a few
// hundred stored bytes may decode to gigabytes, and a page is far smaller.
inline constexpr std::uint64_t kListedDecodeLimit = 8 * 1024 * 1024;

// The most bytes one decoded body may have unless the user raises it: a
// body made to blow up stops there rather than when the disk is full.
inline constexpr std::uint64_t kDefaultMaxBodySize = std::uint64_t(4) << 30;

struct BrowserCacheRecord {
    std::string key;          // the cache key, byte for byte as stored
    std::string url;          // the URL the key names, isolation prefixes removed; empty when the key names none
    std::string responseHead; // status line and header lines, each ended by "\r\n"; empty when none was stored
    BodyLocation body;
    std::uint64_t entryTime = 0;  // FILETIME ticks (UTC) the browser last wrote the entry; 0 unknown
    std::uint64_t accessTime = 0; // FILETIME ticks (UTC) of the last use; 0 unknown
    std::uint64_t requestTime = 0;  // FILETIME ticks (UTC) the request was sent, as the browser kept it; 0 unknown
    std::uint64_t responseTime = 0; // FILETIME ticks (UTC) the response head arrived; 0 unknown
    std::string serverAddress;    // the server's IP address, where the browser kept it
    std::string partition;        // the top-frame site, where the format keeps it apart from the key (WebKit);
                                  // CacheStorage: the cache's name
    std::string error;            // not empty: the entry cannot be read, and why in one line
    bool recovered = false; // where the browser keeps what it has deleted (cache2's doomed/), not a live entry
    // The decoded body's size, counted (up to kListedDecodeLimit) while the
    // entry's bytes were read anyway; unset: counted when first needed
    // (which then names a fault).
    std::optional<DecodedSize> decodedSize;
};

enum class BrowserCacheFormat { ChromiumSimple, ChromiumBlockfile, ChromiumCacheStorage, FirefoxCache1, FirefoxCache2, WebKit };

struct BrowserCacheScan {
    BrowserCacheFormat format = BrowserCacheFormat::ChromiumSimple;
    std::vector<BrowserCacheRecord> records; // in the cache's own order
    std::string error;                       // not empty: the cache as a whole cannot be read, and why
    std::filesystem::path folder;            // the cache folder read, whose files are never written
};

} // namespace larkspool::browsercache
