// The main window's construction: menus, toolbar, the split panel with the
// tree and the list, the status bar; and the handlers of the window itself
// (view styles, arrangement, toggles, selection, exit, help, settings).
#include "ui/main/tfrm_main.h"

#include "ui/common/elided_label.h"
#include "ui/main/file_list_view.h"
#include "ui/main/find_bar.h"
#include "ui/main/folder_items_model.h"
#include "ui/main/forms.h"
#include "ui/common/help_window.h"
#include "ui/main/split_panel.h"
#include "ui/main/view_styles.h"
#include "ui/main/window_placement.h"
#include "ui/common/theme_icon.h"
#include "ui/common/message_box.h"
#include "settings/list_columns_setting.h"

#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QDesktopServices>
#include <QFrame>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace larkspool {

int ListingDelay(int listingMode)
{
    return listingMode == kListingAtOnce ? 1 : 500;
}

TfrmMain::TfrmMain(Forms& forms, UrlCache& cache)
    : m_forms(forms), m_catalogue(cache), m_folderItems(new FolderItemsModel(m_catalogue.FileTypes(), m_images, this)),
      m_timer1(new QTimer(this))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromUtf8(kAppCaption));
    setWindowIcon(ThemeIcon("larkspool", "larkspool"));
    // The design font; fontconfig has no such family, so name its stand-in.
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_openFile = [](const std::string& path) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
    };

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* bevel1 = new QFrame(central);
    bevel1->setObjectName(QStringLiteral("Bevel1"));
    bevel1->setFrameShape(QFrame::HLine);
    bevel1->setFrameShadow(QFrame::Sunken);
    bevel1->setFixedHeight(2);
    m_bevel1 = bevel1;
    m_toolBar = new QWidget(central);
    m_toolBar->setObjectName(QStringLiteral("ToolBar"));
    m_toolBar->setFixedHeight(28);

    m_treeView = new QTreeWidget;
    m_treeView->setObjectName(QStringLiteral("TreeView"));
    m_treeView->setHeaderHidden(true);
    m_treeView->setIndentation(19);
    m_treeView->setRootIsDecorated(false);
    m_treeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_treeView->setIconSize(QSize(16, 16));
    m_treeView->installEventFilter(this);
    m_treeView->viewport()->installEventFilter(this);
    m_listView = new FileListView(*m_folderItems);

    QWidget* lPanel = BuildHalf("lPanel", "lblRootFolderName", m_lblRootFolderName, m_treeView);
    QWidget* rPanel = BuildHalf("rPanel", "lblFolderName", m_lblFolderName, m_listView);
    lPanel->findChild<QFrame*>()->setObjectName(QStringLiteral("pnllFolderName"));
    rPanel->findChild<QFrame*>()->setObjectName(QStringLiteral("pnlrFolderName"));
    m_lblRootFolderName->setText(tr("MS-IE Cache ﾌｫﾙﾀﾞ"));
    m_lblFolderName->setText(tr("開いているﾌｫﾙﾀﾞ : "));
    m_splitPanel = new SplitPanel(lPanel, rPanel, central);

    m_findBar = new FindBar(central);
    connect(m_findBar, &FindBar::changed, this, &TfrmMain::FindChanged);
    connect(m_findBar, &FindBar::closed, this, &TfrmMain::EndFind);

    column->addWidget(m_bevel1);
    column->addWidget(m_toolBar);
    column->addWidget(m_findBar);
    column->addWidget(m_splitPanel, 1);
    setCentralWidget(central);

    QStatusBar* status = statusBar();
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setFixedHeight(18);
    status->setSizeGripEnabled(true);
    const int widths[2] = {240, 50};
    for (int i = 0; i < 2; ++i) {
        // The designed widths, grown when a text needs more: no panel cuts its
        // text while there is room, and a narrow window shortens them instead
        // of laying them over each other.
        m_statusPanels[i] = new ElidedLabel(status, widths[i]);
        m_statusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_statusPanels[i]->setFrameShape(QFrame::Panel);
        m_statusPanels[i]->setFrameShadow(QFrame::Sunken);
        status->addWidget(m_statusPanels[i]);
    }
    // While a find is on: how many entries it found among all.
    m_findCount = new QLabel(status);
    m_findCount->setObjectName(QStringLiteral("lblFindCount"));
    status->addPermanentWidget(m_findCount);
    m_findCount->hide();

    BuildMenus();
    BuildToolBar(m_toolBar);
    resize(360, 208 + menuBar()->sizeHint().height() + 2 + 28 + 18);

    connect(m_timer1, &QTimer::timeout, this, [this] { m_timerHandler(); });
    m_timerHandler = [this] { Timer1Timer(); };
    connect(m_treeView, &QTreeWidget::currentItemChanged, this, &TfrmMain::TreeViewChange);
    // The commands act on the current node, so it stays visibly selected: a
    // click beside the rows or a Ctrl+click would unmark it.
    connect(m_treeView, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (QTreeWidgetItem* current = m_treeView->currentItem(); current && !current->isSelected())
            current->setSelected(true);
    });
    connect(m_listView->SelectionModel(), &QItemSelectionModel::selectionChanged, this, &TfrmMain::ListViewChange);
    connect(m_listView, &FileListView::keyDown, this, &TfrmMain::ListViewKeyDown);
    connect(m_listView, &FileListView::rowActivated, this, &TfrmMain::ListViewDblClick);
    connect(m_listView, &FileListView::columnClicked, this, &TfrmMain::ListViewColumnClick);
    connect(m_listView, &FileListView::optionalColumnsChosen, this, [this](unsigned columns) {
        if (!RememberOptionalColumns(columns))
            ShowMessage(this, "cannot store the choice in the settings", kAppCaption, kMessageStop);
    });
    connect(m_listView, &FileListView::rightReleased, this, [this](QPoint at, bool overRow) {
        if (overRow)
            ShowPopup(m_listView->ToGlobal(at));
    });

    ApplyViewStyle(QStringLiteral("sbtLargeIcon"));
    const int widthsByColumn[5] = {138, 100, 58, 148, 158};
    for (int c = 0; c < 5; ++c)
        m_listView->SetColumnWidth(c, widthsByColumn[c]);
    FormCreate();
}

