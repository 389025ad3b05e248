// The main window's commands: the menu, toolbar and popup handlers that open
// the dialogs and run the jobs, and what the window does after a finished
// move or delete (the catalogue is brought up to date without reading the
// cache again, since every entry of the command is known to be gone from it).
#include "ui/main/tfrm_main.h"

#include "ui/main/file_list_view.h"
#include "ui/main/find_bar.h"
#include "ui/main/folder_items_model.h"
#include "ui/main/forms.h"
#include "ui/main/tfrm_pick_up.h"
#include "ui/main/tfrm_refresh.h"
#include "ui/main/wait_cursor.h"
#include "ui/common/message_box.h"
#include "ui/dialogs/tfrm_file_op.h"
#include "ui/dialogs/tfrm_move_del.h"
#include "ui/dialogs/tfrm_from_local.h"
#include "ui/dialogs/tfrm_def_file.h"
#include "ui/dialogs/tfrm_sel_dir.h"
#include "ui/dialogs/tfrm_version.h"

#include <QAbstractItemView>
#include <QAction>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

namespace larkspool {

void TfrmMain::mnuRefreshClick()
{
    m_forms.frmRefresh->exec();
}

void TfrmMain::SetPickUpState(bool active)
{
    // The designed caption stays until the filter first starts or ends.
    QToolButton* end = m_toolBar->findChild<QToolButton*>(QStringLiteral("sbtPickUpEnd"));
    if (end->isHidden() == !active)
        return;
    findChild<QAction*>(QStringLiteral("mnuPickUp"))
        ->setText(active ? tr("絞り込み終了(&P)") : tr("絞り込み(&P)"));
    m_toolBar->findChild<QToolButton*>(QStringLiteral("sbtPickUp"))->setVisible(!active);
    m_toolBar->findChild<QToolButton*>(QStringLiteral("sbtPickUpEnd"))->setVisible(active);
}

void TfrmMain::mnuPickUpClick()
{
    {
        WaitCursor wait;
        m_catalogue.LookUpMissingTypes();
        m_images.AddTypeIcons(m_catalogue.FileTypes());
    }
    if (m_forms.frmPickUp->exec() != QDialog::Accepted)
        return;
    ForgetListing();
    m_catalogue.StartPickUp(m_forms.frmPickUp->SelectedTypes());
    SetPickUpState(true);
    m_listingMode = kListingAtOnce;
    RebuildTreeView();
}

void TfrmMain::mnuPickUpClick2()
{
    ForgetListing();
    m_catalogue.EndPickUp();
    SetPickUpState(false);
    m_listingMode = kListingAtOnce;
    RebuildTreeView();
}

void TfrmMain::mnuFindClick()
{
    if (!m_findBar->isVisible()) {
        const TFolderEntry* folder = CurrentTreeFolder();
        m_folderBeforeFind = folder ? folder->Path : std::string();
    }
    m_findBar->Open();
    FindChanged();
}

void TfrmMain::FindChanged()
{
    ForgetListing();
    const EntryFilter filter = m_findBar->Filter();
    bool changed = true;
    if (filter.SelectsAll())
        m_catalogue.EndFind();
    else
        changed = m_catalogue.StartFind(filter);
    m_findCount->setText(tr("%1 / %2 件").arg(m_catalogue.CacheList().size()).arg(m_catalogue.AllEntries().size()));
    m_findCount->show();
    m_listingMode = kListingAtOnce;
    if (changed)
        RebuildTreeView();
    else // the same entries in the same tree: the open folder lists them again
        m_timer1->start(ListingDelay(m_listingMode));
}

void TfrmMain::EndFind()
{
    ForgetListing();
    m_catalogue.EndFind();
    m_findBar->hide();
    m_findCount->hide();
    m_listingMode = kListingAtOnce;
    RebuildTreeView();
    if (const int node = m_folderBeforeFind.empty() ? 0 : m_catalogue.FindFolderNode(m_folderBeforeFind); node > 0)
        SelectNode(node);
    m_listView->CurrentView()->setFocus(Qt::OtherFocusReason);
}

void TfrmMain::mnuSetupDirClick()
{
    m_forms.frmSelDir->exec();
}

void TfrmMain::mnuSetupDefaultFileClick()
{
    m_forms.frmDefFile->exec();
    m_catalogue.SetDefFile1(m_command.defaultFiles.DefFile1);
}

void TfrmMain::mnuCopyFromLocalClick()
{
    if (m_forms.frmFromLocal->exec() == QDialog::Accepted)
        mnuRefreshClick();
}

void TfrmMain::mnuVersionInfoClick()
{
    m_forms.frmVersion->exec();
}

void TfrmMain::sbtClick()
{
    const bool treeFocused = m_treeView->hasFocus();
    if (treeFocused ? m_treeView->currentItem() == nullptr : m_listView->SelectedCount() == 0)
        return;
    RunCommand(sender() ? sender()->objectName() : QString());
}

void TfrmMain::PopupClick()
{
    RunCommand(sender() ? sender()->objectName() : QString());
}

void TfrmMain::RunCommand(const QString& senderName)
{
    static const struct {
        const char* names[3];
        int opKind;
    } kinds[] = {
        {{"sbtCopy", "mnuCopy", "PopupCopy"}, kOpCopy},
        {{"sbtDelete", "mnuDelete", "PopupDelete"}, kOpDelete},
        {{"sbtMove", "mnuMove", "PopupMove"}, kOpMove},
    };
    m_command.jobList.clear();
    // Node ids rather than records: a record may be freed with a folder above it.
    std::vector<int> folderRemoveList;
    auto takeFolder = [this, &folderRemoveList](const TFolderEntry& folder) {
        const auto under = m_catalogue.CollectEntriesUnder(folder.Path);
        m_command.jobList.insert(m_command.jobList.end(), under.begin(), under.end());
        folderRemoveList.push_back(folder.NodeId);
    };
    if (m_treeView->hasFocus()) {
        if (const TFolderEntry* folder = CurrentTreeFolder())
            takeFolder(*folder);
        else
            m_command.jobList = m_catalogue.CacheList();
    } else {
        for (TListItem* item : m_folderItems->Items()) {
            if (!item->Selected)
                continue;
            if (item->Kind == 'C')
                m_command.jobList.push_back(static_cast<TCacheEntry*>(item));
            else
                takeFolder(*static_cast<const TFolderEntry*>(item));
        }
    }
    m_command.opKind = 0;
    for (const auto& kind : kinds) {
        for (const char* name : kind.names) {
            if (senderName == QLatin1String(name))
                m_command.opKind = kind.opKind;
        }
    }
    if (m_command.opKind == 0) {
        ShowMessage(this, senderName.toStdString(), "Undefined Component name", kMessageStop);
        return;
    }
    if (m_command.opKind != kOpDelete && m_command.copyDir.empty()) {
        ShowMessage(this, tr("保存先ﾃﾞｨﾚｸﾄﾘが設定されていません。\n\n保存先ﾃﾞｨﾚｸﾄﾘを設定してください。").toStdString(), kAppCaption,
                    kMessageExclamation);
        return;
    }
    if (m_command.jobList.empty())
        return;
    if (m_command.opKind != kOpCopy && m_forms.frmMoveDel->exec() != QDialog::Accepted)
        return;
    m_forms.frmFileOp->exec();
    if (m_command.opKind == kOpCopy)
        return;
    // A job that stopped early or skipped items may have removed any part of
    // its entries.
    if (m_forms.frmFileOp->GetJobResult() != 0 || m_forms.frmFileOp->Skipped() > 0)
        mnuRefreshClick();
    else
        DropFinishedEntries(folderRemoveList);
}

void TfrmMain::DropFinishedEntries(const std::vector<int>& folderRemoveList)
{
    ForgetListing();
    const std::vector<std::vector<int>> removed = m_catalogue.RemoveEntries(m_command.jobList, folderRemoveList);
    m_command.jobList.clear();
    {
        // The tree picks another current item as its own is deleted; the
        // listing below follows it once, not on each deletion.
        const QSignalBlocker quiet(m_treeView);
        for (const std::vector<int>& branch : removed) {
            // Deleting the branch's item deletes the items below it.
            const auto item = m_treeItems.find(branch.front());
            if (item != m_treeItems.end())
                delete item->second;
            for (const int nodeId : branch)
                m_treeItems.erase(nodeId);
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
