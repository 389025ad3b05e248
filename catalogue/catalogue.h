// The catalogue: every accepted cache entry in catalogue order, the folder
// tree built from them, the file type table and the extension filter.
#pragma once

#include "catalogue/cache_entry.h"
#include "catalogue/entry_filter.h"
#include "catalogue/file_type_table.h"
#include "catalogue/folder_tree.h"
#include "catalogue/make_cache_entry.h"
#include "catalogue/refresh_progress.h"
#include "html/html_reader.h"

#include <QtGlobal>
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace larkspool {

class UrlCache;

inline constexpr const char* kAppCaption = "Larkspool for Windows";
inline constexpr const char* kEmptyCacheText = QT_TRANSLATE_NOOP("Catalogue", "ｷｬｯｼｭにﾌｧｲﾙがありません。");

class Catalogue {
public:
    explicit Catalogue(UrlCache& cache);

    // The first default file name (DefFile1) the name mapping uses.
    void SetDefFile1(const std::string& name) { m_defFile1 = name; }
    const std::string& DefFile1() const { return m_defFile1; }
    // Whether a refresh reads the titles of pages (on unless switched off; a
    // catalogue only exported from shows none).
    void SetReadTitles(bool read) { m_readTitles = read; }

    // The number of cache entries, or -1 when the enumeration cannot be
    // opened in 3 attempts.
    int CountCacheEntries();
    // The whole refresh: scan, catalogue order, numbering, tree; says so
    // when the catalogue stays empty, and why when the cache cannot be read.
    void RefreshCache(RefreshProgress& progress);
    // Stops a running refresh after the entry in hand.
    void CancelRefresh() { m_refreshCancel = true; }

    // The entries shown: all of them, or while the filter or a find is on
    // those both keep.
    const std::vector<TCacheEntry*>& CacheList() const { return m_cacheList; }
    bool PickUpActive() const { return m_pickUpActive; }
    bool FindActive() const { return m_find.has_value(); }
    // Every entry, whether the filter or a find is on or not, in catalogue order.
    const std::vector<TCacheEntry*>& AllEntries() const { return Narrowed() ? m_pickUpSaveList : m_cacheList; }

    const FolderTree& Tree() const { return m_tree; }
    FolderTree& Tree() { return m_tree; }
    void BuildFolderTree();
    int FindFolderNode(const std::string& path) const { return m_tree.FindFolderNode(path); }
    // The entries lying directly in a folder node, in catalogue order.
    std::vector<TCacheEntry*> FolderFiles(int nodeId) const;
    // Depth first from the root, children in tree order: each node, its depth
    // below the root and the number of entries lying directly in it.
    template <typename Visit>
    void WalkTree(Visit visit) const;

    FileTypeTable& FileTypes() { return m_types; }
    const FileTypeTable& FileTypes() const { return m_types; }
    // Looks up the type of every shown entry that has none yet.
    void LookUpMissingTypes();
    // The type row of an entry: that of its cached file, or, when the cache
    // makes its files on demand, of that file's name, whose extension the
    // cache took from the URL and the stored content type.
    int EntryTypeIndex(const TCacheEntry& entry);

    // Keeps only the entries whose TypeIndex is one of types (never -1) and
    // rebuilds the tree.
    void StartPickUp(const std::vector<int>& types);
    // Brings every entry back, in catalogue order, and rebuilds the tree.
    void EndPickUp();

    // Shows only the entries filter matches (and the filter keeps, while it
    // is on), in catalogue order, and rebuilds the tree; a find replaces the
    // one before. Ending it, or a refresh, brings the others back. False
    // when the same entries stay shown: then the tree stays as it was.
    bool StartFind(const EntryFilter& filter);
    void EndFind();

    // Every shown entry whose TreePathOf lies under the folder path, in
    // catalogue order. "" is the folder of an empty host (file:///x), not the
    // root; the root's entries are CacheList.
    std::vector<TCacheEntry*> CollectEntriesUnder(const std::string& folderPath) const;
    // After a finished move or delete: takes entries out of both lists and
    // frees them, and removes each folder node of folders (the folders the
    // command took whole) with its branch and every shown entry lying in it.
    // Other folders stay, emptied or not, until the next rebuild. Returns the
    // removed branches, each as FolderTree::RemoveFolder gives it (top
    // first), so that a view can drop the same nodes.
    std::vector<std::vector<int>> RemoveEntries(const std::vector<TCacheEntry*>& entries,
                                                const std::vector<int>& folders = {});

    // Whether the records, the two lists and the tree agree: every record is
    // in exactly the lists it should be, the tree's own structures agree, and
    // every shown entry lies in the folder its SitePath names. For tests,
    // after every change.
    bool IsConsistent() const;

private:
    void Clear();
    // Rebuilds the catalogue from the cache (ending the filter first),
    // unsorted; the tree is left to the caller.
    void ScanCache(RefreshProgress& progress);
    // RemoveEntries without the tree.
    void EraseEntries(const std::vector<TCacheEntry*>& entries);

    UrlCache& m_cache;
    HtmlReader m_reader;
    std::string m_defFile1 = kDefaultFile1;
    bool m_readTitles = true;
    bool Narrowed() const { return m_pickUpActive || m_find; }
    // The shown list from the saved one, by the filter and the find.
    void ShowNarrowed();

    // Owns every record; the two lists below refer to them. Not narrowed,
    // the shown list holds every record and the saved list none; narrowed,
    // the saved list holds every record and the shown list some of them.
    std::vector<std::unique_ptr<TCacheEntry>> m_records;
    std::vector<TCacheEntry*> m_cacheList;
    std::vector<TCacheEntry*> m_pickUpSaveList;
    bool m_pickUpActive = false;
    std::vector<int> m_pickUpTypes;
    std::optional<EntryFilter> m_find;
    bool m_refreshCancel = false;
    FolderTree m_tree;
    FileTypeTable m_types;
};

template <typename Visit>
void Catalogue::WalkTree(Visit visit) const
{
    std::unordered_map<int, int> counts;
    counts.reserve(m_tree.FolderList().size() + 1);
    // A folder's entries stand together in the list: one count per run.
    for (auto run = m_cacheList.begin(); run != m_cacheList.end();) {
        const int folder = (*run)->FolderId;
        const auto end =
            std::find_if(run, m_cacheList.end(), [folder](const TCacheEntry* entry) { return entry->FolderId != folder; });
        counts[folder] += int(end - run);
        run = end;
    }
    struct Step {
        int id;
        int depth;
    };
    std::vector<Step> stack{{m_tree.RootId(), 0}};
    while (!stack.empty()) {
        const Step step = stack.back();
        stack.pop_back();
        const TreeNode& node = *m_tree.Node(step.id);
        const auto count = counts.find(step.id);
        visit(node, step.depth, count == counts.end() ? 0 : count->second);
        for (auto child = node.Children.rbegin(); child != node.Children.rend(); ++child)
            stack.push_back({*child, step.depth + 1});
    }
}

} // namespace larkspool
