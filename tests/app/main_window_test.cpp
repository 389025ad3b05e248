#include "tests/app/main_window_fixture.h"

#include "ui/common/elided_label.h"
#include "ui/common/help_window.h"
#include "ui/main/tfrm_pick_up.h"
#include "ui/main/split_panel.h"
#include "ui/main/tfrm_refresh.h"
#include "ui/dialogs/tfrm_from_local.h"
#include "ui/dialogs/tfrm_def_file.h"
#include "ui/dialogs/tfrm_sel_dir.h"
#include "ui/dialogs/tfrm_version.h"
#include "ui/dialogs/tfrm_confirm.h"
#include "ui/dialogs/tfrm_file_op.h"
#include "ui/dialogs/tfrm_move_del.h"
#include "ui/dialogs/tfrm_confirm2.h"
#include "ui/dialogs/tfrm_file_op2.h"
#include "catalogue/size_date_texts.h"
#include "tests/support/modal_driver.h"
#include "tests/support/unprivileged.h"

#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeView>

#include <filesystem>

namespace {

using namespace larkspool;
using Strings = std::vector<std::string>;
using larkspool::testing::WaitFor;

class MainWindow : public larkspool::testing::MainWindowFixture {};

TEST_F(MainWindow, the_twelve_windows_exist_with_their_names_and_the_first_is_the_main_window)
{
    Open();
    Forms& forms = AllForms();

    const std::pair<QWidget*, const char*> windows[] = {
        {forms.frmMain.get(), "Larkspool for Windows"}, {forms.frmFileOp.get(), ""},
        {forms.frmSelDir.get(), "ｺﾋﾟｰ先ﾌｫﾙﾀﾞ設定"}, {forms.frmConfirm.get(), "ﾌｧｲﾙの上書きの確認"},
        {forms.frmVersion.get(), "ﾊﾞｰｼﾞｮﾝ情報"}, {forms.frmPickUp.get(), "ﾌｧｲﾙの絞り込み"},
        {forms.frmMoveDel.get(), "ﾌｧｲﾙの削除の確認"}, {forms.frmFromLocal.get(), "ﾛｰｶﾙﾌｧｲﾙをｷｬｯｼｭにｺﾋﾟｰ"},
        {forms.frmFileOp2.get(), "ｷｬｯｼｭへｺﾋﾟｰしています..."}, {forms.frmConfirm2.get(), "ﾌｧｲﾙの上書きの確認"},
        {forms.frmRefresh.get(), "最新の情報に更新中"}, {forms.frmDefFile.get(), "暗黙のﾌｧｲﾙ名設定"},
    };
    for (const auto& [window, caption] : windows) {
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->windowTitle(), QString::fromUtf8(caption)) << window->objectName().toStdString();
    }
    EXPECT_EQ(Child<QLabel>("lblFolderName")->text(), "開いているﾌｫﾙﾀﾞ : ");
    EXPECT_FALSE(Button("sbtUpLevel")->isEnabled());
    EXPECT_TRUE(Button("sbtPickUpEnd")->isHidden());
}

TEST_F(MainWindow, view_style_buttons_and_menu_items_stay_in_step)
{
    Open();
    struct Step {
        const char* click;
        const char* button;
        const char* menu;
        bool arrange;
        ViewStyle style;
    };
    const Step steps[] = {
        {"mnuDetailsIcon", "sbtDetailsIcon", "mnuDetailsIcon", false, ViewStyle::Details},
        {"sbtSmallIcon", "sbtSmallIcon", "mnuSmallIcon", true, ViewStyle::SmallIcon},
        {"mnuListIcon", "sbtListIcon", "mnuListIcon", false, ViewStyle::List},
        {"sbtLargeIcon", "sbtLargeIcon", "mnuLargeIcon", true, ViewStyle::LargeIcon},
    };
    for (const Step& step : steps) {
        if (step.click[0] == 's')
            Button(step.click)->click();
        else
            Action(step.click)->trigger();

        for (const char* name : {"sbtLargeIcon", "sbtSmallIcon", "sbtListIcon", "sbtDetailsIcon"})
            EXPECT_EQ(Button(name)->isChecked(), std::string(name) == step.button) << step.click << " " << name;
        for (const char* name : {"mnuLargeIcon", "mnuSmallIcon", "mnuListIcon", "mnuDetailsIcon"})
            EXPECT_EQ(Action(name)->isChecked(), std::string(name) == step.menu) << step.click << " " << name;
        EXPECT_EQ(Action("mnuTouSei")->isEnabled(), step.arrange) << step.click;
        EXPECT_EQ(Action("mnuAutoIcon")->isEnabled(), step.arrange) << step.click;
        EXPECT_EQ(Main().listView()->Style(), step.style) << step.click;
    }
    Main().ApplyViewStyle("sbtRefresh");
    EXPECT_EQ(Main().listView()->Style(), ViewStyle::LargeIcon);
}