TfrmMain::~TfrmMain()
{
    // Rows and list items refer to catalogue records: drop them first.
    m_folderItems->Clear();
}

QWidget* TfrmMain::BuildHalf(const char* panelName, const char* labelName, QLabel*& label, QWidget* view)
{
    auto* panel = new QWidget;
    panel->setObjectName(QString::fromLatin1(panelName));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* caption = new QFrame(panel);
    caption->setFrameShape(QFrame::Panel);
    caption->setFrameShadow(QFrame::Sunken);
    caption->setFixedHeight(18);
    auto* captionLayout = new QHBoxLayout(caption);
    captionLayout->setContentsMargins(4, 0, 4, 0);
    label = new ElidedLabel(caption);
    label->setObjectName(QString::fromLatin1(labelName));
    captionLayout->addWidget(label);
    layout->addWidget(caption);
    layout->addWidget(view, 1);
    return panel;
}

void TfrmMain::FormCreate()
{
    m_helpFile = HelpFilePath(QCoreApplication::applicationFilePath());
    m_images.AddBrowserIcon();
    m_images.AddFolderIcons();
}

QAction* TfrmMain::Action(const char* name) const
{
    return findChild<QAction*>(QString::fromLatin1(name));
}

QToolButton* TfrmMain::Button(const char* name) const
{
    return m_toolBar->findChild<QToolButton*>(QString::fromLatin1(name));
}

