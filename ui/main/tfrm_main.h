// The main window: folder tree on the left, file list on the right, menus,
// toolbar and status bar. It owns the catalogue and presents it.
#pragma once

#include "ui/main/image_lists.h"
#include "ui/main/list_ordering.h"
#include "ui/main/status_tally.h"
#include "catalogue/catalogue.h"
#include "jobs/command_state.h"
#include "settings/main_settings.h"

#include <QIcon>
#include <QMainWindow>

#include <functional>
#include <unordered_map>

class QAction;
class QLabel;
class QMenu;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QTimer;
class QItemSelection;

namespace larkspool {

struct Forms;
class FileListView;
class FindBar;
class FolderItemsModel;
class HelpWindow;
class SplitPanel;

// Listing delays after a selection change in the tree.
enum ListingModeValue { kListingAfterKey = 1, kListingAtOnce = 2 };
int ListingDelay(int listingMode);

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    TfrmMain(Forms& forms, UrlCache& cache);
    ~TfrmMain() override;

    // The whole refresh, run by the refresh dialog.
    void RefreshCache(RefreshProgress& progress);
    void CancelRefresh() { m_catalogue.CancelRefresh(); }

    // The command the job windows run; its destination and default names are
    // the settings the settings dialogs change.
    CommandState& Command() { return m_command; }
    QIcon GetTypeIcon(const std::string& path) { return GetTypeLargeIcon(GetFileTypeIndex(path)); }
    // The file type row of a file, added when new, its icons with it.
    int GetFileTypeIndex(const std::string& path);
    QIcon GetTypeLargeIcon(int typeRow) const;
    QIcon GetTypeSmallIcon(int typeRow) const;
    Catalogue& catalogue() { return m_catalogue; }

    // What the list shows and how.
    FolderItemsModel& folderItems() { return *m_folderItems; }
    FileListView* listView() const { return m_listView; }
    QTreeWidget* treeView() const { return m_treeView; }
    SplitPanel* splitPanel() const { return m_splitPanel; }
    QMenu* popupMenu() const { return m_popupMenu; }
    QTimer* timer1() const { return m_timer1; }
    const ListOrdering& ordering() const { return m_ordering; }
    int CurrentNode() const { return m_currentNode; }
    QString StatusText(int panel) const;
    QString FolderNameText() const;
    const ImageLists& imageLists() const { return m_images; }
    HelpWindow* helpWindow() const { return m_help; }
    // Opens a cached file; the desktop's opener unless replaced (tests).
    void SetFileOpener(std::function<void(const std::string&)> opener) { m_openFile = std::move(opener); }

    // The settings as the window holds them now, and their application.
    MainSettings CurrentSettings() const;
    void ApplySettings(const MainSettings& settings);
    void FormShow();
    void FormClose();

    // Selects the view style whose button or menu item bears this name.
    void ApplyViewStyle(const QString& controlName);
    void ListViewColumnClick(int column);
    void ListViewKeyDown(int key);
    void UpdateStatusBar();

public slots:
    void ChangeListViewIcon();
    void mnuAutoIconClick();
    void mnuTouSeiClick();
    void mnuToolBarClick();
    void mnuStatusBarClick();
    void mnuSelectAllClick();
    void mnuInversClick();
    void mnuExitClick();
    void mnuHelpTopicClick();
    void mnuRefreshClick();
    void mnuRefreshAtRunClick();
    void mnuSortClick();
    void mnuPickUpClick();
    void mnuPickUpClick2();
    // Ctrl+F: the find bar; it narrows the tree and the list as it changes,
    // and its end brings back every entry and the folder open before.
    void mnuFindClick();
    void FindChanged();
    void EndFind();
    void mnuSetupDirClick();
    void mnuSetupDefaultFileClick();
    void mnuCopyFromLocalClick();
    void mnuVersionInfoClick();
    void sbtUpLevelClick();
    void sbtClick();
    void PopupClick();
    void Timer1Timer();
    void ListViewDblClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void BuildMenus();
    void BuildToolBar(QWidget* toolBar);
    QWidget* BuildHalf(const char* panelName, const char* labelName, QLabel*& label, QWidget* view);
    QAction* Action(const char* name) const;
    QToolButton* Button(const char* name) const;

    void StartupRefreshTimer();
    void TreeViewChange(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void RebuildTreeView();
    void ForgetListing();
    void CollectFolderItems();
    void SortFolderItems();
    void FillFileList();
    void ListViewChange(const QItemSelection& selected, const QItemSelection& deselected);
    void SelectNode(int nodeId);
    void ShowPopup(QPoint global);
    void RunCommand(const QString& senderName);
    void DropFinishedEntries(const std::vector<int>& folderRemoveList);
    void SetPickUpState(bool active);
    // The folder of the tree's current item; null for the root.
    const TFolderEntry* CurrentTreeFolder() const;

    Forms& m_forms;
    Catalogue m_catalogue;
    ImageLists m_images;
    FolderItemsModel* m_folderItems;
    StatusTally m_tally;
    ListOrdering m_ordering;

    QWidget* m_bevel1 = nullptr;
    QWidget* m_toolBar = nullptr;
    FindBar* m_findBar = nullptr;
    std::string m_folderBeforeFind; // the path of the folder open when the find began
    SplitPanel* m_splitPanel = nullptr;
    QTreeWidget* m_treeView = nullptr;
    FileListView* m_listView = nullptr;
    QLabel* m_lblRootFolderName = nullptr;
    QLabel* m_lblFolderName = nullptr;
    QLabel* m_statusPanels[2] = {};
    QLabel* m_findCount = nullptr;
    QMenu* m_popupMenu = nullptr;
    QTimer* m_timer1 = nullptr;
    HelpWindow* m_help = nullptr;
    QString m_helpFile;

    // Tree items by node id; rebuilt with the tree.
    std::unordered_map<int, QTreeWidgetItem*> m_treeItems;
    int m_currentNode = 0; // the folder listed or about to be; 0 none
    int m_listingMode = 0;
    std::function<void()> m_timerHandler;
    std::function<void(const std::string&)> m_openFile;
    bool m_shown = false;

    CommandState m_command;
    bool m_refreshAtRun = false;
};

} // namespace larkspool
