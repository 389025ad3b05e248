#include "catalogue/catalogue.h"

#include "browsercache/browser_cache.h"
#include "tests/browsercache/deflated_bytes.h"
#include "tests/support/test_cache.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>

namespace larkspool {
namespace {

using testing::TestCache;

class RecordingProgress : public RefreshProgress {
public:
    void SetProgressMaximum(int maximum) override { this->maximum = maximum; }
    void SetProgressPosition(int position) override { this->position = position; }
    void ProcessEvents() override
    {
        ++events;
        if (onEvents)
            onEvents();
    }
    void ShowMessage(const std::string& text, const std::string& caption, int flags) override
    {
        messages.push_back(caption + ": " + text + " (" + std::to_string(flags) + ")");
    }

    int maximum = -1;
    int position = -1;
    int events = 0;
    std::function<void()> onEvents;
    std::vector<std::string> messages;
};

const std::string kEmptyMessage = std::string(kAppCaption) + ": " + kEmptyCacheText + " (64)";

class CatalogueTest : public ::testing::Test {
protected:
    std::vector<std::string> Paths(const std::vector<TCacheEntry*>& list) const
    {
        std::vector<std::string> paths;
        for (const TCacheEntry* entry : list)
            paths.push_back(entry->SitePath);
        return paths;
    }

    // "  text\tcount" lines of the tree, depth first.
    std::vector<std::string> TreeLines() const
    {
        std::vector<std::string> lines;
        m_catalogue.WalkTree([&lines](const TreeNode& node, int depth, int count) {
            lines.push_back(std::string(2 * depth, ' ') + node.Text + "\t" + std::to_string(count));
        });
        return lines;
    }

    // The changes a test makes, each checked for the catalogue's agreement
    // with itself.
    void Refresh()
    {
        m_catalogue.RefreshCache(m_progress);
        EXPECT_TRUE(m_catalogue.IsConsistent());
    }
    void PickUp(const std::vector<int>& types)
    {
        m_catalogue.StartPickUp(types);
        EXPECT_TRUE(m_catalogue.IsConsistent());
    }
    void EndPickUp()
    {
        m_catalogue.EndPickUp();
        EXPECT_TRUE(m_catalogue.IsConsistent());
    }
    std::vector<std::vector<int>> Remove(const std::vector<TCacheEntry*>& entries, const std::vector<int>& folders = {})
    {
        auto removed = m_catalogue.RemoveEntries(entries, folders);
        EXPECT_TRUE(m_catalogue.IsConsistent());
        return removed;
    }

