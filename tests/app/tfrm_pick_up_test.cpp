#include "tests/app/main_window_fixture.h"

#include "ui/main/tfrm_pick_up.h"
#include "tests/support/modal_driver.h"

#include <QTreeWidget>

namespace {

using namespace larkspool;
using namespace larkspool::testing;

class TfrmPickUpTest : public MainWindowFixture {
protected:
    // Ticks the rows of these extensions with a mouse press each, then
    // presses "実行".
    static ModalDriver::Step Tick(std::vector<QString> extensions)
    {
        return [extensions](QWidget* window) {
            auto* list = window->findChild<QTreeWidget*>("ListView");
            for (const QString& ext : extensions) {
                const auto found = list->findItems(ext, Qt::MatchExactly, 0);
                ASSERT_EQ(found.size(), 1) << ext.toStdString();
                const QPoint at = list->visualItemRect(found.front()).center();
                QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
            }
            ModalDriver::Click(window->findChild<QAbstractButton*>("btnRun"));
        };
    }
    void CtrlI()
    {
        Main().activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Main()));
        QTest::keyClick(&Main(), Qt::Key_I, Qt::ControlModifier);
        WaitForListing();
        EXPECT_TRUE(Main().catalogue().IsConsistent());
    }
    std::size_t Shown() { return Main().catalogue().CacheList().size(); }
};

TEST_F(TfrmPickUpTest, ctrl_i_starts_the_filter_and_ends_it)
{
    AddSite();
    Open();
    Refresh();
    ModalDriver driver;
    driver.Then(Tick({".gif", ".css"}));

    CtrlI();

    EXPECT_TRUE(Main().catalogue().PickUpActive());
    EXPECT_EQ(Shown(), 2u);
    EXPECT_EQ(Action("mnuPickUp")->text(), "絞り込み終了(&P)");
    EXPECT_TRUE(Button("sbtPickUp")->isHidden());
    EXPECT_FALSE(Button("sbtPickUpEnd")->isHidden());

    CtrlI();

    EXPECT_FALSE(Main().catalogue().PickUpActive());
    EXPECT_EQ(Shown(), 6u);
    EXPECT_EQ(Action("mnuPickUp")->text(), "絞り込み(&P)");
    EXPECT_FALSE(Button("sbtPickUp")->isHidden());
    EXPECT_TRUE(Button("sbtPickUpEnd")->isHidden());
}

TEST_F(TfrmPickUpTest, an_extension_beyond_ascii_reads_as_its_characters)
{
    ASSERT_FALSE(m_cache.Add("http://www.example.jp/b.\xe3\x81\x82", "\xe3\x81\x82").empty());
    m_cache.Add("http://www.example.jp/c.gif", "gif");
    Open();
    Refresh();
    QStringList rows;
    ModalDriver driver;
    driver.Then([&rows](QWidget* window) {
        auto* list = window->findChild<QTreeWidget*>("ListView");
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            rows << list->topLevelItem(i)->text(0);
        ModalDriver::Click(window->findChild<QAbstractButton*>("btnCancel"));
    });

    CtrlI();

    EXPECT_TRUE(rows.contains(QStringLiteral(".あ")))
        << rows.join(QLatin1Char(' ')).toStdString();
}

TEST_F(TfrmPickUpTest, every_showing_lists_all_types_sorted_and_unticked)
{
    AddSite();
    Open();
    Refresh();
    std::vector<QStringList> shown;
    auto look = [&](QWidget* window) {
        auto* list = window->findChild<QTreeWidget*>("ListView");
        QStringList rows;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            rows << list->topLevelItem(i)->text(0);
        shown.push_back(rows);
        EXPECT_EQ(list->headerItem()->text(0), "拡張子");
        EXPECT_EQ(list->headerItem()->text(1), "種類");
        EXPECT_FALSE(list->topLevelItem(0)->text(1).isEmpty());
    };
    ModalDriver driver;
    driver.Then([&](QWidget* window) {
        look(window);
        auto* list = window->findChild<QTreeWidget*>("ListView");
        QTest::mousePress(list->viewport(), Qt::RightButton, {}, list->visualItemRect(list->topLevelItem(1)).center());
        ModalDriver::Click(window->findChild<QAbstractButton*>("btnCancel"));
    });
    driver.Then([&](QWidget* window) {
        look(window);
        Tick({".js"})(window);
    });

    Main().mnuPickUpClick();
    EXPECT_FALSE(Main().catalogue().PickUpActive());
    Main().mnuPickUpClick();
    EXPECT_TRUE(Main().catalogue().IsConsistent());

    const QStringList sorted{".css", ".gif", ".html", ".js", ".png"};
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], sorted);
    EXPECT_EQ(shown[1], sorted);
    EXPECT_EQ(Shown(), 1u);
}

TEST_F(TfrmPickUpTest, run_with_nothing_ticked_is_refused_and_cancel_changes_nothing)
{
    AddSite();
    Open();
    Refresh();
    ModalDriver driver;
    driver.Press("btnRun").Answer().Press("btnCancel");

    Main().mnuPickUpClick();

    EXPECT_EQ(driver.messages, std::vector<std::string>{"絞り込み対象の拡張子を１つは選択してください。"});
    EXPECT_EQ(driver.captions, std::vector<std::string>{"ﾌｧｲﾙの絞り込み"});
    EXPECT_FALSE(Main().catalogue().PickUpActive());
    EXPECT_EQ(Shown(), 6u);
}

TEST_F(TfrmPickUpTest, a_type_met_only_by_another_file_leaves_the_root_alone)
{
    AddSite();
    Open();
    Refresh();
    TempFolder outside;
    Main().catalogue().FileTypes().GetFileTypeIndex(outside.Write("archive.zip"));
    ModalDriver driver;
    driver.Then(Tick({".zip"}));

    Main().mnuPickUpClick();

    EXPECT_TRUE(Main().catalogue().IsConsistent());
    EXPECT_TRUE(Main().catalogue().PickUpActive());
    EXPECT_EQ(Shown(), 0u);
    ASSERT_EQ(Main().treeView()->topLevelItemCount(), 1);
    EXPECT_EQ(Main().treeView()->topLevelItem(0)->childCount(), 0);
}

} // namespace
