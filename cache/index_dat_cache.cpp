// The eight URL cache operations over a folder holding index.dat and its
// sub-folders, with WinINet's results and last-error codes. Each operation
// takes the file's lock, reads or changes the records through IndexDatStore,
// and lets go; nothing about the file is kept between operations except the
// open mapping and an allocation hint, so other processes may change it too.
#include "cache/index_dat_cache.h"

#include "cache/cache_entry_info.h"
#include "cache/cache_error_text.h"
#include "cache/cache_file_name.h"
#include "cache/enumeration_handles.h"
#include "cache/file_time.h"
#include "cache/index_dat_file.h"
#include "cache/index_dat_orphans.h"
#include "cache/index_dat_recovered.h"
#include "cache/index_dat_store.h"
#include "cache/recovered_key.h"
#include "cache/url_escapes.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace larkspool {

using namespace indexdat;

namespace {

constexpr unsigned kMaxNumberedNames = 255;
constexpr std::size_t kMaxRememberedNames = 20000;
constexpr std::uint32_t kStickyDefaultExemptSeconds = 86400;

// The type WinINet ORs into every entry of a container, chosen as it chooses
// the container: by the URL's prefix.
DWORD DefaultEntryType(std::string_view url)
{
    if (url.starts_with("Visited:"))
        return URLHISTORY_CACHE_ENTRY;
    if (url.starts_with("Cookie:"))
        return COOKIE_CACHE_ENTRY;
    return NORMAL_CACHE_ENTRY;
}

// A record's file name is used only when it is one plain path element, so a
// crafted index.dat cannot point a delete outside its sub-folder.
bool IsPlainFileName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\:") == std::string_view::npos;
}

bool IsSymlink(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::symlink_status(path, error).type() == std::filesystem::file_type::symlink;
}

#ifdef _WIN32
constexpr std::string_view kSeparators = "/\\";
#else
constexpr std::string_view kSeparators = "/";
#endif

// path cut at its last separator into the folder (without trailing
// separators, a root kept) and the name after it: what parent_path() and
// filename() give for the paths a cache is handed, without a path object
// for each part.
std::pair<std::string_view, std::string_view> SplitLastElement(std::string_view path)
{
    const std::size_t cut = path.find_last_of(kSeparators);
    if (cut == std::string_view::npos)
        return {{}, path};
    const std::size_t last = path.find_last_not_of(kSeparators, cut);
    return {path.substr(0, last == std::string_view::npos ? cut + 1 : last + 1), path.substr(cut + 1)};
}

// The links in a sub-folder, as one read of it found them.
struct FolderLinks {
    bool folderIsLink = false;
    bool read = false; // false: the folder could not be read, so each file is asked about
    std::set<std::string> links;
};

FolderLinks ReadFolderLinks(const std::filesystem::path& folder)
{
    FolderLinks found;
    found.folderIsLink = IsSymlink(folder);
    if (found.folderIsLink)
        return found;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code unknown;
        if (it->is_symlink(unknown))
            found.links.insert(it->path().filename().string());
    }
    found.read = !error || error == std::errc::no_such_file_or_directory; // a missing folder holds no link
    return found;
}

struct Enumeration {
    std::string pattern;
    // The chain as last read: reading it on every step would touch every
    // table of a full file once per entry.
    std::vector<HashTableRef> tables;
    std::size_t table = 0;
    std::uint32_t slot = 0;
    // Records already given: many slots may name one record.
    std::unordered_set<std::uint32_t> given;
    // What each sub-folder held when the listing first reached it.
    std::map<std::string, FolderLinks> folders;
    // Past the chain: the recovered records the scan at its end found, then
    // the leftover files (the cache's list of them, see m_leftovers).
    bool chainDone = false;
    std::vector<UrlRecord> recovered;
    std::size_t nextRecovered = 0;
    std::size_t nextLeftover = 0;
};

// A file no record names, as an entry without a URL.
std::optional<UrlRecord> LeftoverRecord(const std::filesystem::path& path)
{
    std::error_code error;
    if (std::filesystem::symlink_status(path, error).type() != std::filesystem::file_type::regular)
        return std::nullopt;
    UrlRecord record;
    record.fileSize = std::filesystem::file_size(path, error);
    record.modified = FileWriteTicks(path);
    return record;
}

} // namespace

