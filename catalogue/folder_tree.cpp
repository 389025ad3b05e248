// Builds the folder tree from the catalogue. The catalogue order keeps the
// entries of a folder and of its sub-folders together, so the folders under
// a node stand in the order the catalogue first reaches them (a-b before a:
// "-" sorts before "/").
#include "catalogue/folder_tree.h"

#include "base/path_text.h"

#include <algorithm>
#include <unordered_set>

namespace larkspool {
namespace {

// The same bytes up to the last slash: the same folder, by any key.
bool SameFolder(std::string_view a, std::string_view b)
{
    const std::size_t slash = a.rfind('/');
    return slash == b.rfind('/') && (slash == std::string_view::npos || a.substr(0, slash) == b.substr(0, slash));
}

} // namespace

FolderTree::FolderTree()
{
    BuildFolderTree({});
}

int FolderTree::AddNode(int parentId, const std::string& text, int image, int selectedImage)
{
    const int id = m_nextId++;
    TreeNode node;
    node.Id = id;
    node.ParentId = parentId;
    node.Text = text;
    node.ImageIndex = image;
    node.SelectedImageIndex = selectedImage;
    m_nodes.emplace(id, std::move(node));
    if (parentId != 0)
        m_nodes.at(parentId).Children.push_back(id);
    return id;
}

int FolderTree::AddFolder(int parentId, const std::string& name, const std::string& path, int image,
                          int selectedImage)
{
    auto record = std::make_unique<TFolderEntry>();
    record->Name = name;
    record->ParentId = parentId;
    record->NodeId = AddNode(parentId, name, image, selectedImage);
    record->Path = path;
    m_byPath.emplace(FoldedKey(record->Path), record->NodeId);
    m_byNode.emplace(record->NodeId, record.get());
    m_folders.push_back(std::move(record));
    return m_folders.back()->NodeId;
}

void FolderTree::BuildFolderTree(const std::vector<TCacheEntry*>& entries, const std::string& rootText)
{
    m_nodes.clear();
    m_folders.clear();
    m_byPath.clear();
    m_byNode.clear();
    m_rootId = AddNode(0, rootText, kRootImage, kRootImage);

    // The list is in path order: most entries lie in their predecessor's folder.
    const TCacheEntry* previous = nullptr;
    for (TCacheEntry* entry : entries) {
        if (previous && entry->CacheName == previous->CacheName && SameFolder(entry->SitePath, previous->SitePath)) {
            entry->FolderId = previous->FolderId;
            continue;
        }
        previous = entry;
        // An entry of one of several caches lies below that cache's node,
        // whose name (slashes and all) is its folders' first segment.
        int top = m_rootId;
        std::string prefix;
        if (!entry->CacheName.empty()) {
            top = FindFolderNode(entry->CacheName);
            if (top == 0)
                top = AddFolder(m_rootId, entry->CacheName, entry->CacheName, kRootImage, kRootImage);
            prefix = entry->CacheName + "/";
        }
        const std::string folder = FolderOf(entry->SitePath);

        // The deepest folder that exists already.
        std::string found = folder;
        int node = FindFolderNode(prefix + found);
        while (node == 0) {
            const std::size_t cut = found.rfind('/');
            if (cut == std::string::npos) {
                found.clear();
                break;
            }
            found.resize(cut);
            node = FindFolderNode(prefix + found);
        }

        // One folder per missing segment. A found folder may have an empty
        // path (an empty host), so "none" is node 0, not an empty path.
        while (node == 0 || found.size() < folder.size()) {
            const std::size_t start = node == 0 ? 0 : found.size() + 1;
            const std::size_t end = std::min(folder.find('/', start), folder.size());
            found = folder.substr(0, end);
            node = AddFolder(node == 0 ? top : node, folder.substr(start, end - start), prefix + found, kFolderImage,
                             kOpenFolderImage);
        }
        entry->FolderId = node;
    }

    m_nodes.at(m_rootId).Expanded = true;
}

int FolderTree::FindFolderNode(const std::string& path) const
{
    const auto found = m_byPath.find(FoldedKey(path));
    return found == m_byPath.end() ? 0 : found->second;
}

const TreeNode* FolderTree::Node(int id) const
{
    const auto found = m_nodes.find(id);
    return found == m_nodes.end() ? nullptr : &found->second;
}

const TFolderEntry* FolderTree::FolderOfNode(int id) const
{
    const auto found = m_byNode.find(id);
    return found == m_byNode.end() ? nullptr : found->second;
}

std::vector<const TFolderEntry*> FolderTree::SubFolders(int id) const
{
    std::vector<const TFolderEntry*> folders;
    if (const TreeNode* node = Node(id))
        for (const int child : node->Children)
            folders.push_back(FolderOfNode(child));
    return folders;
}

std::vector<int> FolderTree::RemoveFolder(int id)
{
    const TreeNode* top = Node(id);
    if (!top || id == m_rootId)
        return {};
    std::vector<int>& siblings = m_nodes.at(top->ParentId).Children;
    std::erase(siblings, id);

    std::vector<int> removed{id};
    for (std::size_t i = 0; i < removed.size(); ++i) {
        const TreeNode& node = m_nodes.at(removed[i]);
        removed.insert(removed.end(), node.Children.begin(), node.Children.end());
    }
    const std::unordered_set<int> gone(removed.begin(), removed.end());
    for (const int node : removed) {
        if (const TFolderEntry* folder = FolderOfNode(node))
            m_byPath.erase(FoldedKey(folder->Path));
        m_byNode.erase(node);
        m_nodes.erase(node);
    }
    std::erase_if(m_folders, [&gone](const std::unique_ptr<TFolderEntry>& folder) { return gone.count(folder->NodeId) != 0; });
    return removed;
}

bool FolderTree::IsConsistent() const
{
    const TreeNode* root = Node(m_rootId);
    if (!root || root->ParentId != 0 || m_nodes.size() != m_folders.size() + 1 ||
        m_byNode.size() != m_folders.size() || m_byPath.size() != m_folders.size())
        return false;
    for (const auto& folder : m_folders) {
        const TreeNode* node = folder ? Node(folder->NodeId) : nullptr;
        if (!node || node->ParentId != folder->ParentId || FolderOfNode(folder->NodeId) != folder.get() ||
            FindFolderNode(folder->Path) != folder->NodeId || node->Text != folder->Name)
            return false;
        const TFolderEntry* parent = FolderOfNode(folder->ParentId);
        const std::string path = parent ? parent->Path + "/" + folder->Name : folder->Name;
        if ((!parent && folder->ParentId != m_rootId) || !EqualFolded(folder->Path, path))
            return false;
        const std::vector<int>& siblings = m_nodes.at(folder->ParentId).Children;
        if (std::count(siblings.begin(), siblings.end(), folder->NodeId) != 1)
            return false;
    }
    std::size_t children = 0;
    for (const auto& [id, node] : m_nodes)
        children += node.Children.size();
    return children == m_folders.size();
}

std::string TreePathOf(const TCacheEntry& entry)
{
    return entry.CacheName.empty() ? entry.SitePath : entry.CacheName + "/" + entry.SitePath;
}

std::vector<TCacheEntry*> FolderFiles(const std::vector<TCacheEntry*>& list, int id)
{
    std::vector<TCacheEntry*> files;
    for (TCacheEntry* entry : list)
        if (entry->FolderId == id)
            files.push_back(entry);
    return files;
}

} // namespace larkspool