void TfrmMain::BuildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto add = [this](QMenu* menu, const char* name, const QString& caption, auto handler,
                      QKeySequence shortcut = {}) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };

    QMenu* file = bar->addMenu(tr("ﾌｧｲﾙ(&F)"));
    add(file, "mnuSetupDir", tr("ｺﾋﾟｰ先ﾌｫﾙﾀﾞ設定(&S)..."), &TfrmMain::mnuSetupDirClick);
    add(file, "mnuSetupDefaultFile", tr("暗黙のﾌｧｲﾙ名設定(&D).."), &TfrmMain::mnuSetupDefaultFileClick);
    file->addSeparator();
    add(file, "mnuCopyFromLocal", tr("ﾛｰｶﾙﾌｧｲﾙをｷｬｯｼｭにｺﾋﾟｰ(&C)..."), &TfrmMain::mnuCopyFromLocalClick);
    file->addSeparator();
    add(file, "mnuExit", tr("終了(&X)"), &TfrmMain::mnuExitClick);

    QMenu* edit = bar->addMenu(tr("編集(&E)"));
    add(edit, "mnuSelectAll", tr("すべて選択(&A)"), &TfrmMain::mnuSelectAllClick, QKeySequence(Qt::CTRL | Qt::Key_A));
    add(edit, "mnuInvers", tr("選択の反転(&I)"), &TfrmMain::mnuInversClick);
    edit->addSeparator();
    add(edit, "mnuCopy", tr("ｺﾋﾟｰ(&C)"), &TfrmMain::sbtClick);
    edit->addSeparator();
    add(edit, "mnuMove", tr("移動(&M)"), &TfrmMain::sbtClick);
    add(edit, "mnuDelete", tr("削除(&D)"), &TfrmMain::sbtClick, QKeySequence(Qt::Key_Delete));
    edit->addSeparator();
    QAction* pickUp = edit->addAction(tr("絞り込み(P)..."));
    pickUp->setObjectName(QStringLiteral("mnuPickUp"));
    pickUp->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    connect(pickUp, &QAction::triggered, this, [this] {
        if (m_catalogue.PickUpActive())
            mnuPickUpClick2();
        else
            mnuPickUpClick();
    });
    add(edit, "mnuFind", tr("検索(&F)..."), &TfrmMain::mnuFindClick, QKeySequence(Qt::CTRL | Qt::Key_F));

    // The tick items' handlers invert the tick themselves, as they are also
    // called directly; undo the flip Qt makes before a click reaches them.
    auto addTick = [this](QMenu* menu, const char* name, const QString& caption, void (TfrmMain::*handler)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, action, handler] {
            action->setChecked(!action->isChecked());
            (this->*handler)();
        });
        return action;
    };

    QMenu* view = bar->addMenu(tr("表示(&V)"));
    addTick(view, "mnuToolBar", tr("ﾂｰﾙﾊﾞｰ(&T)"), &TfrmMain::mnuToolBarClick)->setChecked(true);
    addTick(view, "mnuStatusBar", tr("ｽﾃｰﾀｽﾊﾞｰ(&S)"), &TfrmMain::mnuStatusBarClick)->setChecked(true);
    view->addSeparator();
    auto* styles = new QActionGroup(this);
    const QString styleCaptions[4] = {tr("大きいｱｲｺﾝ(&G)"), tr("小さいｱｲｺﾝ(&M)"), tr("一覧(&L)"), tr("詳細(&D)")};
    for (int i = 0; i < 4; ++i) {
        QAction* action = add(view, ViewStyleRows()[i].menu, styleCaptions[i], &TfrmMain::ChangeListViewIcon);
        action->setCheckable(true);
        styles->addAction(action);
    }
    view->addSeparator();
    QMenu* arrange = view->addMenu(tr("ｱｲｺﾝの整列(&I)"));
    arrange->menuAction()->setObjectName(QStringLiteral("mnuSeiretsu"));
    add(arrange, "mnuSortByName", tr("名前順(N)"), &TfrmMain::mnuSortClick);
    add(arrange, "mnuSortByType", tr("種類順(&T)"), &TfrmMain::mnuSortClick);
    add(arrange, "mnuSortBySize", tr("ｻｲｽﾞ順(&S)"), &TfrmMain::mnuSortClick);
    add(arrange, "mnuSortByDate", tr("日付順(&D)"), &TfrmMain::mnuSortClick);
    arrange->addSeparator();
    addTick(arrange, "mnuAutoIcon", tr("ｱｲｺﾝの自動整列(&A)"), &TfrmMain::mnuAutoIconClick);
    add(view, "mnuTouSei", tr("等間隔に整列(&E)"), &TfrmMain::mnuTouSeiClick);
    view->addSeparator();
    add(view, "mnuRefresh", tr("最新の情報に更新(&R)"), &TfrmMain::mnuRefreshClick, QKeySequence(Qt::Key_F5));
    addTick(view, "mnuRefreshAtRun", tr("起動時に更新(&F)"), &TfrmMain::mnuRefreshAtRunClick);

    QMenu* help = bar->addMenu(tr("ﾍﾙﾌﾟ(&H)"));
    add(help, "mnuHelpTopic", tr("ﾄﾋﾟｯｸの検索(&H)"), &TfrmMain::mnuHelpTopicClick);
    help->addSeparator();
    add(help, "mnuVersionInfo", tr("ﾊﾞｰｼﾞｮﾝ情報(&A)..."), &TfrmMain::mnuVersionInfoClick);

    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName(QStringLiteral("PopupMenu"));
    add(m_popupMenu, "PopupCopy", tr("ｺﾋﾟｰ(&C)"), &TfrmMain::PopupClick);
    m_popupMenu->addSeparator();
    add(m_popupMenu, "PopupMove", tr("移動(&M)"), &TfrmMain::PopupClick);
    m_popupMenu->addSeparator();
    add(m_popupMenu, "PopupDelete", tr("削除(&D)"), &TfrmMain::PopupClick);
}