TEST_F(MainWindow, the_details_view_shows_five_columns_at_first_with_the_size_right_aligned)
{
    AddSite();
    Open();
    Refresh();
    OpenFolder("www.example.jp/a");
    FolderItemsModel& model = Main().folderItems();

    const char* captions[5] = {"名前", "ﾀｲﾄﾙ", "ｻｲｽﾞ", "種類", "更新日時"};
    const QHeaderView* header = Main().listView()->DetailsView()->header();
    ASSERT_EQ(model.columnCount(), 9);
    EXPECT_EQ(header->count() - header->hiddenSectionCount(), 5);
    for (int c = 0; c < 5; ++c) {
        EXPECT_FALSE(header->isSectionHidden(c)) << c;
        EXPECT_EQ(model.headerData(c, Qt::Horizontal).toString(), QString::fromUtf8(captions[c]));
        const auto align = model.headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>();
        EXPECT_EQ(bool(align & Qt::AlignRight), c == 2) << c;
    }
    const int folder = RowOf("sub");
    EXPECT_EQ(model.index(folder, 3).data().toString(), "ﾌｧｲﾙ ﾌｫﾙﾀﾞ");
    EXPECT_EQ(model.index(folder, 2).data().toString(), "");
    EXPECT_FALSE(model.index(folder, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    const int gif = RowOf("b.gif");
    EXPECT_EQ(model.index(gif, 2).data().toString().toStdString(), FormatSizeText(1000, 0));
    EXPECT_NE(model.index(gif, 3).data().toString(), "");
    EXPECT_NE(model.index(gif, 4).data().toString(), "");
}

class SplitBarDrag : public MainWindow {
protected:
    void Send(QWidget* to, QEvent::Type type, int x, Qt::MouseButton button)
    {
        const QPointF at(x, 5);
        QMouseEvent event(type, at, to->mapToGlobal(at), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button),
                          Qt::NoModifier);
        QApplication::sendEvent(to, &event);
    }
};

TEST_F(SplitBarDrag, the_bar_moves_alone_within_50_pixels_of_each_edge_and_the_halves_follow_on_release)
{
    Open();
    Resize(600, 400);
    SplitPanel* panel = Main().splitPanel();
    SplitBar* bar = panel->Bar();
    QWidget* lPanel = Child("lPanel");
    QWidget* rPanel = Child("rPanel");
    const int startLeft = bar->Left();
    const int width = panel->width();

    Send(bar, QEvent::MouseButtonPress, 1, Qt::LeftButton);
    EXPECT_TRUE(bar->SplitDragging());
    Send(bar, QEvent::MouseMove, -1000, Qt::LeftButton);
    EXPECT_EQ(bar->Left(), 50);
    EXPECT_EQ(lPanel->width(), startLeft);
    Send(bar, QEvent::MouseButtonRelease, 1, Qt::LeftButton);
    EXPECT_FALSE(bar->SplitDragging());
    EXPECT_EQ(lPanel->width(), 50);
    EXPECT_EQ(panel->SplitBarLeft(), 50);

    Send(bar, QEvent::MouseButtonPress, 1, Qt::LeftButton);
    Send(bar, QEvent::MouseMove, 5000, Qt::LeftButton);
    EXPECT_EQ(bar->Left(), width - 50);
    Send(bar, QEvent::MouseButtonRelease, 1, Qt::LeftButton);
    EXPECT_EQ(rPanel->width(), 47);
    EXPECT_EQ(rPanel->x(), width - 50 + kSplitBarWidth);
}

TEST_F(SplitBarDrag, the_right_button_neither_starts_nor_ends_a_drag)
{
    Open();
    Resize(600, 400);
    SplitBar* bar = Main().splitPanel()->Bar();
    const int startLeft = bar->Left();

    Send(bar, QEvent::MouseButtonPress, 1, Qt::RightButton);
    Send(bar, QEvent::MouseMove, 100, Qt::RightButton);
    EXPECT_FALSE(bar->SplitDragging());
    EXPECT_EQ(bar->Left(), startLeft);

    Send(bar, QEvent::MouseButtonPress, 1, Qt::LeftButton);
    Send(bar, QEvent::MouseButtonRelease, 1, Qt::RightButton);
    EXPECT_TRUE(bar->SplitDragging());
    Send(bar, QEvent::MouseButtonRelease, 1, Qt::LeftButton);
}

TEST_F(MainWindow, a_narrower_window_keeps_the_tree_width)
{
    Open();
    Resize(700, 400);
    Main().splitPanel()->SetSplitBarLeft(200);

    Resize(500, 400);

    EXPECT_EQ(Child("lPanel")->width(), 200);
    EXPECT_EQ(Main().splitPanel()->SplitBarLeft(), 200);
}

TEST_F(MainWindow, toolbar_and_status_bar_toggles_hide_and_show_them)
{
    Open();

    Action("mnuToolBar")->trigger();
    EXPECT_FALSE(Action("mnuToolBar")->isChecked());
    EXPECT_TRUE(Child("ToolBar")->isHidden());
    EXPECT_TRUE(Child("Bevel1")->isHidden());
    Action("mnuStatusBar")->trigger();
    EXPECT_FALSE(Action("mnuStatusBar")->isChecked());
    EXPECT_TRUE(Main().statusBar()->isHidden());

    Action("mnuToolBar")->trigger();
    Action("mnuStatusBar")->trigger();
    EXPECT_TRUE(Action("mnuToolBar")->isChecked());
    EXPECT_FALSE(Child("ToolBar")->isHidden());
    EXPECT_FALSE(Child("Bevel1")->isHidden());
    EXPECT_FALSE(Main().statusBar()->isHidden());

    Action("mnuAutoIcon")->trigger();
    EXPECT_TRUE(Action("mnuAutoIcon")->isChecked());
    EXPECT_TRUE(Main().listView()->AutoArrange());
}

TEST_F(MainWindow, the_root_lists_host_folders_and_cannot_go_up)
{
    AddSite();
    Open();
    Refresh();

    EXPECT_EQ(RowNames(), (Strings{"img.example.jp", "www.example.jp"}));
    EXPECT_FALSE(Button("sbtUpLevel")->isEnabled());
    Main().ListViewKeyDown(Qt::Key_Backspace);
    EXPECT_EQ(Main().CurrentNode(), Main().catalogue().Tree().RootId());
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(MainWindow, keys_in_the_tree_delay_the_listing_and_a_click_lists_at_once)
{
    AddSite();
    Open();
    Refresh();
    QTreeWidget* tree = Main().treeView();
    FocusTree();

    QTest::keyClick(tree, Qt::Key_Down);
    EXPECT_TRUE(Main().timer1()->isActive());
    EXPECT_EQ(Main().timer1()->interval(), 500);
    EXPECT_NE(Main().CurrentNode(), Main().catalogue().Tree().RootId());
    EXPECT_EQ(RowNames(), (Strings{"img.example.jp", "www.example.jp"})); // not yet
    WaitForListing();
    EXPECT_EQ(RowNames(), (Strings{"x.png"}));

    QTreeWidgetItem* www = tree->topLevelItem(0)->child(1);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(www).center());
    EXPECT_EQ(Main().timer1()->interval(), 1);
    WaitForListing();
    EXPECT_EQ(RowNames(), (Strings{"a", "index.html"}));

    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(www).center());
    EXPECT_FALSE(Main().timer1()->isActive());
}

