// The URL cache as its callers see it: the eight WinINet operations, with
// WinINet's buffers, results and last-error codes. IndexDatCache implements it
// over a cache folder of our own; WinInetCache forwards to the real API.
#pragma once

#include "cache/cache_error_text.h"
#include "cache/wininet_types.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace larkspool {

// Every entry buffer handed to the enumeration and lookup is this large, and
// its size argument is set to this before every call.
inline constexpr DWORD kEntryBufferSize = 4096;

// Handle of a running enumeration; null when it could not be opened.
using CacheEnumHandle = HANDLE;

// What a cache is beyond the WinINet calls.
struct UrlCacheKind {
    const char* name = "MSIE Cache"; // names the cache in the folder tree and the jobs
    bool readOnly = false;           // every write fails with ERROR_ACCESS_DENIED
    bool filesOnDemand = false;      // a local file is made by RetrieveUrlCacheEntryFileA, not by listing
    // Opened to see all the cache still holds: an entry whose local file is
    // gone is listed too, as a missing body, rather than left out.
    bool listsMissingBodies = false;
};

// Where an entry lives, beyond the WinINet fields, for a report of the cache.
struct UrlCacheEntryOrigin {
    std::string format;    // "index.dat", "chromium-simple", "chromium-blockfile", "firefox-cache1", "firefox-cache2",
                           // "chromium-cachestorage", "webkit"
    std::string partition; // the top-frame site the browser keyed the entry under; empty when none
    std::string entryFile; // the cache file holding the entry; empty when unknown
    std::string serverIp;  // the address the response came from, where the cache kept it
    std::optional<std::uint64_t> storedSize; // the body's bytes as stored, still Content-Encoded; unset: the local file's
    // The bytes the cache holds of a body it keeps with gaps (fetched by
    // byte ranges); the body has zeros in their place. Unset: held whole.
    std::optional<std::uint64_t> heldBytes;
    bool redirectPage = false; // the local file is a page made for a redirect, not the stored body
    bool recovered = false;    // what the cache no longer lists, found by a scan of what it still holds
    bool urlOnly = false;      // a live record of a URL alone (index.dat's redirect): no body, never changed
};

// What the jobs, the window and the command line say when a write is refused.
inline constexpr const char* kReadOnlyCacheText = "this cache is read-only";
inline constexpr const char* kRecoveredRecordText = "a recovered record is never changed or removed";
inline constexpr const char* kRedirectRecordText = "a redirect record holds only its URL and is never changed or removed";

class UrlCache {
public:
    virtual ~UrlCache() = default;

    // pattern "" enumerates every entry. On success the first entry is in
    // info and *size holds the bytes used; when it does not fit, the result is
    // null with ERROR_INSUFFICIENT_BUFFER and *size the bytes needed.
    virtual CacheEnumHandle FindFirstUrlCacheEntryA(LPCSTR pattern, INTERNET_CACHE_ENTRY_INFOA* info,
                                                    DWORD* size) = 0;
    // FALSE with ERROR_NO_MORE_ITEMS at the end; FALSE with
    // ERROR_INSUFFICIENT_BUFFER (and *size the bytes needed) leaves the
    // enumeration where it is, so the same call can be repeated.
    virtual BOOL FindNextUrlCacheEntryA(CacheEnumHandle handle, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size) = 0;
    virtual BOOL FindCloseUrlCache(CacheEnumHandle handle) = 0;

    // FALSE with ERROR_FILE_NOT_FOUND when the URL has no entry.
    virtual BOOL GetUrlCacheEntryInfoA(LPCSTR url, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size) = 0;
    // Removes one entry of the URL; FALSE with ERROR_FILE_NOT_FOUND when none is left.
    virtual BOOL DeleteUrlCacheEntryA(LPCSTR url) = 0;

    // Reserves a new local file for the URL; fileName receives its full path
    // (MAX_PATH bytes). The extension is given without its dot.
    virtual BOOL CreateUrlCacheEntryA(LPCSTR url, DWORD expectedSize, LPCSTR extension, LPSTR fileName,
                                      DWORD reserved) = 0;
    // The file the last CreateUrlCacheEntryA made as fileName, still open
    // for writing, handed over to the caller, who closes it; -1 when the
    // cache keeps none open (the caller opens fileName). Saves opening again
    // a file just made.
    virtual int TakeCreatedFile(LPCSTR /*fileName*/) { return -1; }
    virtual BOOL CommitUrlCacheEntryA(LPCSTR url, LPCSTR localFileName, FILETIME expireTime,
                                      FILETIME lastModifiedTime, DWORD cacheEntryType, LPBYTE headerInfo,
                                      DWORD headerSize, LPCSTR fileExtension, LPCSTR originalUrl) = 0;

    // *length is the output's size on entry and the text's length on return.
    virtual BOOL InternetCanonicalizeUrlA(LPCSTR url, LPSTR buffer, LPDWORD length, DWORD flags) = 0;

    // The error code of the last failing call on this thread.
    virtual DWORD LastError() const = 0;
    // Why that call failed, for a message: the system's reason where the
    // store knows it ("read-only file system" rather than "access denied").
    virtual std::string LastErrorText() const { return CacheErrorText(LastError()); }