    TestCache m_cache;
    Catalogue m_catalogue{m_cache.Cache()};
    RecordingProgress m_progress;
};

TEST_F(CatalogueTest, an_empty_cache_says_so_and_leaves_the_root_alone)
{
    Refresh();

    EXPECT_EQ(m_catalogue.CountCacheEntries(), -1);
    EXPECT_EQ(m_progress.messages, std::vector<std::string>{kEmptyMessage});
    EXPECT_EQ(TreeLines(), std::vector<std::string>{"MSIE Cache\t0"});
}

TEST_F(CatalogueTest, cookies_and_history_run_the_progress_to_its_end_and_leave_the_catalogue_empty)
{
    m_cache.Add("http://host/c.txt", "txt", "x", testing::kSomeTime, COOKIE_CACHE_ENTRY);
    m_cache.Add("http://host/h.htm", "htm", "x", testing::kSomeTime, URLHISTORY_CACHE_ENTRY);
    m_cache.Add("Visited: user@host/", "", "x");

    Refresh();

    EXPECT_EQ(m_progress.maximum, 3);
    EXPECT_EQ(m_progress.position, 3);
    EXPECT_EQ(m_progress.events, 0);
    EXPECT_TRUE(m_catalogue.CacheList().empty());
    EXPECT_EQ(m_progress.messages, std::vector<std::string>{kEmptyMessage});
}

TEST_F(CatalogueTest, a_refresh_sorts_numbers_and_builds_the_tree)
{
    m_cache.Add("http://host/a.html", "htm", "x", testing::kSomeTime + 20);
    m_cache.Add("https://HOST/a.html", "htm", "x", testing::kSomeTime + 10);
    m_cache.Add("http://host/cgi/s.cgi?1", "htm");
    m_cache.Add("http://host/cgi/s.cgi?2", "htm");
    m_cache.Add("http://host/cgi/s.cgi?3", "htm");
    m_cache.Add("http://host/a-b/c.gif", "gif");
    m_cache.Add("http://other/", "htm");

    Refresh();

    EXPECT_EQ(Paths(m_catalogue.CacheList()),
              (std::vector<std::string>{"host/a-b/c.gif", "HOST/a.html", "host/a(1).html", "host/cgi/s.htm",
                                        "host/cgi/s(1).htm", "host/cgi/s(2).htm", "other/index.html"}));
    EXPECT_EQ(m_catalogue.CacheList()[1]->SourceUrl, "https://HOST/a.html");
    EXPECT_EQ(TreeLines(), (std::vector<std::string>{"MSIE Cache\t0", "  host\t2", "    a-b\t1", "    cgi\t3",
                                                     "  other\t1"}));
    EXPECT_TRUE(m_progress.messages.empty());
    EXPECT_EQ(m_progress.events, 7);
    EXPECT_EQ(m_catalogue.CollectEntriesUnder("host/A").size(), 0u);
    EXPECT_EQ(m_catalogue.CollectEntriesUnder("host/CGI").size(), 3u);
    EXPECT_EQ(m_catalogue.CollectEntriesUnder("host").size(), 6u);
    EXPECT_EQ(m_catalogue.FolderFiles(m_catalogue.FindFolderNode("host")).size(), 2u);
}

TEST_F(CatalogueTest, a_folder_collects_its_branch_in_catalogue_order_but_not_a_sibling_sharing_its_name)
{
    for (const char* url : {"http://host/img2/c.gif", "http://host/img/deep/b.gif", "http://host/img.gif",
                            "http://HOST/IMG/z.gif", "http://host/img/a.gif", "file:///C:/d.gif", "file:///e.gif"})
        m_cache.Add(url, "gif");
    Refresh();

    EXPECT_EQ(Paths(m_catalogue.CollectEntriesUnder("host/img")),
              (std::vector<std::string>{"host/img/a.gif", "host/img/deep/b.gif", "HOST/IMG/z.gif"}));
    EXPECT_EQ(Paths(m_catalogue.CollectEntriesUnder("host/img2")), std::vector<std::string>{"host/img2/c.gif"});
    EXPECT_TRUE(m_catalogue.CollectEntriesUnder("host/im").empty());
    // The folder of the empty host is a folder like any other, not the root.
    ASSERT_NE(m_catalogue.FindFolderNode(""), 0);
    EXPECT_EQ(Paths(m_catalogue.CollectEntriesUnder("")), (std::vector<std::string>{"/C%3a/d.gif", "/e.gif"}));
}

TEST_F(CatalogueTest, cancel_during_the_first_entry_keeps_that_entry)
{
    m_cache.Add("http://host/1.htm", "htm");
    m_cache.Add("http://host/2.htm", "htm");
    m_cache.Add("http://host/3.htm", "htm");
    m_progress.onEvents = [this] { m_catalogue.CancelRefresh(); };

    Refresh();

    EXPECT_EQ(m_catalogue.CacheList().size(), 1u);
    EXPECT_EQ(m_progress.position, 1);
    EXPECT_EQ(TreeLines(), (std::vector<std::string>{"MSIE Cache\t0", "  host\t1"}));

    m_progress.onEvents = nullptr;
    Refresh();
    EXPECT_EQ(m_catalogue.CacheList().size(), 3u);
}

TEST_F(CatalogueTest, a_hostile_cache_is_read_without_a_path_that_leaves_its_folder)
{
    const std::string longQuery = "http://host/q.cgi?" + std::string(4000, 'q');
    const std::string urls[] = {
        "http://host/%2e%2e/%2e%2e/up.htm", "http://host/../../up2.htm", "http://host/a%00b.htm",
        "http://host/%01%02%1b%7f.htm",     "http://host/a\\b\\..\\c.htm", "http://" + std::string(300, 'h') + "/x.htm",
        longQuery,                          "http://host/..%2F..%2Fup3.htm", "http://host/%2e/",
        "http://host/vanished.gif",         "http://%2e%2e/%2e%2e/",
    };
    for (const std::string& url : urls)
        ASSERT_FALSE(m_cache.Add(url, url.find(".gif") != std::string::npos ? "gif" : "htm").empty()) << url;
    std::filesystem::remove(m_cache.Info("http://host/vanished.gif").info()->lpszLocalFileName);
    CacheEntryBuffer small;
    DWORD size = small.size();
    ASSERT_FALSE(m_cache.Cache().GetUrlCacheEntryInfoA(longQuery.c_str(), small.info(), &size));
    ASSERT_EQ(m_cache.Cache().LastError(), ERROR_INSUFFICIENT_BUFFER);

    EXPECT_EQ(m_catalogue.CountCacheEntries(), 11);
    Refresh();

    EXPECT_EQ(m_progress.position, 11);
    EXPECT_EQ(m_catalogue.CacheList().size(), 9u);
    bool foundLongQuery = false;
    for (const TCacheEntry* entry : m_catalogue.CacheList()) {
        std::string segment;
        for (std::size_t i = 0; i <= entry->SitePath.size(); ++i) {
            if (i < entry->SitePath.size() && entry->SitePath[i] != '/') {
                segment += entry->SitePath[i];
                continue;
            }
            EXPECT_NE(segment, ".") << entry->SitePath;
            EXPECT_NE(segment, "..") << entry->SitePath;
            segment.clear();
        }
        for (const char c : entry->SitePath)
            EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7f || c == '\\') << entry->SitePath;
        EXPECT_LE(entry->SitePath.size(), kMaxSitePath);
        foundLongQuery = foundLongQuery || entry->SourceUrl == longQuery;
    }
    EXPECT_TRUE(foundLongQuery);
}

TEST_F(CatalogueTest, the_filter_keeps_the_picked_types_and_ending_it_restores_the_catalogue)
{
    m_cache.Add("http://host/a.html", "htm", "x", testing::kSomeTime + 1);
    m_cache.Add("https://host/a.html", "htm", "x", testing::kSomeTime + 2);
    m_cache.Add("http://host/img/b.gif", "gif");
    m_cache.Add("http://host/page.asp", "htm");
    const std::string gone = m_cache.Add("http://host/z.zq9", "zq9");
    Refresh();
    std::filesystem::remove(gone);
    const std::vector<std::string> all = Paths(m_catalogue.CacheList());
    m_catalogue.LookUpMissingTypes();
    const int htm = m_catalogue.CacheList()[0]->TypeIndex;
    ASSERT_GE(htm, 0);
    ASSERT_EQ(m_catalogue.CacheList()[4]->TypeIndex, -1);

    PickUp({htm, -1});

    EXPECT_TRUE(m_catalogue.PickUpActive());
    EXPECT_EQ(Paths(m_catalogue.CacheList()),
              (std::vector<std::string>{"host/a.html", "host/a(1).html", "host/page.asp.htm"}));
    EXPECT_EQ(Paths(m_catalogue.AllEntries()), all);
    EXPECT_EQ(TreeLines(), (std::vector<std::string>{"MSIE Cache\t0", "  host\t3"}));

    EndPickUp();

    EXPECT_FALSE(m_catalogue.PickUpActive());
    EXPECT_EQ(Paths(m_catalogue.CacheList()), all);
    EXPECT_TRUE(m_catalogue.IsConsistent());
    EXPECT_EQ(TreeLines(), (std::vector<std::string>{"MSIE Cache\t0", "  host\t4", "    img\t1"}));
}

// A find and the filter narrow together in either order, each ending gives
// back what the other still keeps, and the export's site map sees them all.
TEST_F(CatalogueTest, a_find_and_the_filter_keep_what_both_keep_and_end_apart)
{
    m_cache.Add("http://host/a.html", "htm");
    m_cache.Add("http://host/img/a.gif", "gif");
    m_cache.Add("http://host/b.html", "htm");
    Refresh();
    m_catalogue.LookUpMissingTypes();
    const int htm = m_catalogue.CacheList()[0]->TypeIndex;
    const std::vector<std::string> all = Paths(m_catalogue.CacheList());
    EntryFilter named;
    named.text = "/A.";

    m_catalogue.StartFind(named);
    const auto found = Paths(m_catalogue.CacheList());
    PickUp({htm});
    const auto both = Paths(m_catalogue.CacheList());
    const auto tree = TreeLines();
    const auto everything = Paths(m_catalogue.AllEntries());
    m_catalogue.EndFind();
    const auto picked = Paths(m_catalogue.CacheList());
    m_catalogue.StartFind(named);
    EndPickUp();
    const auto foundAgain = Paths(m_catalogue.CacheList());
    m_catalogue.EndFind();

    EXPECT_EQ(found, (std::vector<std::string>{"host/a.html", "host/img/a.gif"}));
    EXPECT_EQ(both, std::vector<std::string>{"host/a.html"});
    EXPECT_EQ(tree, (std::vector<std::string>{"MSIE Cache\t0", "  host\t1"}));
    EXPECT_EQ(everything, all);
    EXPECT_EQ(picked, (std::vector<std::string>{"host/a.html", "host/b.html"}));
    EXPECT_EQ(foundAgain, found);
    EXPECT_EQ(Paths(m_catalogue.CacheList()), all);
    EXPECT_TRUE(m_catalogue.IsConsistent());
}

// Typing on narrows what is shown; any other change of the find starts from
// every entry again. Each step shows what the same find shows on its own.
TEST_F(CatalogueTest, a_find_typed_on_or_back_shows_what_it_shows_started_afresh)
{
    m_cache.Add("http://host/index.html", "htm");
    m_cache.Add("http://host/img/in.gif", "gif");
    m_cache.Add("http://host/INDEX/b.html", "htm");
    m_cache.Add("http://other/x.html", "htm");
    Refresh();
    const auto typed = [](const char* text, bool images = false) {
        EntryFilter filter;
        filter.text = text;
        if (images)
            filter.type = EntryTypeGroup::Images;
        return filter;
    };
    const std::vector<EntryFilter> steps{typed("i"), typed("In"),      typed("ind"),         typed("in"),
                                         typed("x"), typed("in", true), typed("in.", true), typed("in.")};

    std::vector<std::vector<std::string>> shown;
    for (const EntryFilter& step : steps) {
        m_catalogue.StartFind(step);
        shown.push_back(Paths(m_catalogue.CacheList()));
        ASSERT_TRUE(m_catalogue.IsConsistent());
    }
    std::vector<std::vector<std::string>> afresh;
    for (const EntryFilter& step : steps) {
        m_catalogue.EndFind();
        m_catalogue.StartFind(step);
        afresh.push_back(Paths(m_catalogue.CacheList()));
    }
    EXPECT_EQ(shown, afresh);
    EXPECT_EQ(shown[3].size(), 3u);
    EXPECT_EQ(shown[7], std::vector<std::string>{"host/img/in.gif"});
}

TEST_F(CatalogueTest, a_refresh_ends_the_filter_and_removed_entries_leave_both_lists)
{
    m_cache.Add("http://host/a.htm", "htm");
    m_cache.Add("http://host/b.gif", "gif");
    Refresh();
    m_catalogue.LookUpMissingTypes();
    PickUp({m_catalogue.CacheList()[0]->TypeIndex});
    Remove({m_catalogue.CacheList()[0]});

    EXPECT_TRUE(m_catalogue.CacheList().empty());
    EXPECT_EQ(Paths(m_catalogue.AllEntries()), std::vector<std::string>{"host/b.gif"});
    EXPECT_EQ(TreeLines(), (std::vector<std::string>{"MSIE Cache\t0", "  host\t0"}));

    Refresh();

    EXPECT_FALSE(m_catalogue.PickUpActive());
    EXPECT_EQ(m_catalogue.CacheList().size(), 2u);
}

TEST_F(CatalogueTest, a_removed_folder_takes_its_branch_and_its_entries_and_an_emptied_one_stays)
{
    for (const char* url : {"http://host/a.gif", "http://host/img/deep/b.gif", "http://host/img/c.gif",
                            "http://host/css/d.gif", "http://other/x/e.gif"})
        m_cache.Add(url, "gif");
    Refresh();
    std::map<std::string, int> node;
    for (const char* path : {"host/img", "host/img/deep", "host/css", "other", "other/x"})
        node[path] = m_catalogue.FindFolderNode(path);
    std::map<std::string, TCacheEntry*> entry;
    for (TCacheEntry* e : m_catalogue.CacheList())
        entry[e->SitePath] = e;

    const auto removed = Remove({entry.at("host/css/d.gif")}, {node["host/img"], node["host/img/deep"], node["other"]});

    EXPECT_EQ(removed, (std::vector<std::vector<int>>{{node["host/img"], node["host/img/deep"]},
                                                      {node["other"], node["other/x"]}}));
    EXPECT_EQ(Paths(m_catalogue.CacheList()), std::vector<std::string>{"host/a.gif"});
    EXPECT_EQ(TreeLines(), (std::vector<std::string>{"MSIE Cache\t0", "  host\t1", "    css\t0"}));
}

// A catalogue over a browser cache of pages stored in a temporary folder.
class CatalogueOverBrowserCache : public ::testing::Test {
protected:
    void AddPage(const std::string& url, const std::string& head, const std::string& stored)
    {
        browsercache::BrowserCacheRecord record;
        record.url = record.key = url;
        record.responseHead = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n" + head;
        record.body = {m_stored.Write(std::to_string(m_scan.records.size()), stored), 0, stored.size()};
        m_scan.records.push_back(record);
    }
    Catalogue& Refresh()
    {
        m_cache = std::make_unique<browsercache::BrowserCache>(std::move(m_scan), m_scratch.Path());
        m_catalogue = std::make_unique<Catalogue>(*m_cache);
        RecordingProgress progress;
        m_catalogue->RefreshCache(progress);
        return *m_catalogue;
    }