TEST_F(MainWindow, a_right_click_in_the_tree_leaves_its_selection_and_opens_the_popup)
{
    AddSite();
    Open();
    Refresh();
    OpenFolder("www.example.jp/a");
    QTreeWidget* tree = Main().treeView();
    QTreeWidgetItem* selected = tree->currentItem();
    QTreeWidgetItem* other = tree->topLevelItem(0)->child(0);
    ASSERT_NE(selected, other);

    QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, tree->visualItemRect(other).center());
    WaitForListing();

    EXPECT_EQ(tree->currentItem(), selected);
    EXPECT_TRUE(selected->isSelected());
    EXPECT_FALSE(other->isSelected());
    EXPECT_EQ(RowNames(), (Strings{"sub", "b.gif", "c.css", "d.js"}));
    EXPECT_TRUE(Main().popupMenu()->isVisible());
    Main().popupMenu()->hide();
}

TEST_F(MainWindow, the_list_style_shows_whole_names_and_no_status_panel_cuts_its_text)
{
    const std::string name = "a-rather-long-page-name-of-the-demo-site.html";
    m_cache.Add("http://www.example.jp/" + name, "html", std::string(145, 'p'), larkspool::testing::kSomeTime);
    Open();
    Refresh();
    OpenFolder("www.example.jp");
    Action("mnuListIcon")->trigger();
    QAbstractItemView* view = Main().listView()->CurrentView();

    // The list lays its cells out on the next turn of the event loop.
    const int needed = view->fontMetrics().horizontalAdvance(QString::fromStdString(name)) + 16;
    const QModelIndex row = Main().folderItems().index(RowOf(name), 0);
    WaitFor([&] { return view->visualRect(row).width() >= needed; }, "the list's cells");
    ClickRow(name);
    for (const char* panel : {"StatusPanel0", "StatusPanel1"}) {
        auto* label = Child<QLabel>(panel);
        // The status bar lays its panels out for the new texts on the next turn.
        WaitFor([label] { return label->contentsRect().width() >= label->fontMetrics().horizontalAdvance(label->text()); },
                panel);
    }
    EXPECT_EQ(Main().StatusText(1).toStdString(), FormatSizeText(145, 0));
}

