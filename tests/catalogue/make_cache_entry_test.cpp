#include "catalogue/make_cache_entry.h"

#include "catalogue/size_date_texts.h"
#include "html/html_reader.h"
#include "tests/support/test_cache.h"

#include <QLoggingCategory>

#include <gtest/gtest.h>

#include <filesystem>

namespace larkspool {
namespace {

using testing::TestCache;

struct MappingCase {
    const char* url;
    const char* cachedExtension;
    const char* sitePath; // nullptr: refused
    const char* name;
};

class MakeCacheEntryTest : public ::testing::Test {
protected:
    // 0 or -1, with the record filled on success.
    int Map(const std::string& url, const std::string& extension, const std::string& defFile1 = kDefaultFile1,
            const std::string& content = "x")
    {
        if (m_cache.Add(url, extension, content).empty())
            return -2; // reported by Add
        const CacheEntryBuffer info = m_cache.Info(url);
        return MakeCacheEntry(m_cache.Cache(), &m_reader, defFile1, *info.info(), m_record);
    }

    void ExpectMappings(const std::vector<MappingCase>& cases, const std::string& defFile1 = kDefaultFile1)
    {
        for (const MappingCase& c : cases) {
            const int result = Map(c.url, c.cachedExtension, defFile1);
            if (!c.sitePath) {
                EXPECT_EQ(result, -1) << c.url;
                continue;
            }
            ASSERT_EQ(result, 0) << c.url;
            EXPECT_EQ(m_record.SitePath, c.sitePath) << c.url;
            EXPECT_EQ(m_record.Name, c.name) << c.url;
            EXPECT_EQ(m_record.SourceUrl, c.url);
        }
    }

