// The main window's tree and list: mirroring the catalogue's folder tree,
// arming and running the listing of the open folder, the status bar, opening
// rows, the keys of both views, going up a level, ordering and the refresh.
#include "ui/main/tfrm_main.h"

#include "ui/main/wait_cursor.h"
#include "catalogue/display_text.h"
#include "ui/main/file_list_view.h"
#include "ui/main/find_bar.h"
#include "ui/main/folder_items_model.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

namespace larkspool {
namespace {

constexpr int kNodeIdRole = Qt::UserRole + 1;

// Passes the progress on and keeps the messages until Show.
class DeferredMessages : public RefreshProgress {
public:
    explicit DeferredMessages(RefreshProgress& shown) : m_shown(shown) {}
    void SetProgressMaximum(int maximum) override { m_shown.SetProgressMaximum(maximum); }
    void SetProgressPosition(int position) override { m_shown.SetProgressPosition(position); }
    void ProcessEvents() override { m_shown.ProcessEvents(); }
    void ShowMessage(const std::string& text, const std::string& caption, int flags) override
    {
        m_messages.push_back({text, caption, flags});
    }
    void Show()
    {
        for (const Message& message : m_messages)
            m_shown.ShowMessage(message.text, message.caption, message.flags);
        m_messages.clear();
    }

private:
    struct Message {
        std::string text;
        std::string caption;
        int flags;
    };
    RefreshProgress& m_shown;
    std::vector<Message> m_messages;
};

int NodeIdOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kNodeIdRole).toInt() : 0;
}

} // namespace

void TfrmMain::ForgetListing()
{
    // The records the rows name are about to be freed: nothing may read them,
    // not even a listing armed before.
    m_timer1->stop();
    m_folderItems->Clear();
    m_tally.Listed(m_folderItems->Items());
}

void TfrmMain::RefreshCache(RefreshProgress& progress)
{
    ForgetListing();
    m_ordering.Reset();
    m_statusPanels[0]->clear();
    m_statusPanels[1]->clear();
    DeferredMessages deferred(progress);
    // Busy over this window only: the refresh dialog's cancel button keeps
    // the arrow.
    setCursor(Qt::WaitCursor);
    m_catalogue.RefreshCache(deferred);
    unsetCursor();
    SetPickUpState(m_catalogue.PickUpActive());
    if (!m_catalogue.FindActive()) { // a refresh ends the find
        m_findBar->hide();
        m_findCount->hide();
    }
    m_listingMode = kListingAtOnce;
    RebuildTreeView();
    // What the scan had to say comes over the rebuilt tree.
    deferred.Show();
}

void TfrmMain::RebuildTreeView()
{
    ForgetListing();
    const FolderTree& tree = m_catalogue.Tree();
    {
        const QSignalBlocker detach(m_treeView);
        m_treeView->setUpdatesEnabled(false);
        m_treeView->clear();
        m_treeItems.clear();
        // Parents come before their children in a depth-first walk. The
        // branches grow apart from the view, which then takes each top item
        // once instead of hearing of every row.
        QList<QTreeWidgetItem*> tops;
        m_treeItems.reserve(tree.FolderList().size() + 1);
        m_catalogue.WalkTree([this, &tops](const TreeNode& node, int, int) {
            const auto parent = m_treeItems.find(node.ParentId);
            auto* item = parent == m_treeItems.end() ? new QTreeWidgetItem : new QTreeWidgetItem(parent->second);
            if (parent == m_treeItems.end())
                tops.push_back(item);
            item->setText(0, DisplayText(node.Text));
            item->setIcon(0, m_images.Icon(node.ImageIndex));
            item->setData(0, kNodeIdRole, node.Id);
            m_treeItems.emplace(node.Id, item);
        });
        m_treeView->addTopLevelItems(tops);
        m_treeView->setUpdatesEnabled(true);
    }
    m_currentNode = 0;
    if (const auto root = m_treeItems.find(tree.RootId()); root != m_treeItems.end()) {
        root->second->setExpanded(true);
        m_treeView->setCurrentItem(root->second);
    }
}

void TfrmMain::TreeViewChange(QTreeWidgetItem* current, QTreeWidgetItem* previous)
{
    // The selected folder shows open.
    for (QTreeWidgetItem* item : {previous, current}) {
        const TreeNode* node = item ? m_catalogue.Tree().Node(NodeIdOf(item)) : nullptr;
        if (node)
            item->setIcon(0, m_images.Icon(item == current ? node->SelectedImageIndex : node->ImageIndex));
    }
    const int nodeId = NodeIdOf(current);
    if (nodeId == m_currentNode)
        return;
    m_currentNode = nodeId;
    m_timer1->stop();
    m_timer1->start(ListingDelay(m_listingMode));
}

void TfrmMain::Timer1Timer()
{
    m_timer1->stop();
    {
        WaitCursor wait;
        CollectFolderItems();
        SortFolderItems();
    }
    m_listingMode = kListingAtOnce;
    const TreeNode* node = m_catalogue.Tree().Node(m_currentNode);
    m_lblFolderName->setText(
        tr("開いているﾌｫﾙﾀﾞ : '%1'").arg(node ? DisplayText(node->Text) : QString()));
    m_toolBar->findChild<QToolButton*>(QStringLiteral("sbtUpLevel"))
        ->setEnabled(node && m_currentNode != m_catalogue.Tree().RootId());
    UpdateStatusBar();
}