TEST_F(MainWindow, a_narrow_window_ends_its_labels_with_an_ellipsis_instead_of_cutting_or_overlapping_them)
{
    const std::string host = "www.a-host-name-far-too-long-for-a-narrow-window.example.jp";
    m_cache.Add("http://" + host + "/page.html", "html");
    Open();
    Refresh();
    OpenFolder(host);

    Main().resize(240, 300);
    WaitFor([this] { return Main().width() <= 260; }, "the narrow window");

    ASSERT_LE(Main().width(), 260);
    auto* folder = Child<ElidedLabel>("lblFolderName");
    EXPECT_EQ(folder->text().toStdString(), "開いているﾌｫﾙﾀﾞ : '" + host + "'");
    EXPECT_TRUE(folder->ShownText().endsWith(QChar(0x2026))) << folder->ShownText().toStdString();
    EXPECT_LE(folder->geometry().right(), folder->parentWidget()->contentsRect().right());
    auto* objects = Child<ElidedLabel>("StatusPanel0");
    auto* size = Child<ElidedLabel>("StatusPanel1");
    EXPECT_LT(objects->geometry().right(), size->geometry().left());
    EXPECT_LE(size->geometry().right(), Main().statusBar()->width());
    for (const ElidedLabel* panel : {objects, size})
        EXPECT_LE(panel->fontMetrics().horizontalAdvance(panel->ShownText()), panel->contentsRect().width())
            << panel->text().toStdString();
}

