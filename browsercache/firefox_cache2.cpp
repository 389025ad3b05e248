// Reading Firefox cache2 entry files: the metadata at the file's end names
// the key, the response head and where the body ends.
#include "browsercache/firefox_cache2.h"

#include "browsercache/browser_time.h"
#include "browsercache/byte_reader.h"
#include "browsercache/cache_key_url.h"
#include "browsercache/entry_file.h"
#include "browsercache/firefox_hash.h"
#include "browsercache/metadata_elements.h"
#include "browsercache/response_head.h"

#include <charconv>
#include <string_view>

namespace larkspool::browsercache {

namespace {

constexpr std::uint64_t kChunkSize = 256 * 1024;
// Firefox keeps metadata small (its own limit on the elements is 64 KiB);
// anything far larger is damage, and not worth reading into memory.
constexpr std::uint64_t kMaxMetadataSize = 4 * 1024 * 1024;

// The body proper's length from an "alt-data" value "1;OFFSET,TYPE", or
// the whole stored length when the value does not say otherwise.
std::uint64_t BodyLengthBeforeAltData(std::string_view altData, std::uint64_t stored)
{
    const std::size_t semicolon = altData.find(';');
    if (semicolon == std::string_view::npos)
        return stored;
    const char* begin = altData.data() + semicolon + 1;
    const char* end = altData.data() + altData.size();
    std::uint64_t offset = 0;
    const auto [stop, error] = std::from_chars(begin, end, offset);
    if (error != std::errc() || stop == begin || offset > stored)
        return stored;
    return offset;
}

// Walks name NUL value NUL pairs; false when they are not whole pairs.
bool ReadElements(std::string_view elements, BrowserCacheRecord& record)
{
    std::string_view name;
    std::string_view value;
    while (!elements.empty()) {
        if (!NextMetadataElement(elements, name, value))
            return false;
        if (name == "response-head")
            record.responseHead = HeadFromLines(value, '\n');
        else if (name == "alt-data")
            record.body.length = BodyLengthBeforeAltData(value, record.body.length);
    }
    return true;
}

std::string ReadEntry(const ByteSource& bytes, BrowserCacheRecord& record)
{
    std::string tail;
    if (!bytes.ReadAt(bytes.Size() < 4 ? 0 : bytes.Size() - 4, 4, tail))
        return "too short for a cache entry";
    std::uint32_t metaOffset = 0;
    ByteReader(tail).Be32(metaOffset);
    if (metaOffset > bytes.Size() - 4)
        return "metadata offset " + std::to_string(metaOffset) + " lies past the end of the file";
    const std::uint64_t metaSize = bytes.Size() - 4 - metaOffset;
    if (metaSize > kMaxMetadataSize)
        return "metadata of " + std::to_string(metaSize) + " bytes is too large";
    std::string metadata;
    if (!bytes.ReadAt(metaOffset, metaSize, metadata))
        return "cannot read the metadata";

    ByteReader reader(metadata);
    std::uint32_t storedHash = 0;
    const std::uint64_t chunks = (std::uint64_t(metaOffset) + kChunkSize - 1) / kChunkSize;
    std::uint32_t version = 0, fetchCount = 0, lastFetched = 0, lastModified = 0, frecency = 0, expiration = 0;
    std::uint32_t keySize = 0, flags = 0;
    if (!reader.Be32(storedHash) || !reader.Skip(std::size_t(chunks * 2)) || !reader.Be32(version))
        return "metadata is truncated";
    if (version < 1 || version > 4)
        return "unknown metadata version " + std::to_string(version);
    if (!reader.Be32(fetchCount) || !reader.Be32(lastFetched) || !reader.Be32(lastModified) ||
        !reader.Be32(frecency) || !reader.Be32(expiration) || !reader.Be32(keySize) ||
        (version >= 2 && !reader.Be32(flags)))
        return "metadata is truncated";
    std::string_view key, terminator, elements;
    if (!reader.Bytes(keySize, key) || !reader.Bytes(1, terminator) || terminator[0] != '\0')
        return "the key of " + std::to_string(keySize) + " bytes does not fit the metadata";
    reader.Bytes(reader.Remaining(), elements);
    // Version 4 (today's Firefox) ends the metadata with a 32-bit word that
    // neither the elements nor the hash cover.
    const std::size_t trailer = version >= 4 && elements.size() >= 4 ? 4 : 0;
    elements.remove_suffix(trailer);

    record.key = std::string(key);
    record.url = UrlFromFirefoxKey(key);
    record.entryTime = TicksFromUnixSeconds(lastModified);
    record.accessTime = TicksFromUnixSeconds(lastFetched);
    record.body.length = metaOffset;
    if (!ReadElements(elements, record))
        return "the metadata elements are damaged";
    if (FirefoxHash(std::string_view(metadata).substr(4, metadata.size() - 4 - trailer)) != storedHash)
        return "the metadata fails its hash check";
    return {};
}

} // namespace

BrowserCacheRecord ReadFirefoxEntry(const ByteSource& bytes, const std::filesystem::path& file)
{
    return ReadEntryFile(bytes, file, ReadEntry);
}

BrowserCacheScan ScanFirefoxCache2(const std::filesystem::path& cache2Dir)
{
    BrowserCacheScan scan;
    scan.format = BrowserCacheFormat::FirefoxCache2;
    // An "entries" that is no folder is refused when listed, not passed over.
    std::error_code ignored;
    const std::filesystem::path entries =
        std::filesystem::exists(std::filesystem::symlink_status(cache2Dir / "entries", ignored)) ? cache2Dir / "entries"
                                                                                                 : cache2Dir;
    const OpenedCacheFolder folder(cache2Dir);
    for (const std::filesystem::path& file : ListEntryFiles(cache2Dir, entries, scan.error))
        scan.records.push_back(ReadEntryFileAt(folder, file, ReadEntry));
    // Entries doomed while in use wait in doomed/, in the same format, for
    // Firefox to remove them: what they hold is still in the cache, deleted.
    const std::filesystem::path doomed = cache2Dir / "doomed";
    if (entries != cache2Dir && std::filesystem::is_directory(std::filesystem::symlink_status(doomed, ignored))) {
        std::string error;
        for (const std::filesystem::path& file : ListEntryFiles(cache2Dir, doomed, error)) {
            scan.records.push_back(ReadEntryFileAt(folder, file, ReadEntry));
            scan.records.back().recovered = true;
        }
        if (!error.empty()) {
            scan.records.emplace_back().body.file = doomed;
            scan.records.back().error = error;
            scan.records.back().recovered = true;
        }
    }
    return scan;
}

} // namespace larkspool::browsercache