class IndexDatCache::Impl {
public:
    Impl(std::filesystem::path folder, std::function<std::uint64_t()> clock, IndexDatCacheOptions options)
        : m_folder(std::move(folder)), m_folderText(m_folder.string()), m_folderPrefix((m_folder / "").string()),
          m_clock(std::move(clock)), m_options(options), m_orphansLookedFor(options.recovered || !options.removeOrphans)
    {
    }

    std::filesystem::path IndexPath() const { return m_folder / "index.dat"; }

    // The cache folder spelt alike, or under another name (asked only then:
    // a file this cache made has its folder spelt alike).
    bool IsCacheFolder(std::string_view path) const
    {
        if (path == m_folderText)
            return true;
        const std::filesystem::path other(path);
        if (other.lexically_normal() == m_folder.lexically_normal())
            return true;
        std::error_code error;
        return std::filesystem::equivalent(other, m_folder, error);
    }

    // Why the folder's files cannot be reached now; empty when they can, and
    // for a folder still to be made (one whose index.dat was never opened).
    std::string FolderProblem() const { return CacheFolderProblem(m_folder, m_folderText, m_file.IsOpen()); }

    // Opens index.dat when it exists; false (with the error set) when it
    // exists but cannot be opened. A missing file is an empty cache; one that
    // cannot even be looked for is not.
    bool OpenExisting()
    {
        if (m_file.IsOpen())
            return true;
        // Anything that is there, a link to nothing or a file the folder's
        // permissions hide included, is opened and, if it must, refused.
        std::error_code unknown;
        if (std::filesystem::symlink_status(IndexPath(), unknown).type() == std::filesystem::file_type::not_found)
            return true;
        m_openError = m_file.Open(IndexPath(), false);
        return m_openError == ERROR_SUCCESS;
    }

    DWORD OpenForWriting()
    {
        if (m_file.IsOpen())
            return ERROR_SUCCESS;
        std::error_code error;
        std::filesystem::create_directories(m_folder, error);
        if (error) {
            m_workCause = m_folder.string() + ": " + SystemErrorText(error);
            return ERROR_PATH_NOT_FOUND;
        }
        return m_file.Open(IndexPath(), true);
    }

    // why, when given, says more than the code's own words.
    BOOL Fail(DWORD error, std::string why = {})
    {
        m_lastError = error;
        m_lastText = why.empty() ? CacheErrorText(error) : std::move(why);
        return FALSE;
    }

    // index.dat's path and the system's reason, or nothing when none is known.
    std::string FileCause(const std::error_code& cause) const
    {
        return cause ? IndexPath().string() + ": " + SystemErrorText(cause) : std::string();
    }

    // Why the store could not be read or changed, as far as is known beyond
    // the code: a file opened read-only, one that is no cache file, or the
    // system's answer to the file's last call.
    std::string WhyFailed(const IndexDatStore& store, DWORD error) const
    {
        if (!m_workCause.empty())
            return m_workCause;
        if (error == ERROR_ACCESS_DENIED && !m_file.Writable())
            return FileCause(m_file.ReadOnlyCause());
        if (error == ERROR_FILE_CORRUPT && store.State() == IndexDatState::Foreign)
            return store.ForeignReason() + ": " + IndexPath().string();
        return FileCause(m_file.Cause());
    }

    // Runs work on the store of an existing, valid index.dat under the lock;
    // a missing or empty cache fails with absentError (nothing to find).
    template <typename Work>
    BOOL WithExistingStore(bool argumentsValid, DWORD absentError, Work work)
    {
        m_workCause.clear();
        if (!argumentsValid)
            return Fail(ERROR_INVALID_PARAMETER);
        if (!OpenExisting())
            return Fail(m_openError, FileCause(m_file.Cause()));
        if (!m_file.IsOpen())
            return Fail(absentError);
        IndexDatLock lock(m_file);
        if (lock.Error() != ERROR_SUCCESS)
            return Fail(lock.Error(), FileCause(m_file.Cause()));
        IndexDatStore store(m_file, m_storeMemory);
        if (store.State() == IndexDatState::Foreign)
            return Fail(ERROR_FILE_CORRUPT, WhyFailed(store, ERROR_FILE_CORRUPT));
        if (store.State() == IndexDatState::Empty)
            return Fail(absentError);
        const BOOL result = work(store);
        if (m_file.Damaged())
            return Fail(ERROR_FILE_INVALID);
        return result;
    }

