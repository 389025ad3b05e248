// The file list as a user drives it, in each of the four view styles: mouse
// clicks on the viewport, Ctrl and Shift clicks, a rubber band, and the keys
// the list and the menus answer.
#include "tests/app/commands_fixture.h"

#include "ui/main/view_styles.h"
#include "ui/dialogs/tfrm_move_del.h"
#include "catalogue/size_date_texts.h"

#include <QImage>
#include <QLabel>
#include <QMenu>

#include <algorithm>

namespace {

using namespace larkspool;
using larkspool::testing::ModalDriver;
using larkspool::testing::LabelText;
using Strings = std::vector<std::string>;

class ListSelection : public larkspool::testing::CommandsFixture, public ::testing::WithParamInterface<int> {
protected:
    // The folder www.example.jp/a in the style under test: sub, b.gif (1000
    // bytes), c.css (1000), d.js (3000).
    void SetUp() override
    {
        OpenSite();
        Main().ApplyViewStyle(QLatin1String(ViewStyleRows()[GetParam()].button));
        OpenFolder("www.example.jp/a");
        FocusList();
    }
    QAbstractItemView* View() { return Main().listView()->CurrentView(); }
    void ExpectStatus(const char* objects, DWORD bytes)
    {
        EXPECT_EQ(Main().StatusText(0).toStdString(), objects);
        EXPECT_EQ(Main().StatusText(1).toStdString(), FormatSizeText(bytes, 0));
    }
    Strings Marked()
    {
        Strings names;
        for (const TListItem* item : Main().folderItems().Items()) {
            if (item->Selected)
                names.push_back(item->Name);
        }
        return names;
    }
};

TEST_P(ListSelection, clicks_with_ctrl_and_shift_select_rows_and_the_status_bar_follows)
{
    ExpectStatus("4 個のｵﾌﾞｼﾞｪｸﾄ", 5000);

    ClickRow("b.gif");
    ExpectStatus("1 のｵﾌﾞｼﾞｪｸﾄを選択", 1000);
    ClickRow("d.js", Qt::ControlModifier);
    ExpectStatus("2 のｵﾌﾞｼﾞｪｸﾄを選択", 4000);
    EXPECT_EQ(Marked(), (Strings{"b.gif", "d.js"}));

    ClickRow("sub", Qt::ShiftModifier);
    ExpectStatus("4 のｵﾌﾞｼﾞｪｸﾄを選択", 5000);

    ClickRow("c.css");
    ExpectStatus("1 のｵﾌﾞｼﾞｪｸﾄを選択", 1000);
    EXPECT_EQ(Marked(), (Strings{"c.css"}));
    ClickRow("c.css", Qt::ControlModifier);
    ExpectStatus("4 個のｵﾌﾞｼﾞｪｸﾄ", 5000);
    EXPECT_EQ(Marked(), Strings{});
}

TEST_P(ListSelection, a_rubber_band_from_empty_space_selects_the_rows_it_touches)
{
    QWidget* viewport = View()->viewport();
    const QPoint start(viewport->width() - 3, viewport->height() - 3);
    ASSERT_FALSE(View()->indexAt(start).isValid());
    const QPoint end = View()->visualRect(Main().folderItems().index(RowOf("b.gif"), 0)).center();

    QTest::mousePress(viewport, Qt::LeftButton, {}, start);
    QTest::mouseMove(viewport, (start + end) / 2);
    QTest::mouseMove(viewport, end);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, end);

    Strings touched;
    for (const std::string& name : RowNames()) {
        if (View()->visualRect(Main().folderItems().index(RowOf(name), 0)).intersects(QRect(end, start)))
            touched.push_back(name);
    }
    ASSERT_GE(touched.size(), 2u);
    EXPECT_EQ(Marked(), touched);
    EXPECT_EQ(Main().StatusText(0).toStdString(), std::to_string(touched.size()) + " のｵﾌﾞｼﾞｪｸﾄを選択");
}

