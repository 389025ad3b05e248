#include "cache/file_time.h"
#include "cache/index_dat_cache.h"
#include "tests/browsercache/blockfile_builder.h"
#include "tests/browsercache/chromium_bytes.h"
#include "browsercache/chromium_blockfile_sparse.h"
#include "tests/browsercache/deflated_bytes.h"
#include "tests/browsercache/two_browser_caches.h"
#include "tests/support/temp_folder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// larkspool-cli, or the copy the environment names when the build tree is out
// of the test user's reach.
QString CliProgram() { return qEnvironmentVariable("LARKSPOOL_CLI", QStringLiteral(LARKSPOOL_CLI)); }

// The tab-separated fields of the first line.
std::vector<std::string> Fields(const std::string& text)
{
    std::vector<std::string> fields(1);
    for (char c : text.substr(0, text.find('\n'))) {
        if (c == '\t')
            fields.emplace_back();
        else
            fields.back().push_back(c);
    }
    return fields;
}

struct CliRun {
    int exitCode;
    std::string out;
    std::string err;
};

class Cli : public ::testing::Test {
protected:
    CliRun Start(const QStringList& args, const QByteArray& stdinText = {}) { return StartOn(CacheDir(), args, stdinText); }
    CliRun StartOn(const QString& cache, const QStringList& args, const QByteArray& stdinText = {})
    {
        QProcess process;
        process.setProgram(CliProgram());
        process.setArguments(QStringList{QStringLiteral("--cache"), cache} + args);
        process.start();
        process.write(stdinText);
        process.closeWriteChannel();
        process.waitForFinished(60000);
        return {process.exitCode(), process.readAllStandardOutput().toStdString(),
                process.readAllStandardError().toStdString()};
    }
    QString Dir() const { return QFile::decodeName(m_folder.Path().c_str()); }
    QString CacheDir() const { return Dir() + QStringLiteral("/cache"); }
    std::string IndexBytes() const { return larkspool::testing::ReadFile(m_folder.Path() / "cache/index.dat"); }
    void SetIndexBytes(const std::string& bytes) const
    {
        larkspool::testing::WriteFile(m_folder.Path() / "cache/index.dat", bytes);
    }
    QString WriteFile(const QString& name, const std::string& bytes) const
    {
        return QFile::decodeName(m_folder.Write(QFile::encodeName(name).toStdString(), bytes).c_str());
    }

    larkspool::testing::TempFolder m_folder;
};

TEST_F(Cli, help_and_version_exit_zero)
{
    const CliRun help = Start({QStringLiteral("--help")});
    const CliRun version = Start({QStringLiteral("--version")});

    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("usage: larkspool-cli"), std::string::npos);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("larkspool-cli ", 0), 0u);
}

TEST_F(Cli, bad_usage_exits_two_with_a_reason)
{
    const QStringList cases[] = {
        {},
        {QStringLiteral("frobnicate")},
        {QStringLiteral("entries"), QStringLiteral("extra")},
        {QStringLiteral("add"), QStringLiteral("http://h/a")},
        {QStringLiteral("add"), QStringLiteral("http://h/a"), QStringLiteral("f"), QStringLiteral("--modified"),
         QStringLiteral("yesterday")},
        {QStringLiteral("remove"), QStringLiteral("--bogus"), QStringLiteral("http://h/a")},
    };
    for (const QStringList& args : cases) {
        const CliRun run = Start(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_NE(run.err.find("larkspool-cli: "), std::string::npos);
    }
}

TEST_F(Cli, missing_cache_folder_reads_as_empty)
{
    const CliRun run = Start({QStringLiteral("entries")});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
}

TEST_F(Cli, a_cache_folder_that_is_no_folder_exits_two)
{
    const std::string base = Dir().toStdString();
    WriteFile(QStringLiteral("file"), "x");
    ASSERT_EQ(mkfifo((base + "/fifo").c_str(), 0600), 0);
    ASSERT_EQ(symlink((base + "/nothing").c_str(), (base + "/dangling").c_str()), 0);
    ASSERT_EQ(symlink((base + "/loop").c_str(), (base + "/loop").c_str()), 0);

    for (const char* name : {"file", "fifo", "dangling", "loop"}) {
        const CliRun run = StartOn(Dir() + QLatin1Char('/') + QLatin1String(name), {QStringLiteral("entries")});
        EXPECT_EQ(run.exitCode, 2) << name;
        EXPECT_NE(run.err.find("cache folder"), std::string::npos) << name << ": " << run.err;
    }
}

// Only a regular index.dat is a cache file; a link is read, never written
// through, and nothing waits on a FIFO.
TEST_F(Cli, an_index_dat_that_is_no_regular_file_exits_two_with_its_reason)
{
    const std::string cache = CacheDir().toStdString();
    struct Row {
        const char* name;
        std::function<void(const std::string& index)> make;
        const char* says;
    };
    const Row rows[] = {
        {"fifo", [](const std::string& index) { ASSERT_EQ(mkfifo(index.c_str(), 0600), 0); }, "not a regular file"},
        {"device", [](const std::string& index) { ASSERT_EQ(symlink("/dev/zero", index.c_str()), 0); },
         "not a regular file"},
        {"folder", [](const std::string& index) { std::filesystem::create_directories(index); }, "is a directory"},
        {"dangling link", [&](const std::string& index) { ASSERT_EQ(symlink((cache + "/gone").c_str(), index.c_str()), 0); },
         "a symbolic link to nothing"},
        {"link loop", [](const std::string& index) { ASSERT_EQ(symlink(index.c_str(), index.c_str()), 0); },
         "too many levels of symbolic links"},
    };
    const QString page = WriteFile(QStringLiteral("page.htm"), "<p>x</p>");
    for (const Row& row : rows) {
        std::filesystem::remove_all(cache);
        std::filesystem::create_directories(cache);
        row.make(cache + "/index.dat");
        for (const QStringList& args : {QStringList{QStringLiteral("entries")},
                                        QStringList{QStringLiteral("add"), QStringLiteral("http://h/a"), page}}) {
            const CliRun run = Start(args);

            EXPECT_EQ(run.exitCode, 2) << row.name << ": " << args.join(' ').toStdString();
            EXPECT_NE(run.err.find("cannot open " + cache + "/index.dat: " + row.says), std::string::npos)
                << row.name << ": " << run.err;
        }
        EXPECT_FALSE(std::filesystem::exists(cache + "/gone")) << row.name;
    }
}

TEST_F(Cli, an_index_dat_link_is_read_but_never_written_through)
{
    const QString page = WriteFile(QStringLiteral("page.htm"), "<p>x</p>");
    const QString other = Dir() + QStringLiteral("/other");
    ASSERT_EQ(StartOn(other, {QStringLiteral("add"), QStringLiteral("http://h/a"), page}).exitCode, 0);
    const std::string otherIndex = other.toStdString() + "/index.dat";
    const std::string before = larkspool::testing::ReadFile(otherIndex);
    std::filesystem::create_directories(CacheDir().toStdString());
    ASSERT_EQ(symlink(otherIndex.c_str(), (CacheDir().toStdString() + "/index.dat").c_str()), 0);

    const CliRun listed = Start({QStringLiteral("entries")});
    const CliRun added = Start({QStringLiteral("add"), QStringLiteral("http://h/b"), page});
    const CliRun removed = Start({QStringLiteral("remove"), QStringLiteral("http://h/a")});

    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(Fields(listed.out).front(), "http://h/a");
    for (const CliRun& run : {added, removed}) {
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find("index.dat: a symbolic link, read but never written through"), std::string::npos)
            << run.err;
    }
    EXPECT_TRUE(larkspool::testing::ReadFile(otherIndex) == before);
    // A link the user names as the cache folder is that cache.
    const QString folderLink = Dir() + QStringLiteral("/folder-link");
    ASSERT_EQ(symlink(other.toStdString().c_str(), folderLink.toStdString().c_str()), 0);
    EXPECT_EQ(StartOn(folderLink, {QStringLiteral("add"), QStringLiteral("http://h/c"), page}).exitCode, 0);
    EXPECT_NE(StartOn(other, {QStringLiteral("entries")}).out.find("http://h/c\t"), std::string::npos);
}

TEST_F(Cli, a_damaged_index_dat_is_a_clear_error_and_keeps_every_byte)
{
    const QString page = WriteFile(QStringLiteral("page.htm"), "<p>x</p>");
    for (const char* url : {"http://host/a.htm", "http://host/b.htm"})
        ASSERT_EQ(Start({QStringLiteral("add"), QLatin1String(url), page}).exitCode, 0);
    const std::string pristine = IndexBytes();
    struct Case {
        const char* name;
        std::string bytes;
        int exitCode;
        const char* says;
    };
    const Case cases[] = {
        {"zeroed signature", std::string(28, '\0') + pristine.substr(28), 2, "not an index.dat file ("},
        {"cut short inside its blocks", pristine.substr(0, pristine.size() - 3 * 128), 1, "index.dat is damaged"},
        {"no hash table offset", pristine.substr(0, 0x20) + std::string(4, '\0') + pristine.substr(0x24), 2,
         "damaged index.dat (its header's HASH table offset 0 leads to no HASH table, yet it holds records)"},
    };
    const QStringList writes[] = {
        {QStringLiteral("add"), QStringLiteral("http://host/c.htm"), page},
        {QStringLiteral("remove"), QStringLiteral("http://host/a.htm")},
        {QStringLiteral("export"), QStringLiteral("--to"), Dir() + QStringLiteral("/out"), QStringLiteral("--move"),
         QStringLiteral("--yes")},
    };
    for (const Case& c : cases) {
        SetIndexBytes(c.bytes);
        for (const QStringList& args : writes) {
            const CliRun run = Start(args);
            EXPECT_EQ(run.exitCode, c.exitCode) << c.name << ": " << args.join(' ').toStdString();
            EXPECT_NE(run.err.find(c.says), std::string::npos) << c.name << ": " << run.err;
            EXPECT_TRUE(IndexBytes() == c.bytes) << c.name << ": " << args.join(' ').toStdString();
        }
    }
}

