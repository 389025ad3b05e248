// A main window over a real cache in a temporary folder, with its settings in
// a sandbox, and the small drivers the window tests share.
#pragma once

#include "ui/main/file_list_view.h"
#include "ui/main/folder_items_model.h"
#include "ui/main/forms.h"
#include "ui/main/tfrm_main.h"
#include "tests/support/test_cache.h"
#include "tests/support/settings_sandbox.h"
#include "tests/support/wait_for.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

namespace larkspool::testing {

// Stands in for the refresh dialog: records what the refresh says.
class RecordingProgress : public RefreshProgress {
public:
    void SetProgressMaximum(int maximum) override { this->maximum = maximum; }
    void SetProgressPosition(int position) override { this->position = position; }
    void ProcessEvents() override
    {
        if (onEvents)
            onEvents();
    }
    void ShowMessage(const std::string& text, const std::string&, int) override
    {
        messages.push_back(text);
        if (onMessage)
            onMessage();
    }

    int maximum = 0;
    int position = 0;
    std::function<void()> onEvents;
    std::function<void()> onMessage;
    std::vector<std::string> messages;
};

class MainWindowFixture : public ::testing::Test {
protected:
    ~MainWindowFixture() override { m_forms.reset(); }

    // The demo site: two hosts, folders a and a/sub, pages, an image, a
    // stylesheet and a script.
    void AddSite()
    {
        m_cache.Add("http://www.example.jp/index.html", "html", std::string(100, 'p'), kSomeTime);
        m_cache.Add("http://www.example.jp/a/b.gif", "gif", std::string(1000, 'g'), kSomeTime + 10);
        m_cache.Add("http://www.example.jp/a/c.css", "css", std::string(1000, 'c'), kSomeTime + 20);
        m_cache.Add("http://www.example.jp/a/d.js", "js", std::string(3000, 'j'), kSomeTime + 5);
        m_cache.Add("http://www.example.jp/a/sub/e.html", "html", std::string(10, 'e'), kSomeTime);
        m_cache.Add("http://img.example.jp/x.png", "png", std::string(50, 'x'), kSomeTime);
    }

    TfrmMain& Open() { return OpenOn(m_cache.Cache()); }
    TfrmMain& OpenOn(UrlCache& cache)
    {
        m_forms = std::make_unique<FormSet>(cache);
        Main().SetFileOpener([this](const std::string& path) { m_opened.push_back(path); });
        Main().show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Main()));
        return Main();
    }
    TfrmMain& Main() { return m_forms->main(); }
    Forms& AllForms() { return m_forms->forms(); }

    void Refresh()
    {
        RecordingProgress progress;
        Main().RefreshCache(progress);
        m_messages = progress.messages;
        WaitForListing();
        EXPECT_TRUE(Main().catalogue().IsConsistent());
    }
    void FocusTree() { TakeFocus(*Main().treeView(), "the tree's focus"); }
    void FocusList() { TakeFocus(*Main().listView()->CurrentView(), "the list's focus"); }
    // Lets an armed listing fire.
    void WaitForListing()
    {
        WaitFor([this] { return !Main().timer1()->isActive(); }, "the listing");
    }
    // Resizes the main window and waits until the window system has done it.
    void Resize(int width, int height)
    {
        Main().resize(width, height);
        WaitFor([this, width, height] { return Main().size() == QSize(width, height); }, "the new size");
    }
    // Selects the tree node of a folder path ("" the root) and lists it.
    void OpenFolder(const std::string& path)
    {
        const int id = path.empty() ? Main().catalogue().Tree().RootId() : Main().catalogue().FindFolderNode(path);
        QTreeWidget* tree = Main().treeView();
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            if ((*it)->data(0, Qt::UserRole + 1).toInt() == id)
                tree->setCurrentItem(*it);
        }
        WaitForListing();
    }
    std::vector<std::string> RowNames()
    {
        std::vector<std::string> names;
        for (const TListItem* item : Main().folderItems().Items())
            names.push_back(item->Name);
        return names;
    }
    int RowOf(const std::string& name)
    {
        const auto& items = Main().folderItems().Items();
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i]->Name == name)
                return int(i);
        }
        return -1;
    }
    // Clicks a row where the current view draws it, as a user does.
    void ClickRow(const std::string& name, Qt::KeyboardModifiers modifiers = {})
    {
        QAbstractItemView* view = Main().listView()->CurrentView();
        const QModelIndex index = Main().folderItems().index(RowOf(name), 0);
        ASSERT_TRUE(index.isValid()) << name;
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, view->visualRect(index).center());
    }
    void DoubleClickRow(const std::string& name)
    {
        QAbstractItemView* view = Main().listView()->CurrentView();
        const QModelIndex index = Main().folderItems().index(RowOf(name), 0);
        view->scrollTo(index);
        // A double click starts with a press on the same row.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    }
    // A click on the first row and Ctrl+clicks on the others: only they stay selected.
    void SelectRows(std::initializer_list<const char*> names)
    {
        Qt::KeyboardModifiers modifiers;
        for (const char* name : names) {
            ClickRow(name, modifiers);
            modifiers = Qt::ControlModifier;
        }
    }
    QAction* Action(const char* name) { return Main().findChild<QAction*>(name); }
    QToolButton* Button(const char* name) { return Main().findChild<QToolButton*>(name); }
    template <typename T = QWidget>
    T* Child(const char* name)
    {
        return Main().findChild<T*>(name);
    }

    SettingsSandbox m_sandbox;
    TestCache m_cache;
    std::unique_ptr<FormSet> m_forms;
    std::vector<std::string> m_opened;
    std::vector<std::string> m_messages;
};

} // namespace larkspool::testing
