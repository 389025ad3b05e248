// The read-only URL cache over a browser cache's records. Terms: an entry is
// a listed record; its decoded size is counted on first need (a lookup or
// an enumeration reaching it), up to kListedDecodeLimit, and its local file
// is made on the first retrieve, written under a temporary name and renamed,
// so that a file present in the scratch folder is always whole. No body
// gives more than the cache's most bytes, to a stream or to a file, and the
// files made are removed, oldest first, once together they pass that size.
#include "browsercache/browser_cache.h"

#include "browsercache/body_decoding.h"
#include "browsercache/body_pieces.h"
#include "browsercache/cache_folder.h"
#include "browsercache/cache_key_partition.h"
#include "browsercache/decoded_body_stream.h"
#include "browsercache/http_response_head.h"
#include "browsercache/listed_records.h"
#include "browsercache/local_file_extension.h"
#include "browsercache/scratch_folder.h"
#include "cache/cache_entry_info.h"
#include "cache/cache_error_text.h"
#include "cache/enumeration_handles.h"
#include "cache/file_ptr.h"
#include "cache/recovered_key.h"
#include "cache/url_escapes.h"
#include "html/link_resolution.h"
#include "html/redirect_page_text.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <optional>
#include <unordered_map>

namespace larkspool::browsercache {
namespace {

// A redirect page's link follows the export's own rule for links, with the
// catalogue's first default name for a target ending in "/".
constexpr const char* kRedirectDefaultFile = "index.html";

struct Entry {
    std::string key;
    std::string url;
    std::string head;
    std::string serverAddress;
    std::string partition;
    BodyLocation body;
    std::string encoding;     // the stored body's Content-Encoding, a redirect's too
    std::string redirectPage; // not empty: the entry's whole text, the stored body unused
    std::uint64_t modified = 0;
    std::uint64_t accessed = 0;
    std::optional<std::uint64_t> size; // of the decoded body, once counted
    bool sizeAtLeast = false; // the count stopped at its limit: the body is larger
    bool broken = false;      // the body does not decode: the entry is left out
    std::string extension;    // the local file's, without the dot
    std::string localPath;
    bool made = false;        // the local file is there and whole
    bool recovered = false;   // found by its own key only (RecoveredKey of its index)
};

std::string PageFolder(const std::string& url)
{
    const std::string path = url.substr(0, url.find_first_of("?#"));
    const std::size_t slashes = path.find("//");
    const std::string tree = slashes == std::string::npos ? path : path.substr(slashes + 2);
    const std::size_t slash = tree.rfind('/');
    return slash == std::string::npos ? tree + "/" : tree.substr(0, slash + 1);
}

std::uint64_t ModifiedTime(const std::string& responseHead, std::uint64_t entryTime)
{
    for (const char* header : {"Last-Modified", "Date"})
        if (const auto value = HeaderValue(responseHead, header))
            if (const std::uint64_t ticks = ParseHttpDate(*value))
                return ticks;
    return entryTime;
}

} // namespace

const char* BrowserCacheName(BrowserCacheFormat format)
{
    switch (format) {
    case BrowserCacheFormat::FirefoxCache1:
    case BrowserCacheFormat::FirefoxCache2:
        return "Firefox Cache";
    case BrowserCacheFormat::WebKit:
        return "WebKit Cache";
    case BrowserCacheFormat::ChromiumCacheStorage:
        return "Chromium CacheStorage";
    case BrowserCacheFormat::ChromiumSimple:
    case BrowserCacheFormat::ChromiumBlockfile:
        break;
    }
    return "Chromium Cache";
}

class BrowserCache::Impl {
public:
    Impl(BrowserCacheScan scan, const std::filesystem::path& scratchParent, std::uint64_t maxBodySize,
         bool withRecovered)
        : m_maxBodySize(maxBodySize), m_format(scan.format), m_folder(scan.folder), m_scratch(scratchParent)
    {
        for (const BrowserCacheRecord& record : scan.records)
            if (!record.error.empty() && (withRecovered || !record.recovered))
                m_problems.push_back(record.error); // the readers name the entry in it
        const std::vector<ListedRecord> listed = ListedRecords(scan, &m_problems, withRecovered);
        m_entries.reserve(listed.size()); // m_byUrl points into the entries
        for (const ListedRecord& one : listed)
            Add(std::move(scan.records[std::size_t(one.record - scan.records.data())]), one.redirectTarget);
    }