TEST_F(Cli, control_bytes_in_fields_are_escaped_one_record_a_line)
{
    const QString page = WriteFile(QStringLiteral("page.htm"), "<title>a\x1b]0;owned\x07</title>");
    const QString url = QStringLiteral("http://host/\x1b[2J\tfake\nline.htm");
    ASSERT_EQ(Start({QStringLiteral("add"), url, page}).exitCode, 0);

    const CliRun entries = Start({QStringLiteral("entries")});
    const CliRun list = Start({QStringLiteral("list")});

    for (const CliRun& run : {entries, list}) {
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << run.out;
        EXPECT_EQ(run.out.find('\x1b'), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("%1B[2J%09fake%0Aline"), std::string::npos) << run.out;
    }
    EXPECT_EQ(Fields(entries.out).size(), 6u);
}

// The records of an RFC 4180 text, each as its fields.
std::vector<std::vector<std::string>> CsvRecords(const std::string& text)
{
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"')
            fields.back() += text[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == ',')
            fields.emplace_back();
        else if (!quoted && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            records.push_back(fields);
            fields.assign(1, {});
            ++i;
        } else
            fields.back() += c;
    }
    return records;
}

TEST_F(Cli, report_gives_one_record_per_entry_as_csv_or_json_lines)
{
    const std::string bytes = "<title>one, \"two\"</title>";
    const QString page = WriteFile(QStringLiteral("page.htm"), bytes);
    const QString url = QStringLiteral("http://host/a,\"b\".htm");
    ASSERT_EQ(Start({QStringLiteral("add"), url, page}).exitCode, 0);
    ASSERT_EQ(Start({QStringLiteral("add"), QStringLiteral("http://host/c.htm"), page}).exitCode, 0);
    const std::string sha256 =
        QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha256).toHex().toStdString();

    const CliRun csv = Start({QStringLiteral("report")});
    const CliRun jsonl = Start({QStringLiteral("report"), QStringLiteral("--format"), QStringLiteral("jsonl"),
                                QStringLiteral("host/c.htm")});
    const CliRun unknown = Start({QStringLiteral("report"), QStringLiteral("--format"), QStringLiteral("xml")});
    const CliRun absent = Start({QStringLiteral("report"), QStringLiteral("host/nothing.htm")});

    ASSERT_EQ(csv.exitCode, 0) << csv.err;
    const auto records = CsvRecords(csv.out);
    ASSERT_EQ(records.size(), 3u) << csv.out;
    for (const auto& record : records)
        EXPECT_EQ(record.size(), 20u);
    EXPECT_EQ(records[0][0], "url");
    EXPECT_EQ(records[1][0], url.toStdString());
    EXPECT_EQ(records[1][16], "one, \"two\"");
    EXPECT_EQ(records[1][9], sha256);
    EXPECT_EQ(records[1][19], "ok");
    EXPECT_EQ(records[2][0], "http://host/c.htm");

    ASSERT_EQ(jsonl.exitCode, 0) << jsonl.err;
    EXPECT_EQ(std::count(jsonl.out.begin(), jsonl.out.end(), '\n'), 1) << jsonl.out;
    const QJsonObject object = QJsonDocument::fromJson(QByteArray::fromStdString(jsonl.out)).object();
    EXPECT_EQ(object[QStringLiteral("url")].toString(), QStringLiteral("http://host/c.htm"));
    EXPECT_EQ(object[QStringLiteral("sha256")].toString().toStdString(), sha256);
    EXPECT_EQ(object[QStringLiteral("cache_format")].toString(), QStringLiteral("index.dat"));

    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("--format"), std::string::npos) << unknown.err;
    EXPECT_EQ(absent.exitCode, 1);
    EXPECT_NE(absent.err.find("host/nothing.htm"), std::string::npos) << absent.err;
}

// Removed entries whose records an old disk still holds, one with its file
// and one without, and a file no record names.
TEST_F(Cli, recovered_records_are_listed_reported_and_copied_only_when_asked_and_never_moved)
{
    const QString page = WriteFile(QStringLiteral("page.htm"), "<title>gone</title>");
    const QString gone = QStringLiteral("http://host/gone.htm");
    ASSERT_EQ(Start({QStringLiteral("add"), QStringLiteral("http://host/kept.htm"), page}).exitCode, 0);
    const CliRun added = Start({QStringLiteral("add"), gone, page});
    ASSERT_EQ(Start({QStringLiteral("add"), QStringLiteral("http://host/lost.htm"), page}).exitCode, 0);
    ASSERT_EQ(Start({QStringLiteral("remove"), gone}).exitCode, 0);
    ASSERT_EQ(Start({QStringLiteral("remove"), QStringLiteral("http://host/lost.htm")}).exitCode, 0);
    const std::string goneFile = added.out.substr(0, added.out.find('\n'));
    larkspool::testing::WriteFile(goneFile, "<title>gone</title>");
    const std::filesystem::path subFolder = std::filesystem::path(goneFile).parent_path();
    const std::string leftover = (subFolder / "left.css").string();
    larkspool::testing::WriteFile(leftover, "b{}");
    const std::string unindexed = "(unindexed)/" + subFolder.filename().string() + "/left.css";
    const QString recovered = QStringLiteral("--recovered");

    const CliRun live = Start({QStringLiteral("entries")});
    const CliRun all = Start({QStringLiteral("entries"), recovered});
    const CliRun listed = Start({QStringLiteral("list"), recovered});
    const CliRun report = Start({QStringLiteral("report"), recovered});
    const CliRun copy = Start({QStringLiteral("export"), recovered, QStringLiteral("--to"), Dir() + "/out"});
    const CliRun warc = Start({QStringLiteral("export"), recovered, QStringLiteral("--warc"), Dir() + "/all.warc"});
    const CliRun move = Start({QStringLiteral("export"), recovered, QStringLiteral("--move"), QStringLiteral("--yes"),
                               QStringLiteral("--to"), Dir() + "/moved", QStringLiteral("host/gone.htm")});

    EXPECT_EQ(std::count(live.out.begin(), live.out.end(), '\n'), 1) << live.out;
    EXPECT_EQ(Fields(live.out).size(), 6u);
    ASSERT_EQ(all.exitCode, 0) << all.err;
    const std::string second = all.out.substr(all.out.find('\n') + 1);
    EXPECT_EQ(Fields(all.out).back(), "live");
    EXPECT_EQ(Fields(second)[0], gone.toStdString());
    EXPECT_EQ(Fields(second)[1], goneFile);
    EXPECT_EQ(Fields(second).back(), "recovered");
    const std::string third = second.substr(second.find('\n') + 1);
    EXPECT_EQ(Fields(third)[0], "http://host/lost.htm");
    EXPECT_EQ(Fields(third).back(), "recovered");
    const std::string fourth = third.substr(third.find('\n') + 1);
    EXPECT_EQ(Fields(fourth)[0], "");
    EXPECT_EQ(Fields(fourth)[1], leftover);
    EXPECT_EQ(Fields(fourth).back(), "leftover");
    EXPECT_EQ(std::count(all.out.begin(), all.out.end(), '\n'), 4) << all.out;
    EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 4) << listed.out;
    EXPECT_NE(listed.out.find(unindexed + "\tleft.css\t\t3\t"), std::string::npos) << listed.out;
    const auto rows = CsvRecords(report.out);
    ASSERT_EQ(rows.size(), 5u) << report.out;
    EXPECT_EQ(rows[1][1] + " " + rows[1][0] + " " + rows[1][19], unindexed + "  recovered");
    EXPECT_EQ(rows[2][0] + " " + rows[2][19], gone.toStdString() + " recovered");
    EXPECT_EQ(rows[3][0] + " " + rows[3][19], "http://host/kept.htm ok");
    EXPECT_EQ(rows[4][0] + " " + rows[4][19], "http://host/lost.htm missing body");
    EXPECT_EQ(copy.exitCode, 1);
    EXPECT_NE(copy.err.find("http://host/lost.htm: missing body: the cache folder no longer holds "), std::string::npos)
        << copy.err;
    EXPECT_NE(copy.err.find("1 of 4 entries skipped, the rest done"), std::string::npos) << copy.err;
    EXPECT_TRUE(QFile::exists(Dir() + "/out/host/gone.htm"));
    EXPECT_FALSE(QFile::exists(Dir() + "/out/host/lost.htm"));
    EXPECT_EQ(larkspool::testing::ReadFile(m_folder.Path() / "out" / unindexed), "b{}");
    EXPECT_EQ(warc.exitCode, 1);
    EXPECT_NE(warc.err.find("2 of 4 entries left out of the archive " + m_folder.Under("all.warc") +
                            " (1 missing body, 1 no URL)"),
              std::string::npos) << warc.err;
    const std::string archive = larkspool::testing::ReadFile(m_folder.Path() / "all.warc");
    EXPECT_NE(archive.find("WARC-Target-URI: http://host/gone.htm\r\n"), std::string::npos);
    EXPECT_NE(archive.find("WARC-Target-URI: http://host/kept.htm\r\n"), std::string::npos);
    EXPECT_EQ(move.exitCode, 1);
    EXPECT_NE(move.err.find("http://host/gone.htm: a recovered record is never changed or removed"),
              std::string::npos) << move.err;
    EXPECT_TRUE(std::filesystem::exists(goneFile));
    EXPECT_FALSE(QFile::exists(Dir() + "/moved/host/gone.htm"));
    EXPECT_EQ(Start({QStringLiteral("entries"), recovered}).out, all.out);
}

// A live record whose file another program removed: the window's listing
// leaves it out, but a look at all the disk holds shows it as missing.
TEST_F(Cli, a_live_record_without_its_file_is_listed_as_a_missing_body_only_when_asked)
{
    const QString page = WriteFile(QStringLiteral("page.htm"), "<title>p</title>");
    ASSERT_EQ(Start({QStringLiteral("add"), QStringLiteral("http://host/kept.htm"), page}).exitCode, 0);
    const CliRun added = Start({QStringLiteral("add"), QStringLiteral("http://host/vanished.htm"), page});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    std::filesystem::remove(added.out.substr(0, added.out.find('\n')));
    const QString recovered = QStringLiteral("--recovered");

    const CliRun live = Start({QStringLiteral("list")});
    const CliRun all = Start({QStringLiteral("list"), recovered});
    const CliRun report = Start({QStringLiteral("report"), recovered});
    const CliRun copy = Start({QStringLiteral("export"), recovered, QStringLiteral("--to"), Dir() + "/out"});

    EXPECT_EQ(live.out.find("vanished"), std::string::npos) << live.out;
    EXPECT_NE(all.out.find("host/vanished.htm"), std::string::npos) << all.out;
    const auto rows = CsvRecords(report.out);
    ASSERT_EQ(rows.size(), 3u) << report.out;
    EXPECT_EQ(rows[2][0] + " " + rows[2][19], "http://host/vanished.htm missing body");
    EXPECT_EQ(copy.exitCode, 1);
    EXPECT_NE(copy.err.find("http://host/vanished.htm: missing body: the cache folder no longer holds "),
              std::string::npos) << copy.err;
    EXPECT_TRUE(QFile::exists(Dir() + "/out/host/kept.htm"));
}