void TfrmMain::BuildToolBar(QWidget* toolBar)
{
    struct Row {
        int left;
        const char* name;
        const char* hint;
        const char* themeIcon;
        const char* bundled;
        void (TfrmMain::*handler)();
    };
    const Row rows[] = {
        {8, "sbtRefresh", QT_TR_NOOP("最新の情報に更新"), "view-refresh", "refresh", &TfrmMain::mnuRefreshClick},
        {52, "sbtFromLocal", QT_TR_NOOP("ﾛｰｶﾙからｷｬｯｼｭにｺﾋﾟｰ"), "document-import", "from-local", &TfrmMain::mnuCopyFromLocalClick},
        {96, "sbtCopy", QT_TR_NOOP("ｺﾋﾟｰ"), "edit-copy", "copy", &TfrmMain::sbtClick},
        {129, "sbtMove", QT_TR_NOOP("移動"), "go-jump", "move", &TfrmMain::sbtClick},
        {151, "sbtDelete", QT_TR_NOOP("削除"), "edit-delete", "delete", &TfrmMain::sbtClick},
        {195, "sbtPickUp", QT_TR_NOOP("絞り込み"), "view-filter", "pick-up", &TfrmMain::mnuPickUpClick},
        {195, "sbtPickUpEnd", QT_TR_NOOP("絞り込み終了"), "view-filter-clear", "pick-up-end", &TfrmMain::mnuPickUpClick2},
        {239, "sbtUpLevel", QT_TR_NOOP("１つ上のﾌｫﾙﾀﾞへ"), "go-up", "up-level", &TfrmMain::sbtUpLevelClick},
        {272, "sbtLargeIcon", QT_TR_NOOP("大きいｱｲｺﾝ"), "view-list-icons", "large-icon", &TfrmMain::ChangeListViewIcon},
        {294, "sbtSmallIcon", QT_TR_NOOP("小さいｱｲｺﾝ"), "view-list-compact", "small-icon", &TfrmMain::ChangeListViewIcon},
        {316, "sbtListIcon", QT_TR_NOOP("一覧"), "view-list-text", "list-icon", &TfrmMain::ChangeListViewIcon},
        {338, "sbtDetailsIcon", QT_TR_NOOP("詳細"), "view-list-details", "details-icon", &TfrmMain::ChangeListViewIcon},
    };
    auto* styleGroup = new QButtonGroup(this);
    styleGroup->setExclusive(true);
    for (const Row& row : rows) {
        auto* button = new QToolButton(toolBar);
        button->setObjectName(QString::fromLatin1(row.name));
        button->setToolTip(tr(row.hint));
        button->setIcon(ThemeIcon(row.themeIcon, row.bundled));
        button->setIconSize(QSize(16, 16));
        button->setAutoRaise(true);
        button->setGeometry(row.left, 3, 22, 22);
        connect(button, &QToolButton::clicked, this, row.handler);
        if (row.handler == &TfrmMain::ChangeListViewIcon) {
            button->setCheckable(true);
            styleGroup->addButton(button);
        }
    }
    const int bevels[4] = {40, 84, 183, 227};
    for (int i = 0; i < 4; ++i) {
        auto* bevel = new QFrame(toolBar);
        bevel->setObjectName(QStringLiteral("Bevel%1").arg(i + 2));
        bevel->setFrameShape(QFrame::VLine);
        bevel->setFrameShadow(QFrame::Sunken);
        bevel->setGeometry(bevels[i], 3, 2, 22);
    }
    Button("sbtPickUpEnd")->hide();
    Button("sbtUpLevel")->setEnabled(false);
}

