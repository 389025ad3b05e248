#include "tests/app/commands_fixture.h"

#include "ui/dialogs/tfrm_confirm.h"
#include "ui/dialogs/tfrm_file_op.h"
#include "ui/dialogs/tfrm_move_del.h"
#include "ui/dialogs/tfrm_confirm2.h"
#include "ui/dialogs/tfrm_file_op2.h"

#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>

namespace {

using namespace larkspool;
using larkspool::testing::LabelText;
using larkspool::testing::ModalDriver;
using Strings = std::vector<std::string>;

const Strings kBranchA = {"www.example.jp/a/b.gif", "www.example.jp/a/c.css", "www.example.jp/a/d.js",
                          "www.example.jp/a/sub/e.html"};

class Commands : public larkspool::testing::CommandsFixture {};

TEST_F(Commands, a_copy_of_the_focused_tree_folder_exports_its_branch_and_changes_no_view)
{
    OpenSite();
    OpenFolder("www.example.jp/a");
    const Strings rows = RowNames();
    const Strings tree = TreeTexts();
    FocusTree();

    Button("sbtCopy")->click();

    EXPECT_EQ(JobPaths(), kBranchA);
    EXPECT_EQ(Exported("www.example.jp/a/c.css"), std::string(1000, 'c'));
    EXPECT_EQ(Exported("www.example.jp/a/sub/e.html"), std::string(10, 'e'));
    EXPECT_EQ(Exported("www.example.jp/index.html"), "<missing>");
    TfrmFileOp& window = *AllForms().frmFileOp;
    EXPECT_EQ(window.GetJobResult(), 0);
    EXPECT_EQ(window.windowTitle(), "ｷｬｯｼｭからｺﾋﾟｰしています...");
    EXPECT_EQ(LabelText(window, "lblCount"), "あと 1 個");
    EXPECT_EQ(LabelText(window, "lblFileName"), "e.html");
    EXPECT_EQ(LabelText(window, "lblDirName"), "'MSIE Cache' から 'sub' へ");
    EXPECT_EQ(window.findChild<QProgressBar*>("ProgressBar1")->value(), 100);
    EXPECT_TRUE(InCache("http://www.example.jp/a/b.gif"));
    EXPECT_EQ(RowNames(), rows);
    EXPECT_EQ(TreeTexts(), tree);
}

TEST_F(Commands, a_list_selection_collects_rows_in_row_order_each_folder_whole_in_its_place)
{
    m_cache.Add("http://www.example.jp/z.gif", "gif");
    OpenSite();
    OpenFolder("www.example.jp");
    Main().ListViewColumnClick(0); // descending names: z.gif, index.html, a
    SelectRows({"a", "z.gif", "index.html"});
    FocusList();

    Main().findChild<QAction*>("PopupCopy")->trigger();

    Strings expected;
    for (const std::string& row : RowNames()) {
        if (row == "a")
            expected.insert(expected.end(), kBranchA.begin(), kBranchA.end());
        else
            expected.push_back("www.example.jp/" + row);
    }
    EXPECT_EQ(JobPaths(), expected);
    EXPECT_NE(RowNames().front(), "a");
    EXPECT_EQ(Exported("www.example.jp/z.gif"), "x");
    EXPECT_EQ(Exported("www.example.jp/a/d.js"), std::string(3000, 'j'));
}

TEST_F(Commands, move_and_delete_ask_first_with_the_count_or_the_name_and_no_does_nothing)
{
    struct Row {
        const char* command;
        std::initializer_list<const char*> rows;
        const char* caption;
        const char* text;
        bool moveImage;
    };
    const Row rows[] = {
        {"sbtMove", {"b.gif"}, "ﾌｧｲﾙの移動の確認", "'b.gif' を移動してもよろしいですか?", true},
        {"mnuMove", {"b.gif", "c.css"}, "複数ﾌｧｲﾙの移動の確認", "これらの 2 個のﾌｧｲﾙを移動してもよろしいですか?", true},
        {"sbtDelete", {"d.js"}, "ﾌｧｲﾙの削除の確認", "'d.js' を削除してもよろしいですか?", false},
        {"mnuDelete", {"sub"}, "ﾌｧｲﾙの削除の確認", "'e.html' を削除してもよろしいですか?", false},
        {"sbtDelete", {"sub", "b.gif"}, "複数ﾌｧｲﾙの削除の確認", "これらの 2 個のﾌｧｲﾙを削除してもよろしいですか?", false},
    };
    OpenSite();
    OpenFolder("www.example.jp/a");
    for (const Row& row : rows) {
        SelectRows(row.rows);
        FocusList();
        bool moveShown = false;
        bool deleteShown = false;
        ModalDriver driver{larkspool::testing::kProgressWindows};
        driver.Expect("frmMoveDel", "btnNo", [&](QWidget& dialog) {
            moveShown = dialog.findChild<QLabel*>("imgMove")->isVisible();
            deleteShown = dialog.findChild<QLabel*>("imgDelete")->isVisible();
        });

        Action(row.command) ? Action(row.command)->trigger() : Button(row.command)->click();

        ExpectAllAnswered(driver);
        ASSERT_EQ(driver.captions.size(), 1u) << row.command;
        EXPECT_EQ(driver.captions[0], row.caption) << row.command;
        EXPECT_EQ(LabelText(*AllForms().frmMoveDel, "Label1"), row.text) << row.command;
        EXPECT_EQ(moveShown, row.moveImage) << row.command;
        EXPECT_EQ(deleteShown, !row.moveImage) << row.command;
    }
    EXPECT_EQ(Main().catalogue().CacheList().size(), 6u);
    EXPECT_TRUE(InCache("http://www.example.jp/a/b.gif"));
    EXPECT_EQ(Exported("www.example.jp/a/b.gif"), "<missing>");
}

TEST_F(Commands, a_finished_delete_of_a_tree_folder_drops_its_nodes_and_lists_the_new_selection_at_once)
{
    OpenSite();
    const TCacheEntry* kept = Main().catalogue().CollectEntriesUnder("img.example.jp").front();
    OpenFolder("www.example.jp/a");
    FocusTree();
    ModalDriver driver{larkspool::testing::kProgressWindows};
    driver.Expect("frmMoveDel", "btnYes");

    Button("sbtDelete")->click();

    ExpectAllAnswered(driver);
    EXPECT_EQ(driver.captions[0], "複数ﾌｧｲﾙの削除の確認");
    EXPECT_EQ(Main().catalogue().FindFolderNode("www.example.jp/a"), 0);
    EXPECT_EQ(Main().catalogue().FindFolderNode("www.example.jp/a/sub"), 0);
    EXPECT_EQ(TreeTexts(), (Strings{"MSIE Cache", "img.example.jp", "www.example.jp"}));
    EXPECT_EQ(Main().catalogue().CacheList().size(), 2u);
    EXPECT_EQ(Main().catalogue().CollectEntriesUnder("img.example.jp").front(), kept) << "read again";
    EXPECT_TRUE(Main().Command().jobList.empty());
    EXPECT_FALSE(InCache("http://www.example.jp/a/sub/e.html"));
    EXPECT_TRUE(InCache("http://www.example.jp/index.html"));
    // Listed at once: no timer left to fire.
    EXPECT_FALSE(Main().timer1()->isActive());
    const int current = Main().treeView()->currentItem()->data(0, Qt::UserRole + 1).toInt();
    EXPECT_EQ(Main().CurrentNode(), current);
    EXPECT_EQ(Main().folderItems().Items().size(),
              Main().catalogue().FolderFiles(current).size() + Main().catalogue().Tree().SubFolders(current).size());
    EXPECT_EQ(Main().FolderNameText().toStdString(),
              "開いているﾌｫﾙﾀﾞ : '" + Main().treeView()->currentItem()->text(0).toStdString() + "'");
}

TEST_F(Commands, a_finished_move_of_list_rows_removes_them_and_keeps_the_folder_listed)
{
    OpenSite();
    OpenFolder("www.example.jp/a");
    SelectRows({"sub", "c.css"});
    FocusList();
    ModalDriver driver{larkspool::testing::kProgressWindows};
    driver.Expect("frmMoveDel", "btnYes");

    Button("sbtMove")->click();

    ExpectAllAnswered(driver);
    EXPECT_EQ(Exported("www.example.jp/a/c.css"), std::string(1000, 'c'));
    EXPECT_EQ(Exported("www.example.jp/a/sub/e.html"), std::string(10, 'e'));
    EXPECT_FALSE(InCache("http://www.example.jp/a/c.css"));
    EXPECT_EQ(RowNames(), (Strings{"b.gif", "d.js"}));
    EXPECT_EQ(Main().catalogue().FindFolderNode("www.example.jp/a/sub"), 0);
    EXPECT_EQ(Main().CurrentNode(), Main().catalogue().FindFolderNode("www.example.jp/a"));
}

TEST_F(Commands, a_delete_of_the_empty_host_folder_takes_its_entries_and_not_the_whole_cache)
{
    m_cache.Add("file:///C:/x.gif", "gif");
    OpenSite();
    const int emptyHost = Main().catalogue().FindFolderNode("");
    ASSERT_NE(emptyHost, 0);
    for (QTreeWidgetItemIterator it(Main().treeView()); *it; ++it)
        if ((*it)->data(0, Qt::UserRole + 1).toInt() == emptyHost)
            Main().treeView()->setCurrentItem(*it);
    WaitForListing();
    FocusTree();
    ModalDriver driver{larkspool::testing::kProgressWindows};
    driver.Expect("frmMoveDel", "btnYes");

    Button("sbtDelete")->click();

    ExpectAllAnswered(driver);
    EXPECT_EQ(LabelText(*AllForms().frmMoveDel, "Label1"), "'x.gif' を削除してもよろしいですか?");
    EXPECT_FALSE(InCache("file:///C:/x.gif"));
    EXPECT_TRUE(InCache("http://www.example.jp/index.html"));
    EXPECT_EQ(Main().catalogue().CacheList().size(), 6u);
    EXPECT_EQ(Main().catalogue().FindFolderNode(""), 0);
}

TEST_F(Commands, a_delete_cancelled_during_the_job_reads_the_cache_again)
{
    OpenSite();
    OpenFolder("www.example.jp/a");
    FocusTree();
    TfrmFileOp& window = *AllForms().frmFileOp;
    // The cancel button is pressed while the first item is shown, and
    // another program adds an entry meanwhile: only a new reading lists it.
    QObject::connect(
        window.findChild<QProgressBar*>("ProgressBar1"), &QProgressBar::valueChanged, &window,
        [this, &window] {
            m_cache.Add("http://www.example.jp/a/new.gif", "gif");
            window.findChild<QPushButton*>("btnCancel")->click();
        },
        Qt::SingleShotConnection);
    ModalDriver driver{larkspool::testing::kProgressWindows};
    driver.Expect("frmMoveDel", "btnYes");

    Button("sbtDelete")->click();
    WaitForListing();

    ExpectAllAnswered(driver);
    EXPECT_EQ(window.GetJobResult(), -1);
    EXPECT_FALSE(InCache("http://www.example.jp/a/b.gif"));
    EXPECT_TRUE(InCache("http://www.example.jp/a/c.css"));
    std::vector<std::string> listed;
    for (const TCacheEntry* entry : Main().catalogue().CollectEntriesUnder("www.example.jp/a"))
        listed.push_back(entry->Name);
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{"c.css", "d.js", "e.html", "new.gif"})) << "not read again";
    EXPECT_NE(Main().catalogue().FindFolderNode("www.example.jp/a"), 0);
}