// A real Content.IE5 index.dat without its files: 21 URL records and 14 live
// redirects, which only a look at all it holds shows, as live records without
// a body, never exported, archived or removed.
TEST_F(Cli, live_redirects_of_a_real_cache_are_listed_only_when_asked_and_never_exported_or_removed)
{
    const std::filesystem::path source = LARKSPOOL_TESTDATA_DIR "/msiecf/content-ie5-index.dat";
    if (!std::filesystem::exists(source))
        GTEST_SKIP() << "no " << source;
    const std::string bytes = larkspool::testing::ReadFile(source);
    std::filesystem::create_directories(m_folder.Path() / "cache");
    SetIndexBytes(bytes);
    const std::string redirect = "http://go.microsoft.com/fwlink/?LinkId=299196";
    const QString recovered = QStringLiteral("--recovered");

    const CliRun live = Start({QStringLiteral("list")});
    const CliRun entries = Start({QStringLiteral("entries"), recovered});
    const CliRun all = Start({QStringLiteral("list"), recovered});
    const CliRun report = Start({QStringLiteral("report"), recovered});
    const CliRun copy = Start({QStringLiteral("export"), recovered, QStringLiteral("--to"), Dir() + "/out"});
    const CliRun warc = Start({QStringLiteral("export"), recovered, QStringLiteral("--warc"), Dir() + "/all.warc"});
    const CliRun remove = Start({QStringLiteral("export"), recovered, QStringLiteral("--delete"), QStringLiteral("--yes"),
                                 QStringLiteral("--to"), Dir() + "/out", QStringLiteral("go.microsoft.com/fwlink")});

    EXPECT_EQ(std::count(live.out.begin(), live.out.end(), '\n'), 0) << live.out; // no file is there
    ASSERT_EQ(entries.exitCode, 0) << entries.err;
    EXPECT_EQ(std::count(entries.out.begin(), entries.out.end(), '\n'), 35) << entries.out;
    const std::size_t line = entries.out.find(redirect + "\t");
    ASSERT_NE(line, std::string::npos) << entries.out;
    EXPECT_EQ(Fields(entries.out.substr(line)),
              (std::vector<std::string>{redirect, "", "00000000", "0", "-", "-", "live"}));
    EXPECT_EQ(std::count(all.out.begin(), all.out.end(), '\n'), 35) << all.out;
    const auto rows = CsvRecords(report.out);
    ASSERT_EQ(rows.size(), 36u) << report.out;
    std::size_t bodiless = 0;
    for (const auto& row : rows)
        bodiless += row[19] == "missing body" && row[9].empty();
    EXPECT_EQ(bodiless, 35u);
    EXPECT_EQ(copy.exitCode, 1);
    EXPECT_NE(copy.err.find(redirect + ": missing body: its record names no file"), std::string::npos) << copy.err;
    EXPECT_NE(copy.err.find("35 of 35 entries skipped"), std::string::npos) << copy.err;
    EXPECT_NE(warc.err.find("(35 missing body)"), std::string::npos) << warc.err;
    EXPECT_EQ(remove.exitCode, 1);
    EXPECT_NE(remove.err.find(": " + std::string(larkspool::kRedirectRecordText)), std::string::npos) << remove.err;
    EXPECT_TRUE(IndexBytes() == bytes);
}

// Run an hour ahead, so that a file just written counts as left behind.
TEST_F(Cli, a_copied_cache_keeps_its_leftover_files_after_an_add_and_the_own_cache_does_not)
{
    if (QStandardPaths::findExecutable(QStringLiteral("faketime")).isEmpty())
        GTEST_SKIP() << "faketime is not installed";
    if (kSanitized)
        GTEST_SKIP() << "faketime's clock and the address sanitizer's runtime cannot share a process";
    const QString page = WriteFile(QStringLiteral("page.htm"), "x");
    const CliRun first = Start({QStringLiteral("add"), QStringLiteral("http://host/a.htm"), page});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const std::filesystem::path leftover = std::filesystem::path(first.out.substr(0, first.out.find('\n')))
                                               .parent_path() / "leftover.htm";
    larkspool::testing::WriteFile(leftover, "no record names me");
    const auto addLater = [&](const QString& url, bool asOwnCache) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("NO_FAKE_STAT"), QStringLiteral("1"));
        QStringList args{QStringLiteral("-f"), QStringLiteral("+1h"), CliProgram()};
        if (asOwnCache)
            environment.insert(QStringLiteral("LARKSPOOL_CACHE"), CacheDir());
        else
            args << QStringLiteral("--cache") << CacheDir();
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral("faketime"), args << QStringLiteral("add") << url << page);
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return -1; // a run that never ends is no success
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    };

    ASSERT_EQ(addLater(QStringLiteral("http://host/b.htm"), false), 0);
    EXPECT_TRUE(std::filesystem::exists(leftover));
    ASSERT_EQ(addLater(QStringLiteral("http://host/c.htm"), true), 0);
    EXPECT_FALSE(std::filesystem::exists(leftover));
}

// Thirteen real Firefox entries: each body is the entry file's bytes before
// the metadata offset its last four bytes give (big-endian), gunzipped when
// its head says gzip. Of the two of http://ocsp.pki.goog/GTSGIAG3, equal in
// time, the first by name is kept; the 204 answer is left out. The report
// gives the SHA-256 of each body; the export writes them, but for the page,
// whose links it rewrites, and one path longer than a path may be, skipped
// by name.
TEST_F(Cli, the_thirteen_firefox_entries_list_and_export_byte_for_byte)
{
    const std::filesystem::path entries = LARKSPOOL_TESTDATA_DIR "/firefox-cache2-13/entries";
    if (!std::filesystem::is_directory(entries))
        GTEST_SKIP() << "no " << entries;
    const QString cache = QFile::decodeName(entries.parent_path().c_str());
    struct Row {
        const char* file;
        const char* sitePath;
        bool gzip;
        bool notAsStored = false;
    };
    const std::vector<Row> rows{
        {"029FC2EB7DA2609A5A64FF708B05293423C821BE", "ocsp.pki.goog/GTSGIAG3", false},
        {"53DAE4B1D7BFF6744CCAF7207DE631267F9883DC", "ssl.gstatic.com/gb/images/i1_1967ca6a.png", false},
        {"C1D678C6EA72E24B3992498283CA2643CBE54C2E", "tb.symcd.com/index.html", false},
        {"BF13DDDC114B55CF8532A4CD90403A99233AEC0E", "www.google.com/images/branding/product/ico/googleg_lodp.ico", true},
        {"6C9B846926C287B15F67D64CE91F1CFA7D812660", "www.google.com/images/nav_logo242.png", false},
        {"5D1BA4A8101DEFA98770279CFFE3F6D06083C1C7",
         "www.google.com/logos/doodles/2018/switzerland-national-day-2018-5298867561037824-s.png", false},
        {"1A2727E7DE587AC824F5EB4E047D70D13E8FA810", "www.google.com/search.htm", true, true},
        {"996FF69B28B46AA08240D5B033726E178EA73F53", "www.google.com/textinputassistant/tia.png", false},
        {"81203178B9740339077597CBBBD8F3ECCD4B9DCB",
         "www.google.com/xjs/_/js/k=xjs.s.de.FPxLkcB0mVo.O/am=IIswG0MAkP9TGEgUYAUjLDCBgiEC/rt=j/d=1/dg=0/"
         "rs=ACT90oHSYFirsXJUNzRiS0Ehx7q79v3mYg/m=aa,abd,async,dvl,foot,ipv6,lu,m,mu,sf,tl,vs,d3l,tnv,abn,cbin,tnqaT,"
         "aam1T,yyqeUd,WgDvvc,TxZWcc.js", true, true},
        {"5CDBAD3BE8DA69874B129A1B1781714C890E9AFC",
         "www.google.com/xjs/_/js/k=xjs.s.de.FPxLkcB0mVo.O/m=sx,sb,cdos,cr,elog,hsm,jsa,r,d,csi/"
         "am=IIswG0MAkP9TGEgUYAUjLDCBgiEC/rt=j/d=1/dg=0/rs=ACT90oHSYFirsXJUNzRiS0Ehx7q79v3mYg.js", true},
        {"77F0CB8AF80EBB0328B6F2145232F7E2A8E6FF4E",
         "www.gstatic.com/og/_/js/k=og.og2.en_US.lDCNQyLinAU.O/rt=j/m=def/exm=in,fot/d=1/ed=1/"
         "rs=AA2YrTt_Gp8ptIKsQaKD-zAWSDKehGuDeA.js", true},
    };
    const auto body = [&](const Row& row) {
        const std::string bytes = larkspool::testing::ReadFile(entries / row.file);
        const auto* tail = reinterpret_cast<const unsigned char*>(bytes.data() + bytes.size() - 4);
        const std::string stored = bytes.substr(0, std::size_t(tail[0]) << 24 | tail[1] << 16 | tail[2] << 8 | tail[3]);
        if (!row.gzip)
            return stored;
        QProcess gunzip;
        gunzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc")});
        gunzip.write(QByteArray::fromStdString(stored));
        gunzip.closeWriteChannel();
        gunzip.waitForFinished(60000);
        return gunzip.readAllStandardOutput().toStdString();
    };

    const CliRun list = StartOn(cache, {QStringLiteral("list")});
    const CliRun report = StartOn(cache, {QStringLiteral("report")});
    const CliRun copy = StartOn(cache, {QStringLiteral("export"), QStringLiteral("--to"), Dir() + "/out"});

    ASSERT_EQ(list.exitCode, 0) << list.err;
    std::vector<std::string> listed;
    for (std::size_t start = 0, end; (end = list.out.find('\n', start)) != std::string::npos; start = end + 1)
        listed.push_back(Fields(list.out.substr(start, end - start))[0]);
    std::vector<std::string> expected;
    for (const Row& row : rows)
        expected.push_back(row.sitePath);
    EXPECT_EQ(listed, expected);
    std::map<std::string, std::string> sha256;
    for (const auto& record : CsvRecords(report.out))
        sha256[record[1]] = record[9];
    for (const Row& row : rows)
        EXPECT_EQ(sha256[row.sitePath], QCryptographicHash::hash(QByteArray::fromStdString(body(row)),
                                                                 QCryptographicHash::Sha256).toHex().toStdString())
            << row.sitePath;
    EXPECT_EQ(copy.exitCode, 1);
    EXPECT_NE(copy.err.find("TxZWcc.js: not a path inside the destination folder, or longer than 259 bytes"),
              std::string::npos) << copy.err;
    EXPECT_NE(copy.err.find("1 of 11 entries skipped, the rest done"), std::string::npos) << copy.err;
    for (const Row& row : rows) {
        const std::filesystem::path exported = m_folder.Path() / "out" / row.sitePath;
        if (!row.notAsStored)
            EXPECT_TRUE(larkspool::testing::ReadFile(exported) == body(row)) << exported;
    }
}