    TestCache m_cache;
    HtmlReader m_reader;
    TCacheEntry m_record;
};

TEST_F(MakeCacheEntryTest, worked_examples_map_url_and_cached_file_to_a_site_path)
{
    ExpectMappings({
        {"http://host/dir/", "htm", "host/dir/index.html", "index.html"},
        {"http://host/dir/?x=1", "htm", "host/dir/index.htm", "index.htm"},
        {"http://host/cgi-bin/find.cgi?q=1", "htm", "host/cgi-bin/find.htm", "find.htm"},
        {"http://host/page.asp", "htm", "host/page.asp.htm", "page.asp.htm"},
        {"http://host/img/photo.jpeg", "jpg", "host/img/photo.jpeg", "photo.jpeg"},
        {"http://host/dir/file", "htm", "host/dir/file.htm", "file.htm"},
        {"http://host:8080/a%20b/c.gif", "gif", "host%3a8080/a b/c.gif", "c.gif"},
    });
}

TEST_F(MakeCacheEntryTest, edge_cases_of_the_mapping)
{
    ExpectMappings({
        {"http://host/A.GIF", "gif", "host/A.GIF", "A.GIF"},
        {"https://secure/s.htm", "htm", "secure/s.htm", "s.htm"},
        {"ftp://files/pub/f.txt", "txt", "files/pub/f.txt", "f.txt"},
        {"http://host/a%3Fb.htm", "htm", "host/a%3fb.htm", "a%3fb.htm"},
        {"http://host/x/y.html?q", "", "host/x/y", "y"},
        {"http://bare", "htm", "bare/index.html", "index.html"},
        {"http://host/a*b|c\"d<e>f.htm", "htm", "host/a%2ab%7cc%22d%3ce%3ef.htm", "a%2ab%7cc%22d%3ce%3ef.htm"},
        {"no-scheme-slashes", "htm", nullptr, nullptr},
    });
}

TEST_F(MakeCacheEntryTest, the_default_file_name_fills_a_url_that_ends_in_a_slash)
{
    ExpectMappings({{"http://host1/", "htm", "host1/default.html", "default.html"}}, "default");
    ExpectMappings({{"http://host2/", "htm", "host2/.html", ".html"}}, "");
    ExpectMappings({{"http://host3/", "htm", "host3/main.htm", "main.htm"}}, "main.htm");
}

TEST_F(MakeCacheEntryTest, no_site_path_leads_out_of_its_folder_or_keeps_a_control_byte)
{
    ExpectMappings({
        {"http://host/%2e%2e/%2E%2E/etc/passwd", "htm", "host/%2e%2e/%2e%2e/etc/passwd.htm", "passwd.htm"},
        {"http://host/../../x.htm", "htm", "host/%2e%2e/%2e%2e/x.htm", "x.htm"},
        {"http://host/./a/.%2e/b.htm", "htm", "host/%2e/a/%2e%2e/b.htm", "b.htm"},
        {"http://host/..%2f..%2fx.htm", "htm", "host/%2e%2e/%2e%2e/x.htm", "x.htm"},
        {"http://host/%2e%2e/", "htm", "host/%2e%2e/index.html", "index.html"},
        {"http://../x.htm", "htm", "%2e%2e/x.htm", "x.htm"},
        {"http://host/...htm", "htm", "host/...htm", "...htm"},
        {"http://host/a%00b.htm", "htm", "host/a%00b.htm", "a%00b.htm"},
        {"http://host/a%01%1F%7fb.htm", "htm", "host/a%01%1f%7fb.htm", "a%01%1f%7fb.htm"},
        {"http://host/t\tab.htm", "htm", "host/t%09ab.htm", "t%09ab.htm"},
        {"http://host/a\\..\\b.htm", "htm", "host/a%5c..%5cb.htm", "a%5c..%5cb.htm"},
        {"http://host/%5c..%5cb.htm", "htm", "host/%5c..%5cb.htm", "%5c..%5cb.htm"},
    });
}

TEST_F(MakeCacheEntryTest, a_path_longer_than_260_bytes_is_refused_at_every_stage)
{
    const std::string dir(250, 'd');
    const std::string host300 = std::string(300, 'h');
    ExpectMappings({
        // 260 after the host is the limit itself.
        {("http://" + std::string(251, 'h') + "/a.htm").c_str(), "htm",
         (std::string(251, 'h') + "/a.htm").c_str(), "a.htm"},
        {("http://" + host300 + "/a.htm").c_str(), "htm", nullptr, nullptr},
        {("http://host/" + dir + "/").c_str(), "htm", nullptr, nullptr},                  // + index.html
        {("http://host/" + dir + "/p.asp").c_str(), "htm", nullptr, nullptr},             // + .htm
        {("http://host/" + std::string(248, 'e') + ":::").c_str(), "", nullptr, nullptr}, // + escapes
    });
}

TEST_F(MakeCacheEntryTest, a_vanished_cached_file_refuses_the_entry)
{
    const std::string file = m_cache.Add("http://host/gone.gif", "gif");
    std::filesystem::remove(file);
    const CacheEntryBuffer info = m_cache.Info("http://host/gone.gif");

    EXPECT_EQ(MakeCacheEntry(m_cache.Cache(), &m_reader, kDefaultFile1, *info.info(), m_record), -1);
}

TEST_F(MakeCacheEntryTest, fills_size_times_and_titles)
{
    const std::string page = "<html><head><title>Top\x01 page</title></head></html>";
    ASSERT_EQ(Map("http://host/index.asp", "htm", kDefaultFile1, page), 0);
    const CacheEntryBuffer info = m_cache.Info("http://host/index.asp");

    EXPECT_EQ(m_record.Kind, 'C');
    EXPECT_EQ(m_record.Title, "Top page");
    EXPECT_EQ(m_record.SizeLow, page.size());
    EXPECT_EQ(m_record.SizeText, FormatSizeText(DWORD(page.size()), 0));
    EXPECT_EQ(m_record.Modified, FileTimeToLocalFileTime(testing::kSomeTime));
    EXPECT_EQ(m_record.ModifiedUtc, testing::kSomeTime);
    EXPECT_EQ(m_record.DateText, FormatListDateText(m_record.Modified));
    EXPECT_EQ(m_record.LocalFile, info.info()->lpszLocalFileName);
    EXPECT_EQ(m_record.TypeIndex, -1);

    ASSERT_EQ(Map("http://host/notes.txt", "txt", kDefaultFile1, page), 0);
    EXPECT_EQ(m_record.Title, "");
    ASSERT_EQ(MakeCacheEntry(m_cache.Cache(), nullptr, kDefaultFile1, *info.info(), m_record), 0);
    EXPECT_EQ(m_record.Title, "");
}

TEST_F(MakeCacheEntryTest, a_zero_last_modified_time_falls_back_to_the_last_access_time)
{
    ASSERT_FALSE(m_cache.Add("http://host/a.gif", "gif", "x", 0).empty());
    const CacheEntryBuffer info = m_cache.Info("http://host/a.gif");

    ASSERT_EQ(MakeCacheEntry(m_cache.Cache(), &m_reader, kDefaultFile1, *info.info(), m_record), 0);

    EXPECT_NE(FileTimeTicks(info.info()->LastAccessTime), 0u);
    EXPECT_EQ(m_record.Modified, FileTimeToLocalFileTime(FileTimeTicks(info.info()->LastAccessTime)));
    EXPECT_EQ(m_record.ModifiedUtc, FileTimeTicks(info.info()->LastAccessTime));
}

std::vector<std::string> g_trace;

void RecordTrace(QtMsgType, const QMessageLogContext& context, const QString& text)
{
    g_trace.push_back(std::string(context.category) + " " + text.toStdString());
}

TEST_F(MakeCacheEntryTest, an_appended_extension_is_traced_on_the_catalogue_category)
{
    QLoggingCategory::setFilterRules(QStringLiteral("larkspool.catalogue.debug=true"));
    const QtMessageHandler previous = qInstallMessageHandler(RecordTrace);
    g_trace.clear();

    Map("http://host/page.asp", "htm");
    Map("http://host/photo.jpeg", "jpg");

    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());
    EXPECT_EQ(g_trace, std::vector<std::string>{"larkspool.catalogue UrlExt[.asp] FileExt[.htm]"});
}

} // namespace
} // namespace larkspool
