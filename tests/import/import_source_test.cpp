#include "jobs/import_source.h"

#include "tests/support/temp_folder.h"
#include "tests/support/unprivileged.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace larkspool::testing {
namespace {

namespace fs = std::filesystem;

class ImportSource : public ::testing::Test {
protected:
    ImportSource() : m_source(m_folder.Under("src")) { fs::create_directories(m_source); }

    std::vector<std::string> Urls(const std::vector<ImportFileRecord>& list) const
    {
        std::vector<std::string> urls;
        for (const ImportFileRecord& record : list)
            urls.push_back(record.Url);
        std::sort(urls.begin(), urls.end());
        return urls;
    }

    TempFolder m_folder;
    std::string m_source;
};

TEST_F(ImportSource, domains_are_the_sorted_sub_folders)
{
    for (const char* name : {"b", "A", "c"})
        fs::create_directories(m_source + "/" + name);
    WriteFile(m_source + "/readme.txt", "not a domain");

    EXPECT_EQ(FillDomainList(m_source), (std::vector<std::string>{"A", "b", "c"}));
    EXPECT_TRUE(FillDomainList(m_folder.Under("missing")).empty());
}

TEST_F(ImportSource, a_broken_link_among_the_domains_ends_nothing)
{
    std::vector<std::string> names;
    for (int i = 0; i < 20; ++i) {
        names.push_back("d" + std::to_string(10 + i));
        fs::create_directories(m_source + "/" + names.back());
    }
    fs::create_symlink(m_source + "/gone", m_source + "/broken");

    EXPECT_EQ(FillDomainList(m_source), names);
}

TEST_F(ImportSource, what_cannot_be_read_is_named_with_the_reason)
{
    WriteFile(m_source + "/host/ok.txt", "ok");
    WriteFile(m_source + "/host/locked/a.txt", "a");
    WriteFile(m_source + "/other/secret.txt", "s");
    fs::permissions(m_source + "/host/locked", fs::perms::none);
    fs::permissions(m_source + "/other/secret.txt", fs::perms::none);
    Unprivileged user({m_folder.Under("")});
    if (!user.Active())
        GTEST_SKIP() << "cannot drop root's rights";
    std::vector<ImportFileRecord> list;
    std::string failure;

    EXPECT_EQ(CollectDomains(m_source, {"host"}, list, &failure), -1);
    EXPECT_EQ(failure, m_source + "/host/locked: Permission denied");
    EXPECT_EQ(CollectDomains(m_source, {"other"}, list, &failure), -1);
    EXPECT_EQ(failure, m_source + "/other/secret.txt: Permission denied");
    EXPECT_TRUE(list.empty());
}

TEST_F(ImportSource, file_names_become_urls_again)
{
    for (const char* name : {"dir/page.asp.htm", "dir/other.asp.html", "a%3fb.htm", "100%.htm", "x%zz.htm",
                             "noext", "deep/er/img.GIF", "\x95%5c.htm", "\x95\x5c.gif", "nul%00cut.htm"})
        WriteFile(m_source + "/host/" + name, "x");
    std::vector<ImportFileRecord> list;

    ASSERT_EQ(CollectDomains(m_source, {"host"}, list), 0);

    EXPECT_EQ(Urls(list), (std::vector<std::string>{"http://host/100%.htm", "http://host/a?b.htm",
                                                    "http://host/deep/er/img.GIF", "http://host/dir/other.asp",
                                                    "http://host/dir/page.asp", "http://host/noext",
                                                    "http://host/nul", "http://host/x%zz.htm",
                                                    "http://host/\x95\x5c.gif", "http://host/\x95\x5c.htm"}));
    const auto noext = std::find_if(list.begin(), list.end(), [](auto& r) { return r.Url == "http://host/noext"; });
    EXPECT_EQ(noext->Extension, "");
    EXPECT_EQ(noext->LocalPath, m_source + "/host/noext");
    const auto gif = std::find_if(list.begin(), list.end(), [](auto& r) { return r.Extension == "GIF"; });
    EXPECT_EQ(gif->Size, 1u);
}

TEST_F(ImportSource, folder_links_are_not_followed_file_links_are_files)
{
    WriteFile(m_source + "/host/a.txt", "a");
    fs::create_directory_symlink(m_source + "/host", m_source + "/host/loop");
    fs::create_symlink(m_source + "/host/a.txt", m_source + "/host/b.txt");
    std::vector<ImportFileRecord> list;

    ASSERT_EQ(CollectDomains(m_source, {"host"}, list), 0);

    EXPECT_EQ(Urls(list), (std::vector<std::string>{"http://host/a.txt", "http://host/b.txt"}));
}

TEST_F(ImportSource, an_empty_domain_adds_nothing_a_missing_one_fails)
{
    fs::create_directories(m_source + "/empty");
    WriteFile(m_source + "/host/a.txt", "a");
    std::vector<ImportFileRecord> list;

    EXPECT_EQ(CollectDomains(m_source, {"empty"}, list), 0);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(CollectDomains(m_source, {"host", "missing"}, list), -1);
    EXPECT_TRUE(list.empty());
}

} // namespace
} // namespace larkspool::testing
