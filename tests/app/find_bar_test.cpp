// The find bar as a user meets it: Ctrl+F, typing, the type list by the
// keyboard, Esc; the tree keeps only the folders that hold what is found.
#include "ui/main/find_bar.h"
#include "tests/app/main_window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QSpinBox>

namespace larkspool::testing {
namespace {

class FindBarWindow : public MainWindowFixture {
protected:
    std::vector<std::string> TreeTexts()
    {
        std::vector<std::string> texts;
        for (QTreeWidgetItemIterator it(Main().treeView()); *it; ++it)
            texts.push_back((*it)->text(0).toStdString());
        return texts;
    }
    std::vector<std::string> Shown()
    {
        std::vector<std::string> paths;
        for (const TCacheEntry* entry : Main().catalogue().CacheList())
            paths.push_back(entry->SitePath);
        return paths;
    }
};

TEST_F(FindBarWindow, ctrl_f_finds_as_typed_and_esc_brings_back_everything_and_the_folder_open_before)
{
    AddSite();
    m_cache.Add("http://www.example.jp/jp.htm", "htm", "<title>\x93\xfa\x96\x7b\x8c\xea</title>"); // Shift-JIS 日本語
    Open();
    Refresh();
    OpenFolder("www.example.jp/a/sub");
    FocusList();
    auto* bar = Child<FindBar>("FindBar");
    auto* text = Child<QLineEdit>("edtFind");
    ASSERT_FALSE(bar->isVisible());

    QTest::keyClick(Main().listView()->CurrentView(), Qt::Key_F, Qt::ControlModifier);
    WaitFor([text] { return text->hasFocus(); }, "the find text's focus");
    QTest::keyClicks(text, QStringLiteral("C.CSS"));
    WaitForListing();
    const auto found = Shown();
    const auto tree = TreeTexts();
    auto* countPanel = Child<QLabel>("lblFindCount");
    const std::string count = countPanel->text().toStdString();
    const bool countInStatusBar = countPanel->isVisible() && countPanel->parentWidget() == Main().statusBar();

    text->selectAll();
    QInputMethodEvent typed; // as an input method hands over what was composed
    typed.setCommitString(QStringLiteral("日本"));
    QApplication::sendEvent(text, &typed);
    WaitForListing();
    const auto byTitle = Shown();

    text->selectAll();
    QTest::keyClick(text, Qt::Key_Backspace);
    QTest::keyClick(text, Qt::Key_Tab);
    auto* type = Child<QComboBox>("cmbFindType");
    WaitFor([type] { return type->hasFocus(); }, "the type list's focus");
    QTest::keyClick(type, Qt::Key_Down);
    QTest::keyClick(type, Qt::Key_Down); // all kinds, pages, images
    WaitForListing();
    const auto images = Shown();

    QTest::keyClick(type, Qt::Key_Escape);
    WaitForListing();

    EXPECT_EQ(found, std::vector<std::string>{"www.example.jp/a/c.css"});
    EXPECT_EQ(tree, (std::vector<std::string>{"MSIE Cache", "www.example.jp", "a"}));
    EXPECT_EQ(count, "1 / 7 件");
    EXPECT_TRUE(countInStatusBar);
    EXPECT_FALSE(countPanel->isVisible());
    EXPECT_EQ(byTitle, std::vector<std::string>{"www.example.jp/jp.htm"});
    EXPECT_EQ(images, (std::vector<std::string>{"img.example.jp/x.png", "www.example.jp/a/b.gif"}));
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(Main().catalogue().CacheList().size(), 7u);
    EXPECT_EQ(Main().CurrentNode(), Main().catalogue().FindFolderNode("www.example.jp/a/sub"));
    EXPECT_EQ(Main().FolderNameText().toStdString(), "開いているﾌｫﾙﾀﾞ : 'sub'");
    EXPECT_TRUE(Main().catalogue().IsConsistent());
}

// A key that keeps the same entries found leaves the folder the user opened
// among them open; one that changes them rebuilds the tree from its root.
TEST_F(FindBarWindow, typing_on_keeps_the_folder_open_while_the_same_entries_are_found)
{
    AddSite();
    Open();
    Refresh();
    FocusList();
    auto* text = Child<QLineEdit>("edtFind");
    QTest::keyClick(Main().listView()->CurrentView(), Qt::Key_F, Qt::ControlModifier);
    WaitFor([text] { return text->hasFocus(); }, "the find text's focus");
    QTest::keyClicks(text, QStringLiteral("b."));
    WaitForListing();
    OpenFolder("www.example.jp/a");
    const int folder = Main().CurrentNode();
    text->setFocus();

    QTest::keyClick(text, Qt::Key_G);
    WaitForListing();
    const int afterSameFind = Main().CurrentNode();
    const auto rowsAfterSameFind = RowNames();
    const std::string count = Child<QLabel>("lblFindCount")->text().toStdString();
    QTest::keyClick(text, Qt::Key_X);
    WaitForListing();

    EXPECT_NE(folder, Main().catalogue().Tree().RootId());
    EXPECT_EQ(afterSameFind, folder);
    EXPECT_EQ(rowsAfterSameFind, std::vector<std::string>{"b.gif"});
    EXPECT_EQ(count, "1 / 6 件");
    EXPECT_EQ(Main().CurrentNode(), Main().catalogue().Tree().RootId());
    EXPECT_TRUE(RowNames().empty());
    EXPECT_EQ(TreeTexts(), std::vector<std::string>{"MSIE Cache"});
    EXPECT_TRUE(Main().catalogue().IsConsistent());
}

TEST_F(FindBarWindow, sizes_and_modified_days_typed_by_the_keyboard_narrow_the_find)
{
    constexpr FileTicks kDay = 86'400ULL * 10'000'000;
    AddSite(); // all modified on one day, 2024-03-01 in UTC
    const QDate day = QDateTime::fromMSecsSinceEpoch(qint64(kSomeTime - kUnixEpochTicks) / 10'000).date();
    m_cache.Add("http://www.example.jp/old.html", "html", std::string(2000, 'o'), kSomeTime - 400 * kDay);
    Open();
    Refresh();
    FocusList();
    auto* larger = Child<QSpinBox>("spnFindLarger");
    auto* smaller = Child<QSpinBox>("spnFindSmaller");
    auto* dated = Child<QCheckBox>("chkFindDated");
    auto* since = Child<QDateEdit>("dtpFindSince");
    const auto tab = [](QWidget* to) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        WaitFor([to] { return to->hasFocus(); }, "the next field's focus");
    };

    QTest::keyClick(Main().listView()->CurrentView(), Qt::Key_F, Qt::ControlModifier);
    tab(Child<QComboBox>("cmbFindType"));
    tab(larger);
    QTest::keyClicks(larger, QStringLiteral("1"));
    WaitForListing();
    const auto overOneKb = Shown();

    QTest::keyClick(larger, Qt::Key_Down); // back to no bound
    tab(smaller);
    QTest::keyClicks(smaller, QStringLiteral("1"));
    WaitForListing();
    const auto underOneKb = Shown();
    const std::string underCount = Child<QLabel>("lblFindCount")->text().toStdString();

    QTest::keyClick(smaller, Qt::Key_Down); // back to no bound
    tab(dated);
    QTest::keyClick(dated, Qt::Key_Space); // from today to today
    WaitForListing();
    const auto today = Shown();
    tab(since);
    QTest::keyClicks(since, day.toString(QStringLiteral("yyyyMMdd")));
    WaitForListing();
    const auto sinceThatDay = Shown();

    EXPECT_EQ(overOneKb, (std::vector<std::string>{"www.example.jp/a/d.js", "www.example.jp/old.html"}));
    EXPECT_EQ(underOneKb.size(), 5u);
    EXPECT_EQ(underCount, "5 / 7 件");
    EXPECT_EQ(larger->text().toStdString(), "下限なし");
    EXPECT_TRUE(today.empty());
    EXPECT_EQ(since->date(), day);
    EXPECT_EQ(sinceThatDay.size(), 6u);
    EXPECT_EQ(std::count(sinceThatDay.begin(), sinceThatDay.end(), "www.example.jp/old.html"), 0);
    EXPECT_TRUE(Main().catalogue().IsConsistent());
}

} // namespace
} // namespace larkspool::testing