    // Runs a change under the lock, creating the cache when there is none; a
    // change that fails leaves the header as it was.
    template <typename Work>
    BOOL WithWritableStore(Work work)
    {
        m_workCause.clear();
        if (DWORD error = OpenForWriting(); error != ERROR_SUCCESS)
            return Fail(error, m_workCause.empty() ? FileCause(m_file.Cause()) : m_workCause);
        IndexDatLock lock(m_file);
        if (lock.Error() != ERROR_SUCCESS)
            return Fail(lock.Error(), FileCause(m_file.Cause()));
        IndexDatStore store(m_file, m_storeMemory);
        DWORD error = store.Prepare(m_folder, m_leftHeader);
        if (error == ERROR_SUCCESS)
            error = work(store);
        if (error == ERROR_SUCCESS && m_file.Damaged())
            error = ERROR_FILE_INVALID;
        if (error == ERROR_SUCCESS) {
            Wrote(store);
            return TRUE;
        }
        store.Undo();
        m_leftHeader.clear();
        return Fail(error, WhyFailed(store, error));
    }

    // After a change that succeeded, under the lock. Orphan files are looked
    // for once per open, by its first write: they come only from killed
    // writers, and looking walks every record and sub-folder, which every add
    // of an import would pay for again. A read never removes anything.
    void Wrote(const IndexDatStore& store)
    {
        store.CopyHeader(m_leftHeader);
        if (!std::exchange(m_orphansLookedFor, true))
            RemoveOrphanFiles(store, m_folder, m_clock());
    }

    // The record's file when it lies in its sub-folder (or, without one, in the
    // cache folder) and neither is a symbolic link: a copied or crafted cache
    // must not lead a read or a delete outside the cache, nor to index.dat.
    // folders, when given, keeps what a listing found in each sub-folder, so
    // that it reads each folder once instead of asking about every entry.
    std::optional<std::string> LocalPath(const IndexDatStore& store, const UrlRecord& record,
                                         std::map<std::string, FolderLinks>* folders = nullptr) const
    {
        if (!record.fileName || !IsPlainFileName(*record.fileName))
            return std::nullopt;
        if (record.folder == kNoFolder) {
            const std::filesystem::path path = m_folder / *record.fileName;
            if (IsIndexFileName(*record.fileName) || IsSymlink(path))
                return std::nullopt;
            return path.string();
        }
        const std::string folder = store.FolderName(record.folder);
        if (folder.empty())
            return std::nullopt;
        const std::filesystem::path path = m_folder / folder / *record.fileName;
        if (!folders) {
            if (!IsPlainSubFolder(folder) || IsSymlink(path))
                return std::nullopt;
            return path.string();
        }
        auto known = folders->find(folder);
        if (known == folders->end())
            known = folders->emplace(folder, ReadFolderLinks(m_folder / folder)).first;
        const FolderLinks& links = known->second;
        if (links.folderIsLink || (links.read ? links.links.contains(*record.fileName) : IsSymlink(path)))
            return std::nullopt;
        return path.string();
    }

    // False when the sub-folder is a symbolic link. Asked once per folder
    // for each taking of the lock, not for every record.
    bool IsPlainSubFolder(const std::string& name) const
    {
        if (m_folderChecksTaking != m_file.Takings()) {
            m_folderChecks.clear();
            m_folderChecksTaking = m_file.Takings();
        }
        const auto known = m_folderChecks.find(name);
        if (known != m_folderChecks.end())
            return known->second;
        return m_folderChecks[name] = !IsSymlink(m_folder / name);
    }

    // Removes the published slot and the file its record names, unless that
    // file is keep, has been rewritten since the record was committed, or
    // another slot still names the record.
    void RemoveEntry(IndexDatStore& store, const HashSlot& slot, const std::optional<std::string>& keep)
    {
        const auto record = ParseUrlRecord(store.Bytes(), slot.record);
        if (!store.Remove(slot) || !record)
            return;
        if (const auto path = LocalPath(store, *record); path && path != keep) {
            const std::uint32_t stamp = FileTimeToDos(FileWriteTicks(*path));
            if (stamp == record->writeStampDos) {
                std::error_code ignored;
                std::filesystem::remove(*path, ignored);
            }
        }
        store.AdjustFolderFiles(record->folder, -1);
        store.AdjustUsage(record->fileSize, false);
    }

