// The window over a browser's cache: the writing commands greyed out and
// saying why, the tree root and heading naming the browser, page titles read
// from files made on demand, files typed by their names; the command that
// opens another cache folder; and which folder opens at start.
#include "ui/main/cache_folder_commands.h"
#include "ui/main/view_styles.h"
#include "browsercache/browser_cache.h"
#include "catalogue/cache_location.h"
#include "ui/main/image_lists.h"
#include "report/entry_report.h"
#include "settings/cache_folder_setting.h"
#include "settings/cache_open_setting.h"
#include "tests/app/main_window_fixture.h"
#include "tests/browsercache/two_browser_caches.h"
#include "tests/support/modal_driver.h"
#include "tests/support/temp_folder.h"
#include "tests/support/unprivileged.h"

#include <QCryptographicHash>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTreeView>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>

namespace larkspool::testing {
namespace {

constexpr const char* kWritingCommands[] = {"mnuMove", "mnuDelete", "PopupMove", "PopupDelete", "mnuCopyFromLocal"};
constexpr const char* kWritingButtons[] = {"sbtMove", "sbtDelete", "sbtFromLocal"};

class BrowserCacheWindow : public ::testing::Test {
protected:
    BrowserCacheWindow() { Add("http://h/page.html", "text/html", "<title>Kept</title>"); }
    ~BrowserCacheWindow() override { m_forms.reset(); }

    void Add(const std::string& url, const std::string& contentType, const std::string& body)
    {
        browsercache::BrowserCacheRecord record;
        record.url = url;
        record.responseHead = "HTTP/1.1 200 OK\r\nContent-Type: " + contentType + "\r\n";
        record.body = {m_stored.Write(std::to_string(m_scan.records.size()), body), 0, body.size()};
        m_scan.records.push_back(record);
    }
    TfrmMain& Open(std::uint64_t maxBodySize = browsercache::kDefaultMaxBodySize)
    {
        m_cache = std::make_unique<browsercache::BrowserCache>(std::move(m_scan), m_scratch.Path(), maxBodySize);
        m_forms = std::make_unique<FormSet>(*m_cache);
        return Main();
    }
    TfrmMain& Main() { return m_forms->main(); }

    SettingsSandbox m_sandbox;
    TempFolder m_stored;
    TempFolder m_scratch;
    browsercache::BrowserCacheScan m_scan;
    std::unique_ptr<browsercache::BrowserCache> m_cache;
    std::unique_ptr<FormSet> m_forms;
};

TEST_F(BrowserCacheWindow, greys_out_writing_names_the_browser_and_reads_page_titles)
{
    Open();
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
    EXPECT_EQ(Main().findChild<QLabel*>("lblRootFolderName")->text().toStdString(), "Chromium Cache ﾌｫﾙﾀﾞ");
    ASSERT_EQ(Main().catalogue().CacheList().size(), 1u);
    EXPECT_EQ(Main().catalogue().CacheList()[0]->Title, "Kept");
}

TEST_F(BrowserCacheWindow, says_why_the_writing_commands_are_greyed_and_del_answers_that_it_is_read_only)
{
    Open();
    FitWindowToCache(Main(), *m_cache);
    Main().show();
    RecordingProgress progress;
    Main().RefreshCache(progress);

    const auto* panel = Main().findChild<QLabel*>("StatusPanelReadOnly");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->text().toStdString(), "読み取り専用");
    for (const char* name : kWritingButtons) {
        const std::string hint = Main().findChild<QToolButton*>(name)->toolTip().toStdString();
        EXPECT_NE(hint.find("読み取り専用"), std::string::npos) << name << ": " << hint;
    }
    for (QWidget* focus : std::initializer_list<QWidget*>{Main().treeView(), Main().listView()->CurrentView()}) {
        TakeFocus(*focus, "the focus");
        ModalDriver driver;
        driver.Answer();

        QTest::keyClick(focus, Qt::Key_Delete);

        EXPECT_EQ(driver.messages, std::vector<std::string>{kReadOnlyCacheText}) << focus->objectName().toStdString();
    }
}

// A refresh over a browser cache whose folder this user may no longer read,
// or which has gone, says why instead of listing what the scan once found.
TEST_F(BrowserCacheWindow, a_refresh_over_a_cache_folder_unreadable_or_gone_says_why)
{
    namespace fs = std::filesystem;
    const fs::path folder = m_stored.Path();
    m_scan.folder = folder;
    Open();
    RecordingProgress progress;
    Main().RefreshCache(progress);
    ASSERT_EQ(Main().catalogue().CacheList().size(), 1u);
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
        Unprivileged user({folder.string()});
        if (!user.Active()) {
            ADD_FAILURE() << row.change << ": cannot run as an ordinary user";
            continue;
        }
        row.apply();
        RecordingProgress again;

        Main().RefreshCache(again);

        std::error_code ignored;
        fs::permissions(folder, fs::perms::owner_all, ignored);
        EXPECT_EQ(again.messages, std::vector<std::string>{row.says}) << row.change;
        EXPECT_TRUE(Main().catalogue().CacheList().empty()) << row.change;
    }
}