    BOOL Fail(DWORD error, std::string text = {})
    {
        m_lastError = error;
        m_lastErrorText = std::move(text);
        return FALSE;
    }

    // Names a fault of the entry's body in Problems() and as the reason of the failing call.
    BOOL FailBody(const Entry& entry, const std::string& why)
    {
        m_problems.push_back(entry.url + ": " + why);
        return Fail(ERROR_FILE_CORRUPT, why);
    }

    BOOL Copy(const Entry& entry, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size)
    {
        indexdat::UrlRecord record;
        record.url = entry.url;
        record.modified = entry.modified;
        record.accessed = entry.accessed;
        record.fileSize = entry.size.value_or(0);
        record.entryType = NORMAL_CACHE_ENTRY;
        if (!entry.head.empty())
            record.headerInfo = entry.head;
        if (!entry.extension.empty())
            record.extension = entry.extension;
        const DWORD error = CopyEntryInfo(record, entry.localPath, info, size);
        return error == ERROR_SUCCESS ? TRUE : Fail(error);
    }

    // The next entry from position on whose URL starts with pattern.
    BOOL Next(std::size_t& position, const std::string& pattern, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size)
    {
        while (position < m_entries.size() &&
               !(m_entries[position].url.starts_with(pattern) && Measure(m_entries[position])))
            ++position;
        if (position >= m_entries.size())
            return Fail(ERROR_NO_MORE_ITEMS);
        if (!Copy(m_entries[position], info, size))
            return FALSE;
        m_lastGiven = position++;
        return TRUE;
    }

    // url: a URL, or the key of a recovered entry.
    Entry* Find(LPCSTR url)
    {
        if (!url)
            return nullptr;
        std::size_t index = m_entries.size();
        if (const auto recovered = RecoveredKeyNumber(url); recovered && *recovered < m_entries.size() &&
                                                            m_entries[std::size_t(*recovered)].recovered)
            index = std::size_t(*recovered);
        else if (const auto found = m_byUrl.find(url); found != m_byUrl.end())
            index = found->second;
        return index == m_entries.size() || !Measure(m_entries[index]) ? nullptr : &m_entries[index];
    }

    // The entry's body as a stream, with no file made; a read past maxBytes
    // fails, and every failure is named in Problems() but for passing a
    // caller's maxBytes below the cache's most bytes.
    std::FILE* Open(Entry& entry, std::uint64_t maxBytes)
    {
        const std::size_t problems = m_problems.size();
        const bool callersLimit = maxBytes < m_maxBodySize;
        const auto named = [this, &entry, callersLimit](int error, const std::string& why) {
            if (!(callersLimit && error == EFBIG))
                m_problems.push_back(entry.url + ": " + why);
        };
        std::FILE* stream =
            entry.redirectPage.empty()
                ? OpenDecodedBody(entry.body, entry.encoding, std::min(maxBytes, m_maxBodySize), named)
                : fmemopen(entry.redirectPage.data(), entry.redirectPage.size(), "rb");
        if (!stream)
            Fail(ERROR_FILE_CORRUPT, m_problems.size() > problems ? m_problems.back() : std::string());
        return stream;
    }

