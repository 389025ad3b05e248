// The layout of index.dat, the MSIE cache file, in one place: offsets, sizes
// and flag values, the little-endian helpers every field goes through, and the
// raw decoding of one record into a parsed struct that owns its strings.
//
// All numbers are little-endian. The file is a 0x4000-byte header followed by
// 128-byte blocks; every record starts on a block and says how many it spans.
//
// Header                                     offset  size  meaning
//   signature "Client UrlCache MMF Ver 5.2"    0x00    28  or "WINE URLCache Ver 0.2012001"
//   file size                                  0x1C     4  = 0x4000 + capacity * 128
//   first hash table                           0x20     4  0 when there is none
//   capacity in blocks                         0x24     4  blocks after 0x4000
//   blocks in use                              0x28     4  set bits of the bitmap
//   cache limit / usage / exempt usage         0x30  3x 8  bytes of cached files
//   number of sub-folders                      0x48     4  at most 32
//   sub-folder table                           0x4C 32x12  files in it (4), name (8, no NUL)
//   header data                               0x1CC 33x 4  0x224 heads the LEAK list
//   allocation bitmap                         0x250 .0x4000 bit n (LSB first) = block n
//
// HASH table record (32 blocks)
//   "HASH", blocks                              0x00     8
//   next table                                  0x08     4  file offset, 0 at the end
//   sequence number                             0x0C     4  0 for the first table
//   slots                                       0x10  n x 8  key (4), record offset (4)
//   A slot key's low 6 bits are flags: 0 URL, 1 deleted, 2 locked, 3 free, 5 REDR;
//   key 3 or 1 exactly means an empty slot. WinINet puts a key into bucket
//   (key & 63) of 7 slots in the first table that has a free one.
//
// URL record ("URL " or, when its file could not be removed, "LEAK")
//   signature, blocks                           0x00     8
//   last modified (FILETIME)                    0x08     8
//   last access (FILETIME)                      0x10     8
//   expire (DOS date, DOS time)                 0x18     4
//   file size                                   0x20     8
//   exempt delta                                0x2C     4  LEAK: next LEAK record
//   URL offset                                  0x34     4  from the record's start
//   sub-folder index                            0x38     1  0xFE: no sub-folder
//   local file name offset                      0x3C     4  0: none
//   entry type                                  0x40     4
//   header info offset, size                    0x44     8
//   file extension offset                       0x4C     4
//   last sync (DOS date, DOS time)              0x50     4
//   hit rate, use count                         0x54     8
//   file write stamp (DOS date, DOS time)       0x5C     4  guards deleting a replaced file
//   strings from                                0x68        each NUL-terminated, 4-aligned
//
// REDR record (a URL that redirects; no file, no times)
//   signature, blocks                           0x00     8
//   hash key                                    0x0C     4
//   URL                                         0x10        NUL-terminated
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace larkspool::indexdat {

inline constexpr std::string_view kMsieSignature{"Client UrlCache MMF Ver 5.2"};
inline constexpr std::string_view kMsiePrefix{"Client UrlCache MMF Ver "};
inline constexpr std::string_view kWinePrefix{"WINE URLCache Ver "};
inline constexpr std::size_t kSignatureSize = 28;

inline constexpr std::uint32_t kFileSizeOffset = 0x1C;
inline constexpr std::uint32_t kHashTableOffset = 0x20;
inline constexpr std::uint32_t kCapacityOffset = 0x24;
inline constexpr std::uint32_t kBlocksInUseOffset = 0x28;
inline constexpr std::uint32_t kCacheLimitOffset = 0x30;
inline constexpr std::uint32_t kCacheUsageOffset = 0x38;
inline constexpr std::uint32_t kExemptUsageOffset = 0x40;
inline constexpr std::uint32_t kFolderCountOffset = 0x48;
inline constexpr std::uint32_t kFolderTableOffset = 0x4C;
inline constexpr std::uint32_t kFolderEntrySize = 12;
inline constexpr std::uint32_t kFolderNameSize = 8;
inline constexpr std::uint32_t kMaxFolders = 32;
inline constexpr std::uint32_t kLeakListOffset = 0x224;
inline constexpr std::uint32_t kBitmapOffset = 0x250;
inline constexpr std::uint32_t kBlocksStart = 0x4000;
inline constexpr std::uint32_t kBlockSize = 128;
inline constexpr std::uint32_t kMaxBlocks = (kBlocksStart - kBitmapOffset) * 8;
inline constexpr std::uint32_t kNewFileBlocks = 0x100;
inline constexpr std::uint64_t kDefaultCacheLimit = 0x07ff5400;

inline constexpr std::uint8_t kNoFolder = 0xFE;

inline constexpr std::uint32_t Signature(char a, char b, char c, char d)
{
    return std::uint32_t(std::uint8_t(a)) | std::uint32_t(std::uint8_t(b)) << 8 |
           std::uint32_t(std::uint8_t(c)) << 16 | std::uint32_t(std::uint8_t(d)) << 24;
}
inline constexpr std::uint32_t kUrlSignature = Signature('U', 'R', 'L', ' ');
inline constexpr std::uint32_t kRedrSignature = Signature('R', 'E', 'D', 'R');
inline constexpr std::uint32_t kLeakSignature = Signature('L', 'E', 'A', 'K');
inline constexpr std::uint32_t kHashSignature = Signature('H', 'A', 'S', 'H');
inline constexpr bool IsRecordSignature(std::uint32_t signature)
{
    return signature == kUrlSignature || signature == kLeakSignature || signature == kRedrSignature ||
           signature == kHashSignature;
}

// HASH table record.
inline constexpr std::uint32_t kHashNextOffset = 0x08;
inline constexpr std::uint32_t kHashIdOffset = 0x0C;
inline constexpr std::uint32_t kHashSlotsOffset = 0x10;
inline constexpr std::uint32_t kHashSlotSize = 8;
inline constexpr std::uint32_t kHashTableBlocks = 32;
inline constexpr std::uint32_t kHashSlotsUsed = 448; // WinINet places keys in these
inline constexpr std::uint32_t kHashBuckets = 64;
inline constexpr std::uint32_t kHashBucketSlots = kHashSlotsUsed / kHashBuckets;
inline constexpr std::uint32_t kHashFlagBits = 6;
inline constexpr std::uint32_t kSlotUrl = 0;
inline constexpr std::uint32_t kSlotDeleted = 1;
inline constexpr std::uint32_t kSlotFree = 3;

// URL record.
inline constexpr std::uint32_t kUrlModifiedOffset = 0x08;
inline constexpr std::uint32_t kUrlAccessOffset = 0x10;
inline constexpr std::uint32_t kUrlExpireOffset = 0x18;
inline constexpr std::uint32_t kUrlSizeOffset = 0x20;
inline constexpr std::uint32_t kUrlExemptOffset = 0x2C;
inline constexpr std::uint32_t kUrlUnknown60Offset = 0x30;
inline constexpr std::uint32_t kUrlUrlOffset = 0x34;
inline constexpr std::uint32_t kUrlFolderOffset = 0x38;
inline constexpr std::uint32_t kUrlUnknown1010Offset = 0x3A;
inline constexpr std::uint32_t kUrlFileNameOffset = 0x3C;
inline constexpr std::uint32_t kUrlTypeOffset = 0x40;
inline constexpr std::uint32_t kUrlHeaderOffset = 0x44;
inline constexpr std::uint32_t kUrlHeaderSizeOffset = 0x48;
inline constexpr std::uint32_t kUrlExtensionOffset = 0x4C;
inline constexpr std::uint32_t kUrlSyncOffset = 0x50;
inline constexpr std::uint32_t kUrlHitRateOffset = 0x54;
inline constexpr std::uint32_t kUrlUseCountOffset = 0x58;
inline constexpr std::uint32_t kUrlWriteStampOffset = 0x5C;
inline constexpr std::uint32_t kUrlFixedSize = 0x68;

// What WinINet writes in the URL record's fields of unknown meaning.
inline constexpr std::uint32_t kUnknownField60 = 0x60;
inline constexpr std::uint16_t kUnknownField1010 = 0x1010;

// REDR record.
inline constexpr std::uint32_t kRedrUrlOffset = 0x10;

// Little-endian access to a byte range; callers check bounds first.
inline std::uint32_t Load32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
inline std::uint64_t Load64(const std::uint8_t* p) { return Load32(p) | std::uint64_t(Load32(p + 4)) << 32; }
inline void Store16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}
inline void Store32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}
inline void Store64(std::uint8_t* p, std::uint64_t v)
{
    Store32(p, std::uint32_t(v));
    Store32(p + 4, std::uint32_t(v >> 32));
}