// The bodies are made only on demand, so the types come from the names.
TEST_F(BrowserCacheWindow, files_have_the_type_of_their_name_and_content_type_in_the_list_and_the_filter)
{
    Add("http://h/logo", "image/png", "png");
    Add("http://h/site.css", "text/css", "css");
    Add("http://h/app.js?v=2", "application/javascript", "js");
    Open();
    FitWindowToCache(Main(), *m_cache);
    Main().show();
    RecordingProgress progress;
    Main().RefreshCache(progress);
    Main().ApplyViewStyle(QLatin1String(ViewStyleRows()[int(ViewStyle::Details)].button));
    QTreeWidget* tree = Main().treeView();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      tree->visualItemRect(tree->topLevelItem(0)->child(0)).center());
    WaitFor([this] { return !Main().timer1()->isActive(); }, "the listing");
    auto* view = static_cast<QTreeView*>(Main().listView()->CurrentView());
    QTest::mouseClick(view->header()->viewport(), Qt::LeftButton, {},
                      {view->header()->sectionViewportPosition(3) + 5, view->header()->height() / 2});

    std::vector<std::string> types;
    for (int row = 0; row < view->model()->rowCount(); ++row) {
        types.push_back(view->model()->index(row, 3).data().toString().toStdString());
        EXPECT_FALSE(view->model()->index(row, 0).data(Qt::DecorationRole).value<QIcon>().isNull()) << row;
    }
    ASSERT_EQ(types.size(), 4u);
    for (const std::string& type : types)
        EXPECT_FALSE(type.empty());
    EXPECT_TRUE(std::is_sorted(types.begin(), types.end(),
                               [](const std::string& a, const std::string& b) { return CompareFolded(a, b) < 0; }));

    QStringList extensions;
    ModalDriver driver;
    driver.Then([&extensions](QWidget* window) {
        auto* list = window->findChild<QTreeWidget*>("ListView");
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            extensions << list->topLevelItem(i)->text(0);
        ModalDriver::Click(window->findChild<QAbstractButton*>("btnCancel"));
    });
    Main().activateWindow();
    QTest::keyClick(&Main(), Qt::Key_I, Qt::ControlModifier);

    EXPECT_EQ(extensions, (QStringList{".css", ".htm", ".js", ".png"}));
}

// Opening an entry makes its file in the scratch folder: never past the
// most bytes of one body, and a refusal says why.
TEST_F(BrowserCacheWindow, an_entry_past_the_most_bytes_is_not_opened_and_the_window_says_why)
{
    Open(8);
    FitWindowToCache(Main(), *m_cache);
    RecordingProgress progress;
    Main().RefreshCache(progress);
    Main().show();
    Main().treeView()->setCurrentItem(Main().treeView()->topLevelItem(0)->child(0));
    WaitFor([this] { return !Main().timer1()->isActive(); }, "the listing"); // armed on a timer
    ASSERT_EQ(Main().folderItems().Items().size(), 1u);
    QAbstractItemView* view = Main().listView()->CurrentView();
    const QRect row = view->visualRect(Main().folderItems().index(0, 0));
    ModalDriver driver;
    driver.Answer();

    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, row.center());

    ASSERT_EQ(driver.messages.size(), 1u);
    EXPECT_NE(driver.messages[0].find("http://h/page.html: the body decodes to more than 8 bytes"), std::string::npos)
        << driver.messages[0];
    EXPECT_EQ(std::distance(std::filesystem::recursive_directory_iterator(m_scratch.Path()), {}), 2); // its folder and lock
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
    EXPECT_EQ(Main().findChild<QLabel*>("lblRootFolderName")->text().toStdString(), "MS-IE Cache ﾌｫﾙﾀﾞ");
}