    BOOL Next(Enumeration& state, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size)
    {
        m_lastKey.reset();
        return WithExistingStore(size != nullptr, ERROR_NO_MORE_ITEMS, [&](IndexDatStore& store) -> BOOL {
            // Another writer may have changed the file since the last step: the
            // chain is read again when the table in hand is no longer sound, and
            // at its end for tables appended meanwhile.
            std::vector<HashTableRef>& tables = state.tables;
            if (state.table < tables.size()) {
                const auto current = store.HashTableAt(tables[state.table].offset);
                if (!current || current->slots != tables[state.table].slots)
                    tables = store.HashTables();
            }
            for (bool reread = false;; reread = true) {
                for (; state.table < tables.size(); ++state.table, state.slot = 0) {
                    for (; state.slot < tables[state.table].slots; ++state.slot) {
                        const auto slot = store.SlotAt(tables[state.table], state.slot);
                        if (!slot || state.given.contains(slot->record))
                            continue;
                        const auto record = LiveRecord(store, *slot);
                        if (!record || !record->url.starts_with(state.pattern))
                            continue;
                        const DWORD error =
                            CopyEntryInfo(*record, LocalPath(store, *record, &state.folders), info, size);
                        if (error != ERROR_SUCCESS)
                            return Fail(error); // stays on this entry for a retry
                        state.given.insert(slot->record);
                        ++state.slot;
                        return TRUE;
                    }
                }
                if (reread)
                    break;
                tables = store.HashTables();
            }
            if (!m_options.recovered)
                return Fail(ERROR_NO_MORE_ITEMS);
            if (!std::exchange(state.chainDone, true)) {
                state.recovered = FindRecoveredRecords(store);
                m_leftovers = LeftoverFiles(store, m_folder, state.recovered);
            }
            for (; state.nextRecovered < state.recovered.size(); ++state.nextRecovered) {
                const UrlRecord& record = state.recovered[state.nextRecovered];
                if (!record.url.starts_with(state.pattern))
                    continue;
                const DWORD error = CopyEntryInfo(record, LocalPath(store, record, &state.folders), info, size);
                if (error != ERROR_SUCCESS)
                    return Fail(error);
                m_lastKey = RecoveredKey(record.offset);
                ++state.nextRecovered;
                return TRUE;
            }
            // A leftover has no URL: only a listing of every entry gives it.
            for (; state.pattern.empty() && state.nextLeftover < m_leftovers.size(); ++state.nextLeftover) {
                const auto record = LeftoverRecord(m_leftovers[state.nextLeftover]);
                if (!record)
                    continue;
                const DWORD error = CopyEntryInfo(*record, m_leftovers[state.nextLeftover].string(), info, size);
                if (error != ERROR_SUCCESS)
                    return Fail(error);
                m_lastKey = LeftoverKey(state.nextLeftover++);
                return TRUE;
            }
            return Fail(ERROR_NO_MORE_ITEMS);
        });
    }

    // The record a live slot lists: its URL record or, when the cache shows
    // all it holds, its REDR record, a URL without a file, times or size.
    // A redirect whose URL a URL record holds too is left out, so that the
    // URL stays the key of one entry.
    std::optional<UrlRecord> LiveRecord(const IndexDatStore& store, const HashSlot& slot) const
    {
        auto record = ParseUrlRecord(store.Bytes(), slot.record);
        if (record || !m_options.recovered)
            return record;
        record = ParseRedirectRecord(store.Bytes(), slot.record);
        if (record && store.Find(record->url))
            return std::nullopt;
        return record;
    }

    // The live REDR record of a URL no URL record holds, when the cache
    // shows all it holds.
    std::optional<UrlRecord> Redirect(const IndexDatStore& store, std::string_view url) const
    {
        const auto slot = m_options.recovered ? store.FindRedirect(url) : std::nullopt;
        return slot ? ParseRedirectRecord(store.Bytes(), slot->record) : std::nullopt;
    }

