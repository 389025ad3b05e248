// What the main window does after a finished move or delete, and the file
// type lookup the overwrite questions use: the catalogue is brought up to
// date without reading the cache again, since every entry of the command is
// known to be gone from it.
#include "app/tfrm_main.h"

#include "app/folder_items_model.h"

#include <QTimer>
#include <QTreeWidget>

namespace larkspool {

void TfrmMain::DropFinishedEntries(const std::vector<int>& folderRemoveList)
{
    ForgetListing();
    m_catalogue.RemoveEntries(m_jobList);
    m_jobList.clear();
    {
        // The tree picks another current item as its own is deleted; the
        // listing below follows it once, not on each deletion.
        const QSignalBlocker quiet(m_treeView);
        for (const int nodeId : folderRemoveList) {
            const auto item = m_treeItems.find(nodeId);
            if (item == m_treeItems.end())
                continue;
            delete item->second;
            for (const int removed : m_catalogue.Tree().RemoveFolder(nodeId))
                m_treeItems.erase(removed);
        }
    }
    m_currentNode = 0;
    TreeViewChange(m_treeView->currentItem(), nullptr);
    Timer1Timer();
}

int TfrmMain::GetFileTypeIndex(const std::string& path)
{
    const int row = m_catalogue.FileTypes().GetFileTypeIndex(path);
    m_images.AddTypeIcons(m_catalogue.FileTypes());
    return row;
}

} // namespace larkspool
