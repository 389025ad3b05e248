// The details view's optional columns as a user meets them: the header's
// context menu turns each on and off, the rows show what the listing found,
// and the choice is there again in the next window.
#include "tests/app/main_window_fixture.h"
#include "ui/main/list_ordering.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QTreeView>

namespace larkspool::testing {
namespace {

class DetailColumns : public MainWindowFixture {
protected:
    QHeaderView* Header() { return Main().listView()->DetailsView()->header(); }
    // A right click on the header, as the window system reports it, then a
    // click on the menu's row for column.
    void ChooseColumn(int column)
    {
        const QPoint at(10, Header()->height() / 2);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, Header()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(Header()->viewport(), &event);
        QMenu* menu = nullptr;
        WaitFor([&] { return (menu = Main().findChild<QMenu*>("mnuColumns")) && menu->isVisible(); }, "the column menu");
        QAction* row = menu->actions().at(column - kFirstOptionalColumn);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(row).center());
        WaitFor([&] { return !Main().findChild<QMenu*>("mnuColumns"); }, "the menu to close");
    }
    std::string Cell(const std::string& name, int column)
    {
        return Main().folderItems().index(RowOf(name), column).data().toString().toStdString();
    }
    std::vector<bool> Shown()
    {
        std::vector<bool> shown;
        for (int column = kFirstOptionalColumn; column < kColumnCount; ++column)
            shown.push_back(!Header()->isSectionHidden(column));
        return shown;
    }
};

TEST_F(DetailColumns, the_header_menu_shows_url_and_content_type_and_the_next_window_keeps_them)
{
    AddSite();
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: text/css; charset=utf-8\r\n\r\n";
    char file[MAX_PATH + 1] = {};
    UrlCache& cache = m_cache.Cache();
    ASSERT_TRUE(cache.CreateUrlCacheEntryA("http://www.example.jp/a/z.css", 1, "css", file, 0));
    WriteFile(file, "z");
    ASSERT_TRUE(cache.CommitUrlCacheEntryA("http://www.example.jp/a/z.css", file, FILETIME{}, MakeFileTime(kSomeTime),
                                           0, reinterpret_cast<LPBYTE>(const_cast<char*>(head.data())),
                                           DWORD(head.size()), "css", nullptr));
    Open();
    Refresh();
    OpenFolder("www.example.jp/a");
    QTest::mouseClick(Button("sbtDetailsIcon"), Qt::LeftButton);
    const std::vector<bool> atFirst = Shown();

    ChooseColumn(kColumnUrl);
    ChooseColumn(kColumnContentType);
    ChooseColumn(kColumnLastAccess);
    ChooseColumn(kColumnLastAccess); // and off again
    const std::vector<bool> chosen = Shown();
    const std::string url = Cell("z.css", kColumnUrl);
    const std::string type = Cell("z.css", kColumnContentType);
    const std::string noType = Cell("b.gif", kColumnContentType);
    OpenFolder("www.example.jp");
    const std::vector<bool> afterAnotherFolder = Shown();

    m_forms.reset();
    Open();
    const std::vector<bool> nextWindow = Shown();

    EXPECT_EQ(atFirst, (std::vector<bool>{false, false, false, false}));
    EXPECT_EQ(chosen, (std::vector<bool>{true, true, false, false}));
    EXPECT_EQ(url, "http://www.example.jp/a/z.css");
    EXPECT_EQ(type, "text/css; charset=utf-8");
    EXPECT_EQ(noType, "");
    EXPECT_EQ(afterAnotherFolder, chosen);
    EXPECT_EQ(nextWindow, chosen);
}

} // namespace
} // namespace larkspool::testing
