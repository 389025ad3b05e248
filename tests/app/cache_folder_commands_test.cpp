// The window over a browser's cache: the writing commands greyed out, the
// tree root naming the browser, page titles read from files made on demand;
// the command that opens another cache folder; and which folder opens at
// start.
#include "app/cache_folder_commands.h"
#include "browsercache/browser_cache.h"
#include "settings/cache_folder_setting.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/modal_driver.h"
#include "tests/support/temp_folder.h"

#include <QListWidget>
#include <QMenu>
#include <QMenuBar>

#include <cstdlib>

namespace larkspool::testing {
namespace {

constexpr const char* kWritingCommands[] = {"mnuMove", "mnuDelete", "PopupMove", "PopupDelete", "mnuCopyFromLocal"};
constexpr const char* kWritingButtons[] = {"sbtMove", "sbtDelete", "sbtFromLocal"};

class BrowserCacheWindow : public ::testing::Test {
protected:
    BrowserCacheWindow()
    {
        browsercache::BrowserCacheRecord page;
        page.url = "http://h/page.html";
        page.responseHead = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";
        page.body = {m_stored.Write("entry", "<title>Kept</title>"), 0, 19};
        browsercache::BrowserCacheScan scan;
        scan.records.push_back(page);
        m_cache = std::make_unique<browsercache::BrowserCache>(std::move(scan), m_scratch.Path());
        m_forms = std::make_unique<FormSet>(*m_cache);
    }
    ~BrowserCacheWindow() override { m_forms.reset(); }

    TfrmMain& Main() { return m_forms->main(); }

    SettingsSandbox m_sandbox;
    TempFolder m_stored;
    TempFolder m_scratch;
    std::unique_ptr<browsercache::BrowserCache> m_cache;
    std::unique_ptr<FormSet> m_forms;
};

TEST_F(BrowserCacheWindow, greys_out_writing_names_the_browser_and_reads_page_titles)
{
    std::vector<std::string> opened;
    Main().SetFileOpener([&](const std::string& path) { opened.push_back(path); });
    FitWindowToCache(Main(), *m_cache);
    RecordingProgress progress;

    Main().RefreshCache(progress);

    for (const char* name : kWritingCommands)
        EXPECT_FALSE(Main().findChild<QAction*>(name)->isEnabled()) << name;
    for (const char* name : kWritingButtons)
        EXPECT_FALSE(Main().findChild<QToolButton*>(name)->isEnabled()) << name;
    EXPECT_TRUE(Main().findChild<QAction*>("mnuCopy")->isEnabled());
    EXPECT_EQ(Main().treeView()->topLevelItem(0)->text(0).toStdString(), "Chromium Cache");
    ASSERT_EQ(Main().catalogue().CacheList().size(), 1u);
    EXPECT_EQ(Main().catalogue().CacheList()[0]->Title, "Kept");
}

TEST_F(MainWindowFixture, index_dat_cache_keeps_its_writing_commands_and_its_root_name)
{
    AddSite();
    Open();
    FitWindowToCache(Main(), m_cache.Cache());

    Refresh();

    for (const char* name : kWritingCommands)
        EXPECT_TRUE(Action(name)->isEnabled()) << name;
    for (const char* name : kWritingButtons)
        EXPECT_TRUE(Button(name)->isEnabled()) << name;
    EXPECT_EQ(Main().treeView()->topLevelItem(0)->text(0).toStdString(), "MSIE Cache");
}

TEST_F(MainWindowFixture, open_cache_folder_lists_the_caches_found_and_hands_over_the_chosen_one)
{
    TempFolder home;
    home.Write(".cache/chromium/Default/Cache/Cache_Data/index");
    home.Write(".cache/chromium/Default/Cache/Cache_Data/index-dir/the-real-index");
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(home.Path().string()));
    Open();
    std::vector<std::string> chosen;
    AddOpenCacheFolderCommand(Main(), [&](const std::string& folder) { chosen.push_back(folder); });
    QMenu* file = Main().menuBar()->actions().value(0)->menu();
    std::string listed;
    ModalDriver driver;
    driver.Then([&](QWidget* window) {
        listed = window->findChild<QListWidget*>("lstCaches")->item(0)->text().toStdString();
        ModalDriver::Click(window->findChild<QAbstractButton*>("btnOK"));
    });

    file->actions().value(0)->trigger();
    qputenv("HOME", oldHome);

    EXPECT_EQ(file->actions().value(0)->objectName().toStdString(), "mnuOpenCacheFolder");
    EXPECT_EQ(file->actions().value(0)->text().toStdString(), "ｷｬｯｼｭﾌｫﾙﾀﾞを開く(&O)...");
    const std::string folder = (home.Path() / ".cache/chromium/Default/Cache/Cache_Data").string();
    EXPECT_EQ(listed, folder + "  (chromium-simple)");
    EXPECT_EQ(chosen, std::vector<std::string>{folder});
}

TEST(CacheFolderAtStart, given_then_environment_then_remembered_then_default)
{
    SettingsSandbox sandbox;
    const char* oldEnvironment = std::getenv("LARKSPOOL_CACHE");
    const std::string saved = oldEnvironment ? oldEnvironment : "";
    unsetenv("LARKSPOOL_CACHE");

    const std::string nothing = CacheFolderAtStart("");
    ASSERT_TRUE(RememberCacheFolder("/remembered"));
    const std::string remembered = CacheFolderAtStart("");
    setenv("LARKSPOOL_CACHE", "/environment", 1);
    const std::string environment = CacheFolderAtStart("");
    const std::string given = CacheFolderAtStart("/given");
    if (saved.empty())
        unsetenv("LARKSPOOL_CACHE");
    else
        setenv("LARKSPOOL_CACHE", saved.c_str(), 1);

    EXPECT_EQ(nothing, "");
    EXPECT_EQ(remembered, "/remembered");
    EXPECT_EQ(environment, "/environment");
    EXPECT_EQ(given, "/given");
}

} // namespace
} // namespace larkspool::testing
