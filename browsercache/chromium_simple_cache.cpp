// Reading the simple cache's entry files from both ends: key and body start
// at the front, the response record and its end record sit at the back.
#include "browsercache/chromium_simple_cache.h"

#include "browsercache/body_pieces.h"
#include "browsercache/browser_time.h"
#include "browsercache/byte_reader.h"
#include "browsercache/cache_key_url.h"
#include "browsercache/entry_file.h"
#include "browsercache/crc32.h"
#include "browsercache/http_response_info.h"
#include "browsercache/simple_cache_index.h"

#include <charconv>
#include <new>
#include <optional>
#include <unordered_set>

namespace larkspool::browsercache {

namespace {

constexpr std::uint64_t kInitialMagic = 0xfcfb6d1ba7725c30ULL;
constexpr std::uint64_t kFinalMagic = 0xf4fa6f45970d41d8ULL;
constexpr std::uint32_t kEntryVersion = 5;
constexpr std::uint64_t kHeaderSize = 24;
constexpr std::uint64_t kEndRecordSize = 24;
constexpr std::uint64_t kKeySha256Size = 32;
constexpr std::uint32_t kFlagHasCrc32 = 1;
constexpr std::uint32_t kFlagHasKeySha256 = 2;
// Response records are a few KiB; a larger one is damage, not worth reading.
constexpr std::uint64_t kMaxStream0Size = 4 * 1024 * 1024;
constexpr std::uint64_t kMaxIndexSize = 64 * 1024 * 1024;
constexpr std::uint64_t kSparseRangeMagic = 0xeb97bf016553676bULL;
// The sparse file's header carries the backend's version, which has kept
// the sparse layout since 7.
constexpr std::uint32_t kFirstSparseVersion = 7;
constexpr std::uint32_t kLastSparseVersion = 9;
constexpr std::uint64_t kRangeHeaderSize = 32;
// Chromium appends a range per network read (tens of KiB): this many cover
// gigabytes, and each costs memory to place.
constexpr std::size_t kMaxSparseRanges = 256 * 1024;

struct EndRecord {
    std::uint32_t flags = 0;
    std::uint32_t crc32 = 0;
    std::uint32_t streamSize = 0;
};

bool ReadEndRecord(const ByteSource& bytes, std::uint64_t offset, EndRecord& record)
{
    std::string raw;
    std::uint64_t magic = 0;
    if (!bytes.ReadAt(offset, kEndRecordSize, raw))
        return false;
    ByteReader reader(raw);
    return reader.Le64(magic) && magic == kFinalMagic && reader.Le32(record.flags) && reader.Le32(record.crc32) &&
           reader.Le32(record.streamSize);
}

struct FileHeader {
    std::uint32_t version = 0;
    std::uint32_t keyLength = 0;
};

// The header the entry and the sparse file open with; the reason, naming
// the file as what, when there is none.
std::string ReadFileHeader(const ByteSource& bytes, const std::string& what, FileHeader& out)
{
    std::string header;
    std::uint64_t magic = 0;
    if (!bytes.ReadAt(0, kHeaderSize, header))
        return "too short for a " + what;
    ByteReader reader(header);
    if (!reader.Le64(magic) || magic != kInitialMagic)
        return "not a " + what + " (wrong magic number)";
    reader.Le32(out.version);
    reader.Le32(out.keyLength);
    return {};
}

std::string ReadEntry(const ByteSource& bytes, BrowserCacheRecord& record, SimpleStream0Reader readStream0)
{
    FileHeader header;
    if (std::string error = ReadFileHeader(bytes, "cache entry", header); !error.empty())
        return error;
    if (header.version != kEntryVersion)
        return "unknown entry version " + std::to_string(header.version);
    const std::uint32_t keyLength = header.keyLength;
    const std::uint64_t bodyStart = kHeaderSize + keyLength;
    if (bodyStart + 2 * kEndRecordSize > bytes.Size() || !bytes.ReadAt(kHeaderSize, keyLength, record.key))
        return "the key of " + std::to_string(keyLength) + " bytes does not fit the file";
    record.url = UrlFromChromiumKey(record.key);

    EndRecord end0;
    if (!ReadEndRecord(bytes, bytes.Size() - kEndRecordSize, end0))
        return "the response record's end record is damaged";
    const std::uint64_t shaSize = (end0.flags & kFlagHasKeySha256) ? kKeySha256Size : 0;
    const std::uint64_t stream0End = bytes.Size() - kEndRecordSize - shaSize;
    if (end0.streamSize > kMaxStream0Size || stream0End < bodyStart + kEndRecordSize + end0.streamSize)
        return "a response record of " + std::to_string(end0.streamSize) + " bytes does not fit the file";
    const std::uint64_t stream0Start = stream0End - end0.streamSize;
    std::string stream0;
    if (!bytes.ReadAt(stream0Start, end0.streamSize, stream0))
        return "cannot read the response record";
    if ((end0.flags & kFlagHasCrc32) && Crc32(stream0) != end0.crc32)
        return "the response record fails its CRC-32 check";

    EndRecord end1;
    const std::uint64_t bodyEnd = stream0Start - kEndRecordSize;
    if (!ReadEndRecord(bytes, bodyEnd, end1))
        return "the body's end record is damaged";
    record.body.offset = bodyStart;
    record.body.length = bodyEnd - bodyStart;
    record.body.hasCrc32 = (end1.flags & kFlagHasCrc32) != 0;
    record.body.crc32 = end1.crc32;

    return readStream0(stream0, record);
}

// The hash an entry file's name carries, or nothing when the name is not
// "<16 hex digits>_0".
std::optional<std::uint64_t> EntryHash(const std::string& name)
{
    std::uint64_t hash = 0;
    if (name.size() != 18 || !name.ends_with("_0"))
        return std::nullopt;
    const auto [stop, error] = std::from_chars(name.data(), name.data() + 16, hash, 16);
    if (error != std::errc() || stop != name.data() + 16)
        return std::nullopt;
    return hash;
}

std::unordered_map<std::uint64_t, std::uint64_t> LastUseFromIndex(const OpenedCacheFolder& folder,
                                                                   const std::filesystem::path& cacheDir)
{
    const FileBytes index(folder, cacheDir / "index-dir" / "the-real-index");
    std::string bytes;
    if (!index.IsOpen() || index.Size() > kMaxIndexSize || !index.ReadAt(0, index.Size(), bytes))
        return {};
    return ReadSimpleIndexLastUse(bytes);
}

// Places the ranges of the "_s" file beside an entry whose stream 1 is empty.
void ReadSparseFile(const OpenedCacheFolder& folder, const std::filesystem::path& file, BrowserCacheRecord& record)
{
    const FileBytes bytes(folder, file);
    std::string error = bytes.IsOpen() ? std::string() : bytes.Error();
    try {
        if (error.empty())
            error = ReadSimpleSparseRanges(bytes, file, record);
    } catch (const std::bad_alloc&) {
        error = "too many ranges to read (out of memory)";
    }
    if (!error.empty()) {
        record.body.file = file;
        MarkDamaged(record, error);
    }
}

} // namespace

std::string ReadSimpleSparseRanges(const ByteSource& bytes, const std::filesystem::path& file,
                                   BrowserCacheRecord& record)
{
    FileHeader header;
    std::string key;
    if (std::string error = ReadFileHeader(bytes, "sparse file", header); !error.empty())
        return error;
    if (header.version < kFirstSparseVersion || header.version > kLastSparseVersion)
        return "unknown sparse file version " + std::to_string(header.version);
    const std::uint32_t keyLength = header.keyLength;
    if (!bytes.ReadAt(kHeaderSize, keyLength, key) || key != record.key)
        return "the sparse file is not the entry's: it names another key";

    std::vector<BodyPiece> pieces;
    for (std::uint64_t at = kHeaderSize + keyLength; at < bytes.Size();) {
        std::string raw;
        std::uint64_t rangeMagic = 0, offset = 0, length = 0;
        std::uint32_t crc = 0;
        if (!bytes.ReadAt(at, kRangeHeaderSize, raw))
            return "the sparse file ends inside the header of a range at byte " + std::to_string(at);
        ByteReader range(raw);
        range.Le64(rangeMagic);
        range.Le64(offset);
        range.Le64(length);
        range.Le32(crc);
        if (rangeMagic != kSparseRangeMagic)
            return "the range header at byte " + std::to_string(at) + " of the sparse file is damaged";
        const std::uint64_t data = at + kRangeHeaderSize;
        if (!bytes.Contains(data, length))
            return "the range at byte " + std::to_string(offset) + " of the body does not fit the sparse file";
        if (pieces.size() == kMaxSparseRanges)
            return "more than " + std::to_string(kMaxSparseRanges) + " ranges in the sparse file";
        // A CRC of 0 is Chromium's mark of a range rewritten in part, whose CRC it no longer knows.
        pieces.push_back({file, data, offset, length, crc ? std::optional(crc) : std::nullopt});
        at = data + length;
    }
    record.decodedSize.reset();
    return PlaceBodyPieces(std::move(pieces), record.responseHead, record.body);
}

BrowserCacheRecord ReadSimpleCacheEntry(const ByteSource& bytes, const std::filesystem::path& file,
                                        SimpleStream0Reader readStream0)
{
    return ReadEntryFile(bytes, file, [readStream0](const ByteSource& entry, BrowserCacheRecord& record) {
        return ReadEntry(entry, record, readStream0);
    });
}

bool ScanSimpleCacheEntries(const OpenedCacheFolder& folder, const std::filesystem::path& cacheDir,
                            SimpleStream0Reader readStream0, bool indexKeepsLastUse, BrowserCacheScan& scan)
{
    bool hasIndex = false;
    std::vector<std::pair<std::filesystem::path, std::uint64_t>> entries;
    std::unordered_set<std::string> sparseFiles;
    for (const std::filesystem::path& file : ListEntryFiles(folder.Path(), cacheDir, scan.error)) {
        const std::string name = file.filename().string();
        hasIndex = hasIndex || name == "index";
        if (const std::optional<std::uint64_t> hash = EntryHash(name))
            entries.emplace_back(file, *hash);
        else if (name.size() == 18 && name.ends_with("_s"))
            sparseFiles.insert(name);
    }
    if (!scan.error.empty())
        return false;
    if (!hasIndex && entries.empty())
        return false;
    const std::unordered_map<std::uint64_t, std::uint64_t> lastUse =
        indexKeepsLastUse ? LastUseFromIndex(folder, cacheDir) : std::unordered_map<std::uint64_t, std::uint64_t>();
    scan.records.reserve(scan.records.size() + entries.size());
    const auto read = [readStream0](const ByteSource& bytes, BrowserCacheRecord& record) {
        return ReadEntry(bytes, record, readStream0);
    };
    for (const auto& [file, hash] : entries) {
        std::uint64_t fileTicks = 0;
        BrowserCacheRecord record = ReadEntryFileAt(folder, file, read, &fileTicks);
        const std::string sparseName = file.filename().string().substr(0, 16) + "_s";
        if (record.error.empty() && record.body.length == 0 && sparseFiles.contains(sparseName))
            ReadSparseFile(folder, file.parent_path() / sparseName, record);
        const auto used = lastUse.find(hash);
        record.accessTime = used != lastUse.end() && used->second != 0 ? used->second : fileTicks;
        if (record.entryTime == 0)
            record.entryTime = fileTicks;
        scan.records.push_back(std::move(record));
    }
    return true;
}

BrowserCacheScan ScanChromiumSimpleCache(const std::filesystem::path& cacheDir)
{
    BrowserCacheScan scan;
    scan.format = BrowserCacheFormat::ChromiumSimple;
    if (!ScanSimpleCacheEntries(OpenedCacheFolder(cacheDir), cacheDir, ReadResponseInfo, true, scan) && scan.error.empty())
        scan.error = "no Chromium cache in " + cacheDir.string();
    return scan;
}

} // namespace larkspool::browsercache