    // The leftover file a key from EntryKey names, and its record, while it
    // is still a file.
    std::optional<std::pair<UrlRecord, std::string>> Leftover(std::string_view key) const
    {
        const auto index = m_options.recovered ? LeftoverKeyNumber(key) : std::nullopt;
        if (!index || *index >= m_leftovers.size())
            return std::nullopt;
        const std::filesystem::path& path = m_leftovers[std::size_t(*index)];
        const auto record = LeftoverRecord(path);
        if (!record)
            return std::nullopt;
        return std::make_pair(*record, path.string());
    }

    // The recovered record a key from EntryKey names, when the cache shows
    // them and its blocks still hold it: another process may have used them
    // since.
    std::optional<UrlRecord> RecoveredRecord(const IndexDatStore& store, std::string_view key) const
    {
        const auto offset = m_options.recovered ? RecoveredKeyNumber(key) : std::nullopt;
        if (!offset || *offset > UINT32_MAX)
            return std::nullopt;
        auto record = ParseAnyRecord(store.Bytes(), std::uint32_t(*offset));
        if (!record)
            return std::nullopt;
        if (const auto live = store.Find(record->url); live && live->record == *offset)
            return std::nullopt;
        return record;
    }

    std::filesystem::path m_folder;
    // Its text, and with a separator to put a sub-folder's name after.
    std::string m_folderText;
    std::string m_folderPrefix;
    std::function<std::uint64_t()> m_clock;
    IndexDatCacheOptions m_options;
    bool m_orphansLookedFor = false;
    std::optional<std::string> m_lastKey; // EntryKey of what the last listing step gave, when not its URL
    std::vector<std::filesystem::path> m_leftovers; // as the last listing found them
    IndexDatFile m_file;
    DWORD m_openError = ERROR_SUCCESS;
    DWORD m_lastError = ERROR_SUCCESS;
    std::string m_lastText;
    // The reason an operation's own work found for its failure; cleared as
    // each operation starts.
    std::string m_workCause;
    IndexDatStoreMemory m_storeMemory;
    // The file the last CreateUrlCacheEntryA made, left open for its caller
    // to take instead of opening it again; closed by the next Create or
    // Commit when nobody took it.
    int m_createdFile = -1;
    std::string m_createdPath;
    std::vector<std::uint8_t> m_leftHeader; // as this process's last change left it
    EnumerationHandles<Enumeration> m_enumerations;
    // Folder, name and extension -> the number of the last numbered file
    // name made for them; only the order in which numbers are tried.
    std::unordered_map<std::string, unsigned> m_lastNumbers;
    mutable std::unordered_map<std::string, bool> m_folderChecks; // sub-folder -> not a symbolic link
    mutable std::uint64_t m_folderChecksTaking = 0;
};

IndexDatCache::IndexDatCache(std::filesystem::path folder, std::function<std::uint64_t()> clock,
                             IndexDatCacheOptions options)
    : m_impl(std::make_unique<Impl>(std::move(folder), std::move(clock), options))
{
}

IndexDatCache::~IndexDatCache() { CloseKeptFile(m_impl->m_createdFile); }

int IndexDatCache::TakeCreatedFile(LPCSTR fileName)
{
    Impl& impl = *m_impl;
    if (impl.m_createdFile < 0 || !fileName || impl.m_createdPath != fileName)
        return -1;
    return std::exchange(impl.m_createdFile, -1);
}

void IndexDatCache::CloseCreatedFile()
{
    CloseKeptFile(std::exchange(m_impl->m_createdFile, -1));
}

const std::filesystem::path& IndexDatCache::Folder() const { return m_impl->m_folder; }

UrlCacheKind IndexDatCache::Kind() const
{
    UrlCacheKind kind;
    kind.listsMissingBodies = m_impl->m_options.recovered;
    return kind;
}

std::optional<UrlCacheEntryOrigin> IndexDatCache::EntryOrigin(LPCSTR url)
{
    UrlCacheEntryOrigin origin;
    origin.format = "index.dat";
    origin.entryFile = (m_impl->m_folder / "index.dat").string();
    // Only a key of its own can name what the cache no longer lists, and
    // only a URL a redirect.
    if (!m_impl->m_options.recovered || !url)
        return origin;
    Impl& impl = *m_impl;
    const bool ownKey = RecoveredKeyNumber(url) || LeftoverKeyNumber(url);
    impl.WithExistingStore(true, ERROR_FILE_NOT_FOUND, [&](IndexDatStore& store) -> BOOL {
        if (ownKey)
            origin.recovered = impl.RecoveredRecord(store, url) || impl.Leftover(url);
        else
            origin.urlOnly = !store.Find(url) && impl.Redirect(store, url);
        return TRUE;
    });
    return origin;
}