inline constexpr std::uint32_t Align4(std::uint32_t n) { return (n + 3u) & ~3u; }
inline constexpr std::uint64_t FileSizeFor(std::uint32_t blocks) { return kBlocksStart + std::uint64_t(blocks) * kBlockSize; }

// The key WinINet files a URL under (flag bits still zero).
std::uint32_t HashKey(std::string_view url);
inline std::uint32_t KeyBits(std::uint32_t key) { return key >> kHashFlagBits; }
inline bool SlotIsEmpty(std::uint32_t key) { return key == kSlotFree || key == kSlotDeleted; }

// One URL record as decoded; strings are copies, absent ones empty.
struct UrlRecord {
    std::uint32_t signature = kUrlSignature; // kLeakSignature and kRedrSignature only from ParseAnyRecord
    std::uint32_t offset = 0;
    std::uint32_t blocks = 0;
    std::uint64_t modified = 0;
    std::uint64_t accessed = 0;
    std::uint32_t expireDos = 0; // date in the low half, time in the high half
    std::uint64_t fileSize = 0;
    std::uint32_t exemptDelta = 0;
    std::uint8_t folder = kNoFolder;
    std::uint32_t entryType = 0;
    std::uint32_t syncDos = 0;
    std::uint32_t hitRate = 0;
    std::uint32_t useCount = 0;
    std::uint32_t writeStampDos = 0;
    std::string url;
    std::optional<std::string> fileName;
    std::optional<std::string> headerInfo;
    std::optional<std::string> extension;
    std::uint32_t usedBytes = 0; // from the record's start to the end of its last field
};