TEST_F(MainWindow, the_filter_item_keeps_its_designed_caption_until_the_filter_is_first_used)
{
    AddSite();
    Open();
    EXPECT_EQ(Action("mnuPickUp")->text(), "絞り込み(P)...");
    Refresh();
    EXPECT_EQ(Action("mnuPickUp")->text(), "絞り込み(P)...");
}

TEST_F(MainWindow, header_clicks_and_sort_items_reverse_the_order_and_keep_it_across_folders)
{
    AddSite();
    Open();
    Refresh();
    OpenFolder("www.example.jp/a");
    Action("mnuDetailsIcon")->trigger();
    QHeaderView* header = Main().listView()->DetailsView()->header();

    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(0) + 5, 5));
    EXPECT_EQ(RowNames(), (Strings{"d.js", "c.css", "b.gif", "sub"}));
    header->sectionClicked(0);
    EXPECT_EQ(RowNames(), (Strings{"sub", "b.gif", "c.css", "d.js"}));

    Action("mnuSortBySize")->trigger();
    EXPECT_EQ(RowNames(), (Strings{"sub", "b.gif", "c.css", "d.js"}));
    Action("mnuSortBySize")->trigger();
    EXPECT_EQ(RowNames(), (Strings{"d.js", "c.css", "b.gif", "sub"}));

    Action("mnuSortByDate")->trigger();
    EXPECT_EQ(RowNames(), (Strings{"sub", "d.js", "b.gif", "c.css"}));
    EXPECT_EQ(Main().ordering().SortColumn, kColumnDate);

    OpenFolder("www.example.jp");
    EXPECT_EQ(Main().ordering().SortColumn, kColumnDate);
    Refresh();
    EXPECT_EQ(Main().ordering().SortColumn, kColumnName);
    EXPECT_FALSE(Main().ordering().SortDescending);
}

TEST_F(MainWindow, a_refresh_empties_the_list_before_the_records_go)
{
    AddSite();
    Open();
    Refresh();
    OpenFolder("www.example.jp/a");
    SelectRows({"b.gif"});
    larkspool::testing::RecordingProgress progress;
    std::vector<int> rowsSeen;

    bool arrowForTheDialog = true;
    progress.onEvents = [&] {
        rowsSeen.push_back(Main().folderItems().rowCount());
        // Busy over the main window, not over the refresh dialog's cancel button.
        arrowForTheDialog = arrowForTheDialog && !QApplication::overrideCursor() &&
                            Main().cursor().shape() == Qt::WaitCursor;
    };

    Main().RefreshCache(progress);

    ASSERT_FALSE(rowsSeen.empty());
    for (int rows : rowsSeen)
        EXPECT_EQ(rows, 0);
    EXPECT_TRUE(arrowForTheDialog);
    EXPECT_NE(Main().cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(progress.maximum, 6);
    WaitForListing();
    EXPECT_EQ(RowNames(), (Strings{"img.example.jp", "www.example.jp"}));
}

TEST_F(MainWindow, an_empty_cache_gives_the_root_alone_and_says_so_over_the_rebuilt_tree)
{
    Open();
    larkspool::testing::RecordingProgress progress;
    int rootsWhenSaid = -1;
    bool busyWhenSaid = true;
    progress.onMessage = [&] {
        rootsWhenSaid = Main().treeView()->topLevelItemCount();
        busyWhenSaid = QApplication::overrideCursor() || Main().cursor().shape() == Qt::WaitCursor;
    };

    Main().RefreshCache(progress);
    WaitForListing();

    EXPECT_EQ(progress.messages, (Strings{"ｷｬｯｼｭにﾌｧｲﾙがありません。"}));
    EXPECT_EQ(rootsWhenSaid, 1);
    EXPECT_FALSE(busyWhenSaid);
    ASSERT_EQ(Main().treeView()->topLevelItemCount(), 1);
    EXPECT_EQ(Main().treeView()->topLevelItem(0)->text(0), "MSIE Cache");
    EXPECT_EQ(Main().treeView()->topLevelItem(0)->childCount(), 0);
    EXPECT_EQ(Main().StatusText(0), "0 個のｵﾌﾞｼﾞｪｸﾄ");
}

// F5 over a cache folder this user may not read, or one that has gone, says
// why in the program's message box instead of calling the cache empty.
TEST_F(MainWindow, f5_on_a_cache_folder_unreadable_or_gone_says_why_in_a_message_box)
{
    namespace fs = std::filesystem;
    AddSite();
    Open();
    Refresh();
    const fs::path folder = m_cache.CacheDir();
    const struct {
        const char* change;
        std::function<void()> apply;
        std::string says;
    } rows[] = {
        {"unreadable", [&] { fs::permissions(folder, fs::perms::none); },
         "cannot read the cache folder " + folder.string() + ": permission denied"},
        {"gone", [&] { fs::remove_all(folder); }, "the cache folder " + folder.string() + " has gone"},
    };
    for (const auto& row : rows) {
        larkspool::testing::Unprivileged user({m_cache.Path("")});
        if (!user.Active()) {
            ADD_FAILURE() << row.change << ": cannot run as an ordinary user";
            continue;
        }
        row.apply();
        larkspool::testing::ModalDriver driver({"frmRefresh"});
        driver.Answer();
        Main().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));

        QTest::keyClick(&Main(), Qt::Key_F5);
        WaitFor([&driver] { return driver.Done(); }, "the message");
        std::error_code ignored;
        fs::permissions(folder, fs::perms::owner_all, ignored);

        EXPECT_EQ(driver.messages, Strings{row.says}) << row.change;
        EXPECT_TRUE(Main().catalogue().CacheList().empty()) << row.change;
    }
}

