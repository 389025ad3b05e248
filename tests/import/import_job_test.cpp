#include "jobs/import_job.h"

#include "tests/support/scripted_host.h"
#include "tests/support/test_cache.h"
#include "tests/support/unprivileged.h"
#include "jobs/import_source.h"

#include <sys/stat.h>

#include <algorithm>
#include <optional>

namespace larkspool::testing {
namespace {

namespace fs = std::filesystem;

class ImportJob : public ::testing::Test {
protected:
    ImportJob() : m_source(m_folder.Path("src")) {}

    void Local(const std::string& relative, const std::string& content, FileTicks utc = kBase)
    {
        WriteFile(m_source + "/" + relative, content);
        SetUtcWriteTime(m_source + "/" + relative, utc);
    }

    int Run()
    {
        EXPECT_EQ(CollectDomains(m_source, FillDomainList(m_source), m_list), 0);
        larkspool::ImportJob job(m_folder.Cache(), m_host);
        job.SetImportList(m_list);
        job.SetBaseFolder(m_source);
        job.Run();
        return job.GetJobResult();
    }

    // The cached content and last-modified time of url; nullopt when absent.
    std::optional<std::pair<std::string, FileTicks>> Cached(const std::string& url)
    {
        CacheEntryBuffer block;
        DWORD size = block.size();
        if (!m_folder.Cache().GetUrlCacheEntryInfoA(url.c_str(), block.info(), &size))
            return std::nullopt;
        return std::make_pair(ReadFile(block.info()->lpszLocalFileName), FileTimeTicks(block.info()->LastModifiedTime));
    }

    TestCache m_folder;
    std::string m_source;
    ScriptedHost m_host;
    std::vector<ImportFileRecord> m_list;
};

TEST_F(ImportJob, imports_each_file_with_its_time_and_counts_down)
{
    Local("host/a.txt", "alpha", kOlder);
    Local("host/dir/b.txt", "beta", kBase);
    Local("other/c.gif", "gamma", kNewer);

    EXPECT_EQ(Run(), 0);

    EXPECT_EQ(m_host.positions, (std::vector<int>{33, 66, 100}));
    EXPECT_EQ(m_host.counts, (std::vector<std::string>{"あと 3 個", "あと 2 個", "あと 1 個"}));
    ASSERT_EQ(m_host.folders.size(), 3u);
    EXPECT_TRUE(std::any_of(m_host.folders.begin(), m_host.folders.end(),
                            [](const std::string& text) { return text.rfind("'dir' から '", 0) == 0; }));
    EXPECT_EQ(Cached("http://host/a.txt"), std::make_pair(std::string("alpha"), kOlder));
    EXPECT_EQ(Cached("http://host/dir/b.txt"), std::make_pair(std::string("beta"), kBase));
    CacheEntryBuffer block;
    DWORD size = block.size();
    ASSERT_TRUE(m_folder.Cache().GetUrlCacheEntryInfoA("http://other/c.gif", block.info(), &size));
    EXPECT_EQ(FileWriteTicks(block.info()->lpszLocalFileName), kNewer);
    EXPECT_TRUE(m_host.reports.empty());
}

TEST_F(ImportJob, pages_and_stylesheets_get_their_file_links_back_as_web_links)
{
    const std::string base = "file://" + m_source;
    Local("host/s.css", "a{b:url(" + base + "/host/i.png)}@import '" + base + "/other/o.css';");
    Local("host/p.htm", "<img srcset=\"" + base + "/host/i.png 2x\" style=\"b:url(" + base + "/host/j.png)\">");

    EXPECT_EQ(Run(), 0);

    EXPECT_EQ(Cached("http://host/s.css")->first, "a{b:url(http://host/i.png)}@import 'http://other/o.css';");
    EXPECT_EQ(Cached("http://host/p.htm")->first,
              "<img srcset=\"http://host/i.png 2x\" style=\"b:url(http://host/j.png)\">");
}

// A FIFO put where a listed file was is refused at once with its reason,
// never waited on, for a copied file and a rewritten page alike.
TEST_F(ImportJob, a_fifo_put_where_a_listed_file_was_is_refused_at_once)
{
    for (const char* name : {"host/a.txt", "host/p.htm"}) {
        m_list.clear();
        m_host.reports.clear();
        Local(name, "listed");
        ASSERT_EQ(CollectDomains(m_source, FillDomainList(m_source), m_list), 0);
        const std::string path = m_source + "/" + name;
        fs::remove(path);
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        larkspool::ImportJob job(m_folder.Cache(), m_host);
        job.SetImportList(m_list);
        job.SetBaseFolder(m_source);

        job.Run();

        fs::remove(path);
        EXPECT_NE(job.GetJobResult(), 0) << name;
        ASSERT_EQ(m_host.reports.size(), 1u) << name;
        EXPECT_NE(m_host.reports[0].text.find(path + ": is a FIFO"), std::string::npos) << m_host.reports[0].text;
    }
}

TEST_F(ImportJob, empty_list_ends_at_once)
{
    EXPECT_EQ(Run(), 0);

    EXPECT_TRUE(m_host.positions.empty());
}

// Two URLs already cached at kBase: the local a.txt is newer, b.txt as old.
struct AnswerCase {
    const char* name;
    std::vector<int> answers;
    bool aImported;
    bool bImported;
    std::size_t questions;
    int jobResult;
};

class ImportJobAnswers : public ImportJob, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(ImportJobAnswers, answers_and_standing_modes_decide_each_conflict)
{
    const AnswerCase& row = GetParam();
    m_folder.Add("http://host/a.txt", "txt", "cached a", kBase);
    m_folder.Add("http://host/b.txt", "txt", "cached b", kBase);
    Local("host/a.txt", "local a", kNewer);
    Local("host/b.txt", "local b", kBase);
    m_host.answers.assign(row.answers.begin(), row.answers.end());

