// The folder tree of the catalogue: a root "MSIE Cache", one folder per host
// and one per URL path segment below it, with the folder records and the
// folder of every entry. Several caches opened as one put a node of each
// cache between the root and its hosts. The window mirrors it node for node.
#pragma once

#include "cache/url_cache.h"
#include "catalogue/cache_entry.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace larkspool {

struct TFolderEntry : TListItem {
    TFolderEntry() { Kind = 'T'; }

    int ParentId = 0;  // the root's id for a host folder (or a cache's, of several)
    int NodeId = 0;
    std::string Path;  // host/seg/seg as in SitePath, no trailing "/"; CacheName/host/seg below a cache's node
};

inline constexpr const char* kRootText = UrlCacheKind{}.name; // an index.dat cache's name
inline constexpr int kRootImage = 0;
inline constexpr int kFolderImage = 1;
inline constexpr int kOpenFolderImage = 2;

struct TreeNode {
    int Id = 0;
    int ParentId = 0;  // 0 for the root
    std::string Text;
    int ImageIndex = 0;
    int SelectedImageIndex = 0;
    bool Expanded = false;
    std::vector<int> Children;  // in creation order
};

class FolderTree {
public:
    FolderTree();

    // Rebuilds the tree and the folder records from entries (in catalogue
    // order) and sets every entry's FolderId. The root ends up expanded. Node
    // ids are never reused, not even across rebuilds.
    // rootText names the kind of cache.
    void BuildFolderTree(const std::vector<TCacheEntry*>& entries, const std::string& rootText = kRootText);

    // NodeId of the folder whose Path equals path ignoring ASCII case, or 0.
    int FindFolderNode(const std::string& path) const;

    int RootId() const { return m_rootId; }
    // nullptr for an id that is not a node of the current tree.
    const TreeNode* Node(int id) const;

    // The folder records, in the order the folders were created.
    const std::vector<std::unique_ptr<TFolderEntry>>& FolderList() const { return m_folders; }
    // The folder record of a node, nullptr for the root.
    const TFolderEntry* FolderOfNode(int id) const;
    // Direct subfolders of a node, in FolderList order.
    std::vector<const TFolderEntry*> SubFolders(int id) const;

    // Deletes a folder node with every node below it and frees their folder
    // records (after a move or delete took the folder whole). The selection
    // moves to the parent when it lay in the removed branch. Returns the
    // removed node ids, the folder's own first; none for the root or an
    // unknown id.
    std::vector<int> RemoveFolder(int id);

    // Whether the nodes, the folder records and the two lookups agree: one
    // record per node below the root, found under its node and its folded
    // Path, each node among its parent's children once, each folder's Path
    // its parent's and its own name.
    bool IsConsistent() const;

private:
    int AddNode(int parentId, const std::string& text, int image, int selectedImage);
    // A node with its folder record; returns its id.
    int AddFolder(int parentId, const std::string& name, const std::string& path, int image, int selectedImage);

    std::vector<std::unique_ptr<TFolderEntry>> m_folders;
    std::unordered_map<int, TreeNode> m_nodes;
    // Folded Path -> NodeId; one key per folder.
    std::unordered_map<std::string, int> m_byPath;
    std::unordered_map<int, const TFolderEntry*> m_byNode;
    int m_rootId = 0;
    int m_nextId = 1;
};

// An entry's path in the tree: its SitePath, below its CacheName's node when
// it has one. The folder it lies in is FolderOf(TreePathOf(entry)).
std::string TreePathOf(const TCacheEntry& entry);

// Entries of list whose FolderId is id, in list order.
std::vector<TCacheEntry*> FolderFiles(const std::vector<TCacheEntry*>& list, int id);

} // namespace larkspool
