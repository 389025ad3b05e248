#include "jobs/export_job.h"

#include "browsercache/browser_cache.h"
#include "catalogue/size_date_texts.h"
#include "tests/support/scripted_host.h"
#include "tests/support/test_cache.h"
#include "tests/support/unprivileged.h"

#include <algorithm>
#include <map>
#include <optional>

namespace larkspool::testing {
namespace {

namespace fs = std::filesystem;

class ExportJob : public ::testing::Test {
protected:
    ExportJob() : m_copyDir(m_folder.Path("out")) {}

    // An entry of the cache at http://sitePath, exported under sitePath.
    TCacheEntry* Add(const std::string& sitePath, const std::string& extension, const std::string& content,
                     FileTicks utc = kBase)
    {
        auto entry = std::make_unique<TCacheEntry>();
        entry->SourceUrl = "http://" + sitePath;
        entry->SitePath = sitePath;
        entry->Name = sitePath.substr(sitePath.rfind('/') + 1);
        entry->LocalFile = m_folder.Add(entry->SourceUrl, extension, content, utc);
        entry->SizeLow = DWORD(content.size());
        entry->Modified = FileTimeToLocalFileTime(utc);
        entry->ModifiedUtc = utc;
        m_entries.push_back(std::move(entry));
        m_jobList.push_back(m_entries.back().get());
        return m_jobList.back();
    }

    std::string Out(const std::string& sitePath) const { return m_copyDir + "/" + sitePath; }

    CommandState Command(int opKind, const DefaultFiles& defFiles = {}) const
    {
        return {opKind, m_jobList, m_copyDir, defFiles};
    }

    int Run(int opKind, const DefaultFiles& defFiles = {})
    {
        const CommandState command = Command(opKind, defFiles);
        larkspool::ExportJob job(m_folder.Cache(), m_host, command, m_jobList);
        job.Run();
        return job.GetJobResult();
    }

    TestCache m_folder;
    std::string m_copyDir;
    ScriptedHost m_host;
    std::vector<std::unique_ptr<TCacheEntry>> m_entries;
    std::vector<TCacheEntry*> m_jobList;
};

TEST_F(ExportJob, copy_writes_each_file_with_the_entry_time_and_counts_down)
{
    Add("host/top.gif", "gif", "GIF89a", kOlder);
    Add("host/dir/a.txt", "txt", "alpha", kBase);
    Add("host/dir/sub/b.txt", "txt", "beta", kNewer);

    EXPECT_EQ(Run(kOpCopy), 0);

    EXPECT_EQ(m_host.positions, (std::vector<int>{33, 66, 100}));
    EXPECT_EQ(m_host.counts, (std::vector<std::string>{"あと 3 個", "あと 2 個", "あと 1 個"}));
    EXPECT_EQ(m_host.fileNames, (std::vector<std::string>{"top.gif", "a.txt", "b.txt"}));
    EXPECT_EQ(m_host.folders, (std::vector<std::string>{"'MSIE Cache' から 'host' へ", "'MSIE Cache' から 'dir' へ",
                                                        "'MSIE Cache' から 'sub' へ"}));
    EXPECT_EQ(ReadFile(Out("host/dir/a.txt")), "alpha");
    EXPECT_EQ(FileWriteTicks(Out("host/top.gif")), kOlder);
    EXPECT_EQ(FileWriteTicks(Out("host/dir/a.txt")), kBase);
    EXPECT_EQ(FileWriteTicks(Out("host/dir/sub/b.txt")), kNewer);
    EXPECT_TRUE(m_folder.InCache("http://host/dir/a.txt"));
    EXPECT_TRUE(m_host.reports.empty());
}

TEST_F(ExportJob, delete_writes_nothing_and_removes_every_entry)
{
    Add("host/a.txt", "txt", "a");
    Add("host/dir/b.txt", "txt", "b");

    EXPECT_EQ(Run(kOpDelete), 0);

    EXPECT_EQ(m_host.folders, (std::vector<std::string>{"'MSIE Cache' から ", "'MSIE Cache' から "}));
    EXPECT_FALSE(fs::exists(m_copyDir));
    EXPECT_FALSE(m_folder.InCache("http://host/a.txt"));
    EXPECT_FALSE(m_folder.InCache("http://host/dir/b.txt"));
}

TEST_F(ExportJob, empty_job_list_ends_at_once_with_success)
{
    EXPECT_EQ(Run(kOpMove), 0);

    EXPECT_TRUE(m_host.positions.empty());
    EXPECT_EQ(m_host.events, 0);
}

// Two existing files in the way of a move: a.txt older than its entry, b.txt
// exactly as old.
struct AnswerCase {
    const char* name;
    std::vector<int> answers;
    bool aWritten;
    bool bWritten;
    std::size_t questions;
    int jobResult;
    bool aRemoved;
    bool bRemoved;
};

class ExportJobAnswers : public ExportJob, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(ExportJobAnswers, answers_and_standing_modes_decide_each_conflict)
{
    const AnswerCase& row = GetParam();
    Add("host/a.txt", "txt", "new a", kBase);
    Add("host/b.txt", "txt", "new b", kBase);
    WriteFile(Out("host/a.txt"), "old a");
    SetUtcWriteTime(Out("host/a.txt"), kOlder);
    WriteFile(Out("host/b.txt"), "old b");
    SetUtcWriteTime(Out("host/b.txt"), kBase);
    m_host.answers.assign(row.answers.begin(), row.answers.end());