TEST_F(MainWindow, settings_written_at_close_come_back_at_the_next_start)
{
    Open();
    Resize(640, 420);
    Main().splitPanel()->SetSplitBarLeft(150);
    Action("mnuAutoIcon")->trigger(); // enabled in the icon styles only
    Action("mnuDetailsIcon")->trigger();
    Action("mnuStatusBar")->trigger();
    Action("mnuRefreshAtRun")->trigger();
    Main().listView()->SetColumnWidth(1, 77);
    Main().Command().copyDir = "/tmp/out";
    Main().Command().defaultFiles = DefaultFiles{"default.htm", "index.htm", "", true, false};
    Main().close();
    m_forms.reset();
    m_sandbox.Store()->setValue("Refresh", 0); // no scan at the next start

    TfrmMain& again = Open();

    EXPECT_EQ(again.size(), QSize(640, 420));
    EXPECT_EQ(again.splitPanel()->SplitBarLeft(), 150);
    EXPECT_EQ(again.listView()->Style(), ViewStyle::Details);
    EXPECT_TRUE(Button("sbtDetailsIcon")->isChecked());
    EXPECT_FALSE(Action("mnuStatusBar")->isChecked());
    EXPECT_TRUE(again.statusBar()->isHidden());
    EXPECT_TRUE(Action("mnuAutoIcon")->isChecked());
    EXPECT_TRUE(Action("mnuToolBar")->isChecked());
    EXPECT_EQ(again.listView()->ColumnWidth(1), 77);
    EXPECT_EQ(again.Command().copyDir, "/tmp/out");
    EXPECT_EQ(again.Command().defaultFiles.DefFile2, "index.htm");
    EXPECT_TRUE(again.Command().defaultFiles.DefFileFlag2);
    EXPECT_EQ(again.catalogue().DefFile1(), "default.htm");
    EXPECT_FALSE(again.findChild<QAction*>(QStringLiteral("mnuRefreshAtRun"))->isChecked());
}