std::string IndexDatCache::EntryKey(const INTERNET_CACHE_ENTRY_INFOA& info) const
{
    return m_impl->m_lastKey ? *m_impl->m_lastKey : UrlCache::EntryKey(info);
}

DWORD IndexDatCache::LastError() const { return m_impl->m_lastError; }

void IndexDatCache::BeginLockHold() { m_impl->m_file.BeginHold(); }

void IndexDatCache::EndLockHold() { m_impl->m_file.EndHold(); }
std::string IndexDatCache::LastErrorText() const { return m_impl->m_lastText; }

std::string IndexDatCache::LoadError() const
{
    Impl& impl = *m_impl;
    if (std::string folder = impl.FolderProblem(); !folder.empty())
        return folder;
    if (!impl.OpenExisting())
        return "cannot open " + impl.IndexPath().string() + ": " +
               (impl.m_file.Cause() ? SystemErrorText(impl.m_file.Cause()) : CacheErrorText(impl.m_openError));
    if (!impl.m_file.IsOpen())
        return {};
    IndexDatLock lock(impl.m_file);
    if (lock.Error() != ERROR_SUCCESS)
        return "cannot lock " + impl.IndexPath().string() + ": " +
               (impl.m_file.Cause() ? SystemErrorText(impl.m_file.Cause()) : CacheErrorText(lock.Error()));
    IndexDatStore store(impl.m_file, impl.m_storeMemory);
    if (store.State() == IndexDatState::Foreign)
        return store.ForeignReason() + ": " + impl.IndexPath().string();
    return {};
}

CacheEnumHandle IndexDatCache::FindFirstUrlCacheEntryA(LPCSTR pattern, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size)
{
    auto state = std::make_unique<Enumeration>();
    state->pattern = pattern ? pattern : "";
    if (!m_impl->Next(*state, info, size))
        return nullptr;
    return m_impl->m_enumerations.Open(std::move(state));
}

BOOL IndexDatCache::FindNextUrlCacheEntryA(CacheEnumHandle handle, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size)
{
    Enumeration* state = m_impl->m_enumerations.Find(handle);
    return state ? m_impl->Next(*state, info, size) : m_impl->Fail(ERROR_INVALID_HANDLE);
}

BOOL IndexDatCache::FindCloseUrlCache(CacheEnumHandle handle)
{
    return m_impl->m_enumerations.Close(handle) ? TRUE : m_impl->Fail(ERROR_INVALID_HANDLE);
}

BOOL IndexDatCache::GetUrlCacheEntryInfoA(LPCSTR url, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size)
{
    Impl& impl = *m_impl;
    return impl.WithExistingStore(url != nullptr, ERROR_FILE_NOT_FOUND, [&](IndexDatStore& store) -> BOOL {
        const auto slot = store.Find(url);
        auto record = slot ? ParseUrlRecord(store.Bytes(), slot->record) : impl.RecoveredRecord(store, url);
        if (!slot && !record)
            record = impl.Redirect(store, url);
        const auto leftover = slot || record ? std::nullopt : impl.Leftover(url);
        if (!record && !leftover)
            return impl.Fail(ERROR_FILE_NOT_FOUND);
        if (!size)
            return TRUE;
        const DWORD error = leftover ? CopyEntryInfo(leftover->first, leftover->second, info, size)
                                     : CopyEntryInfo(*record, impl.LocalPath(store, *record), info, size);
        return error == ERROR_SUCCESS ? TRUE : impl.Fail(error);
    });
}