    EXPECT_EQ(Run(kOpMove), row.jobResult);

    EXPECT_EQ(ReadFile(Out("host/a.txt")), row.aWritten ? "new a" : "old a");
    EXPECT_EQ(ReadFile(Out("host/b.txt")), row.bWritten ? "new b" : "old b");
    EXPECT_EQ(m_host.questions.size(), row.questions);
    EXPECT_EQ(m_folder.InCache("http://host/a.txt"), !row.aRemoved);
    EXPECT_EQ(m_folder.InCache("http://host/b.txt"), !row.bRemoved);
}

INSTANTIATE_TEST_SUITE_P(
    ExportJob, ExportJobAnswers,
    ::testing::Values(AnswerCase{"yes_each", {kAnswerYes, kAnswerYes}, true, true, 2, 0, true, true},
                      AnswerCase{"yes_to_all", {kAnswerYesAll}, true, true, 1, 0, true, true},
                      // A move answered "no" still removes the entry.
                      AnswerCase{"no_each", {kAnswerNo, kAnswerNo}, false, false, 2, 0, true, true},
                      AnswerCase{"no_to_all", {kAnswerNoAll}, false, false, 1, 0, true, true},
                      // Equal times under "newer" keep the existing file.
                      AnswerCase{"newer_for_all", {kAnswerYesAllNewer}, true, false, 1, 0, true, true},
                      // Cancel stops before the item: neither written nor removed.
                      AnswerCase{"cancel", {kAnswerCancel}, false, false, 1, -1, false, false},
                      AnswerCase{"unknown_answer_keeps", {-1, kAnswerYes}, false, true, 2, 0, true, true}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

TEST_F(ExportJob, a_standing_answer_lasts_one_run)
{
    Add("host/a.txt", "txt", "new");
    WriteFile(Out("host/a.txt"), "old");
    m_host.answers = {kAnswerYesAll, kAnswerNo};

    Run(kOpCopy);
    Run(kOpCopy);

    EXPECT_EQ(m_host.questions.size(), 2u);
}

TEST_F(ExportJob, the_question_shows_both_sides)
{
    TCacheEntry* entry = Add("host/a.txt", "txt", "new content");
    WriteFile(Out("host/a.txt"), "old");
    m_host.answers = {kAnswerNo};

    Run(kOpCopy);

    ASSERT_EQ(m_host.questions.size(), 1u);
    const OverwriteQuestion& question = m_host.questions[0];
    EXPECT_EQ(question.ConflictLine, "このﾌｫﾙﾀﾞには既に'a.txt'ﾌｧｲﾙが存在します。");
    EXPECT_EQ(question.SizeOld, "ｻｲｽﾞ : 3 ﾊﾞｲﾄ");
    EXPECT_EQ(question.SizeNew, "ｻｲｽﾞ : 11 ﾊﾞｲﾄ");
    EXPECT_FALSE(question.DateOld.empty());
    EXPECT_FALSE(question.DateNew.empty());
    EXPECT_EQ(question.IconFileOld, Out("host/a.txt"));
    EXPECT_EQ(question.IconFileNew, entry->LocalFile);
}

TEST_F(ExportJob, an_unreadable_existing_file_is_described_and_kept_when_newer)
{
    Add("host/a.txt", "txt", "new a", kOlder);
    WriteFile(Out("host/a.txt"), "old a");
    fs::permissions(Out("host/a.txt"), fs::perms::none);
    m_host.answers = {kAnswerYesAllNewer};
    Unprivileged user({m_folder.Path("out")});
    if (!user.Active())
        GTEST_SKIP() << "cannot drop root's rights";

    EXPECT_EQ(Run(kOpCopy), 0);

    ASSERT_EQ(m_host.questions.size(), 1u);
    EXPECT_EQ(m_host.questions[0].SizeOld, FormatSizeLine(5));
    fs::permissions(Out("host/a.txt"), fs::perms::owner_read);
    EXPECT_EQ(ReadFile(Out("host/a.txt")), "old a");
}

TEST_F(ExportJob, cancel_button_finishes_the_item_then_stops)
{
    Add("host/a.txt", "txt", "a");
    Add("host/b.txt", "txt", "b");
    Add("host/c.txt", "txt", "c");
    m_host.cancelAtEvent = 1;

    EXPECT_EQ(Run(kOpMove), -1);

    EXPECT_TRUE(fs::exists(Out("host/a.txt")));
    EXPECT_FALSE(m_folder.InCache("http://host/a.txt"));
    EXPECT_FALSE(fs::exists(Out("host/b.txt")));
    EXPECT_TRUE(m_folder.InCache("http://host/b.txt"));
    EXPECT_TRUE(m_folder.InCache("http://host/c.txt"));
}

// Each failure stops the move with one stop message; the failing entry and
// the next one stay in the cache.
struct FailureCase {
    const char* name;
    bool needsOrdinaryUser;
    // Prepares the failure on the first entry; returns the expected first
    // line of the text, which names the path.
    std::string (*arrange)(ExportJob& test, TCacheEntry& first);
    const char* caption;
    // Part of the second line, the reason.
    const char* reason;
};

class ExportJobFailures : public ExportJob, public ::testing::WithParamInterface<FailureCase> {
public:
    using ExportJob::m_copyDir;
    using ExportJob::m_folder;
    using ExportJob::Out;
};

TEST_P(ExportJobFailures, stops_with_one_message_and_keeps_the_entry)
{
    const FailureCase& row = GetParam();
    TCacheEntry* first = Add("host/dir/index.html", "htm", "<html></html>");
    Add("host/next.txt", "txt", "next");
    const std::string text = row.arrange(*this, *first);
    std::optional<Unprivileged> user;
    if (row.needsOrdinaryUser)
        user.emplace(std::vector<std::string>{m_folder.Path("")});
    if (user && !user->Active())
        GTEST_SKIP() << "cannot drop root's rights";
    DefaultFiles defFiles;
    defFiles.DefFile2 = "index.htm";
    defFiles.DefFileFlag2 = true;
    m_host.answers = {kAnswerYes};

    const int result = Run(kOpMove, defFiles);

    EXPECT_EQ(result, -1);
    ASSERT_EQ(m_host.reports.size(), 1u);
    const std::string& reported = m_host.reports[0].text;
    EXPECT_EQ(reported.substr(0, reported.find('\n')), text);
    ASSERT_NE(reported.find('\n'), std::string::npos) << reported;
    EXPECT_NE(reported.find(row.reason, reported.find('\n')), std::string::npos) << reported;
    EXPECT_EQ(m_host.reports[0].caption, row.caption);
    EXPECT_EQ(m_host.reports[0].flags, kMessageStop);
    // A terminal's line says it all in English: the failure, its path, the reason.
    const std::string& line = m_host.reports[0].line;
    EXPECT_TRUE(line.starts_with("cannot ")) << line;
    EXPECT_NE(line.find(row.reason), std::string::npos) << line;
    EXPECT_TRUE(std::all_of(line.begin(), line.end(), [](char c) { return c >= 0x20 && c < 0x7F; })) << line;
    EXPECT_TRUE(m_folder.InCache("http://host/dir/index.html"));
    EXPECT_TRUE(m_folder.InCache("http://host/next.txt"));
    EXPECT_FALSE(fs::exists(Out("host/next.txt")));
}

// A named pipe at sitePath in the destination; returns its path.
std::string PipeAt(ExportJob& test, const std::string& sitePath)
{
    const std::string path = static_cast<ExportJobFailures&>(test).Out(sitePath);
    fs::create_directories(fs::path(path).parent_path());
    EXPECT_EQ(::mkfifo(path.c_str(), 0666), 0);
    return path;
}

INSTANTIATE_TEST_SUITE_P(
    ExportJob, ExportJobFailures,
    ::testing::Values(
        FailureCase{"folder_cannot_be_created", false,
                    [](ExportJob& test, TCacheEntry&) {
                        const std::string host = static_cast<ExportJobFailures&>(test).Out("host");
                        WriteFile(host, "a file where the folder should be");
                        return "'" + host + "/dir'ﾌｫﾙﾀﾞが作成できませんでした。";
                    },
                    kFolderFailedCaption, "/host: Not a directory"},
        FailureCase{"link_to_a_folder_outside", false,
                    [](ExportJob& test, TCacheEntry&) {
                        const std::string host = static_cast<ExportJobFailures&>(test).Out("host");
                        fs::create_directories(static_cast<ExportJobFailures&>(test).m_folder.Path("outside/dir"));
                        fs::create_directories(fs::path(host).parent_path());
                        fs::create_directory_symlink("../outside", host);
                        return "'" + host + "/dir'ﾌｫﾙﾀﾞが作成できませんでした。";
                    },
                    kFolderFailedCaption, "/host: a symbolic link"},
        FailureCase{"read_only_destination", true,
                    [](ExportJob& test, TCacheEntry& first) {
                        first.LocalFile = first.LocalFile + ".gif";
                        WriteFile(first.LocalFile, "gif");
                        const std::string dest = static_cast<ExportJobFailures&>(test).Out("host/dir/index.html");
                        WriteFile(dest, "old");
                        fs::permissions(dest, fs::perms::owner_read | fs::perms::group_read);
                        return dest;
                    },
                    kCopyFailedCaption, "Permission denied"},
        FailureCase{"pipe_at_the_file", false,
                    [](ExportJob& test, TCacheEntry& first) {
                        first.LocalFile = first.LocalFile + ".gif";
                        WriteFile(first.LocalFile, "gif");
                        return PipeAt(test, "host/dir/index.html");
                    },
                    kCopyFailedCaption, "a pipe"},
        FailureCase{"pipe_at_the_page", false,
                    [](ExportJob& test, TCacheEntry&) {
                        return PipeAt(test, "host/dir/index.html");
                    },
                    kCopyFailedCaption, "a pipe"},
        FailureCase{"link_at_the_page", false,
                    [](ExportJob& test, TCacheEntry&) {
                        const std::string dest = static_cast<ExportJobFailures&>(test).Out("host/dir/index.html");
                        WriteFile(static_cast<ExportJobFailures&>(test).m_folder.Path("victim.html"), "victim");
                        fs::create_directories(fs::path(dest).parent_path());
                        fs::create_symlink(static_cast<ExportJobFailures&>(test).m_folder.Path("victim.html"), dest);
                        return dest;
                    },
                    kCopyFailedCaption, "a symbolic link"},
        FailureCase{"redirect_page_cannot_be_written", false,
                    [](ExportJob& test, TCacheEntry&) {
                        const std::string page = static_cast<ExportJobFailures&>(test).Out("host/dir/index.htm");
                        fs::create_directories(page);
                        return page;
                    },
                    kRedirectFailedCaption, "Is a directory"},
        FailureCase{"pipe_at_the_redirect_page", false,
                    [](ExportJob& test, TCacheEntry&) {
                        return PipeAt(test, "host/dir/index.htm");
                    },
                    kRedirectFailedCaption, "a pipe"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

// What is wrong with one entry alone skips it, named and with the reason,
// and the job goes on; a skipped entry of a move stays in the cache.
class ExportJobSkips : public ExportJobFailures {};

TEST_P(ExportJobSkips, reports_the_entry_and_goes_on)
{
    const FailureCase& row = GetParam();
    TCacheEntry* first = Add("host/dir/index.html", "htm", "<html></html>");
    Add("host/next.txt", "txt", "next");
    const std::string text = row.arrange(*this, *first);
    const CommandState command = Command(kOpMove);
    larkspool::ExportJob job(m_folder.Cache(), m_host, command, m_jobList);

    job.Run();

    EXPECT_EQ(job.GetJobResult(), 0);
    EXPECT_EQ(job.Skipped(), 1u);
    ASSERT_EQ(m_host.reports.size(), 1u);
    const std::string& reported = m_host.reports[0].text;
    EXPECT_EQ(reported.substr(0, reported.find('\n')), text);
    EXPECT_NE(reported.find(row.reason, reported.find('\n')), std::string::npos) << reported;
    EXPECT_EQ(m_host.reports[0].caption, row.caption);
    EXPECT_EQ(m_host.reports[0].flags, unsigned(kMessageExclamation));
    EXPECT_TRUE(m_host.reports[0].line.starts_with("skipped: cannot copy to " + text + ": ")) << m_host.reports[0].line;
    EXPECT_TRUE(m_folder.InCache("http://host/dir/index.html"));
    EXPECT_FALSE(m_folder.InCache("http://host/next.txt"));
    EXPECT_EQ(ReadFile(Out("host/next.txt")), "next");
}

INSTANTIATE_TEST_SUITE_P(
    ExportJob, ExportJobSkips,
    ::testing::Values(
        FailureCase{"vanished_cached_page", false,
                    [](ExportJob& test, TCacheEntry& first) {
                        fs::remove(first.LocalFile);
                        return static_cast<ExportJobFailures&>(test).Out("host/dir/index.html");
                    },
                    kCopyFailedCaption, "missing body: the cache folder no longer holds"},
        FailureCase{"vanished_cached_file", false,
                    [](ExportJob& test, TCacheEntry& first) {
                        first.LocalFile = first.LocalFile + ".gone.gif";
                        return static_cast<ExportJobFailures&>(test).Out("host/dir/index.html");
                    },
                    kCopyFailedCaption, "missing body: the cache folder no longer holds"},
        FailureCase{"path_leaving_the_destination", false,
                    [](ExportJob& test, TCacheEntry& first) {
                        first.SitePath = "host/../../escaped.html";
                        return static_cast<ExportJobFailures&>(test).Out("host/../../escaped.html");
                    },
                    kCopyFailedCaption, "not a path inside"},
        FailureCase{"path_longer_than_259", false,
                    [](ExportJob& test, TCacheEntry& first) {
                        first.SitePath = "host/" + std::string(300, 'x') + ".html";
                        return static_cast<ExportJobFailures&>(test).Out(first.SitePath);
                    },
                    kCopyFailedCaption, "longer than 259"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(ExportJob, nothing_is_written_outside_the_destination)
{
    TCacheEntry* entry = Add("host/a.txt", "txt", "evil");
    entry->SitePath = "../outside.txt";

    Run(kOpCopy);

    EXPECT_FALSE(fs::exists(m_folder.Path("outside.txt")));
    EXPECT_FALSE(fs::exists(m_copyDir));
}

// Every file under folder and its bytes.
std::map<std::string, std::string> FilesUnder(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& item : fs::recursive_directory_iterator(folder))
        if (item.is_regular_file())
            files[item.path().string()] = ReadFile(item.path());
    return files;
}

// The export never writes a file of the cache it reads, however the
// destination spells it: a destination in the cache is refused as a whole,
// an entry that lands on one of the cache's files or folders is skipped.
TEST_F(ExportJob, never_writes_a_file_of_the_cache_it_reads)
{
    const fs::path cache = m_folder.CacheDir();
    Add("host/a.txt", "txt", "a");
    TCacheEntry* hostile = Add("host/b.txt", "txt", "hostile bytes", kNewer);
    const std::string own = m_jobList.front()->LocalFile;
    fs::create_directory_symlink(cache, m_folder.Path("link"));
    struct Row {
        const char* name;
        std::string copyDir;
        std::string hostilePath; // where the second entry lands, below copyDir
        std::size_t skipped;     // -1 for a refused job
    };
    const Row rows[] = {
        {"the cache folder", cache.string(), "host/b.txt", std::size_t(-1)},
        {"a folder in it still to be made", (cache / "new").string(), "host/b.txt", std::size_t(-1)},
        {"a link to it", m_folder.Path("link"), "host/b.txt", std::size_t(-1)},
        {"index.dat from its parent", cache.parent_path().string(), "Content.IE5/index.dat", 1},
        {"a hard link to its file", m_copyDir, "host/b.txt", 1},
    };
    for (const Row& row : rows) {
        fs::remove_all(m_copyDir);
        fs::create_directories(m_copyDir + "/host");
        fs::create_hard_link(own, m_copyDir + "/host/b.txt");
        const auto before = FilesUnder(cache);
        hostile->SitePath = row.hostilePath;
        m_copyDir = row.copyDir;
        m_host = ScriptedHost();
        m_host.answers = {kAnswerYesAll};
        const CommandState command = Command(kOpCopy);
        larkspool::ExportJob job(m_folder.Cache(), m_host, command, m_jobList);

        job.Run();

        EXPECT_TRUE(FilesUnder(cache) == before) << row.name;
        ASSERT_EQ(m_host.reports.size(), 1u) << row.name;
        if (row.skipped == std::size_t(-1)) {
            EXPECT_EQ(job.GetJobResult(), -1) << row.name;
            EXPECT_NE(m_host.reports[0].line.find("it lies in the cache folder being read"), std::string::npos)
                << row.name << ": " << m_host.reports[0].line;
        } else {
            EXPECT_EQ(job.GetJobResult(), 0) << row.name;
            EXPECT_EQ(job.Skipped(), row.skipped) << row.name;
            EXPECT_NE(m_host.reports[0].line.find(" of the cache being read ("), std::string::npos)
                << row.name << ": " << m_host.reports[0].line;
        }
        m_copyDir = m_folder.Path("out");
    }
}

// Redirect pages by the page's name and the two switches.
struct RedirectCase {
    const char* name;
    const char* sitePath;
    bool flag2;
    bool flag3;
    bool page2;
    bool page3;
};

class ExportJobRedirects : public ExportJob, public ::testing::WithParamInterface<RedirectCase> {};

TEST_P(ExportJobRedirects, pages_named_like_the_first_default_get_redirects)
{
    const RedirectCase& row = GetParam();
    Add(row.sitePath, "htm", "<html></html>", kOlder);
    WriteFile(Out("host/dir/index.htm"), "an older file in the way");
    DefaultFiles defFiles;
    defFiles.DefFile2 = "index.htm";
    defFiles.DefFile3 = "default.html";
    defFiles.DefFileFlag2 = row.flag2;
    defFiles.DefFileFlag3 = row.flag3;

    EXPECT_EQ(Run(kOpCopy, defFiles), 0);

    const std::string expected = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">\r\n<HTML>\r\n<HEAD>\r\n"
                                 "<META HTTP-EQUIV=\"Refresh\" CONTENT=\"0; URL=index.html\">\r\n"
                                 "<TITLE>Made by Larkspool</TITLE>\r\n</HEAD>\r\n</HTML>\r\n";
    EXPECT_EQ(ReadFile(Out("host/dir/index.htm")) == expected, row.page2);
    EXPECT_EQ(ReadFile(Out("host/dir/default.html")) == expected, row.page3);
    EXPECT_EQ(FileWriteTicks(Out(row.sitePath)), kOlder);
    EXPECT_TRUE(m_host.questions.empty());
}

INSTANTIATE_TEST_SUITE_P(
    ExportJob, ExportJobRedirects,
    ::testing::Values(RedirectCase{"both", "host/dir/index.html", true, true, true, true},
                      RedirectCase{"capitals", "host/dir/INDEX.HTML", true, true, true, true},
                      RedirectCase{"only_the_third", "host/dir/index.html", false, true, false, true},
                      RedirectCase{"numbered_duplicate", "host/dir/index(1).html", true, true, false, false},
                      RedirectCase{"other_page", "host/dir/page.html", true, true, false, false}),
    [](const ::testing::TestParamInfo<RedirectCase>& info) { return std::string(info.param.name); });

TEST_F(ExportJob, pages_are_rewritten_by_the_cached_extension_other_files_copied)
{
    const std::string page = "<a href=\"http://host/dir/b.html\">b</a>";
    Add("host/dir/a.html", "HTM", page);
    Add("host/dir/s.html", "shtml", page);

    Run(kOpCopy);

    EXPECT_EQ(ReadFile(Out("host/dir/a.html")), "<a href=\"b.html\">b</a>");
    EXPECT_EQ(ReadFile(Out("host/dir/s.html")), page);
}

// The job list holds only the page and the sheet; the catalogue holds every
// file their links name.
TEST_F(ExportJob, links_of_pages_and_stylesheets_name_the_files_of_the_whole_catalogue)
{
    const std::string page = "<a href=\"/shop/item.php?id=7\">i</a> <img srcset=\"t.php?id=1 1x, t.php?id=2 2x\">"
                             "<a href=\"http://host:8771/news/#latest\">n</a><link href=\"/css/s.css\">";
    const std::string sheet = "a{background:url(/dir/t.php?id=2)}@import \"http://other/o.css\";";
    TCacheEntry* pageEntry = Add("host/dir/p.html", "htm", page);
    TCacheEntry* sheetEntry = Add("host/css/s.css", "css", sheet);
    const std::vector<TCacheEntry*> catalogue = {pageEntry, sheetEntry, Add("host/shop/item.htm", "htm", ""),
                                                 Add("host/dir/t.php", "php", ""), Add("host/dir/t(1).php", "php", ""),
                                                 Add("host%3a8771/news/index.html", "htm", "")};
    catalogue[2]->SourceUrl = "http://host/shop/item.php?id=7";
    catalogue[3]->SourceUrl = "http://host/dir/t.php?id=1";
    catalogue[4]->SourceUrl = "http://host/dir/t.php?id=2";
    catalogue[5]->SourceUrl = "http://host:8771/news/";
    m_jobList = {pageEntry, sheetEntry};

    const CommandState command = Command(kOpCopy);
    larkspool::ExportJob job(m_folder.Cache(), m_host, command, catalogue);
    job.Run();

    EXPECT_EQ(job.GetJobResult(), 0);
    EXPECT_EQ(ReadFile(Out("host/dir/p.html")),
              "<a href=\"../shop/item.htm\">i</a> <img srcset=\"t.php 1x, t(1).php 2x\">"
              "<a href=\"../../host%253a8771/news/index.html#latest\">n</a><link href=\"../css/s.css\">");
    EXPECT_EQ(ReadFile(Out("host/css/s.css")), "a{background:url(../dir/t\\(1\\).php)}@import \"../../other/o.css\";");
}

TEST_F(ExportJob, read_only_cached_files_are_exported_as_ordinary_new_files)
{
    Add("host/page.html", "htm", "<p>page</p>", kOlder);
    Add("host/img/a.gif", "gif", "GIF89a", kNewer);
    for (const TCacheEntry* entry : m_jobList)
        fs::permissions(entry->LocalFile, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::create_directories(m_copyDir);
    Unprivileged user({m_folder.Path("")});
    if (!user.Active())
        GTEST_SKIP() << "cannot drop root's rights";

    EXPECT_EQ(Run(kOpCopy), 0);
    m_host.answers = {kAnswerYesAll};
    EXPECT_EQ(Run(kOpCopy), 0);

    EXPECT_TRUE(m_host.reports.empty());
    EXPECT_EQ(ReadFile(Out("host/img/a.gif")), "GIF89a");
    EXPECT_EQ(FileWriteTicks(Out("host/page.html")), kOlder);
    EXPECT_EQ(FileWriteTicks(Out("host/img/a.gif")), kNewer);
    EXPECT_EQ(::access(Out("host/img/a.gif").c_str(), W_OK), 0);
}

TEST_F(ExportJob, links_in_the_destination_are_never_written_through)
{
    Add("host/a.txt", "txt", "new");
    WriteFile(m_folder.Path("victim.txt"), "victim");
    fs::create_directories(m_copyDir + "/host");
    fs::create_symlink(m_folder.Path("victim.txt"), Out("host/a.txt"));
    m_host.answers = {kAnswerYes};

    EXPECT_EQ(Run(kOpCopy), -1);
    m_jobList.clear();
    Add("other/b.txt", "txt", "new");
    fs::create_directories(m_folder.Path("elsewhere"));
    fs::create_directory_symlink(m_folder.Path("elsewhere"), m_copyDir + "/other");
    EXPECT_EQ(Run(kOpCopy), -1);

    EXPECT_EQ(ReadFile(m_folder.Path("victim.txt")), "victim");
    EXPECT_TRUE(fs::is_empty(m_folder.Path("elsewhere")));
    EXPECT_EQ(m_host.reports.size(), 2u);
}

// A redirect page never takes the place of a real page of that name.
TEST_F(ExportJob, a_real_page_wins_over_the_redirect_of_its_name)
{
    DefaultFiles defFiles;
    defFiles.DefFile2 = "index.htm";
    defFiles.DefFileFlag2 = true;
    // In the job, before and after the default-named page.
    Add("host/a/index.htm", "htm", "real a");
    Add("host/a/index.html", "htm", "<p>a</p>");
    Add("host/b/index.html", "htm", "<p>b</p>");
    Add("host/b/index.htm", "htm", "real b");
    // Only in the cache, exported before.
    Add("host/c/index.html", "htm", "<p>c</p>");
    m_folder.Add("http://host/c/index.htm", "htm", "real c", kBase);
    WriteFile(Out("host/c/index.htm"), "real c");

    EXPECT_EQ(Run(kOpCopy, defFiles), 0);

    EXPECT_EQ(ReadFile(Out("host/a/index.htm")), "real a");
    EXPECT_EQ(ReadFile(Out("host/b/index.htm")), "real b");
    EXPECT_EQ(ReadFile(Out("host/c/index.htm")), "real c");
    EXPECT_TRUE(m_host.questions.empty());
}

// A browser cache's bodies go from where it keeps them into the exported
// tree with no decoded copy made on the way; a body found damaged only as it
// is read is skipped, named, leaves no half-written file, and the job goes on.
TEST(ExportOfBrowserCache, writes_bodies_straight_from_the_cache_and_skips_a_damaged_one)
{
    TempFolder folder;
    const fs::path scratch = folder.Under("scratch");
    browsercache::BrowserCacheScan scan;
    const struct {
        const char* url;
        const char* type;
        std::string body;
        bool damaged;
    } rows[] = {{"http://h/dir/page.html", "text/html", "<a href=\"http://h/img/a.gif\">a</a>", false},
                {"http://h/z/bad.gif", "image/gif", "GIF89a damaged", true},
                {"http://h/img/a.gif", "image/gif", "GIF89a", false}};
    for (const auto& row : rows) {
        browsercache::BrowserCacheRecord record;
        record.url = record.key = row.url;
        record.responseHead = std::string("HTTP/1.1 200 OK\r\nContent-Type: ") + row.type + "\r\n";
        const std::string stored = folder.Under(std::string("stored-") + std::to_string(scan.records.size()));
        std::ofstream(stored, std::ios::binary) << row.body;
        record.body = {stored, 0, row.body.size(), row.damaged, 0x12345678};
        record.entryTime = kBase;
        scan.records.push_back(record);
    }
    browsercache::BrowserCache cache(std::move(scan), scratch);
    std::vector<std::unique_ptr<TCacheEntry>> entries;
    std::vector<TCacheEntry*> jobList;
    for (const auto& row : rows) {
        CacheEntryBuffer buffer;
        DWORD size = buffer.size();
        ASSERT_TRUE(cache.GetUrlCacheEntryInfoA(row.url, buffer.info(), &size)) << row.url;
        auto entry = std::make_unique<TCacheEntry>();
        entry->SourceUrl = row.url;
        entry->SitePath = std::string(row.url).substr(7);
        entry->LocalFile = buffer.info()->lpszLocalFileName;
        entry->ModifiedUtc = kBase;
        jobList.push_back(entry.get());
        entries.push_back(std::move(entry));
    }
    ScriptedHost host;
    const CommandState command{kOpCopy, jobList, folder.Under("out"), {}};
    larkspool::ExportJob job(cache, host, command, jobList);

    job.Run();

    EXPECT_EQ(job.GetJobResult(), 0);
    EXPECT_EQ(job.Skipped(), 1u);
    EXPECT_EQ(ReadFile(folder.Under("out/h/dir/page.html")), "<a href=\"../img/a.gif\">a</a>");
    EXPECT_EQ(ReadFile(folder.Under("out/h/img/a.gif")), "GIF89a");
    ASSERT_EQ(host.reports.size(), 1u);
    EXPECT_NE(host.reports[0].line.find("h/z/bad.gif: http://h/z/bad.gif: Input/output error"), std::string::npos)
        << host.reports[0].line;
    EXPECT_FALSE(fs::exists(folder.Under("out/h/z/bad.gif"))) << "a half-written body is left";
    std::size_t made = 0;
    for (const auto& file : fs::recursive_directory_iterator(scratch))
        made += file.is_regular_file() && file.path().filename() != ".lock";
    EXPECT_EQ(made, 0u);
}

} // namespace
} // namespace larkspool::testing