// A home holding two browsers' caches opens as one: a node of each cache
// under the root, and a click on one lists its hosts alone.
TEST_F(MainWindowFixture, several_caches_show_as_one_tree_node_each_below_the_root)
{
    TempFolder home;
    WriteTwoBrowserCaches(home.Path());
    const OpenedCache opened = OpenUrlCache(home.Path().string());
    ASSERT_TRUE(opened.cache) << opened.error;
    OpenOn(*opened.cache);
    FitWindowToCache(Main(), *opened.cache);

    Refresh();

    QTreeWidget* tree = Main().treeView();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree->topLevelItem(0);
    EXPECT_EQ(root->text(0).toStdString(), "Caches");
    ASSERT_EQ(root->childCount(), 2);
    EXPECT_EQ(root->child(0)->text(0).toStdString(), kChromiumMember);
    EXPECT_EQ(root->child(1)->text(0).toStdString(), kFirefoxMember);
    EXPECT_EQ(RowNames(), (std::vector<std::string>{kChromiumMember, kFirefoxMember}));
    EXPECT_FALSE(Action("mnuMove")->isEnabled());

    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(root->child(1)).center());
    WaitForListing();
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"both.example", "f.example"}));
    OpenFolder(std::string(kFirefoxMember) + "/both.example");
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"same.html"}));
    EXPECT_TRUE(m_messages.empty());
}

// HOME is home, and LARKSPOOL_CACHE unset, while it lives.
class HomeAt {
public:
    explicit HomeAt(const std::filesystem::path& home) : m_home(qgetenv("HOME")), m_cache(qgetenv("LARKSPOOL_CACHE"))
    {
        qputenv("HOME", QByteArray::fromStdString(home.string()));
        qunsetenv("LARKSPOOL_CACHE");
    }
    ~HomeAt()
    {
        qputenv("HOME", m_home);
        if (!m_cache.isEmpty())
            qputenv("LARKSPOOL_CACHE", m_cache);
    }
    HomeAt(const HomeAt&) = delete;
    HomeAt& operator=(const HomeAt&) = delete;

private:
    QByteArray m_home, m_cache;
};

TEST_F(MainWindowFixture, open_cache_folder_lists_every_cache_with_its_count_and_the_one_in_use_and_hands_over_the_choice)
{
    TempFolder home;
    home.Write(".cache/chromium/Default/Cache/Cache_Data/index");
    home.Write(".cache/chromium/Default/Cache/Cache_Data/index-dir/the-real-index");
    const HomeAt homeAt(home.Path());
    AddSite();
    Open();
    std::vector<std::string> chosen;
    AddOpenCacheFolderCommand(Main(), m_cache.CacheDir().string(),
                              [&](const std::string& folder) { chosen.push_back(folder); });
    QMenu* file = Main().menuBar()->actions().value(0)->menu();
    const std::string chromium = (home.Path() / ".cache/chromium/Default/Cache/Cache_Data").string();
    std::vector<std::string> listed;
    bool altCFocusesTheList = false;
    ModalDriver driver;
    driver.Then([&](QWidget* window) {
        auto* list = window->findChild<QListWidget*>("lstCaches");
        for (int row = 0; row < list->count(); ++row)
            listed.push_back(list->item(row)->text().toStdString());
        TakeFocus(*window->findChild<QAbstractButton*>("btnOK"), "the OK button's focus");
        QTest::keyClick(window, Qt::Key_C, Qt::AltModifier);
        altCFocusesTheList = list->hasFocus();
        const auto rows = list->findItems(QString::fromStdString(chromium), Qt::MatchStartsWith);
        ASSERT_EQ(rows.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(rows.front()).center());
        ModalDriver::Click(window->findChild<QAbstractButton*>("btnOK"));
    });

    file->actions().value(0)->trigger();

    EXPECT_EQ(file->actions().value(0)->objectName().toStdString(), "mnuOpenCacheFolder");
    EXPECT_EQ(file->actions().value(0)->text().toStdString(), "ｷｬｯｼｭﾌｫﾙﾀﾞを開く(&O)...");
    const std::string defaultFolder = (home.Path() / ".local/share/Studio Vesprane/Larkspool/Content.IE5").string();
    EXPECT_EQ(listed, (std::vector<std::string>{chromium + "  (chromium-simple, 0 件)",
                                                defaultFolder + "  (index.dat, 0 件)",
                                                m_cache.CacheDir().string() + "  (index.dat, 6 件)  [使用中]"}));
    EXPECT_TRUE(altCFocusesTheList);
    EXPECT_EQ(chosen, std::vector<std::string>{chromium});
}

