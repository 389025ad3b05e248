#include "catalogue/folder_tree.h"

#include <gtest/gtest.h>

namespace larkspool {
namespace {

class FolderTreeTest : public ::testing::Test {
protected:
    void Build(const std::vector<std::string>& sitePaths)
    {
        for (const std::string& path : sitePaths) {
            m_records.push_back(std::make_unique<TCacheEntry>());
            m_records.back()->SitePath = path;
            m_list.push_back(m_records.back().get());
        }
        m_tree.BuildFolderTree(m_list);
        EXPECT_TRUE(m_tree.IsConsistent());
    }

    // "text(child,child)" of a node, children in tree order.
    std::string Shape(int id) const
    {
        const TreeNode& node = *m_tree.Node(id);
        std::string text = node.Text;
        if (!node.Children.empty()) {
            text += "(";
            for (std::size_t i = 0; i < node.Children.size(); ++i)
                text += (i ? "," : "") + Shape(node.Children[i]);
            text += ")";
        }
        return text;
    }

    std::vector<std::string> FolderPaths() const
    {
        std::vector<std::string> paths;
        for (const auto& folder : m_tree.FolderList())
            paths.push_back(folder->Path);
        return paths;
    }

    FolderTree m_tree;
    std::vector<std::unique_ptr<TCacheEntry>> m_records;
    std::vector<TCacheEntry*> m_list;
};

TEST_F(FolderTreeTest, an_empty_catalogue_gives_the_root_alone_expanded)
{
    Build({});

    const TreeNode& root = *m_tree.Node(m_tree.RootId());
    EXPECT_EQ(Shape(m_tree.RootId()), "MSIE Cache");
    EXPECT_TRUE(root.Expanded);
    EXPECT_EQ(root.ImageIndex, kRootImage);
    EXPECT_EQ(root.SelectedImageIndex, kRootImage);
    EXPECT_TRUE(m_tree.FolderList().empty());
}

TEST_F(FolderTreeTest, each_folder_is_made_once_and_entries_land_in_their_own_folder)
{
    Build({"host/a/b/c.html", "host/a/d.html"});

    EXPECT_EQ(Shape(m_tree.RootId()), "MSIE Cache(host(a(b)))");
    EXPECT_EQ(FolderPaths(), (std::vector<std::string>{"host", "host/a", "host/a/b"}));
    EXPECT_EQ(m_list[0]->FolderId, m_tree.FindFolderNode("host/a/b"));
    EXPECT_EQ(m_list[1]->FolderId, m_tree.FindFolderNode("host/a"));
    const TFolderEntry& b = *m_tree.FolderList()[2];
    EXPECT_EQ(b.Kind, 'T');
    EXPECT_EQ(b.Name, "b");
    EXPECT_EQ(b.ParentId, m_tree.FindFolderNode("HOST/A"));
    EXPECT_EQ(m_tree.Node(b.NodeId)->ImageIndex, kFolderImage);
    EXPECT_EQ(m_tree.Node(b.NodeId)->SelectedImageIndex, kOpenFolderImage);
    EXPECT_EQ(m_tree.FolderList()[0]->ParentId, m_tree.RootId());
}

TEST_F(FolderTreeTest, folders_stand_in_catalogue_order_and_share_a_node_across_case)
{
    Build({"host/a-b/x.html", "host/a/y.html", "HOST/A/z.html", "Host/a/q/w.html", "other/v.html"});

    EXPECT_EQ(Shape(m_tree.RootId()), "MSIE Cache(host(a-b,a(q)),other)");
    EXPECT_EQ(m_list[1]->FolderId, m_list[2]->FolderId);
    EXPECT_EQ(m_tree.FolderList()[3]->Path, "Host/a/q");
    std::vector<std::string> subFolders;
    for (const TFolderEntry* folder : m_tree.SubFolders(m_tree.FindFolderNode("host")))
        subFolders.push_back(folder->Name);
    EXPECT_EQ(subFolders, (std::vector<std::string>{"a-b", "a"}));
    EXPECT_EQ(FolderFiles(m_list, m_tree.FindFolderNode("host/a")).size(), 2u);
    EXPECT_TRUE(FolderFiles(m_list, m_tree.RootId()).empty());
}

TEST_F(FolderTreeTest, empty_host_and_empty_segments_get_folders_of_their_own)
{
    Build({"/C%3a/x.html", "/y.html", "host//z.html"});

    EXPECT_EQ(Shape(m_tree.RootId()), "MSIE Cache((C%3a),host())");
    EXPECT_EQ(FolderPaths(), (std::vector<std::string>{"", "/C%3a", "host", "host/"}));
    EXPECT_EQ(m_list[1]->FolderId, m_tree.FindFolderNode(""));
    EXPECT_EQ(m_list[2]->FolderId, m_tree.FindFolderNode("host/"));
}

TEST_F(FolderTreeTest, node_ids_are_not_reused_by_a_rebuild)
{
    Build({"host/a.html"});
    const int firstHost = m_tree.FindFolderNode("host");

    m_tree.BuildFolderTree(m_list);

    EXPECT_NE(m_tree.FindFolderNode("host"), firstHost);
    EXPECT_EQ(m_tree.Node(firstHost), nullptr);
    EXPECT_EQ(m_tree.FindFolderNode("elsewhere"), 0);
}

TEST_F(FolderTreeTest, removing_a_folder_takes_its_branch_and_records_and_leaves_a_sibling_of_like_name)
{
    Build({"host/img.gif", "host/img/a.gif", "host/img/deep/b.gif", "host/img2/c.gif"});
    const int img = m_tree.FindFolderNode("host/img");
    const int deep = m_tree.FindFolderNode("host/img/deep");

    EXPECT_EQ(m_tree.RemoveFolder(img), (std::vector<int>{img, deep}));
    EXPECT_TRUE(m_tree.IsConsistent());

    EXPECT_EQ(Shape(m_tree.RootId()), "MSIE Cache(host(img2))");
    EXPECT_EQ(FolderPaths(), (std::vector<std::string>{"host", "host/img2"}));
    EXPECT_EQ(m_tree.FindFolderNode("HOST/IMG"), 0);
    EXPECT_EQ(m_tree.FolderOfNode(deep), nullptr);
    EXPECT_EQ(m_tree.Node(deep), nullptr);
    EXPECT_TRUE(m_tree.RemoveFolder(img).empty());
    EXPECT_TRUE(m_tree.RemoveFolder(m_tree.RootId()).empty());
    EXPECT_EQ(Shape(m_tree.RootId()), "MSIE Cache(host(img2))");
}

} // namespace
} // namespace larkspool
