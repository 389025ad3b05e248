// Reading CacheStorage: its index, then each named cache with the simple
// cache's entry reader, stream 0 read as CacheStorage's response record.
#include "browsercache/chromium_cache_storage.h"

#include "browsercache/browser_time.h"
#include "browsercache/byte_source.h"
#include "browsercache/chromium_simple_cache.h"
#include "browsercache/entry_file.h"
#include "browsercache/inside_cache.h"
#include "browsercache/protobuf_wire.h"
#include "browsercache/response_head.h"
#include "browsercache/utf16.h"

#include <algorithm>
#include <optional>

namespace larkspool::browsercache {
namespace fs = std::filesystem;
namespace {

constexpr std::uint32_t kVarint = 0, kLengthDelimited = 2;
constexpr std::string_view kIndexName = "index.txt";
// An index names a few caches in some hundred bytes each.
constexpr std::uint64_t kMaxIndexSize = 16 * 1024 * 1024;
// Looking through a home directory reads only small files named index.txt.
constexpr std::uint64_t kMaxDetectedIndexSize = 64 * 1024;

bool IsBytes(const ProtobufField& field, std::uint32_t number)
{
    return field.number == number && field.wireType == kLengthDelimited;
}

bool IsVarint(const ProtobufField& field, std::uint32_t number)
{
    return field.number == number && field.wireType == kVarint;
}

// A cache's folder must be one name in its origin's folder.
bool IsFolderName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

std::string ReadNamedCache(std::string_view bytes, CacheStorageIndex::NamedCache& cache)
{
    ProtobufReader reader(bytes);
    ProtobufField field;
    bool named = false;
    std::string utf16Name;
    while (reader.Next(field)) {
        if (IsBytes(field, 1)) {
            cache.name = std::string(field.bytes);
            named = true;
        } else if (IsBytes(field, 2)) {
            cache.folder = std::string(field.bytes);
        } else if (IsBytes(field, 7)) {
            utf16Name = Utf8FromUtf16(field.bytes);
            named = true;
        }
    }
    if (reader.Damaged())
        return "a cache's record in index.txt is damaged";
    if (!named)
        return "a cache in index.txt has no name";
    if (!IsFolderName(cache.folder))
        return "the cache \"" + cache.name + "\" names no folder of its own";
    // The UTF-16 name keeps what a UTF-8 one cannot (a lone surrogate).
    if (!utf16Name.empty() || cache.name.empty())
        cache.name = std::move(utf16Name);
    return {};
}

// The response's header lines, NUL-ended as HeadFromLines takes them.
std::string ReadHeaderLine(std::string_view bytes, std::string& lines)
{
    ProtobufReader reader(bytes);
    ProtobufField field;
    std::string_view name, value;
    bool hasName = false, hasValue = false;
    while (reader.Next(field)) {
        if (IsBytes(field, 1))
            name = field.bytes, hasName = true;
        else if (IsBytes(field, 2))
            value = field.bytes, hasValue = true;
    }
    if (reader.Damaged() || !hasName || !hasValue || name.find_first_of(std::string_view(":\r\n\0", 4)) != name.npos ||
        value.find_first_of(std::string_view("\r\n\0", 3)) != value.npos)
        return "a header of the response record is damaged";
    lines.append(name).append(": ").append(value).append(1, '\0');
    return {};
}

std::string ReadResponse(std::string_view bytes, BrowserCacheRecord& record)
{
    ProtobufReader reader(bytes);
    ProtobufField field;
    std::optional<std::uint64_t> status;
    std::string_view statusText;
    std::string headers;
    std::uint64_t responseTime = 0;
    while (reader.Next(field)) {
        if (IsVarint(field, 1))
            status = field.varint;
        else if (IsBytes(field, 2))
            statusText = field.bytes;
        else if (IsBytes(field, 4)) {
            if (std::string error = ReadHeaderLine(field.bytes, headers); !error.empty())
                return error;
        } else if (IsVarint(field, 6))
            responseTime = field.varint;
    }
    if (reader.Damaged())
        return "the response record is damaged";
    if (!status)
        return "the response record holds no status";
    if (*status < 100 || *status > 999)
        return "the response record's status " + std::to_string(std::int64_t(*status)) + " is no HTTP status";
    if (statusText.find_first_of(std::string_view("\r\n\0", 3)) != statusText.npos)
        return "the response record's status text is damaged";
    // CacheStorage keeps no HTTP version.
    std::string lines = "HTTP/1.1 " + std::to_string(*status);
    if (!statusText.empty())
        lines.append(" ").append(statusText);
    lines.append(1, '\0').append(headers);
    record.responseHead = HeadFromLines(lines, '\0');
    record.responseTime = TicksFromChromiumTime(responseTime);
    return {};
}

std::string ReadIndexFile(const OpenedCacheFolder& opened, const fs::path& originFolder, CacheStorageIndex& index)
{
    const FileBytes file(opened, originFolder / kIndexName);
    std::string bytes;
    if (!file.IsOpen())
        return std::string(kIndexName) + ": " + file.Error();
    if (file.Size() > kMaxIndexSize || !file.ReadAt(0, file.Size(), bytes))
        return std::string(kIndexName) + ": cannot be read whole";
    return ReadCacheStorageIndex(bytes, index);
}

// A record standing for what cannot be read at file, named by the reason.
BrowserCacheRecord Unreadable(const fs::path& file, std::string error, std::string partition = {})
{
    BrowserCacheRecord damaged;
    damaged.body.file = file;
    damaged.partition = std::move(partition);
    damaged.error = std::move(error);
    return damaged;
}

// One origin's caches appended to scan, a cache that cannot be listed (its
// folder gone, a link or no folder) as one damaged record; the reason when
// the origin's index cannot be read.
std::string ScanOrigin(const OpenedCacheFolder& opened, const fs::path& originFolder, BrowserCacheScan& scan)
{
    CacheStorageIndex index;
    if (std::string error = ReadIndexFile(opened, originFolder, index); !error.empty())
        return originFolder.string() + ": " + error;
    for (const CacheStorageIndex::NamedCache& cache : index.caches) {
        const fs::path folder = originFolder / cache.folder;
        BrowserCacheScan found;
        std::error_code missing;
        // Chromium makes a cache's folder as it names it in index.txt.
        if (!fs::exists(fs::symlink_status(folder, missing)))
            found.error = folder.string() + ": the folder of the cache \"" + cache.name + "\" is missing";
        else
            ScanSimpleCacheEntries(opened, folder, ReadCacheStorageResponse, false, found);
        if (!found.error.empty())
            scan.records.push_back(Unreadable(folder, std::move(found.error), cache.name));
        for (BrowserCacheRecord& record : found.records) {
            record.partition = cache.name;
            scan.records.push_back(std::move(record));
        }
    }
    return {};
}

} // namespace

std::string ReadCacheStorageIndex(std::string_view bytes, CacheStorageIndex& index)
{
    ProtobufReader reader(bytes);
    ProtobufField field;
    std::string origin, storageKey;
    while (reader.Next(field)) {
        if (IsBytes(field, 1)) {
            CacheStorageIndex::NamedCache cache;
            if (std::string error = ReadNamedCache(field.bytes, cache); !error.empty())
                return error;
            index.caches.push_back(std::move(cache));
        } else if (IsBytes(field, 2)) {
            origin = std::string(field.bytes);
        } else if (IsBytes(field, 3)) {
            storageKey = std::string(field.bytes);
        }
    }
    if (reader.Damaged())
        return "index.txt is damaged";
    index.origin = origin.empty() ? storageKey : origin;
    return {};
}

std::string ReadCacheStorageResponse(std::string_view stream0, BrowserCacheRecord& record)
{
    ProtobufReader reader(stream0);
    ProtobufField field;
    std::optional<std::string_view> response;
    std::uint64_t entryTime = 0;
    while (reader.Next(field)) {
        if (IsBytes(field, 2))
            response = field.bytes;
        else if (IsVarint(field, 3))
            entryTime = field.varint;
    }
    if (reader.Damaged())
        return "the response record is damaged";
    if (!response)
        return "the response record holds no response";
    if (std::string error = ReadResponse(*response, record); !error.empty())
        return error;
    record.entryTime = entryTime ? TicksFromChromiumTime(entryTime) : record.responseTime;
    record.body.decoded = true;
    return {};
}

bool IsCacheStorageOriginFolder(const fs::path& folder)
{
    // index.txt is a common name: away from a CacheStorage folder, it must
    // read as CacheStorage's and name a cache folder that is there.
    std::error_code error;
    if (!fs::is_regular_file(fs::symlink_status(folder / kIndexName, error)))
        return false;
    if (folder.parent_path().filename() == "CacheStorage")
        return true;
    const FileBytes file(folder / kIndexName, folder);
    std::string bytes;
    CacheStorageIndex index;
    if (!file.IsOpen() || file.Size() > kMaxDetectedIndexSize || !file.ReadAt(0, file.Size(), bytes) ||
        !ReadCacheStorageIndex(bytes, index).empty())
        return false;
    return std::any_of(index.caches.begin(), index.caches.end(), [&](const CacheStorageIndex::NamedCache& cache) {
        std::error_code missing;
        return fs::is_directory(fs::symlink_status(folder / cache.folder, missing));
    });
}

bool IsCacheStorageFolder(const fs::path& folder)
{
    if (folder.filename() != "CacheStorage")
        return false;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (IsCacheStorageOriginFolder(it->path()))
            return true;
    return false;
}

BrowserCacheScan ScanChromiumCacheStorage(const fs::path& folder)
{
    BrowserCacheScan scan;
    scan.format = BrowserCacheFormat::ChromiumCacheStorage;
    const OpenedCacheFolder opened(folder);
    if (IsCacheStorageOriginFolder(folder)) {
        scan.error = ScanOrigin(opened, folder, scan);
        return scan;
    }
    // One origin's damaged index leaves the others readable.
    for (const fs::path& origin : ListSubfolders(folder, folder, scan.error))
        if (IsCacheStorageOriginFolder(origin))
            if (std::string error = ScanOrigin(opened, origin, scan); !error.empty())
                scan.records.push_back(Unreadable(origin / kIndexName, std::move(error)));
    if (scan.error.empty() && scan.records.empty() && !IsCacheStorageFolder(folder))
        scan.error = "no CacheStorage in " + folder.string();
    return scan;
}

} // namespace larkspool::browsercache