// Decodes the URL record at offset in file; nullopt when it is no URL record
// or any of its fields or strings reaches past its blocks or the file.
std::optional<UrlRecord> ParseUrlRecord(std::span<const std::uint8_t> file, std::uint32_t offset);

// The same for a LEAK record (a URL record whose file could not be removed)
// and a REDR record, which has only its URL: what a scan of the blocks finds.
std::optional<UrlRecord> ParseAnyRecord(std::span<const std::uint8_t> file, std::uint32_t offset);
// The REDR record alone; nullopt for any other record.
std::optional<UrlRecord> ParseRedirectRecord(std::span<const std::uint8_t> file, std::uint32_t offset);

// The record's blocks as a writer stores them: its strings and header laid out
// after the fixed fields in the order URL, file name, header, extension, each
// aligned to 4 bytes, and the whole rounded up to blocks. offset, blocks,
// signature and usedBytes are not read; the unknown fields get the values
// WinINet writes.
std::vector<std::uint8_t> EncodeUrlRecord(const UrlRecord& record);

// Reads only the URL of a record, for comparing keys without copying the rest.
std::optional<std::string_view> RecordUrl(std::span<const std::uint8_t> file, std::uint32_t offset);

// FILETIME ticks and the DOS date/time pair stored for expiry, sync and the
// file's write stamp; both directions treat 0 as "no time", as WinINet does.
std::uint32_t FileTimeToDos(std::uint64_t fileTime);
std::uint64_t DosToFileTime(std::uint32_t dos);

} // namespace larkspool::indexdat