TEST_F(Commands, copy_and_move_need_a_destination_and_delete_does_not)
{
    OpenSite();
    Main().Command().copyDir = "";
    OpenFolder("www.example.jp/a");
    for (const char* command : {"sbtCopy", "sbtMove", "sbtDelete"}) {
        FocusTree();
        const bool needsFolder = std::string(command) != "sbtDelete";
        ModalDriver driver{larkspool::testing::kProgressWindows};
        needsFolder ? driver.Answer() : driver.Expect("frmMoveDel", "btnNo");

        Button(command)->click();

        ExpectAllAnswered(driver);
        if (needsFolder) {
            EXPECT_EQ(driver.captions, Strings{"Larkspool for Windows"});
            EXPECT_EQ(driver.messages,
                      Strings{"保存先ﾃﾞｨﾚｸﾄﾘが設定されていません。\n\n保存先ﾃﾞｨﾚｸﾄﾘを設定してください。"});
        }
    }
    EXPECT_EQ(Main().catalogue().CacheList().size(), 6u);
}

TEST_F(Commands, del_in_the_tree_asks_for_the_folder_and_a_finished_delete_of_the_root_keeps_empty_folders)
{
    OpenSite();
    OpenFolder("www.example.jp/a");
    FocusTree();
    ModalDriver driver{larkspool::testing::kProgressWindows};
    driver.Expect("frmMoveDel", "btnNo");

    QTest::keyClick(Main().treeView(), Qt::Key_Delete);

    ExpectAllAnswered(driver);
    ASSERT_EQ(driver.captions.size(), 1u);
    EXPECT_EQ(LabelText(*AllForms().frmMoveDel, "Label1"), "これらの 4 個のﾌｧｲﾙを削除してもよろしいですか?");

    const Strings tree = TreeTexts();
    OpenFolder("");
    FocusTree();
    driver.Expect("frmMoveDel", "btnYes");

    Button("sbtDelete")->click();

    ExpectAllAnswered(driver);
    EXPECT_TRUE(Main().catalogue().CacheList().empty());
    EXPECT_FALSE(InCache("http://img.example.jp/x.png"));
    EXPECT_EQ(TreeTexts(), tree);
    EXPECT_EQ(RowNames(), (Strings{"img.example.jp", "www.example.jp"}));
}