TEST_F(Cli, add_from_the_entry_s_own_cache_file_keeps_its_content)
{
    const QString page = WriteFile(QStringLiteral("page.htm"), "precious");
    const CliRun first = Start({QStringLiteral("add"), QStringLiteral("http://host/p.htm"), page});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const QString cacheFile = QString::fromStdString(first.out).trimmed();

    const CliRun again = Start({QStringLiteral("add"), QStringLiteral("http://host/p.htm"), cacheFile});

    EXPECT_EQ(again.exitCode, 0) << again.err;
    const CliRun entries = Start({QStringLiteral("entries")});
    EXPECT_EQ(std::count(entries.out.begin(), entries.out.end(), '\n'), 1) << entries.out;
    EXPECT_EQ(larkspool::testing::ReadFile(Fields(entries.out)[1]), "precious");
}

TEST_F(Cli, add_then_entries_then_remove)
{
    const QString page = WriteFile(QStringLiteral("page.htm"), "<html><title>x</title></html>");

    const CliRun added = Start({QStringLiteral("add"), QStringLiteral("http://host/dir/page.htm"), page,
                             QStringLiteral("--modified"), QStringLiteral("2006-05-14T09:30:00Z")});
    const CliRun listed = Start({QStringLiteral("entries")});

    ASSERT_EQ(added.exitCode, 0) << added.err;
    const std::vector<std::string> fields = Fields(listed.out);
    ASSERT_EQ(fields.size(), 6u) << listed.out;
    EXPECT_EQ(fields[0], "http://host/dir/page.htm");
    EXPECT_EQ(fields[1] + "\n", added.out);
    EXPECT_EQ(fields[2].size(), 8u);
    EXPECT_EQ(fields[3], "29");
    EXPECT_EQ(fields[4], "2006-05-14T09:30:00Z");

    const CliRun removed = Start({QStringLiteral("remove"), QStringLiteral("http://host/dir/page.htm")});
    const CliRun again = Start({QStringLiteral("remove"), QStringLiteral("http://host/dir/page.htm")});
    EXPECT_EQ(removed.exitCode, 0);
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(Start({QStringLiteral("entries")}).out, "");
}

TEST_F(Cli, add_replaces_the_old_entry_of_the_url)
{
    const QString first = WriteFile(QStringLiteral("a.gif"), "GIF89a-1");
    const QString second = WriteFile(QStringLiteral("b.gif"), "GIF89a-22");

    Start({QStringLiteral("add"), QStringLiteral("http://host/a.gif"), first});
    Start({QStringLiteral("add"), QStringLiteral("http://host/a.gif"), second});
    const CliRun listed = Start({QStringLiteral("entries")});

    EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 1);
    EXPECT_NE(listed.out.find("\t9\t"), std::string::npos);
}

TEST_F(Cli, add_of_a_missing_file_stops_with_one)
{
    const CliRun run = Start({QStringLiteral("add"), QStringLiteral("http://host/a.gif"),
                           Dir() + QStringLiteral("/nothing.gif")});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(Start({QStringLiteral("entries")}).out, "");
}

// A body that does not decode is found when the listing first counts its
// size, after the cache opened: it is still named.
TEST_F(Cli, a_browser_cache_body_that_does_not_decode_is_named_and_left_out)
{
    using larkspool::testing::ResponseRecord;
    const std::string folder = m_folder.Under("chrome");
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/index", std::ios::binary) << std::string(24, '\0');
    larkspool::testing::SimpleEntry good;
    good.key = "1/0/_dk_http://h http://h http://h/good.html";
    larkspool::testing::SimpleEntry bad;
    bad.key = "1/0/_dk_http://h http://h http://h/bad.html";
    bad.body = "not gzip at all";
    bad.record = ResponseRecord(0x80000003u, std::string("HTTP/1.1 200 OK\0Content-Encoding: gzip\0\0", 40));
    std::ofstream(folder + "/00000000000000aa_0", std::ios::binary) << good.Bytes();
    std::ofstream(folder + "/00000000000000bb_0", std::ios::binary) << bad.Bytes();

    const CliRun run = StartOn(QString::fromStdString(folder), {QStringLiteral("list")});

    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("http://h/good.html"), std::string::npos);
    EXPECT_EQ(run.out.find("http://h/bad.html"), std::string::npos);
    EXPECT_NE(run.err.find("cannot read " + bad.key + ": "), std::string::npos) << run.err;
}

// Media and a script fetched by byte ranges, kept by both Chromium backends:
// the simple cache's "_s" file and blockfile's 1 KiB blocks of children.
// The ranges are of the bytes on the wire, so an encoded body put together
// from them is the encoded resource: whole, it is exported decoded; with a
// gap it cannot be decoded and is named and left out. A plain body with a
// gap is exported with zeros and its state says how much is kept.
class CliRanges : public Cli {
protected:
    struct Ranged {
        std::string name;     // below http://a.example/
        std::string encoding; // of the stored bytes
        std::string stored;
        std::vector<std::pair<std::uint64_t, std::uint64_t>> kept; // offset, length in stored
    };

    static std::string Key(const std::string& name) { return "1/0/_dk_http://a.example http://a.example http://a.example/" + name; }
    static std::string Head(const Ranged& body)
    {
        const auto& [offset, length] = body.kept.front();
        std::string head = "HTTP/1.1 206 Partial Content\0Content-Range: bytes " + std::to_string(offset) + "-" +
                           std::to_string(offset + length - 1) + "/" + std::to_string(body.stored.size()) + '\0';
        if (!body.encoding.empty())
            head += "Content-Encoding: " + body.encoding + '\0';
        return head + (body.name.ends_with(".js") ? "Content-Type: text/javascript" : "Content-Type: video/webm") +
               std::string(2, '\0');
    }

    void WriteSimple(const std::filesystem::path& folder, const std::vector<Ranged>& bodies) const
    {
        using namespace larkspool::testing;
        larkspool::testing::WriteFile(folder / "index", std::string(24, '\0'));
        int n = 0;
        for (const Ranged& body : bodies) {
            SimpleEntry entry;
            entry.key = Key(body.name);
            entry.body.clear();
            entry.record = ResponseRecord(0x80000003u, Head(body));
            std::vector<std::pair<std::uint64_t, std::string>> ranges;
            for (const auto& [offset, length] : body.kept)
                ranges.emplace_back(offset, body.stored.substr(offset, length));
            const std::string hash = "00000000000000a" + std::to_string(++n);
            larkspool::testing::WriteFile(folder / (hash + "_0"), entry.Bytes());
            larkspool::testing::WriteFile(folder / (hash + "_s"), SimpleSparseFile(entry.key, ranges));
        }
    }

    // One child each, its ranges whole 1 KiB blocks but for the last.
    void WriteBlockfile(const std::filesystem::path& folder, const std::vector<Ranged>& bodies) const
    {
        using namespace larkspool::testing;
        constexpr std::uint64_t kSignature = 0x5e1f00d2c3b4a59ULL;
        BlockfileBuilder cache;
        std::uint32_t bucket = 0;
        for (const Ranged& body : bodies) {
            std::vector<std::uint32_t> blocks;
            std::int32_t lastBlock = -1, lastLength = 0;
            for (const auto& [offset, length] : body.kept)
                for (std::uint64_t at = offset; at < offset + length; at += 1024) {
                    if (offset + length - at >= 1024)
                        blocks.push_back(std::uint32_t(at / 1024));
                    else
                        lastBlock = std::int32_t(at / 1024), lastLength = std::int32_t(offset + length - at);
                }
            std::string held;
            for (const auto& [offset, length] : body.kept)
                held.resize(std::max<std::size_t>(held.size(), offset + length), '\0');
            for (const auto& [offset, length] : body.kept)
                held.replace(offset, length, body.stored.substr(offset, length));
            const std::string key = Key(body.name);
            cache.AddEntry(larkspool::browsercache::blockfile::ChildKey(key, kSignature, 0), "", held,
                           BlockfileBuilder::Where::External, ++bucket, 0, BlockfileBuilder::Where::Data1,
                           SparseControl(key, kSignature, lastBlock, lastLength, blocks, 128), 2);
            cache.AddEntry(key, ResponseRecord(0x3, Head(body)), "", BlockfileBuilder::Where::External, ++bucket, 0,
                           BlockfileBuilder::Where::Data1, SparseControl(key, kSignature, 0, 0, {0}, 4), 1);
        }
        cache.WriteTo(folder);
    }
};

