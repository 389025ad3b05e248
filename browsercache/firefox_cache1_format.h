// Firefox's first disk cache (Firefox 3 to 31): a map of records, three
// block files and separate files for what is too large for them. Every
// number is big-endian.
//
// _CACHE_MAP_                                  offset        size
//   version, data size (KiB), entry count,     0             5 x 4
//     dirty flag, record count
//   eviction rank of each bucket               20            32 x 4
//   records in use in each bucket              148           32 x 4
//   records: bucket after bucket, each of      276           record count x 16
//     record count / 32 records, the first
//     "in use" of them filled
//
// Map record: hash of the key, eviction rank, data location, metadata
// location (4 bytes each).
//
// Location word
//   bit 31       set: the location is in use
//   bits 28-29   file: 0 a separate file, 1..3 _CACHE_001_.._CACHE_003_
//   bits 24-25   block file: blocks used less one
//   bits 0-23    block file: first block
//   bits 0-7     separate file: generation
//
// Block file _CACHE_00N_: a bitmap of its blocks (bit b of big-endian word
// b / 32 set: block b in use), then the blocks.
//   file   block size   bitmap
//   1      256          16 KiB
//   2      1 KiB        4 KiB
//   3      4 KiB        1 KiB
//
// Separate file of key hash H (hex digits, upper case):
//   <H[0]>/<H[1..2]>/<H[3..7]><d for data, m for metadata><generation, 2 digits>
//
// Metadata entry (in a block file or a separate file)  offset  size
//   version (major 1 in the upper half)                0       4
//   its own location, fetch count                      4       2 x 4
//   last fetched, last modified, expiration            12      3 x 4   seconds since 1970
//   data size, key size (with its NUL), elements size  24      3 x 4
//   key, NUL                                           36      key size
//   elements: name NUL value NUL ...                   36 + k  elements size
//
// Elements of note: "response-head" (status line and headers, "\r\n"
// separated) and "request-method".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace larkspool::browsercache::cache1 {

inline constexpr std::size_t kMapHeaderSize = 276;
inline constexpr std::size_t kMapRecordSize = 16;
inline constexpr std::uint32_t kBuckets = 32;
inline constexpr int kBlockFiles = 3;
inline constexpr std::size_t kEntryHeaderSize = 36;
// A metadata entry or a body in a block file takes at most this many blocks.
inline constexpr std::uint32_t kMaxBlocksPerItem = 4;

struct MapHeader {
    std::uint32_t version = 0;
    std::uint32_t entryCount = 0;
    bool dirty = false;
    std::uint32_t recordCount = 0;
    std::uint32_t bucketUsage[kBuckets] = {};
};

struct MapRecord {
    std::uint32_t hash = 0;
    std::uint32_t dataLocation = 0;
    std::uint32_t metaLocation = 0;
};

struct Location {
    bool inUse = false;
    int file = 0; // 0 a separate file, 1..3 a block file
    std::uint32_t firstBlock = 0;
    std::uint32_t blockCount = 0;
    std::uint32_t generation = 0;
};

struct Entry {
    std::uint32_t version = 0;
    std::uint32_t fetchCount = 0;
    std::uint32_t lastFetched = 0;
    std::uint32_t lastModified = 0;
    std::uint32_t expiration = 0;
    std::uint32_t dataSize = 0;
    std::string_view key; // without its NUL
    std::string_view elements;
    std::size_t size = 0; // header, key and elements
};

// nullopt when bytes are shorter than the header.
std::optional<MapHeader> ReadMapHeader(std::string_view bytes);
// Record index of bytes laid out as the map's records (the header removed).
MapRecord ReadMapRecord(std::string_view records, std::size_t index);
Location DecodeLocation(std::uint32_t word);

std::uint32_t BlockSize(int file);
std::uint64_t BitmapSize(int file);
std::uint64_t MaxBlocks(int file);
const char* BlockFileName(int file);
// The block file Firefox keeps an item of size bytes in; 0 a separate file.
int BlockFileFor(std::uint64_t size);
// Whether the bitmap marks blocks [first, first + count) all in use.
bool BlocksInUse(std::string_view bitmap, std::uint32_t first, std::uint32_t count);

// "3/3D/ED165d01" for hash 0x33DED165, data, generation 1.
std::string SeparateFileName(std::uint32_t hash, bool data, std::uint32_t generation);

// What a separate file's name tells, the inverse of SeparateFileName; none
// for any other name.
struct SeparateFile {
    std::uint32_t hash = 0;
    bool data = false;
    std::uint32_t generation = 0;
};
std::optional<SeparateFile> ParseSeparateFileName(std::string_view name);

// The entry at the start of bytes, or why it is none.
struct EntryResult {
    std::optional<Entry> entry;
    std::string error;
};
EntryResult ReadEntry(std::string_view bytes);
// The value of element name in elements ReadEntry accepted.
std::optional<std::string_view> ElementValue(std::string_view elements, std::string_view name);

} // namespace larkspool::browsercache::cache1
