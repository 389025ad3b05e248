// Reading WebKit's network cache records. Every integer is little-endian; a
// string is a u32 length (0xffffffff: the null string), a u8 that is 1 for
// length Latin-1 bytes and 0 for length UTF-16 units, then the characters.
//
//   metadata
//     u32       storage version, the N of its Version folder
//     4 strings the key: partition (the top-frame site, empty where programs
//               keep no partitions), type ("Resource"), identifier (the URL), range
//     20 bytes  the key's hash: the record file's name
//     20 bytes  the partition's hash: its folder's name
//     8 bytes   when stored: f64 seconds since 1970 (older records: i64 microseconds)
//     20 + u64  the head's hash and size
//     20 + u64  the body's hash (a blob's file name) and size
//     u8        1: the body ends the record, 0: it lies in <key hash>-blob
//     20 bytes  checksum of the metadata
//   head, of the size the metadata states: the response, then the entry's own fields
//     u8        1: no response
//     strings   URL, MIME type; i64 expected length; strings text encoding,
//               status text, HTTP version
//     u64       header count, then a name and a value string each
//     i16       status code (older records and Safari's: i32, whose low half reads the same)
//     ...       certificate (Safari's keeps the whole chain), varying request
//               headers, a redirect's request, checksum: skipped to the head's end
//   body        inline: the rest of the file
//
// The hashes are salted with the cache's salt file and are not checked: the
// key hash against the file's name, the sizes against the files, say enough.
#include "browsercache/webkit_cache.h"

#include "base/byte_text.h"
#include "browsercache/byte_reader.h"
#include "browsercache/entry_file.h"
#include "browsercache/inside_cache.h"
#include "browsercache/utf16.h"
#include "cache/file_time.h"

#include <bit>
#include <charconv>
#include <cmath>