TEST_F(CliRanges, encoded_bodies_export_decoded_when_whole_and_gaps_show_as_partial)
{
    using larkspool::testing::Deflated;
    using larkspool::testing::ReadFile;
    std::string script;
    for (std::uint32_t n = 1; script.size() < 9000; n = n * 1103515245u + 12345u)
        script += char('a' + (n >> 16) % 26);
    script = "var s = '" + script + "';\n";
    const std::string gzip = Deflated(script, 15 + 16), deflate = Deflated(script, 15);
    ASSERT_GT(gzip.size(), 4096u);
    const std::string media = std::string(3072, 'm');
    const std::vector<Ranged> bodies = {
        {"gzip.js", "gzip", gzip, {{0, 2048}, {2048, gzip.size() - 2048}}},
        {"deflate.js", "deflate", deflate, {{1024, deflate.size() - 1024}, {0, 1024}}},
        {"gap.js", "gzip", gzip, {{0, 1024}, {2048, gzip.size() - 2048}}},
        {"gap.webm", "", media, {{0, 1024}, {2048, 1024}}},
        {"whole.webm", "", media, {{0, 3072}}},
    };
    for (const char* kind : {"simple", "blockfile"}) {
        const std::filesystem::path cache = m_folder.Path() / kind;
        if (kind == std::string("simple"))
            WriteSimple(cache, bodies);
        else
            WriteBlockfile(cache, bodies);
        const std::string out = m_folder.Under(std::string("out-") + kind);

        const CliRun exported = StartOn(QString::fromStdString(cache.string()),
                                        {QStringLiteral("export"), QStringLiteral("--to"), QString::fromStdString(out)});
        const CliRun entries = StartOn(QString::fromStdString(cache.string()), {QStringLiteral("entries"), QStringLiteral("--recovered")});

        EXPECT_NE(exported.exitCode, 2) << kind << exported.err;
        EXPECT_TRUE(ReadFile(out + "/a.example/gzip.js") == script) << kind;
        EXPECT_TRUE(ReadFile(out + "/a.example/deflate.js") == script) << kind;
        EXPECT_FALSE(std::filesystem::exists(out + "/a.example/gap.js")) << kind;
        EXPECT_NE(exported.err.find("its gzip-encoded body is kept with gaps (" + std::to_string(gzip.size() - 1024) +
                                    " of " + std::to_string(gzip.size()) + " bytes) and cannot be decoded"),
                  std::string::npos)
            << kind << exported.err;
        EXPECT_EQ(ReadFile(out + "/a.example/gap.webm"), std::string(1024, 'm') + std::string(1024, '\0') + std::string(1024, 'm'))
            << kind;
        EXPECT_EQ(ReadFile(out + "/a.example/whole.webm"), media) << kind;

        ASSERT_EQ(entries.exitCode, 0) << kind << entries.err;
        std::map<std::string, std::string> states;
        for (std::size_t at = 0; at < entries.out.size();) {
            const std::size_t end = entries.out.find('\n', at);
            const std::vector<std::string> fields = Fields(entries.out.substr(at, end - at));
            if (fields.size() == 7)
                states[fields[0]] = fields[6];
            at = end == std::string::npos ? end : end + 1;
        }
        EXPECT_EQ(states, (std::map<std::string, std::string>{{"http://a.example/gzip.js", "live"},
                                                               {"http://a.example/deflate.js", "live"},
                                                               {"http://a.example/gap.webm", "partial: 2048 of 3072 bytes"},
                                                               {"http://a.example/whole.webm", "live"}}))
            << kind << entries.out;
    }
}

// A time the file system cannot hold is listed as the exported file gets it.
TEST_F(Cli, times_beyond_the_file_system_list_and_export_as_its_nearest_end)
{
    struct Row {
        const char* name;
        std::uint64_t ticks;
        std::int64_t fileSeconds;
        const char* listedYear;
    };
    const Row rows[] = {
        {"2^63 ticks", 1ULL << 63, 15032385535, "2446-"},
        {"the largest", ~0ULL, 15032385535, "2446-"},
        {"before 1901", 1, -2147483648LL, "1901-"},
    };
    for (const Row& row : rows) {
        std::filesystem::remove_all(CacheDir().toStdString());
        {
            larkspool::IndexDatCache cache(CacheDir().toStdString());
            char path[MAX_PATH] = {};
            ASSERT_TRUE(cache.CreateUrlCacheEntryA("http://h/a.txt", 0, "txt", path, 0));
            larkspool::testing::WriteFile(path, "a");
            ASSERT_TRUE(cache.CommitUrlCacheEntryA("http://h/a.txt", path, FILETIME{},
                                                   larkspool::MakeFileTime(row.ticks), 0, nullptr, 0, "txt", nullptr));
        }
        const QString out = Dir() + QStringLiteral("/out");

        const CliRun listed = Start({QStringLiteral("list")});
        const CliRun exported = Start({QStringLiteral("export"), QStringLiteral("--to"), out,
                                       QStringLiteral("--overwrite"), QStringLiteral("all")});

        ASSERT_EQ(Fields(listed.out).size(), 6u) << row.name << ": " << listed.out;
        EXPECT_EQ(Fields(listed.out)[4].substr(0, 5), row.listedYear) << row.name;
        EXPECT_EQ(exported.exitCode, 0) << row.name << ": " << exported.err;
        struct stat info {};
        ASSERT_EQ(stat((out + QStringLiteral("/h/a.txt")).toStdString().c_str(), &info), 0) << row.name;
        EXPECT_EQ(std::int64_t(info.st_mtim.tv_sec), row.fileSeconds) << row.name;
    }
}

// One bad entry never stops an export: it is named with its reason, the
// rest is written, and the exit status says something was skipped.
TEST_F(Cli, a_bad_entry_is_named_and_skipped_and_the_export_goes_on)
{
    const std::string folder = m_folder.Under("chrome");
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/index", std::ios::binary) << std::string(24, '\0');
    const auto entry = [&](const std::string& name, const std::string& url) {
        larkspool::testing::SimpleEntry made;
        made.key = "1/0/_dk_http://h http://h " + url;
        made.body = "body of " + name;
        return made;
    };
    const std::string flipped = "http://h/flipped.html";
    const std::string nul = std::string("http://h/nul\0.html", 18);
    std::string flippedBytes = entry("flipped", flipped).Bytes();
    flippedBytes[24 + entry("flipped", flipped).key.size()] ^= 0x04; // in the body, after the header and key
    std::ofstream(folder + "/00000000000000a1_0", std::ios::binary) << entry("a", "http://h/a.html").Bytes();
    std::ofstream(folder + "/00000000000000a2_0", std::ios::binary) << flippedBytes;
    std::ofstream(folder + "/00000000000000a3_0", std::ios::binary) << entry("nul", nul).Bytes();
    std::ofstream(folder + "/00000000000000a4_0", std::ios::binary) << entry("b", "http://h/b.html").Bytes();
    const std::string out = m_folder.Under("out");

    const CliRun listed = StartOn(QString::fromStdString(folder), {QStringLiteral("list")});
    const CliRun exported =
        StartOn(QString::fromStdString(folder), {QStringLiteral("export"), QStringLiteral("--to"), QString::fromStdString(out)});

    EXPECT_EQ(exported.exitCode, 1) << exported.err;
    EXPECT_EQ(larkspool::testing::ReadFile(out + "/h/a.html"), "body of a");
    EXPECT_EQ(larkspool::testing::ReadFile(out + "/h/b.html"), "body of b");
    EXPECT_FALSE(std::filesystem::exists(out + "/h/flipped.html"));
    EXPECT_NE(exported.err.find("2 entries of the cache could not be read and were left out"), std::string::npos)
        << exported.err;
    for (const CliRun* run : {&listed, &exported}) {
        EXPECT_NE(run->err.find("cannot read 1/0/_dk_http://h http://h http://h/nul%00.html: a NUL byte in its URL"),
                  std::string::npos)
            << run->err;
        EXPECT_NE(run->err.find("00000000000000a2_0: the body's checksum does not match"), std::string::npos)
            << run->err;
    }
    EXPECT_EQ(listed.out.find("nul"), std::string::npos) << listed.out;
    EXPECT_EQ(listed.out.find("flipped"), std::string::npos) << listed.out;
}

// A home with two browsers opens as one catalogue: every entry of both, each
// reported in its own cache's format, exported as one site in which the newer
// copy of the URL both hold is written and the older named as skipped.
TEST_F(Cli, a_folder_of_two_browsers_caches_lists_reports_and_exports_them_as_one_site)
{
    using namespace larkspool::testing;
    WriteTwoBrowserCaches(m_folder.Path() / "home");
    const QString home = Dir() + QStringLiteral("/home");
    const std::string out = m_folder.Under("out");

    const CliRun listed = StartOn(home, {QStringLiteral("list")});
    const CliRun report = StartOn(home, {QStringLiteral("report")});
    const CliRun exported =
        StartOn(home, {QStringLiteral("export"), QStringLiteral("--to"), QString::fromStdString(out)});
    const CliRun oneNode = StartOn(home, {QStringLiteral("export"), QStringLiteral("--to"),
                                          QString::fromStdString(out + "2"),
                                          QString::fromUtf8(kChromiumMember) + QStringLiteral("/both.example")});
    const CliRun entries = StartOn(home, {QStringLiteral("entries"), QStringLiteral("--recovered")});
    const CliRun justFirefox = StartOn(home + QStringLiteral("/mozilla/profile/cache2"), {QStringLiteral("list")});

    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 4) << listed.out;
    ASSERT_EQ(report.exitCode, 0) << report.err;
    std::multiset<std::pair<std::string, std::string>> formats;
    for (const auto& record : CsvRecords(report.out))
        if (record.size() > 2 && record[0] != "url")
            formats.emplace(record[0], record[2]);
    EXPECT_EQ(formats, (std::multiset<std::pair<std::string, std::string>>{
                           {"http://c.example/only.html", "chromium-simple"},
                           {"http://both.example/same.html", "chromium-simple"},
                           {"http://f.example/only.html", "firefox-cache2"},
                           {"http://both.example/same.html", "firefox-cache2"}}))
        << report.out;

    EXPECT_EQ(exported.exitCode, 1) << exported.err;
    EXPECT_EQ(ReadFile(out + "/both.example/same.html"), "newer, from firefox");
    EXPECT_EQ(ReadFile(out + "/c.example/only.html"), "chromium only");
    EXPECT_EQ(ReadFile(out + "/f.example/only.html"), "firefox only");
    EXPECT_EQ(std::distance(std::filesystem::recursive_directory_iterator(out), {}), 6) << "three hosts, three files";
    EXPECT_NE(exported.err.find("skipped: cannot copy to " + out + "/both.example/same.html: "
                                "http://both.example/same.html (" + kChromiumMember +
                                "): a duplicate of the newer entry of " + kFirefoxMember),
              std::string::npos)
        << exported.err;
    EXPECT_NE(exported.err.find("1 of 4 entries skipped"), std::string::npos) << exported.err;

    EXPECT_EQ(oneNode.exitCode, 0) << oneNode.err;
    EXPECT_EQ(ReadFile(out + "2/both.example/same.html"), "older, from chromium");
    EXPECT_FALSE(std::filesystem::exists(out + "2/c.example"));
    EXPECT_EQ(entries.exitCode, 0) << entries.err;
    EXPECT_EQ(std::count(entries.out.begin(), entries.out.end(), '\n'), 4) << entries.out;
    EXPECT_EQ(entries.out.find("recovered"), std::string::npos) << entries.out;

    ASSERT_EQ(justFirefox.exitCode, 0) << justFirefox.err;
    EXPECT_EQ(std::count(justFirefox.out.begin(), justFirefox.out.end(), '\n'), 2) << justFirefox.out;
    EXPECT_EQ(justFirefox.out.find("c.example"), std::string::npos) << justFirefox.out;
}