// A folder of several caches opens as one: its row says so, with their
// formats and all their entries, never that it is an index.dat cache.
TEST_F(MainWindowFixture, open_cache_folder_says_a_folder_in_use_holds_several_caches)
{
    TempFolder home, several;
    WriteTwoBrowserCaches(several.Path());
    const HomeAt homeAt(home.Path());
    AddSite();
    Open();
    AddOpenCacheFolderCommand(Main(), several.Path().string(), [](const std::string&) {});
    std::vector<std::string> listed;
    ModalDriver driver;
    driver.Then([&](QWidget* window) {
        auto* list = window->findChild<QListWidget*>("lstCaches");
        for (int row = 0; row < list->count(); ++row)
            listed.push_back(list->item(row)->text().toStdString());
        ModalDriver::Click(window->findChild<QAbstractButton*>("btnCancel"));
    });

    Main().menuBar()->actions().value(0)->menu()->actions().value(0)->trigger();

    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[1], several.Path().string() + "  (2 個のｷｬｯｼｭ: chromium-simple, firefox-cache2, 4 件)  [使用中]");
}

// An entry deleted from the cache whose record and file the disk still holds:
// off by default; the View menu's tick, chosen with the keyboard, stores the
// choice and opens the cache again, which then shows it with its own picture.
TEST_F(MainWindowFixture, the_view_tick_shows_recovered_records_with_their_own_picture)
{
    AddSite();
    const std::string png = m_cache.Info("http://img.example.jp/x.png").info()->lpszLocalFileName;
    ASSERT_TRUE(m_cache.Cache().DeleteUrlCacheEntryA("http://img.example.jp/x.png"));
    WriteFile(png, std::string(50, 'x'));
    Open();
    int reopened = 0;
    AddShowRecoveredCommand(Main(), StoredCacheOpenOptions().recovered, [&] { ++reopened; });
    QAction* tick = Action("mnuShowRecovered");
    ASSERT_NE(tick, nullptr);
    const bool tickedAtFirst = tick->isChecked();
    Refresh();
    const std::size_t liveEntries = Main().catalogue().CacheList().size();

    QTest::keyClick(&Main(), Qt::Key_V, Qt::AltModifier);
    auto* view = qobject_cast<QMenu*>(tick->parent());
    WaitFor([view] { return view->isVisible(); }, "the View menu");
    QTest::keyClick(view, Qt::Key_U);

    EXPECT_FALSE(tickedAtFirst);
    EXPECT_EQ(liveEntries, 5u);
    EXPECT_EQ(reopened, 1);
    EXPECT_TRUE(StoredCacheOpenOptions().recovered);

    // Opened again, as the program does after the click.
    m_forms.reset();
    IndexDatCache recovering(m_cache.CacheDir(), NowTicks, {.recovered = true});
    OpenOn(recovering);
    AddShowRecoveredCommand(Main(), StoredCacheOpenOptions().recovered, [] {});
    Refresh();
    OpenFolder("img.example.jp");

    EXPECT_TRUE(Action("mnuShowRecovered")->isChecked());
    EXPECT_EQ(Main().catalogue().CacheList().size(), 6u);
    ASSERT_EQ(RowNames(), std::vector<std::string>{"x.png"});
    const QIcon shown = Main().folderItems().data(Main().folderItems().index(0, 0), Qt::DecorationRole).value<QIcon>();
    EXPECT_EQ(shown.cacheKey(), RecoveredEntryIcon().cacheKey());
    OpenFolder("www.example.jp");
    const QIcon live = Main().folderItems().data(Main().folderItems().index(RowOf("index.html"), 0),
                                                 Qt::DecorationRole).value<QIcon>();
    EXPECT_NE(live.cacheKey(), RecoveredEntryIcon().cacheKey());
    m_forms.reset();
}