BOOL IndexDatCache::DeleteUrlCacheEntryA(LPCSTR url)
{
    Impl& impl = *m_impl;
    return impl.WithExistingStore(url != nullptr, ERROR_FILE_NOT_FOUND, [&](IndexDatStore& store) -> BOOL {
        const auto slot = store.Find(url);
        if (!slot && (impl.RecoveredRecord(store, url) || impl.Leftover(url)))
            return impl.Fail(ERROR_ACCESS_DENIED, kRecoveredRecordText);
        if (!slot && impl.Redirect(store, url))
            return impl.Fail(ERROR_ACCESS_DENIED, kRedirectRecordText);
        if (!slot)
            return impl.Fail(ERROR_FILE_NOT_FOUND);
        if (DWORD error = store.Prepare(impl.m_folder, impl.m_leftHeader); error != ERROR_SUCCESS)
            return impl.Fail(error, impl.WhyFailed(store, error));
        impl.RemoveEntry(store, *slot, std::nullopt);
        impl.Wrote(store);
        return TRUE;
    });
}

BOOL IndexDatCache::CreateUrlCacheEntryA(LPCSTR url, DWORD /*expectedSize*/, LPCSTR extension, LPSTR fileName,
                                         DWORD /*reserved*/)
{
    Impl& impl = *m_impl;
    CloseCreatedFile();
    if (!url || !fileName)
        return impl.Fail(ERROR_INVALID_PARAMETER);
    return impl.WithWritableStore([&](IndexDatStore& store) -> DWORD {
        std::uint32_t folderIndex = 0;
        if (DWORD error = store.ChooseFolder(impl.m_folder, folderIndex); error != ERROR_SUCCESS)
            return error;

        const std::string folderName = store.FolderName(folderIndex);
        const std::string folderPrefix =
            impl.m_folderPrefix + folderName + char(std::filesystem::path::preferred_separator);
        const std::string ext = CacheFileExtension(extension ? extension : "");
        std::string base = CacheFileBaseName(url);
        // Leave room for "[255]", the dot, the extension and the NUL.
        const std::size_t fixed = folderPrefix.size() + 5 + (ext.empty() ? 0 : ext.size() + 1) + 1;
        if (fixed >= MAX_PATH)
            return ERROR_BAD_PATHNAME;
        if (base.size() > MAX_PATH - fixed)
            base.resize(MAX_PATH - fixed);

        // Numbered names first; random ones only for a URL without a usable
        // name or when every number is taken.
        DWORD failure = ERROR_SUCCESS;
        bool folderChecked = false;
        const auto tryName = [&](const std::string& name) {
            const std::string path = folderPrefix + name;
            std::error_code cause;
            failure = CreateNewFile(path, cause, &impl.m_createdFile);
            if (failure != ERROR_SUCCESS && failure != ERROR_FILE_EXISTS && !folderChecked) {
                // A sub-folder deleted by hand is made again at its first refusal.
                folderChecked = true;
                std::error_code error;
                if (std::filesystem::create_directories(impl.m_folder / folderName, error))
                    failure = CreateNewFile(path, cause, &impl.m_createdFile);
            }
            // Another name is tried only when this one is taken: a folder that
            // cannot be written to fails at the first.
            if (failure == ERROR_FILE_EXISTS)
                return false;
            if (failure != ERROR_SUCCESS) {
                if (cause)
                    impl.m_workCause = path + ": " + SystemErrorText(cause);
                return true;
            }
            std::copy(path.begin(), path.end(), fileName);
            fileName[path.size()] = '\0';
            impl.m_createdPath = path;
            return true;
        };
        if (!base.empty()) {
            // Many URLs share a name (index.html): the numbers are tried from
            // the one after the last this cache made, then round from [1].
            if (impl.m_lastNumbers.size() >= kMaxRememberedNames)
                impl.m_lastNumbers.clear();
            unsigned& last = impl.m_lastNumbers[folderPrefix + base + '.' + ext];
            for (unsigned i = 0; i < kMaxNumberedNames; ++i) {
                const unsigned n = (last + i) % kMaxNumberedNames + 1;
                if (tryName(CacheFileName(base, n, ext))) {
                    if (failure == ERROR_SUCCESS)
                        last = n;
                    return failure;
                }
            }
        }
        for (unsigned n = 0; n < kMaxNumberedNames; ++n) {
            const std::string name = RandomCacheName();
            if (tryName(ext.empty() ? name : name + "." + ext))
                return failure;
        }
        return ERROR_FILE_EXISTS;
    });
}