TEST_F(Commands, the_selected_tree_node_stays_selected_after_a_click_beside_the_rows_and_del_asks_about_it)
{
    OpenSite();
    FocusTree();
    QTreeWidget* tree = Main().treeView();
    const QTreeWidgetItem* host = tree->topLevelItem(0)->child(0);
    ASSERT_EQ(host->text(0).toStdString(), "img.example.jp");
    const QPoint onHost = tree->visualItemRect(host).center();
    const struct {
        const char* click;
        QPoint at;
        Qt::KeyboardModifiers modifiers;
    } clicks[] = {
        {"below the rows", {onHost.x(), tree->viewport()->height() - 4}, {}},
        {"ctrl on the selected row", onHost, Qt::ControlModifier},
    };
    for (const auto& click : clicks) {
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, onHost);
        WaitForListing();

        QTest::mouseClick(tree->viewport(), Qt::LeftButton, click.modifiers, click.at);
        WaitForListing();

        EXPECT_EQ(tree->selectedItems(), QList<QTreeWidgetItem*>{const_cast<QTreeWidgetItem*>(host)}) << click.click;
        ModalDriver driver{larkspool::testing::kProgressWindows};
        driver.Expect("frmMoveDel", "btnNo");
        QTest::keyClick(tree, Qt::Key_Delete);
        ExpectAllAnswered(driver);
        EXPECT_EQ(LabelText(*AllForms().frmMoveDel, "Label1"), "'x.png' を削除してもよろしいですか?") << click.click;
        FocusTree();
    }
}