TEST_F(MainWindow, a_window_closed_maximised_comes_back_maximised_and_restores_to_its_normal_size)
{
    Open();
    Resize(640, 420);
    Main().showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Main().size() != QSize(640, 420); }));
    Main().close();
    m_forms.reset();
    m_sandbox.Store()->setValue("Refresh", 0);

    TfrmMain& again = Open();
    const bool maximised = again.isMaximized();
    again.showNormal();
    WaitFor([&again] { return again.size() == QSize(640, 420); }, "the normal size");

    EXPECT_TRUE(maximised);
    EXPECT_EQ(again.size(), QSize(640, 420));
}

TEST_F(MainWindow, a_first_start_uses_the_fallbacks)
{
    TfrmMain& main = Open();

    EXPECT_EQ(main.size(), QSize(675, 356));
    EXPECT_EQ(main.splitPanel()->SplitBarLeft(), 182);
    const int widths[5] = {138, 100, 58, 148, 158};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(main.listView()->ColumnWidth(c), widths[c]) << c;
    EXPECT_EQ(main.listView()->Style(), ViewStyle::LargeIcon);
    EXPECT_EQ(main.Command().defaultFiles.DefFile1, "index.html");
    EXPECT_FALSE(main.timer1()->isActive());
}

TEST_F(MainWindow, a_stored_window_off_every_screen_and_unknown_values_come_back_usable)
{
    Open();
    Main().close();
    m_forms.reset();
    auto store = m_sandbox.Store();
    store->setValue("WindowLeft", 40000);
    store->setValue("WindowTop", 30000);
    store->setValue("WindowState", 7);
    store->setValue("ListViewStyle", 9);
    store.reset();

    TfrmMain& main = Open();

    const QRect primary = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(primary.intersects(main.frameGeometry()));
    EXPECT_EQ(main.windowState(), Qt::WindowNoState);
    EXPECT_EQ(main.listView()->Style(), ViewStyle::LargeIcon);
    EXPECT_TRUE(Button("sbtLargeIcon")->isChecked());
}

TEST_F(MainWindow, refresh_at_start_scans_once_the_window_is_shown)
{
    AddSite();
    m_sandbox.Store()->setValue("Refresh", 1);
    m_sandbox.Store()->setValue("ListWidth4", 100);
    for (const char* name : {"DefFileFlag2", "DefFileFlag3"})
        m_sandbox.Store()->setValue(name, 0);

    TfrmMain& main = Open();
    EXPECT_TRUE(Action("mnuRefreshAtRun")->isChecked());
    WaitFor([&main] { return !main.catalogue().CacheList().empty(); }, "the refresh at start");
    WaitForListing();

    EXPECT_EQ(main.catalogue().CacheList().size(), 6u);
    EXPECT_FALSE(AllForms().frmRefresh->isVisible());
    EXPECT_EQ(RowNames(), (Strings{"img.example.jp", "www.example.jp"}));
    OpenFolder("www.example.jp");
    EXPECT_EQ(RowNames(), (Strings{"a", "index.html"}));
}

TEST_F(MainWindow, the_refresh_dialog_runs_the_scan_and_cancel_stops_it)
{
    AddSite();
    Open();
    TfrmRefresh* dialog = AllForms().frmRefresh.get();
    QPushButton* cancel = dialog->findChild<QPushButton*>("Button1");
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text(), "中止(&C)");

    // Pressed while the first entry is being read.
    QTimer press;
    QObject::connect(&press, &QTimer::timeout, [&] {
        if (dialog->progressBar()->value() > 0) {
            cancel->click();
            press.stop();
        }
    });
    press.start(0);
    Main().mnuRefreshClick();
    WaitForListing();

    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(Main().catalogue().CacheList().size(), 1u);
    EXPECT_TRUE(Main().catalogue().IsConsistent());
}

TEST_F(MainWindow, the_help_command_reports_a_missing_help_file_in_its_window)
{
    Open();

    Action("mnuHelpTopic")->trigger();

    ASSERT_NE(Main().helpWindow(), nullptr);
    EXPECT_TRUE(Main().helpWindow()->isVisible());
    EXPECT_TRUE(Main().helpWindow()->Text().contains(".hlp"));
    Main().helpWindow()->hide();
}

} // namespace