// The folder holding several caches is the user's: an export may go beside
// the caches, never into one of them.
TEST_F(Cli, an_export_from_several_caches_goes_beside_them_but_never_into_one)
{
    using namespace larkspool::testing;
    WriteTwoBrowserCaches(m_folder.Path() / "home");
    const QString home = Dir() + QStringLiteral("/home");
    const std::string firefox = m_folder.Under("home/mozilla/profile/cache2");

    const CliRun beside = StartOn(home, {QStringLiteral("export"), QStringLiteral("--to"), home + QStringLiteral("/out")});
    const CliRun into = StartOn(home, {QStringLiteral("export"), QStringLiteral("--to"),
                                       QString::fromStdString(firefox + "/x")});

    EXPECT_EQ(beside.exitCode, 1) << beside.err; // the older same.html skipped
    EXPECT_EQ(ReadFile(m_folder.Path() / "home/out/f.example/only.html"), "firefox only");
    EXPECT_EQ(ReadFile(m_folder.Path() / "home/out/c.example/only.html"), "chromium only");
    EXPECT_NE(into.exitCode, 0);
    EXPECT_NE(into.err.find("it lies in the cache folder being read (" + firefox + ")"), std::string::npos) << into.err;
    EXPECT_FALSE(std::filesystem::exists(firefox + "/x"));
}

// An index.dat cache beside a browser's: the browser's entries refuse every
// write with the read-only cache's words, the index.dat's take them.
TEST_F(Cli, writes_to_several_caches_are_refused_only_for_the_read_only_ones)
{
    using namespace larkspool::testing;
    WriteTwoBrowserCaches(m_folder.Path() / "home");
    const QString home = Dir() + QStringLiteral("/home");
    const QString page = WriteFile(QStringLiteral("page.htm"), "ie page");
    ASSERT_EQ(StartOn(home + QStringLiteral("/ie/Content.IE5"), {QStringLiteral("add"), QStringLiteral("http://ie.example/a.htm"), page})
                  .exitCode,
              0);

    const CliRun move = StartOn(home, {QStringLiteral("export"), QStringLiteral("--to"), Dir() + QStringLiteral("/out"),
                                       QStringLiteral("--move"), QStringLiteral("--yes")});
    const CliRun refused = StartOn(home, {QStringLiteral("remove"), QStringLiteral("http://f.example/only.html")});
    const CliRun copied = StartOn(home, {QStringLiteral("export"), QStringLiteral("--to"), Dir() + QStringLiteral("/copy")});
    const CliRun removed = StartOn(home, {QStringLiteral("remove"), QStringLiteral("http://ie.example/a.htm")});
    const CliRun left = StartOn(home, {QStringLiteral("list")});

    EXPECT_EQ(move.exitCode, 1);
    EXPECT_NE(move.err.find("cannot remove entries: http://both.example/same.html (" + std::string(kChromiumMember) +
                            "): this cache is read-only"),
              std::string::npos)
        << move.err;
    EXPECT_FALSE(QDir(Dir() + QStringLiteral("/out")).exists());
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("cannot remove http://f.example/only.html: this cache is read-only"), std::string::npos)
        << refused.err;
    EXPECT_EQ(copied.exitCode, 1) << copied.err; // the older same.html skipped
    EXPECT_EQ(ReadFile(m_folder.Path() / "copy/ie.example/a.htm"), "ie page");
    EXPECT_EQ(ReadFile(m_folder.Path() / "copy/c.example/only.html"), "chromium only");
    EXPECT_EQ(removed.exitCode, 0) << removed.err;
    EXPECT_EQ(left.out.find("ie.example"), std::string::npos) << left.out;
    EXPECT_EQ(std::count(left.out.begin(), left.out.end(), '\n'), 4) << left.out;
}

// An entry whose path mirrors a file of the cache, exported beside the cache
// with every overwrite allowed, is skipped: the cache keeps every byte.
TEST_F(Cli, an_entry_that_lands_on_a_file_of_the_cache_is_skipped)
{
    const QString page = WriteFile(QStringLiteral("hostile.dat"), "hostile");
    const QString indexDat = Dir() + QStringLiteral("/Content.IE5");
    ASSERT_EQ(StartOn(indexDat, {QStringLiteral("add"), QStringLiteral("http://Content.IE5/index.dat"), page,
                                 QStringLiteral("--modified"), QStringLiteral("2099-01-01T00:00:00Z")})
                  .exitCode,
              0);
    const std::string chrome = m_folder.Under("chrome");
    std::filesystem::create_directories(chrome);
    std::ofstream(chrome + "/index", std::ios::binary) << std::string(24, '\0');
    larkspool::testing::SimpleEntry mirror;
    mirror.key = "1/0/_dk_http://chrome http://chrome http://chrome/00000000000000a1_0";
    std::ofstream(chrome + "/00000000000000a1_0", std::ios::binary) << mirror.Bytes();
    const auto filesUnder = [](const QString& folder) {
        std::map<std::string, std::string> files;
        for (const auto& file : std::filesystem::recursive_directory_iterator(folder.toStdString()))
            if (file.is_regular_file())
                files[file.path().string()] = larkspool::testing::ReadFile(file.path());
        return files;
    };
    for (const QString& cache : {indexDat, QString::fromStdString(chrome)}) {
        const auto before = filesUnder(cache);

        const CliRun run = StartOn(cache, {QStringLiteral("export"), QStringLiteral("--to"), Dir(),
                                           QStringLiteral("--overwrite"), QStringLiteral("all")});

        EXPECT_EQ(run.exitCode, 1) << run.err;
        EXPECT_NE(run.err.find("skipped: cannot copy to " + cache.toStdString() + "/"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(": a folder of the cache being read (" + cache.toStdString() + "), never written"),
                  std::string::npos)
            << run.err;
        EXPECT_TRUE(filesUnder(cache) == before) << cache.toStdString();
    }
}

// A partly copied browser cache is read as far as it goes and stays
// read-only; files no format reads, and a cache out of the search's reach,
// are named with exit 2. No index.dat is ever made beside them.
TEST_F(Cli, a_partly_copied_or_unreachable_browser_cache_is_never_taken_for_an_empty_one)
{
    const std::string entry = larkspool::testing::SimpleEntry().Bytes();
    larkspool::testing::BlockfileBuilder blockfile;
    blockfile.AddEntry("http://h/b.html", "", "body", larkspool::testing::BlockfileBuilder::Where::Data2, 1);
    const std::string blockfileIndex = blockfile.Files()["index"];
    const struct {
        const char* name;
        std::vector<std::pair<std::string, std::string>> files; // below the folder given
        const char* link;                                       // a linked folder to the first file's folder
        int addExit;
        const char* addError;
        int entriesExit;
    } rows[] = {
        {"carved_entries", {{"00000000000000aa_0", entry}}, nullptr, 1, "this cache is read-only", 0},
        {"simple_without_index_dir", {{"index", std::string(24, '\0')}, {"00000000000000aa_0", entry}}, nullptr, 1,
         "this cache is read-only", 0},
        {"blockfile_without_data_0",
         {{"index", blockfileIndex}, {"data_1", blockfile.Files()["data_1"]}, {"data_2", blockfile.Files()["data_2"]}},
         nullptr, 1, "this cache is read-only", 0},
        {"blockfile_without_data_1", {{"index", blockfileIndex}, {"data_2", blockfile.Files()["data_2"]}}, nullptr, 2,
         "not one of the 1 entries of", 2},
        {"blockfile_without_index", {{"data_1", "x"}}, nullptr, 2, "no entry ranked in data_0", 2},
        {"unknown_index", {{"index", "not a cache index"}}, nullptr, 2, "holds index of a browser's cache", 2},
        {"deeper_than_the_search", {{"1/2/3/4/5/6/7/00000000000000aa_0", entry}}, nullptr, 2,
         "lies 7 folders down, deeper than the search goes (6)", 2},
        {"behind_a_linked_folder", {{"../elsewhere/00000000000000aa_0", entry}}, "profile/Cache", 2,
         "lies behind a linked folder", 2},
    };
    for (const auto& row : rows) {
        const std::filesystem::path folder = m_folder.Path() / row.name / "given";
        std::filesystem::create_directories(folder);
        for (const auto& [name, bytes] : row.files)
            larkspool::testing::WriteFile(folder / name, bytes);
        if (row.link) {
            std::filesystem::create_directories((folder / row.link).parent_path());
            std::filesystem::create_directory_symlink(folder / row.files[0].first.substr(0, row.files[0].first.rfind('/')),
                                                      folder / row.link);
        }
        const QString given = QString::fromStdString(folder.string());

        const CliRun add = StartOn(given, {QStringLiteral("add"), QStringLiteral("http://h/x.html"), WriteFile("x.html", "x")});
        const CliRun entries = StartOn(given, {QStringLiteral("entries")});

        EXPECT_EQ(add.exitCode, row.addExit) << row.name << ": " << add.err;
        EXPECT_NE(add.err.find(row.addError), std::string::npos) << row.name << ": " << add.err;
        EXPECT_EQ(entries.exitCode, row.entriesExit) << row.name << ": " << entries.err;
        EXPECT_FALSE(std::filesystem::exists(folder / "index.dat")) << row.name;
        EXPECT_FALSE(std::filesystem::exists(folder / "index.dat.lock")) << row.name;
    }
}

// A few kilobytes that decode to 16 MiB: listed as at least the listing's
// limit, exported whole when the user allows it, refused past the limit.
TEST_F(Cli, a_body_that_decodes_to_more_than_listing_measures_is_shown_as_at_least_and_exported_to_the_limit)
{
    const std::string folder = m_folder.Under("bomb");
    std::filesystem::create_directories(folder);
    larkspool::testing::SimpleEntry bomb;
    bomb.key = "1/0/_dk_http://h http://h http://h/zeros.bin";
    bomb.body = larkspool::testing::Deflated(std::string(16 << 20, '\0'), 15 + 16);
    bomb.record = larkspool::testing::ResponseRecord(0x80000003u, std::string("HTTP/1.1 200 OK\0Content-Encoding: gzip\0\0", 40));
    std::ofstream(folder + "/00000000000000aa_0", std::ios::binary) << bomb.Bytes();
    const QString cache = QString::fromStdString(folder);
    const auto exportTo = [&](const char* out, const char* most) {
        return StartOn(cache, {QStringLiteral("export"), QStringLiteral("--to"), Dir() + QLatin1String(out),
                               QStringLiteral("--max-body-size"), QLatin1String(most)});
    };

    const CliRun entries = StartOn(cache, {QStringLiteral("entries")});
    const CliRun list = StartOn(cache, {QStringLiteral("list")});
    const CliRun report = StartOn(cache, {QStringLiteral("report")});
    const CliRun refused = exportTo("/small", "1M");
    const CliRun allowed = exportTo("/large", "32M");
    const CliRun zero = exportTo("/zero", "0");

    EXPECT_EQ(Fields(entries.out)[3], "8388608+") << entries.out;
    EXPECT_EQ(Fields(list.out)[3], "8388608+") << list.out;
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("http://h/zeros.bin: the body decodes to more than 1048576 bytes"), std::string::npos)
        << refused.err;
    EXPECT_FALSE(std::filesystem::exists(m_folder.Path() / "small/h/zeros.bin"));
    EXPECT_EQ(allowed.exitCode, 0) << allowed.err;
    EXPECT_EQ(std::filesystem::file_size(m_folder.Path() / "large/h/zeros.bin"), 16u << 20);
    EXPECT_EQ(zero.exitCode, 2);
    EXPECT_NE(zero.err.find("--max-body-size takes a byte count"), std::string::npos) << zero.err;
}