void TfrmMain::ApplyViewStyle(const QString& controlName)
{
    const ViewStyleRow* row = ViewStyleForControl(controlName);
    if (!row)
        return;
    Button(row->button)->setChecked(true);
    Action(row->menu)->setChecked(true);
    m_listView->SetViewStyle(row->style);
    Action("mnuTouSei")->setEnabled(row->arrangeEnabled);
    Action("mnuAutoIcon")->setEnabled(row->arrangeEnabled);
}

void TfrmMain::ChangeListViewIcon()
{
    if (sender())
        ApplyViewStyle(sender()->objectName());
}

void TfrmMain::mnuTouSeiClick()
{
    m_listView->ArrangeIcons();
}

void TfrmMain::mnuAutoIconClick()
{
    QAction* item = Action("mnuAutoIcon");
    item->setChecked(!item->isChecked());
    m_listView->SetAutoArrange(item->isChecked());
}

void TfrmMain::mnuToolBarClick()
{
    QAction* item = Action("mnuToolBar");
    item->setChecked(!item->isChecked());
    m_toolBar->setVisible(item->isChecked());
    m_bevel1->setVisible(item->isChecked());
}

void TfrmMain::mnuStatusBarClick()
{
    QAction* item = Action("mnuStatusBar");
    item->setChecked(!item->isChecked());
    statusBar()->setVisible(item->isChecked());
}

void TfrmMain::mnuRefreshAtRunClick()
{
    m_refreshAtRun = !m_refreshAtRun;
    Action("mnuRefreshAtRun")->setChecked(m_refreshAtRun);
}

void TfrmMain::mnuSelectAllClick()
{
    m_listView->CurrentView()->selectAll();
    m_listView->setFocus();
}

void TfrmMain::mnuInversClick()
{
    const int rows = m_folderItems->rowCount();
    if (rows > 0) {
        const QItemSelection all(m_folderItems->index(0, 0), m_folderItems->index(rows - 1, 4));
        m_listView->SelectionModel()->select(all, QItemSelectionModel::Toggle);
    }
    m_listView->setFocus();
}

void TfrmMain::mnuExitClick()
{
    close();
}

void TfrmMain::mnuHelpTopicClick()
{
    if (!m_help)
        m_help = new HelpWindow(this);
    m_help->OpenIndex(m_helpFile);
}

