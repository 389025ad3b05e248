#include "tests/browsercache/chromium_bytes.h"
#include "tests/support/temp_folder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

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
        process.setProgram(QStringLiteral(LARKSPOOL_CLI));
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

// The demo cache of examples/, built by the script scripts/run uses.
class CliOnDemo : public Cli {
protected:
    void SetUp() override
    {
        QProcess make;
        make.start(QStringLiteral("bash"), {QStringLiteral(LARKSPOOL_EXAMPLES "/../scripts/make-demo-cache"),
                                            QStringLiteral(LARKSPOOL_CLI), CacheDir()});
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
    import.start(QStringLiteral(LARKSPOOL_CLI), {QStringLiteral("--cache"), Dir() + QStringLiteral("/again"),
                                                 QStringLiteral("import"), QStringLiteral("--from"), out});
    import.waitForFinished(60000);
    ASSERT_EQ(import.exitCode(), 0) << import.readAllStandardError().toStdString();
    QProcess list;
    list.start(QStringLiteral(LARKSPOOL_CLI),
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