    // The entry's body into its local file, once, from the same stream.
    bool Make(Entry& entry)
    {
        if (entry.made)
            return true;
        if (m_scratch.Path().empty())
            return Fail(ERROR_PATH_NOT_FOUND);
        FilePtr body(Open(entry, m_maxBodySize));
        if (!body)
            return FALSE;
        const std::string partPath = entry.localPath + ".part";
        FilePtr file(std::fopen(partPath.c_str(), "wbe"));
        if (!file)
            return Fail(ERROR_ACCESS_DENIED);
        const std::size_t problems = m_problems.size();
        std::uint64_t written = 0;
        bool wrote = true;
        char buffer[64 * 1024];
        while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, body.get())) {
            wrote = std::fwrite(buffer, 1, got, file.get()) == got;
            if (!wrote)
                break;
            written += got;
        }
        const bool read = !std::ferror(body.get());
        const bool closed = std::fclose(file.release()) == 0;
        if (read && wrote && closed && std::rename(partPath.c_str(), entry.localPath.c_str()) == 0) {
            entry.made = true;
            KeepMade(entry, written);
            return true;
        }
        std::remove(partPath.c_str());
        if (!read)
            return Fail(ERROR_FILE_CORRUPT, m_problems.size() > problems ? m_problems.back() : std::string());
        return FailBody(entry, "cannot write " + partPath + ": " + std::strerror(errno));
    }

    UrlCacheKind Kind() const { return {BrowserCacheName(m_format), true, true}; }
    const std::filesystem::path& Folder() const { return m_folder; }
    BrowserCacheFormat Format() const { return m_format; }

    std::vector<Entry> m_entries;
    std::unordered_map<std::string_view, std::size_t> m_byUrl; // views of the live entries' URLs
    std::size_t m_lastGiven = SIZE_MAX; // the entry the last listing step gave
    EnumerationHandles<std::pair<std::size_t, std::string>> m_enumerations;
    std::vector<std::string> m_problems;
    DWORD m_lastError = ERROR_SUCCESS;
    std::string m_lastErrorText; // said of the last failure, when more than its code says
    std::uint64_t m_maxBodySize;

private:
    // Counts the new file in and removes the oldest others while together
    // they hold more than the most one body may.
    void KeepMade(Entry& entry, std::uint64_t size)
    {
        m_made.emplace_back(&entry, size);
        m_madeBytes += size;
        while (m_madeBytes > m_maxBodySize && m_made.size() > 1) {
            auto [oldest, oldSize] = m_made.front();
            m_made.pop_front();
            m_madeBytes -= oldSize;
            std::remove(oldest->localPath.c_str());
            oldest->made = false;
        }
    }

    // Takes the record's strings; the scan is not used again.
    void Add(BrowserCacheRecord&& record, const std::string& redirectTarget)
    {
        Entry entry;
        entry.key = std::move(record.key);
        entry.url = std::move(record.url);
        entry.head = std::move(record.responseHead);
        entry.serverAddress = std::move(record.serverAddress);
        entry.partition = std::move(record.partition);
        entry.body = std::move(record.body);
        entry.modified = ModifiedTime(entry.head, record.entryTime);
        entry.accessed = record.accessTime ? record.accessTime : record.entryTime;
        if (record.decodedSize) {
            entry.size = record.decodedSize->bytes;
            entry.sizeAtLeast = record.decodedSize->atLeast;
        }
        entry.encoding = entry.body.decoded ? "" : HeaderValue(entry.head, "Content-Encoding").value_or("");
        if (!redirectTarget.empty()) {
            entry.redirectPage =
                RedirectPageText(ResolveExportLink(redirectTarget, PageFolder(entry.url), kRedirectDefaultFile));
            entry.size = entry.redirectPage.size();
            entry.extension = "htm";
        } else {
            entry.extension = LocalFileExtension(HeaderValue(entry.head, "Content-Type").value_or(""), entry.url);
        }
        entry.localPath = (m_scratch.Path() / std::to_string(m_entries.size())).string();
        if (!entry.extension.empty())
            entry.localPath += "." + entry.extension;
        entry.recovered = record.recovered;
        m_entries.push_back(std::move(entry));
        if (!m_entries.back().recovered)
            m_byUrl.emplace(m_entries.back().url, m_entries.size() - 1);
    }

    // The decoded size: the stored length when nothing is to be undone.
    bool Measure(Entry& entry)
    {
        if (entry.size || entry.broken)
            return !entry.broken;
        std::string error;
        if (!NeedsDecoding(entry.encoding) && !entry.body.pieces.empty()) {
            error = PiecesPastFileEnd(entry.body);
            entry.size = entry.body.length;
        } else if (!NeedsDecoding(entry.encoding)) {
            std::error_code sizeError;
            const std::uint64_t fileSize = std::filesystem::file_size(entry.body.file, sizeError);
            if (sizeError || entry.body.offset > fileSize || entry.body.length > fileSize - entry.body.offset)
                error = "the body lies past the end of " + entry.body.file.string();
            entry.size = entry.body.length;
        } else if (const std::uint64_t held = HeldBytes(entry.body);
                   !entry.body.pieces.empty() && held < entry.body.length) {
            // The ranges are of the encoded bytes: past a gap's zeros nothing decodes.
            error = "its " + entry.encoding + "-encoded body is kept with gaps (" + std::to_string(held) + " of " +
                    std::to_string(entry.body.length) + " bytes) and cannot be decoded";
        } else {
            BodyDecoder decoder(entry.body, entry.encoding);
            DecodedSize counted;
            error = CountDecodedBytes(decoder, kListedDecodeLimit, counted);
            entry.size = counted.bytes;
            entry.sizeAtLeast = counted.atLeast;
        }
        if (error.empty())
            return true;
        entry.size.reset();
        entry.broken = true;
        m_problems.push_back(entry.key + ": " + error);
        return false;
    }

    BrowserCacheFormat m_format;
    std::filesystem::path m_folder;
    ScratchFolder m_scratch;
    std::deque<std::pair<Entry*, std::uint64_t>> m_made; // the local files there, oldest first, and their sizes
    std::uint64_t m_madeBytes = 0;
};