    // Lookup that also makes sure the entry's local file is there: callers
    // call it before reading a file of a cache whose Kind() says
    // filesOnDemand. size null: only the file, info untouched.
    virtual BOOL RetrieveUrlCacheEntryFileA(LPCSTR url, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size,
                                            DWORD /*reserved*/)
    {
        return GetUrlCacheEntryInfoA(url, info, size);
    }

    // The entry's body as a stream read from where the cache keeps it,
    // without making its local file; the caller closes it. Caches whose
    // Kind() says filesOnDemand give one (nullptr and LastError() when the
    // entry has none); the others nullptr: their local file is the body.
    virtual std::FILE* OpenUrlCacheEntryBody(LPCSTR /*url*/) { return nullptr; }
    // The same for a reader that wants only the start (a page's title): a
    // read past the first maxBytes fails (EFBIG) and is no fault of the entry.
    virtual std::FILE* OpenUrlCacheEntryStart(LPCSTR url, std::uint64_t /*maxBytes*/)
    {
        return OpenUrlCacheEntryBody(url);
    }

    // True when the size the lookup and the enumeration give for the URL's
    // entry is only a lower bound: its body was decoded only so far to be
    // measured. The window shows it as "at least" (FormatSizeText), the
    // command line with a "+" (SizeField).
    virtual bool SizeIsLowerBound(LPCSTR /*url*/) { return false; }

    // The key the calls above find again the entry by that the enumeration
    // has just given in info: its URL, but for a record that shares its URL
    // with others and that only the cache can tell apart (a recovered one).
    // Asked before the next enumeration call.
    virtual std::string EntryKey(const INTERNET_CACHE_ENTRY_INFOA& info) const
    {
        return info.lpszSourceUrlName ? info.lpszSourceUrlName : "";
    }

    virtual UrlCacheKind Kind() const { return {}; }
    // The kind of the cache that holds the entry of key: Kind(), but for a
    // cache made of several (JoinedCache), whose members differ.
    virtual UrlCacheKind EntryKind(LPCSTR /*key*/) { return Kind(); }
    // The name of the member cache that holds the entry of key, under which
    // the folder tree shows it; empty for a cache of one.
    virtual std::string EntryCacheName(LPCSTR /*key*/) { return {}; }
    // Empty when the cache can be read now; else why not, in one line (its
    // folder gone or unreadable, its file foreign). Asked at the open and
    // before every refresh, so that an unreadable cache never reads as empty.
    virtual std::string LoadError() const { return {}; }

    // The folders that hold the cache's own files, which an export never
    // writes; none for a cache without one of its own.
    virtual std::vector<std::filesystem::path> FilesFolders() const { return {}; }

    // nullopt when the URL has no entry.
    virtual std::optional<UrlCacheEntryOrigin> EntryOrigin(LPCSTR /*url*/)
    {
        UrlCacheEntryOrigin origin;
        origin.format = "index.dat";
        return origin;
    }
    // The body the server sent, decoded, as a stream (for a redirect its
    // stored 30x body, not the page made for it); the caller closes it.
    // Like OpenUrlCacheEntryBody, nullptr from caches without filesOnDemand.
    virtual std::FILE* OpenStoredBody(LPCSTR url) { return OpenUrlCacheEntryBody(url); }

    // A run of calls that may share one taking of the cache's lock instead of
    // one per call (see CacheLockHold); holds nest. Caches without a lock of
    // their own ignore them.
    virtual void BeginLockHold() {}
    virtual void EndLockHold() {}
};

// While it lives, the cache's calls share its lock, which it still lets go
// now and then between calls so that other processes get their turn. Nothing
// that waits for the user belongs inside one: end it before asking.
class CacheLockHold {
public:
    explicit CacheLockHold(UrlCache& cache) : m_cache(cache) { m_cache.BeginLockHold(); }
    ~CacheLockHold() { m_cache.EndLockHold(); }
    CacheLockHold(const CacheLockHold&) = delete;
    CacheLockHold& operator=(const CacheLockHold&) = delete;

private:
    UrlCache& m_cache;
};

// An aligned entry buffer: kEntryBufferSize bytes unless a call asked for more.
class CacheEntryBuffer {
public:
    explicit CacheEntryBuffer(DWORD bytes = kEntryBufferSize) { resize(bytes); }

    INTERNET_CACHE_ENTRY_INFOA* info() { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(m_words.data()); }
    const INTERNET_CACHE_ENTRY_INFOA* info() const
    {
        return reinterpret_cast<const INTERNET_CACHE_ENTRY_INFOA*>(m_words.data());
    }
    DWORD size() const { return m_size; }
    void resize(DWORD bytes)
    {
        m_size = bytes < sizeof(INTERNET_CACHE_ENTRY_INFOA) ? DWORD(sizeof(INTERNET_CACHE_ENTRY_INFOA)) : bytes;
        m_words.assign((m_size + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t), std::max_align_t{});
    }

private:
    std::vector<std::max_align_t> m_words;
    DWORD m_size = 0;
};

} // namespace larkspool