QString TfrmMain::StatusText(int panel) const
{
    return panel >= 0 && panel < 2 ? m_statusPanels[panel]->text() : QString();
}

QString TfrmMain::FolderNameText() const
{
    return m_lblFolderName->text();
}

MainSettings TfrmMain::CurrentSettings() const
{
    MainSettings s;
    s.windowState = StoredWindowStateOf(windowState());
    // The client area's corner, stored and restored alike: the frame's is
    // known only once a window manager has framed the window, so storing it
    // and restoring the client there would creep by the title bar each start.
    // A maximised window keeps the bounds it goes back to when restored.
    const QRect bounds = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
    s.windowLeft = bounds.x();
    s.windowTop = bounds.y();
    s.windowWidth = bounds.width();
    s.windowHeight = bounds.height();
    s.splitBarLeft = m_splitPanel->SplitBarLeft();
    s.copyDir = m_command.copyDir;
    for (int c = 0; c < 5; ++c)
        s.columnWidths[std::size_t(c)] = m_listView->ColumnWidth(c);
    s.listViewStyle = int(m_listView->Style());
    s.arrange = Action("mnuAutoIcon")->isChecked();
    s.toolBar = Action("mnuToolBar")->isChecked();
    s.statusBar = Action("mnuStatusBar")->isChecked();
    s.refreshAtRun = m_refreshAtRun;
    s.defaultFiles = m_command.defaultFiles;
    return s;
}

void TfrmMain::ApplySettings(const MainSettings& s)
{
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QRect bounds = KeepOnScreen(QRect(s.windowLeft, s.windowTop, s.windowWidth, s.windowHeight), screens,
                                      primary ? primary->availableGeometry() : QRect());
    // The corner of the first start is left to the desktop, which puts new
    // windows where their title bars show; a client area at 0,0 would hide it.
    if (bounds.topLeft() == QPoint(MainSettings().windowLeft, MainSettings().windowTop))
        resize(bounds.size());
    else
        setGeometry(bounds);
    setWindowState(StoredWindowState(s.windowState));
    m_command.copyDir = s.copyDir;
    for (int c = 0; c < 5; ++c)
        m_listView->SetColumnWidth(c, s.columnWidths[std::size_t(c)]);
    m_refreshAtRun = s.refreshAtRun;
    m_command.defaultFiles = s.defaultFiles;
    m_catalogue.SetDefFile1(s.defaultFiles.DefFile1);

    m_splitPanel->SetSplitBarLeft(s.splitBarLeft);
    const QString styleButton = ViewStyleButton(s.listViewStyle);
    ApplyViewStyle(styleButton.isEmpty() ? QStringLiteral("sbtLargeIcon") : styleButton);
    // Each toggle handler inverts its tick: pre-invert so it lands on the value.
    Action("mnuAutoIcon")->setChecked(!s.arrange);
    mnuAutoIconClick();
    Action("mnuRefreshAtRun")->setChecked(m_refreshAtRun);
    Action("mnuToolBar")->setChecked(!s.toolBar);
    mnuToolBarClick();
    Action("mnuStatusBar")->setChecked(!s.statusBar);
    mnuStatusBarClick();
}

void TfrmMain::FormShow()
{
    MainSettings settings = CurrentSettings();
    ReadMainSettings(settings);
    ApplySettings(settings);
    m_listView->SetShownOptionalColumns(StoredOptionalColumns());
    if (m_refreshAtRun) {
        m_timerHandler = [this] { StartupRefreshTimer(); };
        m_timer1->start(1);
    }
}

void TfrmMain::StartupRefreshTimer()
{
    m_timer1->stop();
    m_timerHandler = [this] { Timer1Timer(); };
    mnuRefreshClick();
}

void TfrmMain::FormClose()
{
    WriteMainSettings(CurrentSettings());
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    FormClose();
    QMainWindow::closeEvent(event);
}

} // namespace larkspool