namespace larkspool::browsercache {
namespace fs = std::filesystem;
namespace {

constexpr std::size_t kHashSize = 20;
constexpr std::uint32_t kNullString = 0xffffffff;
// The metadata and the head are a few KiB (a long URL, many headers, a
// certificate chain); a record is read this far before they are decoded.
constexpr std::uint64_t kMaxMetadataAndHead = 4 * 1024 * 1024;
constexpr std::string_view kResourceType = "Resource";
constexpr std::string_view kBlobSuffix = "-blob";

// A string of the layout: Latin-1 characters are kept as their bytes, the
// way the other readers keep what the browser stored.
bool ReadString(ByteReader& reader, std::string& out)
{
    std::uint32_t length = 0;
    if (!reader.Le32(length))
        return false;
    out.clear();
    if (length == kNullString)
        return true;
    std::string_view flag, characters;
    if (!reader.Bytes(1, flag))
        return false;
    const bool latin1 = flag[0] != 0;
    if (!reader.Bytes(latin1 ? length : std::size_t(length) * 2, characters))
        return false;
    out = latin1 ? std::string(characters) : Utf8FromUtf16(characters);
    return true;
}

std::string Hex(std::string_view bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (const char byte : bytes) {
        out += kDigits[std::uint8_t(byte) >> 4];
        out += kDigits[std::uint8_t(byte) & 0xF];
    }
    return out;
}

// WebKit wrote the time as a double of seconds; older records as the
// microseconds of the clock it used then. 0 when neither reads as a time
// after 1970 and before 2300.
std::uint64_t TicksFromStoredTime(std::uint64_t raw)
{
    constexpr double kLatestSeconds = 10'400'000'000.0;
    const double seconds = std::bit_cast<double>(raw);
    if (std::isfinite(seconds) && seconds >= 1.0 && seconds < kLatestSeconds)
        return kUnixEpochTicks + std::uint64_t(seconds * double(kTicksPerSecond));
    if (raw >= 1'000'000 && raw < std::uint64_t(kLatestSeconds) * 1'000'000)
        return kUnixEpochTicks + raw * (kTicksPerSecond / 1'000'000);
    return 0;
}

struct Metadata {
    std::uint32_t version = 0;
    std::string partition, type, identifier, range;
    std::string_view keyHash, partitionHash, bodyHash;
    std::uint64_t time = 0, headSize = 0, bodySize = 0;
    bool bodyInline = false;
    std::size_t headOffset = 0;
};

std::string ReadMetadata(ByteReader& reader, Metadata& meta)
{
    std::string_view skipped, inlineFlag;
    if (!reader.Le32(meta.version))
        return "too short for a record";
    if (!ReadString(reader, meta.partition) || !ReadString(reader, meta.type) || !ReadString(reader, meta.identifier) ||
        !ReadString(reader, meta.range) || !reader.Bytes(kHashSize, meta.keyHash) ||
        !reader.Bytes(kHashSize, meta.partitionHash))
        return "the key is cut short";
    if (!reader.Le64(meta.time) || !reader.Bytes(kHashSize, skipped) || !reader.Le64(meta.headSize) ||
        !reader.Bytes(kHashSize, meta.bodyHash) || !reader.Le64(meta.bodySize) || !reader.Bytes(1, inlineFlag) ||
        !reader.Bytes(kHashSize, skipped))
        return "the record's metadata is cut short";
    meta.bodyInline = inlineFlag[0] != 0;
    meta.headOffset = reader.Position();
    return {};
}

// The response head as the records carry it, from the encoded response.
std::string ReadResponse(std::string_view head, std::string& responseHead, std::string& url)
{
    ByteReader reader(head);
    std::string_view isNull;
    std::string mimeType, textEncoding, statusText, httpVersion;
    std::uint64_t expectedLength = 0, headerCount = 0;
    if (!reader.Bytes(1, isNull))
        return "the head is empty";
    if (isNull[0] != 0)
        return {}; // no response kept: nothing to list
    if (!ReadString(reader, url) || !ReadString(reader, mimeType) || !reader.Le64(expectedLength) ||
        !ReadString(reader, textEncoding) || !ReadString(reader, statusText) || !ReadString(reader, httpVersion) ||
        !reader.Le64(headerCount))
        return "the response is cut short";
    std::string lines;
    for (std::uint64_t i = 0; i < headerCount; ++i) {
        std::string name, value;
        if (!ReadString(reader, name) || !ReadString(reader, value))
            return "the response's header " + std::to_string(i + 1) + " of " + std::to_string(headerCount) +
                   " is cut short";
        lines += name + ": " + value + "\r\n";
    }
    std::uint16_t status = 0;
    if (!reader.Le16(status))
        return "the response's status code is cut short";
    if (status < 100 || status > 999)
        return "the response's status code " + std::to_string(status) + " is no HTTP status";
    responseHead = (httpVersion.empty() ? std::string("HTTP/1.1") : httpVersion) + " " + std::to_string(status) +
                   (statusText.empty() ? "" : " " + statusText) + "\r\n" + lines;
    return {};
}

std::string ReadRecordBytes(const ByteSource& bytes, const WebKitRecordPlace& place, BrowserCacheRecord& record)
{
    std::string front;
    const std::uint64_t frontSize = bytes.Size() < kMaxMetadataAndHead ? bytes.Size() : kMaxMetadataAndHead;
    if (!bytes.ReadAt(0, frontSize, front))
        return "cannot be read";
    ByteReader reader(front);
    Metadata meta;
    if (std::string error = ReadMetadata(reader, meta); !error.empty())
        return error;
    const std::uint32_t expected = place.version ? place.version : meta.version;
    if (meta.version != expected)
        return "a record of version " + std::to_string(meta.version) + " in the folder of version " +
               std::to_string(expected);
    if (meta.version < kOldestWebKitVersion || meta.version > kNewestWebKitVersion)
        return "a record of version " + std::to_string(meta.version) + ", which this reader does not know";
    record.key = meta.identifier;
    record.partition = meta.partition;
    record.url = meta.identifier;
    if (!place.keyHash.empty() && !EqualNoCase(Hex(meta.keyHash), place.keyHash))
        return "the key's hash " + Hex(meta.keyHash) + " is not the file's name";
    if (!place.partitionHash.empty() && !EqualNoCase(Hex(meta.partitionHash), place.partitionHash))
        return "the partition's hash " + Hex(meta.partitionHash) + " is not its folder's name";
    if (meta.type != kResourceType)
        return "a record of type " + meta.type + " among the resources";
    if (meta.headSize > bytes.Size() - meta.headOffset)
        return "the head of " + std::to_string(meta.headSize) + " bytes runs past the end of the record";
    if (meta.headOffset + meta.headSize > front.size())
        return "the head of " + std::to_string(meta.headSize) + " bytes is too large";
    if (std::string error = ReadResponse(std::string_view(front).substr(meta.headOffset, meta.headSize),
                                         record.responseHead, record.url);
        !error.empty())
        return error;
    if (record.url.empty())
        record.url = meta.identifier;
    record.entryTime = TicksFromStoredTime(meta.time);
    const std::uint64_t bodyOffset = meta.headOffset + meta.headSize;
    if (meta.bodyInline) {
        if (bytes.Size() - bodyOffset != meta.bodySize)
            return "the inline body of " + std::to_string(meta.bodySize) + " bytes does not end the record (" +
                   std::to_string(bytes.Size() - bodyOffset) + " bytes follow the head)";
        record.body.offset = bodyOffset;
        record.body.length = meta.bodySize;
    } else if (!place.findBlob) {
        return "the body lies in a file of its own, which is not at hand";
    } else if (std::string error = place.findBlob(Hex(meta.bodyHash), meta.bodySize, record.body); !error.empty()) {
        return error;
    }
    record.body.decoded = true;
    return {};
}

bool Exists(const fs::path& path)
{
    std::error_code error;
    return fs::symlink_status(path, error).type() != fs::file_type::not_found;
}

// A folder that is there but cannot be listed: a problem named as a record's.
void Unlisted(const std::string& error, BrowserCacheScan& scan)
{
    BrowserCacheRecord unlisted;
    unlisted.error = error;
    scan.records.push_back(std::move(unlisted));
}

// One version folder's records, into scan; a fresh cache has no Records yet.
void ScanVersion(const fs::path& cacheFolder, const fs::path& versionFolder, std::uint32_t version,
                 BrowserCacheScan& scan)
{
    const OpenedCacheFolder opened(cacheFolder);
    const fs::path records = versionFolder / "Records";
    std::string error;
    const std::vector<fs::path> partitions = ListSubfolders(cacheFolder, records, error);
    if (!error.empty() && Exists(records))
        Unlisted(error, scan);
    for (const fs::path& partition : partitions) {
        const fs::path resources = partition / std::string(kResourceType); // SubResources hold no entries
        error.clear();
        const std::vector<fs::path> files = ListEntryFiles(cacheFolder, resources, error);
        if (!error.empty() && Exists(resources))
            Unlisted(error, scan);
        for (const fs::path& file : files) {
            const std::string name = file.filename().string();
            if (name.ends_with(kBlobSuffix) || name.size() != 2 * kHashSize)
                continue;
            WebKitRecordPlace place{version, name, partition.filename().string(), {}};
            place.findBlob = [&](const std::string& bodyHash, std::uint64_t size, BodyLocation& body) {
                for (const fs::path& blob :
                     {fs::path(file.native() + std::string(kBlobSuffix)), versionFolder / "Blobs" / bodyHash}) {
                    const FileBytes bytes(opened, blob);
                    if (!bytes.IsOpen())
                        continue;
                    if (bytes.Size() != size)
                        return "the body's file " + blob.filename().string() + " holds " +
                               std::to_string(bytes.Size()) + " bytes, not " + std::to_string(size);
                    body.file = blob;
                    body.offset = 0;
                    body.length = size;
                    return std::string();
                }
                return "the body's file " + name + std::string(kBlobSuffix) + " is missing, and so is Blobs/" +
                       bodyHash;
            };
            std::uint64_t fileTicks = 0;
            BrowserCacheRecord record = ReadEntryFileAt(
                opened, file,
                [&](const ByteSource& bytes, BrowserCacheRecord& read) { return ReadWebKitRecord(bytes, place, read); },
                &fileTicks);
            // WebKit touches a record's file each time it serves it.
            record.accessTime = fileTicks;
            if (record.entryTime == 0)
                record.entryTime = fileTicks;
            scan.records.push_back(std::move(record));
        }
    }
}

} // namespace

std::optional<std::uint32_t> WebKitVersionOfFolder(std::string_view name)
{
    constexpr std::string_view kPrefix = "Version ";
    if (!name.starts_with(kPrefix) || name.size() == kPrefix.size())
        return std::nullopt;
    std::uint32_t version = 0;
    const char* end = name.data() + name.size();
    const auto [stop, error] = std::from_chars(name.data() + kPrefix.size(), end, version);
    return error == std::errc() && stop == end ? std::optional(version) : std::nullopt;
}

bool IsWebKitVersionFolder(const fs::path& folder)
{
    std::error_code error;
    return fs::is_directory(fs::symlink_status(folder / "Records", error)) ||
           fs::is_regular_file(fs::symlink_status(folder / "salt", error));
}

std::string ReadWebKitRecord(const ByteSource& bytes, const WebKitRecordPlace& place, BrowserCacheRecord& record)
{
    return ReadRecordBytes(bytes, place, record);
}

BrowserCacheScan ScanWebKitCache(const fs::path& folder)
{
    BrowserCacheScan scan;
    scan.format = BrowserCacheFormat::WebKit;
    scan.folder = folder;
    std::vector<std::pair<fs::path, std::uint32_t>> versions;
    if (IsWebKitVersionFolder(folder)) {
        versions.emplace_back(folder, WebKitVersionOfFolder(folder.filename().string()).value_or(0));
    } else {
        for (const fs::path& child : ListSubfolders(folder, folder, scan.error))
            if (const auto version = WebKitVersionOfFolder(child.filename().string()))
                versions.emplace_back(child, *version);
        if (versions.empty() && scan.error.empty())
            scan.error = "no WebKit cache (no Version folder) in " + folder.string();
    }
    std::string unknown;
    bool read = false;
    for (const auto& [versionFolder, version] : versions) {
        if (version != 0 && (version < kOldestWebKitVersion || version > kNewestWebKitVersion)) {
            unknown += (unknown.empty() ? "" : ", ") + versionFolder.filename().string();
            continue;
        }
        ScanVersion(folder, versionFolder, version, scan);
        read = true;
    }
    if (!unknown.empty()) {
        const std::string why = "WebKit cache " + unknown + ": a version this reader does not know (it reads " +
                                std::to_string(kOldestWebKitVersion) + " to " + std::to_string(kNewestWebKitVersion) +
                                ")";
        if (read)
            Unlisted(why, scan);
        else
            scan.error = why;
    }
    return scan;
}

} // namespace larkspool::browsercache
