// A cache made of several, seen as one: the caches found below one folder
// (a profile's HTTP cache beside its service workers' caches, the browsers
// of a copied home), so that the catalogue, the jobs and the reports need
// not know there are several.
#pragma once

#include "cache/enumeration_handles.h"
#include "cache/url_cache.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace larkspool {

struct JoinedMember {
    std::unique_ptr<UrlCache> cache;
    std::string name; // its node in the folder tree: "Chromium Cache (Default/Cache/Cache_Data)"
};

// The joined cache's own name, its tree's root.
inline constexpr const char* kJoinedCacheName = "Caches";

// Each call goes to the member that holds its entry, told by the key: the
// first member's keys are its own, every other member's MemberKey(its
// number, its own key), so that a URL two members hold names two entries.
// A plain key that the first member does not hold (a URL from the command
// line, a page beside one being written) goes to the first member holding
// it. The enumeration runs through the members in turn. Writes go to an
// entry's member, and are refused with kReadOnlyCacheText for a read-only
// one; new entries go to the first member that is not read-only.
class JoinedCache : public UrlCache {
public:
    // members: two or more.
    explicit JoinedCache(std::vector<JoinedMember> members);
    ~JoinedCache() override;

    const std::vector<JoinedMember>& Members() const { return m_members; }

    CacheEnumHandle FindFirstUrlCacheEntryA(LPCSTR pattern, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size) override;
    BOOL FindNextUrlCacheEntryA(CacheEnumHandle handle, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size) override;
    BOOL FindCloseUrlCache(CacheEnumHandle handle) override;
    BOOL GetUrlCacheEntryInfoA(LPCSTR url, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size) override;
    BOOL DeleteUrlCacheEntryA(LPCSTR url) override;
    BOOL CreateUrlCacheEntryA(LPCSTR url, DWORD expectedSize, LPCSTR extension, LPSTR fileName,
                              DWORD reserved) override;
    int TakeCreatedFile(LPCSTR fileName) override;
    BOOL CommitUrlCacheEntryA(LPCSTR url, LPCSTR localFileName, FILETIME expireTime, FILETIME lastModifiedTime,
                              DWORD cacheEntryType, LPBYTE headerInfo, DWORD headerSize, LPCSTR fileExtension,
                              LPCSTR originalUrl) override;
    BOOL InternetCanonicalizeUrlA(LPCSTR url, LPSTR buffer, LPDWORD length, DWORD flags) override;
    DWORD LastError() const override;
    std::string LastErrorText() const override;
    BOOL RetrieveUrlCacheEntryFileA(LPCSTR url, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size,
                                    DWORD reserved) override;
    std::FILE* OpenUrlCacheEntryBody(LPCSTR url) override;
    std::FILE* OpenUrlCacheEntryStart(LPCSTR url, std::uint64_t maxBytes) override;
    bool SizeIsLowerBound(LPCSTR url) override;
    std::string EntryKey(const INTERNET_CACHE_ENTRY_INFOA& info) const override;
    // Read-only only when every member is; files on demand when any member
    // makes them (EntryKind tells an entry's own).
    UrlCacheKind Kind() const override;
    UrlCacheKind EntryKind(LPCSTR key) override;
    std::string EntryCacheName(LPCSTR key) override;
    std::string LoadError() const override;
    // Each member's: the folder holding them all is not the caches' own.
    std::vector<std::filesystem::path> FilesFolders() const override;
    std::optional<UrlCacheEntryOrigin> EntryOrigin(LPCSTR url) override;
    std::FILE* OpenStoredBody(LPCSTR url) override;
    void BeginLockHold() override;
    void EndLockHold() override;

private:
    struct Enumeration {
        std::string pattern;
        std::size_t member = 0;
        CacheEnumHandle handle = nullptr; // the member's, null before its first entry
    };
    // The member a call with key goes to, its own key in own; nullopt when
    // no member holds a plain key.
    std::optional<std::size_t> MemberOf(LPCSTR key, std::string& own);
    // call(member, own key) on the member that holds key; else missing, the
    // call failed with ERROR_FILE_NOT_FOUND.
    template <typename Result, typename Call>
    Result Routed(LPCSTR key, Result missing, Call call);
    bool Holds(std::size_t member, const char* key);
    // The member, its LastError now the joined cache's.
    UrlCache& Called(std::size_t member);
    BOOL Step(Enumeration& enumeration, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size);
    BOOL Fail(DWORD error, std::string text = {});
    // The member new entries go to; Fail()s when every member is read-only.
    UrlCache* WritableMember();

    std::vector<JoinedMember> m_members;
    EnumerationHandles<Enumeration> m_enumerations;
    std::size_t m_listed = 0;                // the member the last enumeration step came from
    const UrlCache* m_lastCalled = nullptr;   // whose LastError stands; null: the joined cache's own
    DWORD m_lastError = ERROR_SUCCESS;
    std::string m_lastErrorText;
};

} // namespace larkspool