    EXPECT_EQ(Run(), row.jobResult);

    EXPECT_EQ(Cached("http://host/a.txt")->first, row.aImported ? "local a" : "cached a");
    EXPECT_EQ(Cached("http://host/b.txt")->first, row.bImported ? "local b" : "cached b");
    EXPECT_EQ(m_host.questions.size(), row.questions);
}

INSTANTIATE_TEST_SUITE_P(
    ImportJob, ImportJobAnswers,
    ::testing::Values(AnswerCase{"yes_each", {kAnswerYes, kAnswerYes}, true, true, 2, 0},
                      AnswerCase{"yes_to_all", {kAnswerYesAll}, true, true, 1, 0},
                      AnswerCase{"no_each", {kAnswerNo, kAnswerNo}, false, false, 2, 0},
                      AnswerCase{"no_to_all", {kAnswerNoAll}, false, false, 1, 0},
                      AnswerCase{"newer_for_all", {kAnswerYesAllNewer}, true, false, 1, 0},
                      AnswerCase{"cancel", {kAnswerCancel}, false, false, 1, -1}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

TEST_F(ImportJob, the_question_shows_the_entry_against_the_local_file)
{
    const std::string cached = m_folder.Add("http://host/a.htm", "htm", "cached", kBase);
    Local("host/a.htm", "local file", kNewer);
    m_host.answers = {kAnswerNo};

    Run();

    ASSERT_EQ(m_host.questions.size(), 1u);
    const OverwriteQuestion& question = m_host.questions[0];
    EXPECT_EQ(question.ConflictLine, "このﾌｫﾙﾀﾞには既に'a.htm'ﾌｧｲﾙが存在します。");
    EXPECT_EQ(question.SizeOld, "ｻｲｽﾞ : 6 ﾊﾞｲﾄ");
    EXPECT_EQ(question.SizeNew, "ｻｲｽﾞ : 10 ﾊﾞｲﾄ");
    EXPECT_EQ(question.IconFileOld, cached);
    EXPECT_EQ(question.IconFileNew, m_source + "/host/a.htm");
}

TEST_F(ImportJob, an_entry_larger_than_the_usual_block_is_still_asked_about)
{
    const std::string url = "http://host/" + std::string(3000, 'p') + ".txt";
    std::string headers(3000, 'h');
    char file[MAX_PATH + 1] = {};
    ASSERT_TRUE(m_folder.Cache().CreateUrlCacheEntryA(url.c_str(), 1, "txt", file, 0));
    WriteFile(file, "c");
    ASSERT_TRUE(m_folder.Cache().CommitUrlCacheEntryA(url.c_str(), file, FILETIME{0, 0}, MakeFileTime(kBase),
                                                      NORMAL_CACHE_ENTRY, reinterpret_cast<LPBYTE>(headers.data()),
                                                      DWORD(headers.size()), "txt", nullptr));
    m_list.push_back({url, m_folder.Path("local.txt"), "txt", kNewer, 1});
    WriteFile(m_list.back().LocalPath, "l");
    m_host.answers = {kAnswerNo};
    larkspool::ImportJob job(m_folder.Cache(), m_host);
    job.SetImportList(m_list);

    job.Run();

    EXPECT_EQ(job.GetJobResult(), 0);
    EXPECT_EQ(m_host.questions.size(), 1u);
    EXPECT_TRUE(m_host.reports.empty());
}

TEST_F(ImportJob, cancel_button_stops_after_the_file)
{
    Local("host/a.txt", "a");
    Local("host/b.txt", "b");
    m_host.cancelAtEvent = 1;

    EXPECT_EQ(Run(), -1);

    EXPECT_EQ(m_list.size(), 2u);
    EXPECT_EQ(int(Cached("http://host/a.txt").has_value()) + int(Cached("http://host/b.txt").has_value()), 1);
}

TEST_F(ImportJob, a_file_the_cache_will_not_take_is_skipped_silently)
{
    Local("host/a." + std::string(240, 'e'), "long extension");
    Local("host/b.txt", "b");

    EXPECT_EQ(Run(), 0);

    EXPECT_TRUE(m_host.reports.empty());
    EXPECT_TRUE(Cached("http://host/b.txt").has_value());
}

TEST_F(ImportJob, read_only_sources_are_imported_with_their_times)
{
    Local("host/a.gif", "GIF89a", kOlder);
    Local("host/dir/b.htm", "<p>b</p>", kNewer);
    for (const char* path : {"host/a.gif", "host/dir/b.htm", "host/dir", "host"})
        fs::permissions(m_source + "/" + path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read |
                                                   (fs::is_directory(m_source + "/" + path) ? fs::perms::owner_exec
                                                                                            : fs::perms::none));
    Unprivileged user({m_folder.Path("")});
    if (!user.Active())
        GTEST_SKIP() << "cannot drop root's rights";

    EXPECT_EQ(Run(), 0);

    EXPECT_TRUE(m_host.reports.empty());
    EXPECT_EQ(Cached("http://host/a.gif"), std::make_pair(std::string("GIF89a"), kOlder));
    EXPECT_EQ(Cached("http://host/dir/b.htm"), std::make_pair(std::string("<p>b</p>"), kNewer));
}

TEST_F(ImportJob, two_names_of_one_url_keep_the_first_and_say_so)
{
    Local("host/a%00b.txt", "first");
    Local("host/a%00c.txt", "second");

    EXPECT_EQ(Run(), 0);

    ASSERT_EQ(m_list.size(), 2u);
    EXPECT_EQ(Cached("http://host/a"), std::make_pair(ReadFile(m_list[0].LocalPath), kBase));
    ASSERT_EQ(m_host.reports.size(), 1u);
    EXPECT_EQ(m_host.reports[0].flags, kMessageExclamation);
    EXPECT_NE(m_host.reports[0].text.find(m_list[0].LocalPath), std::string::npos);
    EXPECT_NE(m_host.reports[0].text.find(m_list[1].LocalPath), std::string::npos);
    EXPECT_EQ(m_host.reports[0].line, "not imported " + m_list[1].LocalPath + ": the same URL (http://host/a) as " +
                                          m_list[0].LocalPath);
}

// Each failure stops the job with one stop message.
struct FailureCase {
    const char* name;
    void (*arrange)(ImportJob& test, ScriptedHost& host, TestCache& folder);
    const char* text; // nullptr: the cache file's path
    const char* caption;
    const char* line; // how the terminal's line starts; a reason follows
    bool needsOrdinaryUser = false;
};

class ImportJobFailures : public ImportJob, public ::testing::WithParamInterface<FailureCase> {
public:
    using ImportJob::m_list;
};

TEST_P(ImportJobFailures, stop_with_one_message)
{
    const FailureCase& row = GetParam();
    Local("host/a.txt", "a");
    Local("host/b.htm", "<p>b</p>");
    ASSERT_EQ(CollectDomains(m_source, {"host"}, m_list), 0);
    std::sort(m_list.begin(), m_list.end(), [](auto& x, auto& y) { return x.Url < y.Url; });
    m_folder.Add("http://host/zzz.txt", "txt", "makes the index", kBase);
    row.arrange(*this, m_host, m_folder);
    std::optional<Unprivileged> user;
    if (row.needsOrdinaryUser)
        user.emplace(std::vector<std::string>{m_folder.Path("")});
    if (user && !user->Active())
        GTEST_SKIP() << "cannot drop root's rights";
    larkspool::ImportJob job(m_folder.Cache(), m_host);
    job.SetImportList(m_list);

    job.Run();

    EXPECT_EQ(job.GetJobResult(), -1);
    ASSERT_EQ(m_host.reports.size(), 1u);
    if (row.text)
        EXPECT_EQ(m_host.reports[0].text, row.text);
    else
        EXPECT_EQ(m_host.reports[0].text.rfind(m_folder.Path("Content.IE5/"), 0), 0u) << m_host.reports[0].text;
    EXPECT_EQ(m_host.reports[0].caption, row.caption);
    EXPECT_EQ(m_host.reports[0].flags, kMessageStop);
    // The terminal's line: English only, naming what failed and why.
    const std::string& line = m_host.reports[0].line;
    EXPECT_EQ(line.rfind(row.line, 0), 0u) << line;
    EXPECT_GT(line.size(), line.find(": ") + 2) << line;
    EXPECT_TRUE(std::all_of(line.begin(), line.end(), [](char c) { return c >= 0x20 && c < 0x7F; })) << line;
}

INSTANTIATE_TEST_SUITE_P(
    ImportJob, ImportJobFailures,
    ::testing::Values(
        FailureCase{"lookup_fails", [](ImportJob&, ScriptedHost&, TestCache& folder) { folder.DamageIndex(); },
                    "不明なｴﾗｰが発生しました。", "GetUrlCacheEntryInfo", "cannot look up http://host/a.txt"},
        FailureCase{"old_entry_cannot_be_deleted",
                    [](ImportJob&, ScriptedHost& host, TestCache& folder) {
                        folder.Add("http://host/a.txt", "txt", "cached", kBase);
                        host.answers = {kAnswerYesAll};
                        host.onEvents = [&folder](int event) {
                            if (event == 1)
                                folder.DamageIndex();
                        };
                    },
                    "http://host/b.htm", "Delete cache file is fails", "cannot remove from the cache http://host/b.htm"},
        FailureCase{"copy_fails",
                    [](ImportJob& test, ScriptedHost&, TestCache&) {
                        fs::remove(static_cast<ImportJobFailures&>(test).m_list[0].LocalPath);
                    },
                    nullptr, "CopyFile fails", "cannot copy to "},
        FailureCase{"rewrite_fails",
                    [](ImportJob& test, ScriptedHost&, TestCache&) {
                        std::swap(static_cast<ImportJobFailures&>(test).m_list[0],
                                  static_cast<ImportJobFailures&>(test).m_list[1]);
                        fs::remove(static_cast<ImportJobFailures&>(test).m_list[0].LocalPath);
                    },
                    nullptr, "CopyFile fails", "cannot copy to "},
        FailureCase{"commit_fails",
                    [](ImportJob&, ScriptedHost& host, TestCache& folder) {
                        host.onShowFolders = [&folder] { folder.DamageIndex(); };
                    },
                    "CommitUrlCacheEntry fails", "error", "cannot commit http://host/a.txt"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace larkspool::testing
