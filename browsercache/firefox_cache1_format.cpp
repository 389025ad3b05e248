// Decoding the fixed layouts of Firefox's first disk cache.
#include "browsercache/firefox_cache1_format.h"

#include "browsercache/byte_reader.h"
#include "browsercache/metadata_elements.h"

#include <cstdio>

namespace larkspool::browsercache::cache1 {

std::optional<MapHeader> ReadMapHeader(std::string_view bytes)
{
    ByteReader reader(bytes);
    MapHeader header;
    std::uint32_t dataSize = 0, dirty = 0;
    if (!reader.Be32(header.version) || !reader.Be32(dataSize) || !reader.Be32(header.entryCount) ||
        !reader.Be32(dirty) || !reader.Be32(header.recordCount) || !reader.Skip(kBuckets * 4))
        return std::nullopt;
    for (std::uint32_t& usage : header.bucketUsage)
        if (!reader.Be32(usage))
            return std::nullopt;
    header.dirty = dirty != 0;
    return header;
}

MapRecord ReadMapRecord(std::string_view records, std::size_t index)
{
    MapRecord record;
    std::uint32_t evictionRank = 0;
    ByteReader reader(records);
    if (!reader.Skip(index * kMapRecordSize) || !reader.Be32(record.hash) || !reader.Be32(evictionRank) ||
        !reader.Be32(record.dataLocation) || !reader.Be32(record.metaLocation))
        return {};
    return record;
}

Location DecodeLocation(std::uint32_t word)
{
    Location location;
    location.inUse = (word & 0x80000000u) != 0;
    location.file = int((word >> 28) & 3);
    location.firstBlock = word & 0x00FFFFFFu;
    location.blockCount = ((word >> 24) & 3) + 1;
    location.generation = word & 0xFFu;
    return location;
}

std::uint32_t BlockSize(int file)
{
    return file >= 1 && file <= kBlockFiles ? 256u << (2 * (file - 1)) : 0;
}

std::uint64_t BitmapSize(int file)
{
    return file >= 1 && file <= kBlockFiles ? 16384u >> (2 * (file - 1)) : 0;
}

std::uint64_t MaxBlocks(int file)
{
    return BitmapSize(file) * 8;
}

const char* BlockFileName(int file)
{
    static const char* const kNames[] = {"_CACHE_001_", "_CACHE_002_", "_CACHE_003_"};
    return file >= 1 && file <= kBlockFiles ? kNames[file - 1] : "";
}

int BlockFileFor(std::uint64_t size)
{
    for (int file = 1; file <= kBlockFiles; ++file)
        if (size <= std::uint64_t(BlockSize(file)) * kMaxBlocksPerItem)
            return file;
    return 0;
}

bool BlocksInUse(std::string_view bitmap, std::uint32_t first, std::uint32_t count)
{
    for (std::uint64_t block = first; block < std::uint64_t(first) + count; ++block) {
        std::uint32_t word = 0;
        ByteReader reader(bitmap);
        if (!reader.Skip(std::size_t(block / 32) * 4) || !reader.Be32(word) || !(word & (1u << (block % 32))))
            return false;
    }
    return true;
}

std::string SeparateFileName(std::uint32_t hash, bool data, std::uint32_t generation)
{
    char name[32];
    std::snprintf(name, sizeof name, "%X/%02X/%05X%c%02X", unsigned(hash >> 28), unsigned((hash >> 20) & 0xFF),
                  unsigned(hash & 0xFFFFF), data ? 'd' : 'm', unsigned(generation & 0xFF));
    return name;
}

namespace {

// The value of the upper-case hexadecimal digits text, none when any other.
std::optional<std::uint32_t> HexValue(std::string_view text)
{
    std::uint32_t value = 0;
    for (const char digit : text) {
        if (digit >= '0' && digit <= '9')
            value = value << 4 | std::uint32_t(digit - '0');
        else if (digit >= 'A' && digit <= 'F')
            value = value << 4 | std::uint32_t(digit - 'A' + 10);
        else
            return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<SeparateFile> ParseSeparateFileName(std::string_view name)
{
    // "3/3D/ED165d01": the hash's top 4 bits, its next 8, its low 20, the kind, the generation.
    if (name.size() != 13 || name[1] != '/' || name[4] != '/' || (name[10] != 'd' && name[10] != 'm'))
        return std::nullopt;
    const auto top = HexValue(name.substr(0, 1)), middle = HexValue(name.substr(2, 2)),
               low = HexValue(name.substr(5, 5)), generation = HexValue(name.substr(11, 2));
    if (!top || !middle || !low || !generation)
        return std::nullopt;
    return SeparateFile{*top << 28 | *middle << 20 | *low, name[10] == 'd', *generation};
}

EntryResult ReadEntry(std::string_view bytes)
{
    ByteReader reader(bytes);
    Entry entry;
    std::uint32_t ownLocation = 0, keySize = 0, elementsSize = 0;
    if (!reader.Be32(entry.version) || !reader.Be32(ownLocation) || !reader.Be32(entry.fetchCount) ||
        !reader.Be32(entry.lastFetched) || !reader.Be32(entry.lastModified) || !reader.Be32(entry.expiration) ||
        !reader.Be32(entry.dataSize) || !reader.Be32(keySize) || !reader.Be32(elementsSize))
        return {std::nullopt, "metadata entry is truncated (" + std::to_string(bytes.size()) + " bytes)"};
    if (entry.version >> 16 != 1)
        return {std::nullopt, "unknown metadata entry version " + std::to_string(entry.version >> 16) + "." +
                                  std::to_string(entry.version & 0xFFFF)};
    std::string_view key;
    if (keySize == 0 || !reader.Bytes(keySize, key))
        return {std::nullopt, "the key of " + std::to_string(keySize) + " bytes lies past the entry's " +
                                  std::to_string(bytes.size()) + " bytes"};
    if (key.back() != '\0' || key.find('\0') != key.size() - 1)
        return {std::nullopt, "the key is not a NUL-ended string"};
    if (!reader.Bytes(elementsSize, entry.elements))
        return {std::nullopt, "the elements of " + std::to_string(elementsSize) + " bytes lie past the entry's " +
                                  std::to_string(bytes.size()) + " bytes"};
    std::string_view rest = entry.elements, name, value;
    while (!rest.empty())
        if (!NextMetadataElement(rest, name, value))
            return {std::nullopt, "the metadata elements are damaged"};
    entry.key = key.substr(0, key.size() - 1);
    entry.size = reader.Position();
    return {entry, {}};
}

std::optional<std::string_view> ElementValue(std::string_view elements, std::string_view name)
{
    std::string_view found, value;
    while (NextMetadataElement(elements, found, value))
        if (found == name)
            return value;
    return std::nullopt;
}

} // namespace larkspool::browsercache::cache1