TEST_P(ListSelection, enter_double_click_backspace_and_the_menu_key_act_on_the_clicked_rows)
{
    QTest::keyClick(View(), Qt::Key_Menu);
    EXPECT_FALSE(Main().popupMenu()->isVisible()) << "nothing selected";

    SelectRows({"d.js", "c.css"});
    QTest::keyClick(View(), Qt::Key_Return);
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0], static_cast<TCacheEntry*>(Main().folderItems().Items()[std::size_t(RowOf("c.css"))])->LocalFile);

    QTest::keyClick(View(), Qt::Key_Menu);
    EXPECT_TRUE(Main().popupMenu()->isVisible());
    Main().popupMenu()->hide();

    DoubleClickRow("sub");
    WaitForListing();
    EXPECT_EQ(RowNames(), (Strings{"e.html"}));
    FocusList();
    QTest::keyClick(View(), Qt::Key_Backspace);
    WaitForListing();
    EXPECT_EQ(RowNames(), (Strings{"sub", "b.gif", "c.css", "d.js"}));

    DoubleClickRow("b.gif");
    ASSERT_EQ(m_opened.size(), 2u);
    EXPECT_EQ(m_opened[1], static_cast<TCacheEntry*>(Main().folderItems().Items()[std::size_t(RowOf("b.gif"))])->LocalFile);
}

TEST_P(ListSelection, ctrl_a_and_invert_select_rows_and_del_acts_on_them)
{
    FocusTree();
    QTest::keyClick(Main().treeView(), Qt::Key_A, Qt::ControlModifier);
    ExpectStatus("4 のｵﾌﾞｼﾞｪｸﾄを選択", 5000);
    EXPECT_TRUE(View()->hasFocus());

    SelectRows({"sub", "d.js"});
    Action("mnuInvers")->trigger();
    EXPECT_EQ(Marked(), (Strings{"b.gif", "c.css"}));
    ExpectStatus("2 のｵﾌﾞｼﾞｪｸﾄを選択", 2000);

    ModalDriver driver{larkspool::testing::kProgressWindows};
    driver.Expect("frmMoveDel", "btnNo");
    QTest::keyClick(View(), Qt::Key_Delete);
    ExpectAllAnswered(driver);
    EXPECT_EQ(LabelText(*AllForms().frmMoveDel, "Label1"), "これらの 2 個のﾌｧｲﾙを削除してもよろしいですか?");

    FocusList();
    ClickRow("c.css");
    driver.Expect("frmMoveDel", "btnYes");
    QTest::keyClick(View(), Qt::Key_Delete);
    ExpectAllAnswered(driver);
    EXPECT_EQ(driver.captions.back(), "ﾌｧｲﾙの削除の確認");
    EXPECT_FALSE(InCache("http://www.example.jp/a/c.css"));
    EXPECT_TRUE(InCache("http://www.example.jp/a/b.gif"));
    EXPECT_EQ(RowNames(), (Strings{"sub", "b.gif", "d.js"}));
}

TEST_P(ListSelection, a_clicked_row_shows_its_whole_long_name)
{
    if (Main().listView()->Style() == ViewStyle::Details)
        GTEST_SKIP() << "the details view cuts names at the column, selected or not";
    const std::string name = "a_rather_long_file_name_here.html";
    m_cache.Add("http://www.example.jp/a/" + name, "html", "x", larkspool::testing::kSomeTime);
    Refresh();
    OpenFolder("www.example.jp/a");
    FocusList();

    ClickRow(name);
    ASSERT_EQ(Marked(), Strings{name});

    // The name's text is drawn on the highlight: its box (lines by width)
    // must hold the whole name.
    const QImage shot = View()->viewport()->grab().toImage();
    const QPalette palette = View()->palette();
    const QRgb highlights[] = {palette.color(QPalette::Active, QPalette::Highlight).rgb(),
                               palette.color(QPalette::Inactive, QPalette::Highlight).rgb()};
    QRect box;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            if (std::ranges::find(highlights, shot.pixel(x, y)) != std::end(highlights))
                box |= QRect(x, y, 1, 1);
        }
    }
    const QFontMetrics metrics(View()->font());
    const int width = metrics.horizontalAdvance(QString::fromStdString(name));
    const QRect cell = View()->visualRect(Main().folderItems().index(RowOf(name), 0));
    ASSERT_GT(View()->viewport()->width(), cell.left() + width + 40) << "the view is too narrow to tell";
    // The focus frame takes a line of pixels off the box.
    const int lines = std::max(1, (box.height() + metrics.height() / 2) / metrics.height());
    EXPECT_GE(box.width() * lines, width - 4) << "highlight " << box.width() << "x" << box.height() << ", cell " << cell.width();
}

INSTANTIATE_TEST_SUITE_P(EveryViewStyle, ListSelection, ::testing::Range(0, 4),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(ViewStyleRows()[info.param].button + 3);
                         });

} // namespace