TEST_F(Cli, unreadable_cache_file_exits_two)
{
    SetIndexBytes("this is not a cache file at all");

    const CliRun run = Start({QStringLiteral("entries")});

    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("cannot read the cache"), std::string::npos);
}

TEST_F(Cli, rewrite_both_ways_and_title)
{
    const QString page = WriteFile(QStringLiteral("in.htm"),
                                   "<title>T\x01itle</title><a href=\"http://host/dir/sub/\">x</a>"
                                   "<img src=\"file:///exp/other/a.asp.htm\">");
    const QString exported = Dir() + QStringLiteral("/exported.htm");
    const QString imported = Dir() + QStringLiteral("/imported.htm");

    const CliRun toExport = Start({QStringLiteral("rewrite"), QStringLiteral("--export"), QStringLiteral("host/dir/"),
                                   QStringLiteral("--default-file"), QStringLiteral("default.htm"), page, exported});
    const CliRun toImport =
        Start({QStringLiteral("rewrite"), QStringLiteral("--import"), QStringLiteral("/exp"), page, imported});
    const CliRun title = Start({QStringLiteral("title"), page});

    EXPECT_EQ(toExport.exitCode, 0) << toExport.err;
    EXPECT_EQ(toImport.exitCode, 0) << toImport.err;
    QFile exportedFile(exported);
    QFile importedFile(imported);
    ASSERT_TRUE(exportedFile.open(QIODevice::ReadOnly));
    ASSERT_TRUE(importedFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(exportedFile.readAll().contains("href=\"sub/default.htm\""));
    EXPECT_TRUE(importedFile.readAll().contains("src=\"http://other/a.asp\""));
    EXPECT_EQ(title.out, "Title\n");
}

TEST_F(Cli, rewrite_failures_stop_with_one_or_two)
{
    const QString page = WriteFile(QStringLiteral("in.htm"), "<p>text</p>");

    const CliRun both = Start({QStringLiteral("rewrite"), QStringLiteral("--export"), QStringLiteral("h/"),
                               QStringLiteral("--import"), QStringLiteral("/b"), page, page + QStringLiteral(".out")});
    const CliRun missing = Start({QStringLiteral("rewrite"), QStringLiteral("--export"), QStringLiteral("h/"),
                                  Dir() + QStringLiteral("/none.htm"), page + QStringLiteral(".out")});
    const CliRun full = Start({QStringLiteral("rewrite"), QStringLiteral("--export"), QStringLiteral("h/"), page,
                               QStringLiteral("/dev/full")});

    EXPECT_EQ(both.exitCode, 2);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("(-3)"), std::string::npos);
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_NE(full.err.find("(-4)"), std::string::npos);
}

// A FIFO nobody writes and a device that never ends are refused at once.
TEST_F(Cli, title_and_rewrite_of_no_regular_file_end_with_the_reason)
{
    const QString fifo = Dir() + QStringLiteral("/page.fifo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString out = Dir() + QStringLiteral("/out.htm");
    const QStringList runs[] = {
        {QStringLiteral("title"), fifo},
        {QStringLiteral("title"), QStringLiteral("/dev/zero")},
        {QStringLiteral("rewrite"), QStringLiteral("--export"), QStringLiteral("h/"), QStringLiteral("/dev/zero"), out},
        {QStringLiteral("rewrite"), QStringLiteral("--export"), QStringLiteral("h/"), fifo, out},
    };
    for (const QStringList& args : runs) {
        const CliRun run = Start(args);

        EXPECT_EQ(run.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_NE(run.err.find("not a regular file"), std::string::npos) << run.err;
        EXPECT_FALSE(QFile::exists(out));
    }
}

// The demo cache of examples/, built by the script scripts/run uses.
class CliOnDemo : public Cli {
protected:
    void SetUp() override
    {
        QProcess make;
        make.start(QStringLiteral("bash"), {QStringLiteral(LARKSPOOL_EXAMPLES "/../scripts/make-demo-cache"),
                                            CliProgram(), CacheDir()});
        ASSERT_TRUE(make.waitForFinished(120000));
        ASSERT_EQ(make.exitCode(), 0) << make.readAllStandardError().toStdString();
    }
    std::vector<std::string> Lines(const std::string& text) const
    {
        std::vector<std::string> lines;
        std::size_t start = 0;
        for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        return lines;
    }
};

TEST_F(CliOnDemo, list_numbers_query_variants_and_tree_counts_folders)
{
    const CliRun list = Start({QStringLiteral("list")});
    const CliRun tree = Start({QStringLiteral("tree")});

    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.out.find("www.larkspool.test/cgi-bin/search.htm\tsearch.htm\thttp://www.larkspool.test/cgi-bin/"
                            "search.cgi?q=lark\t"),
              std::string::npos);
    EXPECT_NE(list.out.find("www.larkspool.test/cgi-bin/search(1).htm\tsearch(1).htm\t"), std::string::npos);
    EXPECT_NE(list.out.find("www.larkspool.test/news/index.asp.htm\t"), std::string::npos);
    const std::vector<std::string> lines = Lines(tree.out);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "MSIE Cache\t0");
    EXPECT_EQ(lines[1], "  blog.larkspool.test\t0");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "    cgi-bin\t2"), lines.end());
}

TEST_F(CliOnDemo, selection_options_narrow_list_tree_export_and_report_together_and_with_paths)
{
    const auto sitePaths = [this](const QStringList& args) {
        const CliRun run = Start(QStringList{QStringLiteral("list")} + args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        std::vector<std::string> paths;
        for (const std::string& line : Lines(run.out))
            paths.push_back(Fields(line)[0]);
        return paths;
    };
    using Paths = std::vector<std::string>;

    EXPECT_EQ(sitePaths({QStringLiteral("--type"), QStringLiteral("images")}),
              (Paths{"static.larkspool.test/img/photo.jpg", "www.larkspool.test/img/logo.gif",
                     "www.larkspool.test/img/paper.gif"}));
    EXPECT_EQ(sitePaths({QStringLiteral("--find"), QStringLiteral("LARK"), QStringLiteral("--larger"),
                         QStringLiteral("1000")}),
              (Paths{"www.larkspool.test/index.html"}));
    EXPECT_EQ(sitePaths({QStringLiteral("--find"), QStringLiteral("search results"), QStringLiteral("--until"),
                         QStringLiteral("2006-05-14T09:31:00Z")}),
              (Paths{"www.larkspool.test/cgi-bin/search.htm"}));
    EXPECT_EQ(sitePaths({QStringLiteral("--since"), QStringLiteral("2006-05-14T00:00:00Z"), QStringLiteral("--type"),
                         QStringLiteral("pages")}),
              (Paths{"blog.larkspool.test/2006/05/entry.html", "www.larkspool.test/cgi-bin/search.htm",
                     "www.larkspool.test/cgi-bin/search(1).htm", "www.larkspool.test/index.html",
                     "www.larkspool.test/news/index.asp.htm"}));

    const CliRun tree = Start({QStringLiteral("tree"), QStringLiteral("--type"), QStringLiteral("styles")});
    EXPECT_EQ(Lines(tree.out), (Paths{"MSIE Cache\t0", "  static.larkspool.test\t0", "    css\t1",
                                      "  www.larkspool.test\t0", "    css\t1"}));
    const CliRun copy = Start({QStringLiteral("export"), QStringLiteral("--type"), QStringLiteral("images"),
                               QStringLiteral("--to"), Dir() + "/out", QStringLiteral("www.larkspool.test")});
    EXPECT_EQ(copy.exitCode, 0) << copy.err;
    EXPECT_TRUE(QFile::exists(Dir() + "/out/www.larkspool.test/img/logo.gif"));
    EXPECT_FALSE(QFile::exists(Dir() + "/out/www.larkspool.test/index.html"));
    EXPECT_FALSE(QDir(Dir() + "/out/static.larkspool.test").exists());
    const CliRun report = Start({QStringLiteral("report"), QStringLiteral("--smaller"), QStringLiteral("60")});
    EXPECT_EQ(report.exitCode, 0) << report.err;
    EXPECT_EQ(CsvRecords(report.out).size(), 4u) << report.out; // the header, print.css and the two GIFs

    const CliRun badType = Start({QStringLiteral("list"), QStringLiteral("--type"), QStringLiteral("fonts")});
    const CliRun badTime = Start({QStringLiteral("report"), QStringLiteral("--since"), QStringLiteral("yesterday")});
    EXPECT_EQ(badType.exitCode, 2);
    EXPECT_NE(badType.err.find("--type is pages, images, scripts, styles, media or other, not fonts"),
              std::string::npos) << badType.err;
    EXPECT_EQ(badTime.exitCode, 2);
    EXPECT_NE(badTime.err.find("--since takes a UTC time such as 2006-05-14T09:30:00Z, not yesterday"),
              std::string::npos) << badTime.err;
}

TEST_F(CliOnDemo, move_without_an_answer_changes_nothing)
{
    const std::string before = Start({QStringLiteral("entries")}).out;

    const CliRun move = Start({QStringLiteral("export"), QStringLiteral("--to"), Dir() + QStringLiteral("/out"),
                               QStringLiteral("--move"), QStringLiteral("www.larkspool.test/img")});

    EXPECT_EQ(move.exitCode, 1);
    EXPECT_NE(move.err.find("--yes"), std::string::npos) << move.err;
    EXPECT_EQ(Start({QStringLiteral("entries")}).out, before);
    EXPECT_FALSE(QDir(Dir() + QStringLiteral("/out")).exists());
}

TEST_F(CliOnDemo, move_with_yes_takes_the_folder_out_of_the_cache)
{
    const CliRun move = Start({QStringLiteral("export"), QStringLiteral("--to"), Dir() + QStringLiteral("/out"),
                               QStringLiteral("--move"), QStringLiteral("--yes"), QStringLiteral("WWW.larkspool.test/IMG")});
    const std::string after = Start({QStringLiteral("entries")}).out;

    EXPECT_EQ(move.exitCode, 0) << move.err;
    EXPECT_EQ(after.find("/img/logo.gif"), std::string::npos);
    EXPECT_NE(after.find("photo.jpg"), std::string::npos); // another host's img folder stays
    EXPECT_TRUE(QFile::exists(Dir() + QStringLiteral("/out/www.larkspool.test/img/logo.gif")));
}

TEST_F(CliOnDemo, export_of_an_unknown_path_stops_with_one)
{
    const CliRun run = Start({QStringLiteral("export"), QStringLiteral("--to"), Dir() + QStringLiteral("/out"),
                              QStringLiteral("www.larkspool.test/nothing")});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("www.larkspool.test/nothing"), std::string::npos);
}