    testing::TempFolder m_stored;
    testing::TempFolder m_scratch;
    browsercache::BrowserCacheScan m_scan;
    std::unique_ptr<browsercache::BrowserCache> m_cache;
    std::unique_ptr<Catalogue> m_catalogue;
};

// A browser cache gives its pages' titles from their stored bodies: listing
// makes no decoded copy in its scratch folder.
TEST_F(CatalogueOverBrowserCache, reads_titles_without_making_files)
{
    for (const char* name : {"a", "b"})
        AddPage(std::string("http://h/") + name + ".html", "",
                std::string("<html><title>Page ") + name + "</title>body</html>");

    const Catalogue& catalogue = Refresh();

    ASSERT_EQ(catalogue.CacheList().size(), 2u);
    EXPECT_EQ(catalogue.CacheList()[0]->Title, "Page a");
    EXPECT_EQ(catalogue.CacheList()[1]->Title, "Page b");
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_scratch.Path()))
        files += entry.is_regular_file() && entry.path().filename() != ".lock";
    EXPECT_EQ(files, 0u);
}

// A title is in a page's head: a body that decodes to gigabytes is not
// decoded whole to look for one, and that is no fault of the entry.
TEST_F(CatalogueOverBrowserCache, reads_no_further_into_a_page_than_a_title_could_be)
{
    AddPage("http://h/late.html", "Content-Encoding: gzip\r\n",
            testing::Deflated("<html>" + std::string(16 << 20, ' ') + "<title>Late</title></html>", 15 + 16));

    const Catalogue& catalogue = Refresh();

    ASSERT_EQ(catalogue.CacheList().size(), 1u);
    EXPECT_EQ(catalogue.CacheList()[0]->Title, "");
    EXPECT_TRUE(catalogue.CacheList()[0]->SizeAtLeast);
    EXPECT_TRUE(m_cache->Problems().empty()) << m_cache->Problems()[0];
}

} // namespace
} // namespace larkspool