BrowserCache::BrowserCache(BrowserCacheScan scan, const std::filesystem::path& scratchParent,
                           std::uint64_t maxBodySize, bool withRecovered)
    : m_impl(std::make_unique<Impl>(std::move(scan), scratchParent, maxBodySize, withRecovered))
{
}

BrowserCache::~BrowserCache() = default;

const std::vector<std::string>& BrowserCache::Problems() const { return m_impl->m_problems; }

CacheEnumHandle BrowserCache::FindFirstUrlCacheEntryA(LPCSTR pattern, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size)
{
    auto state = std::make_unique<std::pair<std::size_t, std::string>>(0, pattern ? pattern : "");
    if (!m_impl->Next(state->first, state->second, info, size))
        return nullptr;
    return m_impl->m_enumerations.Open(std::move(state));
}

BOOL BrowserCache::FindNextUrlCacheEntryA(CacheEnumHandle handle, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size)
{
    auto* state = m_impl->m_enumerations.Find(handle);
    return state ? m_impl->Next(state->first, state->second, info, size) : m_impl->Fail(ERROR_INVALID_HANDLE);
}

BOOL BrowserCache::FindCloseUrlCache(CacheEnumHandle handle)
{
    return m_impl->m_enumerations.Close(handle) ? TRUE : m_impl->Fail(ERROR_INVALID_HANDLE);
}

BOOL BrowserCache::GetUrlCacheEntryInfoA(LPCSTR url, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size)
{
    const Entry* entry = m_impl->Find(url);
    if (!entry)
        return m_impl->Fail(ERROR_FILE_NOT_FOUND);
    return size ? m_impl->Copy(*entry, info, size) : TRUE;
}

BOOL BrowserCache::RetrieveUrlCacheEntryFileA(LPCSTR url, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size, DWORD)
{
    Entry* entry = m_impl->Find(url);
    if (!entry)
        return m_impl->Fail(ERROR_FILE_NOT_FOUND);
    if (!m_impl->Make(*entry))
        return FALSE;
    return size ? m_impl->Copy(*entry, info, size) : TRUE;
}

std::FILE* BrowserCache::OpenUrlCacheEntryBody(LPCSTR url)
{
    return OpenUrlCacheEntryStart(url, m_impl->m_maxBodySize);
}

