// The joined cache: routing each call by its key to the member that holds
// the entry, and running the enumeration through the members in turn.
#include "cache/joined_cache.h"

#include "cache/recovered_key.h"

#include <algorithm>
#include <utility>

namespace larkspool {

JoinedCache::JoinedCache(std::vector<JoinedMember> members) : m_members(std::move(members))
{
}

JoinedCache::~JoinedCache() = default;

std::vector<std::filesystem::path> JoinedCache::FilesFolders() const
{
    std::vector<std::filesystem::path> folders;
    for (const JoinedMember& member : m_members)
        for (std::filesystem::path& folder : member.cache->FilesFolders())
            folders.push_back(std::move(folder));
    return folders;
}

UrlCache& JoinedCache::Called(std::size_t member)
{
    UrlCache& cache = *m_members[member].cache;
    m_lastCalled = &cache;
    return cache;
}

BOOL JoinedCache::Fail(DWORD error, std::string text)
{
    m_lastCalled = nullptr;
    m_lastError = error;
    m_lastErrorText = std::move(text);
    return FALSE;
}

bool JoinedCache::Holds(std::size_t member, const char* key)
{
    UrlCache& cache = *m_members[member].cache;
    CacheEntryBuffer buffer;
    DWORD size = buffer.size();
    return cache.GetUrlCacheEntryInfoA(key, buffer.info(), &size) || cache.LastError() == ERROR_INSUFFICIENT_BUFFER;
}

std::optional<std::size_t> JoinedCache::MemberOf(LPCSTR key, std::string& own)
{
    const std::string_view given = key ? key : "";
    if (const auto parts = SplitMemberKey(given); parts && parts->member < m_members.size()) {
        own = parts->key;
        return parts->member;
    }
    own = given;
    for (std::size_t member = 0; member < m_members.size(); ++member)
        if (Holds(member, own.c_str()))
            return member;
    return std::nullopt;
}

template <typename Result, typename Call>
Result JoinedCache::Routed(LPCSTR key, Result missing, Call call)
{
    std::string own;
    const std::optional<std::size_t> member = MemberOf(key, own);
    if (!member) {
        Fail(ERROR_FILE_NOT_FOUND);
        return missing;
    }
    return call(*member, Called(*member), own.c_str());
}

BOOL JoinedCache::Step(Enumeration& enumeration, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size)
{
    for (; enumeration.member < m_members.size(); ++enumeration.member) {
        UrlCache& cache = Called(enumeration.member);
        if (!enumeration.handle) {
            enumeration.handle = cache.FindFirstUrlCacheEntryA(enumeration.pattern.c_str(), info, size);
            if (enumeration.handle) {
                m_listed = enumeration.member;
                return TRUE;
            }
        } else if (cache.FindNextUrlCacheEntryA(enumeration.handle, info, size)) {
            m_listed = enumeration.member;
            return TRUE;
        }
        // Any other failure leaves the enumeration where it is, so that the
        // same call can be repeated (with a larger buffer).
        if (cache.LastError() != ERROR_NO_MORE_ITEMS)
            return FALSE;
        if (enumeration.handle)
            cache.FindCloseUrlCache(std::exchange(enumeration.handle, nullptr));
    }
    return Fail(ERROR_NO_MORE_ITEMS);
}

CacheEnumHandle JoinedCache::FindFirstUrlCacheEntryA(LPCSTR pattern, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size)
{
    auto enumeration = std::make_unique<Enumeration>();
    enumeration->pattern = pattern ? pattern : "";
    if (!Step(*enumeration, info, size))
        return nullptr;
    return m_enumerations.Open(std::move(enumeration));
}

BOOL JoinedCache::FindNextUrlCacheEntryA(CacheEnumHandle handle, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size)
{
    Enumeration* enumeration = m_enumerations.Find(handle);
    return enumeration ? Step(*enumeration, info, size) : Fail(ERROR_INVALID_HANDLE);
}

BOOL JoinedCache::FindCloseUrlCache(CacheEnumHandle handle)
{
    Enumeration* enumeration = m_enumerations.Find(handle);
    if (!enumeration)
        return Fail(ERROR_INVALID_HANDLE);
    if (enumeration->handle)
        Called(enumeration->member).FindCloseUrlCache(enumeration->handle);
    m_enumerations.Close(handle);
    return TRUE;
}

std::string JoinedCache::EntryKey(const INTERNET_CACHE_ENTRY_INFOA& info) const
{
    const std::string own = m_members[m_listed].cache->EntryKey(info);
    return m_listed == 0 ? own : MemberKey(m_listed, own);
}

BOOL JoinedCache::GetUrlCacheEntryInfoA(LPCSTR url, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size)
{
    return Routed(url, FALSE, [&](std::size_t, UrlCache& cache, LPCSTR own) {
        return cache.GetUrlCacheEntryInfoA(own, info, size);
    });
}

BOOL JoinedCache::RetrieveUrlCacheEntryFileA(LPCSTR url, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size,
                                             DWORD reserved)
{
    return Routed(url, FALSE, [&](std::size_t, UrlCache& cache, LPCSTR own) {
        return cache.RetrieveUrlCacheEntryFileA(own, info, size, reserved);
    });
}

BOOL JoinedCache::DeleteUrlCacheEntryA(LPCSTR url)
{
    return Routed(url, FALSE, [&](std::size_t, UrlCache& cache, LPCSTR own) {
        return cache.Kind().readOnly ? Fail(ERROR_ACCESS_DENIED, kReadOnlyCacheText) : cache.DeleteUrlCacheEntryA(own);
    });
}

UrlCache* JoinedCache::WritableMember()
{
    for (std::size_t member = 0; member < m_members.size(); ++member)
        if (!m_members[member].cache->Kind().readOnly)
            return &Called(member);
    Fail(ERROR_ACCESS_DENIED, kReadOnlyCacheText);
    return nullptr;
}

BOOL JoinedCache::CreateUrlCacheEntryA(LPCSTR url, DWORD expectedSize, LPCSTR extension, LPSTR fileName,
                                       DWORD reserved)
{
    UrlCache* cache = WritableMember();
    return cache ? cache->CreateUrlCacheEntryA(url, expectedSize, extension, fileName, reserved) : FALSE;
}

int JoinedCache::TakeCreatedFile(LPCSTR fileName)
{
    UrlCache* cache = WritableMember();
    return cache ? cache->TakeCreatedFile(fileName) : -1;
}

BOOL JoinedCache::CommitUrlCacheEntryA(LPCSTR url, LPCSTR localFileName, FILETIME expireTime,
                                       FILETIME lastModifiedTime, DWORD cacheEntryType, LPBYTE headerInfo,
                                       DWORD headerSize, LPCSTR fileExtension, LPCSTR originalUrl)
{
    UrlCache* cache = WritableMember();
    return cache ? cache->CommitUrlCacheEntryA(url, localFileName, expireTime, lastModifiedTime, cacheEntryType,
                                               headerInfo, headerSize, fileExtension, originalUrl)
                 : FALSE;
}

BOOL JoinedCache::InternetCanonicalizeUrlA(LPCSTR url, LPSTR buffer, LPDWORD length, DWORD flags)
{
    return Called(0).InternetCanonicalizeUrlA(url, buffer, length, flags);
}

DWORD JoinedCache::LastError() const { return m_lastCalled ? m_lastCalled->LastError() : m_lastError; }

std::string JoinedCache::LastErrorText() const
{
    if (m_lastCalled)
        return m_lastCalled->LastErrorText();
    return m_lastErrorText.empty() ? CacheErrorText(m_lastError) : m_lastErrorText;
}

std::FILE* JoinedCache::OpenUrlCacheEntryBody(LPCSTR url)
{
    return Routed(url, static_cast<std::FILE*>(nullptr),
                  [&](std::size_t, UrlCache& cache, LPCSTR own) { return cache.OpenUrlCacheEntryBody(own); });
}

std::FILE* JoinedCache::OpenUrlCacheEntryStart(LPCSTR url, std::uint64_t maxBytes)
{
    return Routed(url, static_cast<std::FILE*>(nullptr),
                  [&](std::size_t, UrlCache& cache, LPCSTR own) { return cache.OpenUrlCacheEntryStart(own, maxBytes); });
}

std::FILE* JoinedCache::OpenStoredBody(LPCSTR url)
{
    return Routed(url, static_cast<std::FILE*>(nullptr),
                  [&](std::size_t, UrlCache& cache, LPCSTR own) { return cache.OpenStoredBody(own); });
}

bool JoinedCache::SizeIsLowerBound(LPCSTR url)
{
    return Routed(url, false, [](std::size_t, UrlCache& cache, LPCSTR own) { return cache.SizeIsLowerBound(own); });
}

std::optional<UrlCacheEntryOrigin> JoinedCache::EntryOrigin(LPCSTR url)
{
    return Routed(url, std::optional<UrlCacheEntryOrigin>(),
                  [](std::size_t, UrlCache& cache, LPCSTR own) { return cache.EntryOrigin(own); });
}

UrlCacheKind JoinedCache::Kind() const
{
    UrlCacheKind kind;
    kind.name = kJoinedCacheName;
    kind.readOnly = std::all_of(m_members.begin(), m_members.end(),
                                [](const JoinedMember& member) { return member.cache->Kind().readOnly; });
    for (const JoinedMember& member : m_members) {
        const UrlCacheKind own = member.cache->Kind();
        kind.filesOnDemand = kind.filesOnDemand || own.filesOnDemand;
        kind.listsMissingBodies = kind.listsMissingBodies || own.listsMissingBodies;
    }
    return kind;
}

UrlCacheKind JoinedCache::EntryKind(LPCSTR key)
{
    return Routed(key, Kind(), [](std::size_t, UrlCache& cache, LPCSTR) { return cache.Kind(); });
}

std::string JoinedCache::EntryCacheName(LPCSTR key)
{
    return Routed(key, std::string(), [this](std::size_t member, UrlCache&, LPCSTR) { return m_members[member].name; });
}

std::string JoinedCache::LoadError() const
{
    for (const JoinedMember& member : m_members)
        if (std::string error = member.cache->LoadError(); !error.empty())
            return error;
    return {};
}

void JoinedCache::BeginLockHold()
{
    for (const JoinedMember& member : m_members)
        member.cache->BeginLockHold();
}

void JoinedCache::EndLockHold()
{
    for (auto member = m_members.rbegin(); member != m_members.rend(); ++member)
        member->cache->EndLockHold();
}

} // namespace larkspool