TEST_F(CliOnDemo, exported_tree_imports_back_to_the_same_urls)
{
    const QString out = Dir() + QStringLiteral("/out");
    ASSERT_EQ(Start({QStringLiteral("export"), QStringLiteral("--to"), out}).exitCode, 0);
    const std::vector<std::string> original = Lines(Start({QStringLiteral("list")}).out);

    QProcess import;
    import.start(CliProgram(), {QStringLiteral("--cache"), Dir() + QStringLiteral("/again"),
                                                 QStringLiteral("import"), QStringLiteral("--from"), out});
    import.waitForFinished(60000);
    ASSERT_EQ(import.exitCode(), 0) << import.readAllStandardError().toStdString();
    QProcess list;
    list.start(CliProgram(),
               {QStringLiteral("--cache"), Dir() + QStringLiteral("/again"), QStringLiteral("list")});
    list.waitForFinished(60000);
    const std::vector<std::string> imported = Lines(list.readAllStandardOutput().toStdString());

    // Same SitePaths and times.
    auto keyed = [](const std::vector<std::string>& lines) {
        std::vector<std::string> keys;
        for (const std::string& line : lines) {
            const std::vector<std::string> f = Fields(line);
            keys.push_back(f[0] + " " + f[4]);
        }
        std::sort(keys.begin(), keys.end());
        return keys;
    };
    EXPECT_EQ(keyed(imported), keyed(original));
}

// What the job windows show in a message box comes as one line in one
// language: English, naming the path and the system's reason.
TEST_F(CliOnDemo, job_failures_are_one_english_line_with_path_and_reason)
{
    const std::string out = m_folder.Under("out");
    struct Row {
        const char* name;
        std::string blocker; // made in the destination before the export
        bool fifo;
        std::string says;
    };
    const Row rows[] = {
        {"file_in_place_of_a_folder", "www.larkspool.test", false,
         "cannot make the folder " + out + "/www.larkspool.test: Not a directory"},
        {"pipe_in_place_of_a_file", "www.larkspool.test/img/logo.gif", true,
         "cannot copy to " + out + "/www.larkspool.test/img/logo.gif: a pipe, socket or device, not a plain file"},
    };
    for (const Row& row : rows) {
        std::filesystem::remove_all(out);
        const std::filesystem::path blocker = out + "/" + row.blocker;
        std::filesystem::create_directories(blocker.parent_path());
        if (row.fifo)
            ASSERT_EQ(mkfifo(blocker.c_str(), 0600), 0);
        else
            std::ofstream(blocker) << "x";

        const CliRun run = Start({QStringLiteral("export"), QStringLiteral("--to"), QString::fromStdString(out),
                                  QStringLiteral("www.larkspool.test")});

        EXPECT_EQ(run.exitCode, 1) << row.name;
        EXPECT_NE(run.err.find(row.says + "\n"), std::string::npos) << row.name << ": " << run.err;
        EXPECT_TRUE(std::all_of(run.err.begin(), run.err.end(), [](char c) { return c == '\n' || (c >= 0x20 && c < 0x7F); }))
            << row.name << ": " << run.err;
    }
    const CliRun empty = StartOn(Dir() + QStringLiteral("/none"), {QStringLiteral("list")});
    EXPECT_EQ(empty.err, "Larkspool for Windows: the cache holds no files\n");
}

// The window's question on a terminal: English lines with both sides' sizes
// and times, the answer read from standard input.
TEST_F(CliOnDemo, the_overwrite_question_is_english_and_takes_its_answer)
{
    const QStringList exportImg{QStringLiteral("export"), QStringLiteral("--to"), Dir() + QStringLiteral("/out"),
                                QStringLiteral("--overwrite"), QStringLiteral("ask"),
                                QStringLiteral("www.larkspool.test/img")};
    ASSERT_EQ(Start(exportImg).exitCode, 0);
    const std::string logo = m_folder.Under("out/www.larkspool.test/img/logo.gif");
    larkspool::testing::WriteFile(logo, "mine");

    const CliRun run = Start(exportImg, "c\n");

    EXPECT_NE(run.err.find("'logo.gif' is already there\n  now: 4 bytes, modified 20"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("  new: "), std::string::npos) << run.err;
    EXPECT_TRUE(std::all_of(run.err.begin(), run.err.end(), [](char c) { return c == '\n' || (c >= 0x20 && c < 0x7F); }))
        << run.err;
    EXPECT_EQ(larkspool::testing::ReadFile(logo), "mine");
}

// A cache its user may read but not change. Permissions do not hold for
// root, so ctest runs these again as an unprivileged user.
class CliReadOnly : public Cli {
protected:
    void SetUp() override
    {
        if (geteuid() == 0)
            GTEST_SKIP() << "root ignores permissions; ctest runs this as an unprivileged user";
        QDir().mkpath(Dir() + QStringLiteral("/src/host.test"));
        const QString page = WriteFile(QStringLiteral("src/host.test/page.htm"), "<p>x</p>");
        ASSERT_EQ(Start({QStringLiteral("add"), QStringLiteral("http://host.test/a.htm"), page}).exitCode, 0);
        SetWritable(false);
    }
    void TearDown() override
    {
        if (!IsSkipped())
            SetWritable(true);
    }
    void SetWritable(bool writable) const
    {
        namespace fs = std::filesystem;
        const auto mode = writable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_exec;
        for (const auto& item : fs::recursive_directory_iterator(CacheDir().toStdString()))
            fs::permissions(item.path(), item.is_directory() ? mode : mode & ~fs::perms::owner_exec);
        fs::permissions(CacheDir().toStdString(), mode);
    }
};

TEST_F(CliReadOnly, a_cache_folder_its_user_cannot_enter_exits_two_with_the_reason)
{
    namespace fs = std::filesystem;
    const std::string cache = CacheDir().toStdString();
    fs::permissions(cache, fs::perms::none);

    const CliRun listed = Start({QStringLiteral("list")});
    const CliRun entries = Start({QStringLiteral("entries")});

    fs::permissions(cache, fs::perms::owner_read | fs::perms::owner_exec);
    for (const CliRun& run : {listed, entries}) {
        EXPECT_EQ(run.exitCode, 2) << run.err;
        EXPECT_NE(run.err.find("cannot read the cache folder " + cache + ": Permission denied"), std::string::npos)
            << run.err;
    }
}

// Run as an ordinary user: root reads files of mode 000.
class CliUnreadable : public Cli {
protected:
    void SetUp() override
    {
        if (geteuid() == 0)
            GTEST_SKIP() << "root ignores permissions; ctest runs this as an unprivileged user";
    }
};

TEST_F(CliUnreadable, a_blockfile_cache_whose_files_cannot_be_opened_exits_two_with_the_reason)
{
    larkspool::testing::BlockfileBuilder cache;
    cache.AddEntry("http://h/a.html", "", "body", larkspool::testing::BlockfileBuilder::Where::Data2, 1);
    const struct {
        const char* file;
        const char* reason;
    } rows[] = {
        {"data_1", "entry at data_1 block 0: data_1 cannot be opened: Permission denied"},
        {"index", "the index cannot be opened: Permission denied"},
    };
    for (const auto& row : rows) {
        const std::filesystem::path folder = m_folder.Path() / row.file;
        cache.WriteTo(folder);
        std::filesystem::permissions(folder / row.file, std::filesystem::perms::none);

        const CliRun run = StartOn(QString::fromStdString(folder.string()), {QStringLiteral("entries")});

        EXPECT_EQ(run.exitCode, 2) << row.file;
        EXPECT_NE(run.err.find(row.reason), std::string::npos) << run.err;
    }
}

TEST_F(CliReadOnly, every_write_fails_with_its_reason_and_changes_nothing)
{
    const QString page = WriteFile(QStringLiteral("src/host.test/new.htm"), "<p>new</p>");
    const std::string before = Start({QStringLiteral("entries")}).out;
    const std::string bytes = IndexBytes();
    const QString out = Dir() + QStringLiteral("/out");
    const QStringList writes[] = {
        {QStringLiteral("add"), QStringLiteral("http://host.test/b.htm"), page},
        {QStringLiteral("remove"), QStringLiteral("http://host.test/a.htm")},
        {QStringLiteral("export"), QStringLiteral("--to"), out, QStringLiteral("--move"), QStringLiteral("--yes")},
        {QStringLiteral("export"), QStringLiteral("--to"), out, QStringLiteral("--delete"), QStringLiteral("--yes")},
        {QStringLiteral("import"), QStringLiteral("--from"), Dir() + QStringLiteral("/src")},
    };
    for (const QStringList& args : writes) {
        const CliRun run = Start(args);
        EXPECT_EQ(run.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_NE(run.err.find("permission denied"), std::string::npos) << args.join(' ').toStdString() << ": " << run.err;
        EXPECT_EQ(Start({QStringLiteral("entries")}).out, before);
        EXPECT_TRUE(IndexBytes() == bytes);
    }
}

} // namespace