TEST_F(Commands, the_job_windows_have_their_size_controls_and_answer_keys)
{
    struct Row {
        const char* window;
        QSize size;
        std::vector<const char*> controls;
        const char* defaultButton;
    };
    Open();
    const Row rows[] = {
        {"frmFileOp", {392, 123}, {"lblFileName", "lblDirName", "ProgressBar1", "btnCancel", "lblCount"}, nullptr},
        {"frmFileOp2", {392, 123}, {"lblFileName", "lblDirName", "ProgressBar1", "btnCancel", "lblCount"}, nullptr},
        {"frmConfirm", {427, 272}, {"lblFileName", "Label1", "Image1", "lblSizeOld", "lblDateOld", "Label2", "Image2",
                                    "lblSizeNew", "lblDateNew", "btnYes", "btnYesAll", "btnNo", "btnCancel",
                                    "btnYesAllNewDate", "btnNoAll"}, "btnYes"},
        {"frmConfirm2", {427, 272}, {"lblFileName", "btnYes", "btnNoAll"}, "btnYes"},
        {"frmMoveDel", {425, 97}, {"imgMove", "imgDelete", "Label1", "btnYes", "btnNo"}, "btnYes"},
    };
    const Forms& forms = AllForms();
    const std::vector<QDialog*> windows = {forms.frmFileOp.get(), forms.frmFileOp2.get(), forms.frmConfirm.get(),
                                           forms.frmConfirm2.get(), forms.frmMoveDel.get()};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        QDialog& window = *windows[i];
        EXPECT_EQ(window.objectName(), row.window);
        EXPECT_EQ(window.size(), row.size) << row.window;
        EXPECT_FALSE(window.windowFlags() & Qt::WindowCloseButtonHint) << row.window;
        for (const char* control : row.controls)
            EXPECT_NE(window.findChild<QWidget*>(control), nullptr) << row.window << " " << control;
        if (row.defaultButton) {
            EXPECT_TRUE(window.findChild<QPushButton*>(row.defaultButton)->isDefault()) << row.window;
        }
    }
    QWidget* order = forms.frmConfirm->findChild<QPushButton*>("btnYes");
    std::vector<std::string> tabs;
    for (int i = 0; i < 6; ++i, order = order->nextInFocusChain())
        tabs.push_back(order->objectName().toStdString());
    EXPECT_EQ(tabs, (Strings{"btnYes", "btnYesAll", "btnNo", "btnCancel", "btnYesAllNewDate", "btnNoAll"}));
    EXPECT_EQ(forms.frmFileOp->findChild<QPushButton*>("btnCancel")->text(), "ｷｬﾝｾﾙ");
    EXPECT_EQ(forms.frmFileOp->findChild<QProgressBar*>("ProgressBar1")->maximum(), 100);
}

TEST_F(Commands, a_delete_says_where_from_only_and_an_empty_job_closes_at_once)
{
    OpenSite();
    OpenFolder("img.example.jp");
    FocusTree();
    ModalDriver driver{larkspool::testing::kProgressWindows};
    driver.Expect("frmMoveDel", "btnYes");

    Button("sbtDelete")->click();

    ExpectAllAnswered(driver);
    TfrmFileOp& window = *AllForms().frmFileOp;
    EXPECT_EQ(window.windowTitle(), "ｷｬｯｼｭから削除しています...");
    EXPECT_EQ(LabelText(window, "lblDirName"), "'MSIE Cache' から ");
    EXPECT_EQ(LabelText(window, "lblFileName"), "x.png");

    Main().Command().jobList.clear();
    QTimer::singleShot(2000, &window, [&window] { window.done(QDialog::Rejected); });
    EXPECT_EQ(window.exec(), QDialog::Accepted) << "closed by the run, not the guard";
    EXPECT_EQ(window.GetJobResult(), 0);
}

} // namespace