std::FILE* BrowserCache::OpenUrlCacheEntryStart(LPCSTR url, std::uint64_t maxBytes)
{
    Entry* entry = m_impl->Find(url);
    if (!entry) {
        m_impl->Fail(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return m_impl->Open(*entry, maxBytes);
}

std::optional<UrlCacheEntryOrigin> BrowserCache::EntryOrigin(LPCSTR url)
{
    const Entry* entry = m_impl->Find(url);
    if (!entry)
        return std::nullopt;
    const BrowserCacheFormat format = m_impl->Format();
    UrlCacheEntryOrigin origin;
    origin.recovered = entry->recovered;
    origin.format = CacheFormatName(format);
    // The first Firefox cache kept no partition; WebKit keeps it beside the
    // key, and CacheStorage's entries are told apart by their cache's name.
    origin.partition = format == BrowserCacheFormat::FirefoxCache2   ? PartitionFromFirefoxKey(entry->key)
                       : format == BrowserCacheFormat::FirefoxCache1 ? std::string()
                       : format == BrowserCacheFormat::WebKit ||
                               format == BrowserCacheFormat::ChromiumCacheStorage
                           ? entry->partition
                                                                     : PartitionFromChromiumKey(entry->key);
    origin.entryFile = entry->body.file.string();
    origin.serverIp = entry->serverAddress;
    origin.storedSize = HeldBytes(entry->body);
    if (*origin.storedSize < entry->body.length)
        origin.heldBytes = origin.storedSize;
    origin.redirectPage = !entry->redirectPage.empty();
    return origin;
}

std::FILE* BrowserCache::OpenStoredBody(LPCSTR url)
{
    Entry* entry = m_impl->Find(url);
    if (!entry) {
        m_impl->Fail(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    if (entry->redirectPage.empty())
        return m_impl->Open(*entry, UINT64_MAX);
    // A 30x answer's own body, which no file of the export shows.
    std::FILE* stream = OpenDecodedBody(entry->body, entry->encoding, m_impl->m_maxBodySize);
    if (!stream)
        m_impl->Fail(ERROR_FILE_CORRUPT);
    return stream;
}

BOOL BrowserCache::DeleteUrlCacheEntryA(LPCSTR) { return m_impl->Fail(ERROR_ACCESS_DENIED); }

BOOL BrowserCache::CreateUrlCacheEntryA(LPCSTR, DWORD, LPCSTR, LPSTR, DWORD)
{
    return m_impl->Fail(ERROR_ACCESS_DENIED);
}

BOOL BrowserCache::CommitUrlCacheEntryA(LPCSTR, LPCSTR, FILETIME, FILETIME, DWORD, LPBYTE, DWORD, LPCSTR, LPCSTR)
{
    return m_impl->Fail(ERROR_ACCESS_DENIED);
}

BOOL BrowserCache::InternetCanonicalizeUrlA(LPCSTR url, LPSTR buffer, LPDWORD length, DWORD flags)
{
    const DWORD error = CanonicalizeUrl(url, buffer, length, flags);
    return error == ERROR_SUCCESS ? TRUE : m_impl->Fail(error);
}

DWORD BrowserCache::LastError() const { return m_impl->m_lastError; }

std::string BrowserCache::LastErrorText() const
{
    return m_impl->m_lastErrorText.empty() ? CacheErrorText(m_impl->m_lastError) : m_impl->m_lastErrorText;
}

bool BrowserCache::SizeIsLowerBound(LPCSTR url)
{
    const Entry* entry = m_impl->Find(url);
    return entry && entry->sizeAtLeast;
}

UrlCacheKind BrowserCache::Kind() const { return m_impl->Kind(); }

std::string BrowserCache::EntryKey(const INTERNET_CACHE_ENTRY_INFOA& info) const
{
    const std::size_t given = m_impl->m_lastGiven;
    if (given < m_impl->m_entries.size() && m_impl->m_entries[given].recovered)
        return RecoveredKey(given);
    return UrlCache::EntryKey(info);
}

std::vector<std::filesystem::path> BrowserCache::FilesFolders() const { return {m_impl->Folder()}; }

std::string BrowserCache::LoadError() const
{
    const std::filesystem::path& folder = m_impl->Folder();
    return folder.empty() ? std::string() : CacheFolderProblem(folder, folder.string(), true);
}

} // namespace larkspool::browsercache
