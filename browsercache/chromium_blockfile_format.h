// The layout of Chromium's "blockfile" disk cache (the format Chromium uses
// on Windows), versions 2.0, 2.1 and 3.0. All numbers are little-endian.
//
// index                                      offset  size
//   magic 0xC103CAC3                            0x00    4
//   version (0x20000, 0x20001, 0x30000)         0x04    4
//   entry count                                 0x08    4
//   total size (2.x)                            0x0C    4
//   table length (0: 0x10000)                   0x1C    4
//   total size (3.0)                            0x30    8
//   LRU data and padding                               to 0x170
//   hash table of cache addresses               0x170   4 x table length
//
// data_N (block files)                       offset  size
//   magic 0xC104CAC3, version, file number...   0x00    header of 8192
//   allocation bitmap                           0x50    to the header's end
//   block n                                     8192 + n x block size
//
// Cache address (32 bits): bit 31 set when in use; bits 28-30 file type:
//   0 external file "f_%06x" numbered by bits 0-27;
//   1 rankings (36-byte blocks), 2 256-byte, 3 1 KiB, 4 4 KiB blocks: then
//   bits 16-23 name the block file data_N, bits 24-25 hold the block count
//   less one, bits 0-15 the first block.
//
// Entry (256-byte blocks, up to four)       offset  size
//   hash, next entry in the bucket              0x00    4 + 4 (address)
//   rankings node                               0x08    4 (address)
//   reuse count, refetch count, state           0x0C    3 x 4   state 0: in use
//   creation time                               0x18    8       microseconds since 1601
//   key length, long key                        0x20    4 + 4 (address, 0: key inline)
//   stream sizes                                0x28    4 x 4
//   stream addresses                            0x38    4 x 4   0: response record, 1: body
//   flags, padding, self hash                   0x48    4 + 16 + 4      flags: 1 parent, 2 child
//   key, NUL-ended, over the entry's blocks     0x60    to the entry's end
//                                                               of a sparse body
//
// A body fetched by byte ranges (media) is kept in child entries of 1 MiB
// each, keyed "Range_<parent key>:<signature hex>:<child number hex>"; the
// parent's stream 1 is empty.
// Sparse header (stream 2 of parent and child)  offset  size
//   signature (the parent's, in each child)        0x00    8
//   magic (the index's, 0xC103CAC3)                0x08    4
//   parent key length                              0x0C    4
//   last block, its length (child: a 1 KiB         0x10    4 + 4
//   block filled only this far)
//   padding                                        0x18    40
//   bitmap (32-bit little-endian words)            0x40    parent: of its children, 4 to 8192 bytes;
//                                                          child: of its full 1 KiB blocks, 128 bytes
// A child's stream 1 holds its bytes at their offset within its 1 MiB.
//
// Rankings node (36 bytes): last used (8), last modified (8), next, prev,
// contents (entry address), dirty, self hash.
#pragma once

#include <cstdint>
#include <string>

namespace larkspool::browsercache::blockfile {

inline constexpr std::uint32_t kIndexMagic = 0xC103CAC3;
inline constexpr std::uint32_t kBlockFileMagic = 0xC104CAC3;
inline constexpr std::uint32_t kIndexTableOffset = 0x170;
inline constexpr std::uint32_t kDefaultTableLength = 0x10000;
// Chromium sizes the table by the cache's size limit, up to 16 times the
// default (4 MiB of addresses); a longer one is damage.
inline constexpr std::uint32_t kMaxTableLength = 16 * kDefaultTableLength;
// 2.1 only counts entries for another eviction scheme and 3.0 only widens the
// total size: the hash table, entries and blocks are the same in all three.
inline constexpr std::uint32_t kKnownVersions[] = {0x20000, 0x20001, 0x30000};
inline constexpr std::uint64_t kBlockFileHeaderSize = 8192;
// The block file header's allocation bitmap: bit n (of 32-bit little-endian
// words) set while block n is in use.
inline constexpr std::uint32_t kAllocationMapOffset = 80;
inline constexpr std::uint32_t kMaxBlocks = (kBlockFileHeaderSize - kAllocationMapOffset) * 8;
inline constexpr std::uint32_t kRankingsContentsOffset = 24;
inline constexpr std::uint32_t kEntryBlockSize = 256;
inline constexpr std::uint32_t kEntryKeyOffset = 0x60;
inline constexpr std::uint32_t kRankingsSize = 36;
inline constexpr std::uint32_t kEntryFlagsOffset = 0x48;
inline constexpr std::uint32_t kParentEntry = 1;
inline constexpr std::uint32_t kChildEntry = 2;
inline constexpr std::uint32_t kSparseHeaderSize = 0x40;
inline constexpr std::uint32_t kMaxChildrenMapSize = 8192;
inline constexpr std::uint32_t kChildMapSize = 128;
inline constexpr std::uint32_t kSparseBlockSize = 1024;
inline constexpr unsigned kChildEntryBits = 20; // a child holds 1 MiB

struct CacheAddress {
    std::uint32_t value = 0;

    bool IsInitialized() const { return (value & 0x80000000u) != 0; }
    std::uint32_t FileType() const { return (value >> 28) & 7; }
    bool IsExternal() const { return FileType() == 0; }
    std::uint32_t ExternalNumber() const { return value & 0x0FFFFFFFu; }
    std::uint32_t BlockFileNumber() const { return (value >> 16) & 0xFF; }
    std::uint32_t BlockCount() const { return ((value >> 24) & 3) + 1; }
    std::uint32_t FirstBlock() const { return value & 0xFFFF; }
    // 0 for the types version 2 does not use.
    std::uint32_t BlockSize() const
    {
        switch (FileType()) {
        case 1: return kRankingsSize;
        case 2: return 256;
        case 3: return 1024;
        case 4: return 4096;
        default: return 0;
        }
    }
    // The file the address points into: "data_N" or "f_XXXXXX".
    std::string FileName() const;
    // Where the address's bytes start in that file.
    std::uint64_t Offset() const
    {
        return IsExternal() ? 0 : kBlockFileHeaderSize + std::uint64_t(FirstBlock()) * BlockSize();
    }
    // How many bytes the address can hold; unbounded for external files.
    std::uint64_t Capacity() const { return IsExternal() ? UINT64_MAX : std::uint64_t(BlockCount()) * BlockSize(); }
};

} // namespace larkspool::browsercache::blockfile