BOOL IndexDatCache::CommitUrlCacheEntryA(LPCSTR url, LPCSTR localFileName, FILETIME expireTime,
                                         FILETIME lastModifiedTime, DWORD cacheEntryType, LPBYTE headerInfo,
                                         DWORD headerSize, LPCSTR fileExtension, LPCSTR /*originalUrl*/)
{
    Impl& impl = *m_impl;
    CloseCreatedFile();
    if (!url || ((cacheEntryType & STICKY_CACHE_ENTRY) && !localFileName))
        return impl.Fail(ERROR_INVALID_PARAMETER);

    std::uint64_t fileSize = 0;
    std::uint64_t writeTicks = 0;
    if (localFileName) {
        std::error_code error;
        if (!ReadFileSizeAndTicks(localFileName, fileSize, writeTicks, error))
            return impl.Fail(ERROR_FILE_NOT_FOUND, localFileName + (": " + SystemErrorText(error)));
    }

    return impl.WithWritableStore([&](IndexDatStore& store) -> DWORD {
        // The file must lie in one of the sub-folders (or, in a cache without
        // any, in the cache folder itself).
        std::uint8_t folder = kNoFolder;
        std::optional<std::string> name;
        if (localFileName) {
            const auto [parent, fileName] = SplitLastElement(localFileName);
            bool found = store.FolderCount() == 0 && impl.IsCacheFolder(parent) &&
                         !IsIndexFileName(fileName);
            const auto [grandParent, parentName] = SplitLastElement(parent);
            if (!found && impl.IsCacheFolder(grandParent)) {
                for (std::uint32_t i = 0; i < store.FolderCount() && !found; ++i) {
                    const std::string folderName = store.FolderName(i);
                    if (!folderName.empty() && folderName == parentName) {
                        folder = std::uint8_t(i);
                        found = true;
                    }
                }
            }
            if (!found)
                return ERROR_INVALID_PARAMETER;
            name = std::string(fileName);
        }

        std::uint32_t freeSlot = 0;
        const std::vector<HashSlot> old = store.FindAll(url, &freeSlot);
        const auto oldRecord = old.empty() ? std::nullopt : ParseUrlRecord(store.Bytes(), old.front().record);
        std::uint32_t exemptDelta = oldRecord ? oldRecord->exemptDelta : 0;
        if ((cacheEntryType & STICKY_CACHE_ENTRY) && exemptDelta == 0)
            exemptDelta = kStickyDefaultExemptSeconds;

        const std::uint64_t now = impl.m_clock();
        UrlRecord fields;
        fields.url = url;
        fields.fileName = name;
        fields.folder = folder;
        if (headerInfo && headerSize)
            fields.headerInfo = std::string(reinterpret_cast<const char*>(headerInfo), headerSize);
        if (fileExtension && *fileExtension)
            fields.extension = fileExtension;
        fields.modified = FileTimeTicks(lastModifiedTime);
        fields.accessed = now;
        fields.expireDos = FileTimeToDos(FileTimeTicks(expireTime));
        fields.fileSize = fileSize;
        fields.exemptDelta = exemptDelta;
        fields.entryType = cacheEntryType | DefaultEntryType(url);
        fields.syncDos = FileTimeToDos(now);
        fields.hitRate = (oldRecord ? oldRecord->hitRate : 0) + 1;
        fields.writeStampDos = FileTimeToDos(writeTicks);
        const std::vector<std::uint8_t> record = EncodeUrlRecord(fields);

        // The new entry is published before the old ones go, so a kill in
        // between leaves the URL present (twice) rather than absent.
        if (DWORD error = store.Publish(url, record, freeSlot); error != ERROR_SUCCESS)
            return error;
        store.AdjustFolderFiles(folder, +1);
        store.AdjustUsage(fileSize, true);
        std::optional<std::string> keep;
        if (name && !old.empty())
            keep = (folder == kNoFolder ? impl.m_folder / *name : impl.m_folder / store.FolderName(folder) / *name)
                       .string();
        for (const HashSlot& slot : old)
            impl.RemoveEntry(store, slot, keep);
        return ERROR_SUCCESS;
    });
}

BOOL IndexDatCache::InternetCanonicalizeUrlA(LPCSTR url, LPSTR buffer, LPDWORD length, DWORD flags)
{
    const DWORD error = CanonicalizeUrl(url, buffer, length, flags);
    return error == ERROR_SUCCESS ? TRUE : m_impl->Fail(error);
}

} // namespace larkspool