void TfrmMain::CollectFolderItems()
{
    std::vector<TListItem*>& items = m_folderItems->Items();
    m_folderItems->Clear();
    if (!m_catalogue.Tree().Node(m_currentNode))
        return;
    for (const auto& folder : m_catalogue.Tree().FolderList()) {
        if (folder->ParentId == m_currentNode)
            items.push_back(folder.get());
    }
    FileTypeTable& types = m_catalogue.FileTypes();
    for (TCacheEntry* entry : m_catalogue.FolderFiles(m_currentNode)) {
        if (entry->TypeIndex < 0)
            entry->TypeIndex = m_catalogue.EntryTypeIndex(*entry);
        items.push_back(entry);
    }
    m_images.AddTypeIcons(types);
}

void TfrmMain::SortFolderItems()
{
    m_ordering.Sort(m_folderItems->Items(), m_catalogue.FileTypes());
    FillFileList();
}

void TfrmMain::FillFileList()
{
    m_listView->setUpdatesEnabled(false);
    m_folderItems->FillFileList();
    m_listView->setUpdatesEnabled(true);
    // Refilling drops the selection: the marks follow.
    UpdateStatusBar();
}

void TfrmMain::UpdateStatusBar()
{
    const StatusTexts texts = m_tally.Listed(m_folderItems->Items());
    m_statusPanels[0]->setText(QString::fromStdString(texts.objects));
    m_statusPanels[1]->setText(QString::fromStdString(texts.size));
}

void TfrmMain::ListViewChange(const QItemSelection& selected, const QItemSelection& deselected)
{
    const int selectedRows = m_listView->SelectedCount();
    StatusTexts texts;
    bool changed = false;
    auto apply = [&](const QItemSelection& range, bool nowSelected) {
        for (const QModelIndex& index : range.indexes()) {
            if (index.column() != 0)
                continue;
            texts = m_tally.RowChanged(m_folderItems->Items(), selectedRows, index.row(), nowSelected);
            changed = true;
        }
    };
    apply(deselected, false);
    apply(selected, true);
    if (!changed)
        return;
    m_statusPanels[0]->setText(QString::fromStdString(texts.objects));
    m_statusPanels[1]->setText(QString::fromStdString(texts.size));
}

void TfrmMain::SelectNode(int nodeId)
{
    if (const auto item = m_treeItems.find(nodeId); item != m_treeItems.end())
        m_treeView->setCurrentItem(item->second);
}

void TfrmMain::ListViewDblClick()
{
    const TListItem* item = m_folderItems->Item(m_listView->FirstSelectedRow());
    if (!item)
        return;
    if (item->Kind == 'C')
        m_openFile(static_cast<const TCacheEntry*>(item)->LocalFile);
    else
        SelectNode(static_cast<const TFolderEntry*>(item)->NodeId);
}

void TfrmMain::ListViewKeyDown(int key)
{
    switch (key) {
    case Qt::Key_Backspace:
        if (m_toolBar->findChild<QToolButton*>(QStringLiteral("sbtUpLevel"))->isEnabled())
            sbtUpLevelClick();
        break;
    case Qt::Key_Return:
        ListViewDblClick();
        break;
    case Qt::Key_Menu: {
        const int row = m_listView->FirstSelectedRow();
        if (row < 0)
            break;
        const int shift = m_listView->Style() == ViewStyle::LargeIcon ? 16 : 8;
        ShowPopup(m_listView->ToGlobal(m_listView->RowPosition(row) + QPoint(shift, shift)));
        break;
    }
    default:
        break;
    }
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_treeView && event->type() == QEvent::KeyPress) {
        m_listingMode = kListingAfterKey;
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Menu) {
            if (QTreeWidgetItem* item = m_treeView->currentItem())
                ShowPopup(m_treeView->viewport()->mapToGlobal(m_treeView->visualItemRect(item).center()));
            return true;
        }
    } else if (watched == m_treeView->viewport() && event->type() == QEvent::MouseButtonPress) {
        // The popup acts on the node already selected: a right press selects nothing.
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
            return true;
    } else if (watched == m_treeView->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton && m_treeView->itemAt(mouse->position().toPoint()))
            ShowPopup(mouse->globalPosition().toPoint());
    } else if (event->type() == QEvent::ContextMenu && (watched == m_treeView || watched == m_treeView->viewport())) {
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::sbtUpLevelClick()
{
    const TreeNode* node = m_catalogue.Tree().Node(m_currentNode);
    if (node && node->ParentId != 0)
        SelectNode(node->ParentId);
}

void TfrmMain::ShowPopup(QPoint global)
{
    m_popupMenu->popup(global);
}

void TfrmMain::ListViewColumnClick(int column)
{
    m_ordering.ChooseColumn(column);
    WaitCursor wait;
    SortFolderItems();
}

void TfrmMain::mnuSortClick()
{
    const int column = sender() ? SortMenuColumn(sender()->objectName()) : -1;
    if (column >= 0)
        ListViewColumnClick(column);
}

QIcon TfrmMain::GetTypeLargeIcon(int typeRow) const
{
    if (typeRow < 0 || typeRow >= m_catalogue.FileTypes().GetFileTypeCount())
        return {};
    return QIcon(m_images.Large(m_catalogue.FileTypes().GetFileTypeRow(typeRow).ImageIndex));
}

QIcon TfrmMain::GetTypeSmallIcon(int typeRow) const
{
    if (typeRow < 0 || typeRow >= m_catalogue.FileTypes().GetFileTypeCount())
        return {};
    return QIcon(m_images.Small(m_catalogue.FileTypes().GetFileTypeRow(typeRow).ImageIndex));
}

const TFolderEntry* TfrmMain::CurrentTreeFolder() const
{
    return m_catalogue.Tree().FolderOfNode(NodeIdOf(m_treeView->currentItem()));
}

} // namespace larkspool
