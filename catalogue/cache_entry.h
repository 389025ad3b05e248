// The record of one catalogue entry and the catalogue order.
#pragma once

#include "cache/file_time.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace larkspool {

// What a file list row can hold: an entry ('C') or a folder ('T').
struct TListItem {
    char Kind = 0;
    bool Selected = false;
    std::string Name;
};

// The tree folder of the files that no record of the cache names.
inline constexpr const char* kUnindexedFolder = "(unindexed)";

// The field limits, in bytes without a terminator.
inline constexpr std::size_t kMaxSitePath = 260;
inline constexpr std::size_t kMaxTitle = 514;
inline constexpr std::size_t kMaxDateText = 79;

struct TCacheEntry : TListItem {
    TCacheEntry() { Kind = 'C'; }

    std::string SourceUrl;   // as enumerated, query included
    std::string RecordKey;   // what the cache finds this entry by when its URL will not do (UrlCache::EntryKey); else empty
    std::string SitePath;    // host/dir/file, decoded and escaped
    std::string CacheName;   // the member of several caches that holds it (UrlCache::EntryCacheName); else empty
    std::string LocalFile;   // the cached copy on disk
    DWORD SizeLow = 0;
    DWORD SizeHigh = 0;
    bool SizeAtLeast = false; // the size is a lower bound: the body was measured only so far
    std::uint64_t Size() const { return std::uint64_t(SizeHigh) << 32 | SizeLow; }
    FileTicks Modified = 0;  // local time: shown, ordered, asked about
    FileTicks ModifiedUtc = 0; // the same instant, exact also in the hour that occurs twice
    std::string Title;       // of .html and .htm entries
    int TypeIndex = -1;      // row of the file type table; -1 until looked up
    std::string DateText;
    std::string SizeText;
    int FolderId = 0;        // tree node of the entry's folder
    // For the details view's optional columns, as the listing found them.
    std::string ContentType;  // the stored head's Content-Type; empty when none was kept
    FileTicks LastAccessUtc = 0;
    std::string Partition;    // the top-frame site a browser keyed the entry under; empty when none

    // What to hand the cache's calls to reach this entry.
    const char* CacheKey() const { return RecordKey.empty() ? SourceUrl.c_str() : RecordKey.c_str(); }
};

// Splits the tail of text (after its last "/") into name and extension (from
// the tail's last "." on, dot included). Returns where the tail starts, or
// text.size() when there is no "/"; name and extension are then empty.
std::size_t SplitUrlTail(const std::string& text, std::string& name, std::string& extension);

// Byte comparison with ASCII letters folded to upper case: <0, 0, >0.
int CompareFolded(const std::string& a, const std::string& b);
bool EqualFolded(const std::string& a, const std::string& b);
// a with ASCII letters folded to upper case: a key for EqualFolded.
std::string FoldedKey(const std::string& a);
// Whether text holds needle, ASCII letters in either case; no copy is made.
bool ContainsFolded(std::string_view text, std::string_view needle);

// Catalogue order: CacheName, SitePath folded, then Modified, older first.
int CompareEntries(const TCacheEntry& a, const TCacheEntry& b);
// Entries equal in both keys keep the order they came in.
void SortCacheList(std::vector<TCacheEntry*>& list);
// In a sorted list, renames the later records of each run of equal SitePath
// in one cache to name(1).ext, name(2).ext ... (the same path in two caches
// is one file of the site they make together, written once by an export). The records whose new SitePath would pass
// kMaxSitePath are taken out of the list and returned.
std::vector<TCacheEntry*> NumberDuplicates(std::vector<TCacheEntry*>& list);

} // namespace larkspool