TEST_F(MainWindowFixture, alt_enter_on_an_entry_shows_every_field_of_its_report)
{
    AddSite();
    Open();
    AddPropertiesCommand(Main(), m_cache.Cache());
    Refresh();
    OpenFolder("www.example.jp");
    ClickRow("index.html");
    std::string caption;
    std::map<std::string, std::string> fields;
    ModalDriver driver;
    driver.Then([&](QWidget* window) {
        caption = window->windowTitle().toStdString();
        auto* list = window->findChild<QTreeWidget*>("lstFields");
        for (int row = 0; row < list->topLevelItemCount(); ++row)
            fields[list->topLevelItem(row)->text(0).toStdString()] = list->topLevelItem(row)->text(1).toStdString();
        ModalDriver::Click(window->findChild<QAbstractButton*>("btnOK"));
    });

    QTest::keyClick(Main().listView()->CurrentView(), Qt::Key_Return, Qt::AltModifier);

    EXPECT_EQ(Main().popupMenu()->actions().last()->objectName().toStdString(), "PopupProperties");
    EXPECT_EQ(caption, "ﾌﾟﾛﾊﾟﾃｨ");
    EXPECT_EQ(fields.size(), std::size_t(kReportColumnCount));
    EXPECT_EQ(fields["url"], "http://www.example.jp/index.html");
    EXPECT_EQ(fields["site_path"], "www.example.jp/index.html");
    EXPECT_EQ(fields["cache_format"], "index.dat");
    EXPECT_EQ(fields["size"], "100");
    EXPECT_EQ(fields["sha256"], QCryptographicHash::hash(QByteArray(100, 'p'), QCryptographicHash::Sha256)
                                    .toHex()
                                    .toStdString());
    EXPECT_EQ(fields["state"], "ok");
}

// Chosen from the File menu by its letters, over the folder open; a file
// that cannot be made is a message naming it, and nothing is left.
TEST_F(MainWindowFixture, the_report_of_the_folder_open_is_saved_as_csv_from_the_file_menu)
{
    AddSite();
    Open();
    TempFolder out;
    std::string target = (out.Path() / "a.csv").string();
    std::vector<std::string> suggested;
    AddSaveReportCommand(Main(), m_cache.Cache(), [&](const std::string& name) {
        suggested.push_back(name);
        return target;
    });
    Refresh();
    OpenFolder("www.example.jp/a");
    QMenu* file = qobject_cast<QMenu*>(Action("mnuSaveReport")->parent());
    const auto choose = [&] {
        QTest::keyClick(&Main(), Qt::Key_F, Qt::AltModifier);
        WaitFor([file] { return file->isVisible(); }, "the File menu");
        QTest::keyClick(file, Qt::Key_R);
    };

    choose();
    const std::string saved = ReadFile(target);
    target = (out.Path() / "missing" / "b.csv").string();
    std::string message;
    ModalDriver driver;
    driver.Then([&](QWidget* window) {
        message = window->findChild<QLabel*>("qt_msgbox_label")->text().toStdString();
        ModalDriver::Click(window->findChildren<QAbstractButton*>().value(0));
    });
    choose();

    EXPECT_EQ(suggested, (std::vector<std::string>{"report.csv", "report.csv"}));
    ASSERT_EQ(std::count(saved.begin(), saved.end(), '\n'), 5) << saved; // the header and a/b.gif, c.css, d.js, sub/e.html
    EXPECT_EQ(saved.substr(0, 4), "url,");
    EXPECT_NE(saved.find("\r\nhttp://www.example.jp/a/sub/e.html,www.example.jp/a/sub/e.html,index.dat,"),
              std::string::npos);
    EXPECT_EQ(saved.find("x.png"), std::string::npos);
    EXPECT_NE(message.find("cannot write the report " + target), std::string::npos) << message;
    EXPECT_FALSE(std::filesystem::exists(out.Path() / "missing"));
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
