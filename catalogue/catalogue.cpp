// The refresh: count the cache entries for the progress bar, read every
// entry into a record, put them in catalogue order, number equal paths and
// build the tree. Also the extension filter's two lists.
#include "catalogue/catalogue.h"

#include "base/path_text.h"
#include "cache/recovered_key.h"
#include "cache/url_cache.h"
#include "catalogue/size_date_texts.h"
#include "catalogue/translated_text.h"

#include <algorithm>
#include <unordered_set>

namespace larkspool {
namespace {

constexpr int kFindFirstAttempts = 3;

// A call that failed for want of room is repeated once the buffer has the
// size the cache asked for; a cache asking for no more than it had is
// failing for another reason.
bool GrowForRetry(UrlCache& cache, CacheEntryBuffer& buffer, DWORD needed)
{
    if (cache.LastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size())
        return false;
    buffer.resize(needed);
    return true;
}

CacheEnumHandle FindFirstEntry(UrlCache& cache, CacheEntryBuffer& buffer)
{
    for (;;) {
        DWORD size = buffer.size();
        if (CacheEnumHandle handle = cache.FindFirstUrlCacheEntryA("", buffer.info(), &size))
            return handle;
        if (!GrowForRetry(cache, buffer, size))
            return nullptr;
    }
}

bool FindNextEntry(UrlCache& cache, CacheEnumHandle handle, CacheEntryBuffer& buffer)
{
    for (;;) {
        DWORD size = buffer.size();
        if (cache.FindNextUrlCacheEntryA(handle, buffer.info(), &size))
            return true;
        if (!GrowForRetry(cache, buffer, size))
            return false;
    }
}

// A leftover file, which has no URL, counts as one.
bool IsPageEntry(const UrlCache& cache, const INTERNET_CACHE_ENTRY_INFOA& info)
{
    if (info.CacheEntryType & (COOKIE_CACHE_ENTRY | URLHISTORY_CACHE_ENTRY) || !info.lpszSourceUrlName)
        return false;
    const std::string_view url = info.lpszSourceUrlName;
    return url.find("://") != std::string_view::npos || (url.empty() && LeftoverKeyNumber(cache.EntryKey(info)));
}

} // namespace

void Catalogue::BuildFolderTree()
{
    m_tree.BuildFolderTree(m_cacheList, m_cache.Kind().name);
}

Catalogue::Catalogue(UrlCache& cache)
    : m_cache(cache)
{
}

int Catalogue::CountCacheEntries()
{
    CacheLockHold hold(m_cache);
    CacheEntryBuffer buffer;
    CacheEnumHandle handle = nullptr;
    for (int attempt = 0; attempt < kFindFirstAttempts && !handle; ++attempt)
        handle = FindFirstEntry(m_cache, buffer);
    if (!handle)
        return -1;
    int count = 0;
    do
        ++count;
    while (FindNextEntry(m_cache, handle, buffer));
    m_cache.FindCloseUrlCache(handle);
    return count;
}

void Catalogue::Clear()
{
    m_cacheList.clear();
    m_pickUpSaveList.clear();
    m_records.clear();
}

void Catalogue::ScanCache(RefreshProgress& progress)
{
    if (m_pickUpActive)
        EndPickUp();
    EndFind();
    Clear();
    const int count = CountCacheEntries();
    if (count <= 0)
        return;
    m_records.reserve(static_cast<std::size_t>(count));
    m_cacheList.reserve(static_cast<std::size_t>(count));
    progress.SetProgressMaximum(count);
    progress.SetProgressPosition(0);

    CacheEntryBuffer buffer;
    ListDateTexts dateTexts;
    auto fresh = std::make_unique<TCacheEntry>();
    {
        // One lock for the whole enumeration: nothing in it waits for the user.
        CacheLockHold hold(m_cache);
        if (CacheEnumHandle handle = FindFirstEntry(m_cache, buffer)) {
            int position = 0;
            do {
                progress.SetProgressPosition(++position);
                if (IsPageEntry(m_cache, *buffer.info())) {
                    progress.ProcessEvents();
                    if (MakeCacheEntry(m_cache, m_readTitles ? &m_reader : nullptr, m_defFile1, *buffer.info(),
                                       *fresh, &dateTexts) == 0) {
                        m_cacheList.push_back(fresh.get());
                        m_records.push_back(std::move(fresh));
                        fresh = std::make_unique<TCacheEntry>();
                    }
                }
            } while (!m_refreshCancel && FindNextEntry(m_cache, handle, buffer));
            m_cache.FindCloseUrlCache(handle);
            return;
        }
    }
    progress.ShowMessage("FindFirstUrlCacheEntry fail", "Test Wild Card", kMessageNoIcon);
}

void Catalogue::RefreshCache(RefreshProgress& progress)
{
    m_refreshCancel = false;
    // A cache that cannot be read shows nothing, and says why rather than
    // that it is empty.
    const std::string unreadable = m_cache.LoadError();
    if (!unreadable.empty()) {
        if (m_pickUpActive)
            EndPickUp();
        EndFind();
        Clear();
    } else {
        ScanCache(progress);
    }
    if (!m_cacheList.empty()) {
        SortCacheList(m_cacheList);
        EraseEntries(NumberDuplicates(m_cacheList));
    }
    BuildFolderTree();
    if (!unreadable.empty())
        progress.ShowMessage(unreadable, kAppCaption, kMessageStop);
    else if (m_cacheList.empty())
        progress.ShowMessage(Translated("Catalogue", kEmptyCacheText), kAppCaption, kMessageInformation);
}

std::vector<TCacheEntry*> Catalogue::FolderFiles(int nodeId) const
{
    return larkspool::FolderFiles(m_cacheList, nodeId);
}

void Catalogue::LookUpMissingTypes()
{
    for (TCacheEntry* entry : m_cacheList)
        if (entry->TypeIndex == -1)
            entry->TypeIndex = EntryTypeIndex(*entry);
}

int Catalogue::EntryTypeIndex(const TCacheEntry& entry)
{
    return m_cache.EntryKind(entry.CacheKey()).filesOnDemand ? m_types.GetNameTypeIndex(entry.LocalFile)
                                        : m_types.GetFileTypeIndex(entry.LocalFile);
}

void Catalogue::ShowNarrowed()
{
    if (!Narrowed()) {
        m_cacheList = std::move(m_pickUpSaveList);
        m_pickUpSaveList.clear();
        return;
    }
    m_cacheList.clear();
    for (TCacheEntry* entry : m_pickUpSaveList) {
        const bool picked = !m_pickUpActive || (entry->TypeIndex != -1 && std::find(m_pickUpTypes.begin(),
                                                                                   m_pickUpTypes.end(),
                                                                                   entry->TypeIndex) != m_pickUpTypes.end());
        if (picked && (!m_find || m_find->Matches(*entry)))
            m_cacheList.push_back(entry);
    }
}

void Catalogue::StartPickUp(const std::vector<int>& types)
{
    if (!Narrowed())
        m_pickUpSaveList = m_cacheList;
    m_pickUpTypes = types;
    m_pickUpActive = true;
    ShowNarrowed();
    BuildFolderTree();
}

void Catalogue::EndPickUp()
{
    if (m_pickUpActive) {
        m_pickUpActive = false;
        ShowNarrowed();
    }
    BuildFolderTree();
}

bool Catalogue::StartFind(const EntryFilter& filter)
{
    if (!Narrowed())
        m_pickUpSaveList = m_cacheList;
    const bool wasOn = m_find.has_value();
    const std::vector<TCacheEntry*> before = m_cacheList;
    // Typing on only drops entries: the shown ones are all there is to test.
    const bool typedOn = wasOn && filter.Narrows(*m_find);
    m_find = filter;
    if (typedOn)
        std::erase_if(m_cacheList, [this](const TCacheEntry* entry) { return !m_find->Matches(*entry); });
    else
        ShowNarrowed();
    if (wasOn && m_cacheList == before)
        return false;
    BuildFolderTree();
    return true;
}

void Catalogue::EndFind()
{
    if (!m_find)
        return;
    m_find.reset();
    ShowNarrowed();
    BuildFolderTree();
}

std::vector<TCacheEntry*> Catalogue::CollectEntriesUnder(const std::string& folderPath) const
{
    const std::string prefix = FoldedKey(folderPath + "/");
    std::vector<TCacheEntry*> entries;
    for (TCacheEntry* entry : m_cacheList) {
        const bool under = FoldedKey(TreePathOf(*entry).substr(0, prefix.size())) == prefix;
        if (under)
            entries.push_back(entry);
        else if (!entries.empty())
            break;
    }
    return entries;
}

void Catalogue::EraseEntries(const std::vector<TCacheEntry*>& entries)
{
    if (entries.empty())
        return;
    const std::unordered_set<const TCacheEntry*> gone(entries.begin(), entries.end());
    const auto isGone = [&gone](const TCacheEntry* entry) { return gone.count(entry) != 0; };
    std::erase_if(m_cacheList, isGone);
    std::erase_if(m_pickUpSaveList, isGone);
    std::erase_if(m_records, [&gone](const std::unique_ptr<TCacheEntry>& entry) { return gone.count(entry.get()) != 0; });
}

std::vector<std::vector<int>> Catalogue::RemoveEntries(const std::vector<TCacheEntry*>& entries,
                                                      const std::vector<int>& folders)
{
    std::vector<std::vector<int>> removed;
    std::unordered_set<int> gone;
    for (const int folder : folders) {
        removed.push_back(m_tree.RemoveFolder(folder));
        gone.insert(removed.back().begin(), removed.back().end());
    }
    std::erase_if(removed, [](const std::vector<int>& branch) { return branch.empty(); });
    std::vector<TCacheEntry*> all = entries;
    for (TCacheEntry* entry : m_cacheList)
        if (gone.count(entry->FolderId))
            all.push_back(entry);
    EraseEntries(all);
    return removed;
}

bool Catalogue::IsConsistent() const
{
    std::unordered_set<const TCacheEntry*> records;
    for (const auto& record : m_records)
        if (!record || !records.insert(record.get()).second)
            return false;
    const auto coversRecords = [&records](const std::vector<TCacheEntry*>& list) {
        const std::unordered_set<const TCacheEntry*> listed(list.begin(), list.end());
        return listed.size() == list.size() && listed == records;
    };
    if (Narrowed() ? !coversRecords(m_pickUpSaveList) : !m_pickUpSaveList.empty() || !coversRecords(m_cacheList))
        return false;
    std::unordered_set<const TCacheEntry*> shown;
    for (const TCacheEntry* entry : m_cacheList)
        if (!records.count(entry) || !shown.insert(entry).second)
            return false;

    if (!m_tree.IsConsistent())
        return false;
    for (const TCacheEntry* entry : m_cacheList) {
        const TFolderEntry* folder = m_tree.FolderOfNode(entry->FolderId);
        if (!folder || !EqualFolded(folder->Path, FolderOf(TreePathOf(*entry))))
            return false;
    }
    return true;
}

} // namespace larkspool
