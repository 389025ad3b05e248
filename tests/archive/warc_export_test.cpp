// larkspool-cli export --warc from outside: crafted and real caches written
// as WARC files, read back by warcio (the tool archives are read with) and
// by the tests' own reader, every digest recomputed with Qt's SHA-256 and
// every payload compared with the body the cache holds.
#include "tests/archive/warc_records.h"
#include "tests/browsercache/blockfile_builder.h"
#include "tests/browsercache/chromium_bytes.h"
#include "tests/browsercache/deflated_bytes.h"
#include "tests/support/temp_folder.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

namespace {

using namespace larkspool::testing;
namespace fs = std::filesystem;

struct ProcessRun {
    int exitCode;
    std::string out;
    std::string err;
};

ProcessRun Start(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    process.closeWriteChannel();
    process.waitForFinished(300000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
}

ProcessRun Cli(const std::string& cache, const QStringList& args)
{
    return Start(QStringLiteral(LARKSPOOL_CLI), QStringList{"--cache", QString::fromStdString(cache)} + args);
}

std::string Sha256(const std::string& bytes)
{
    return "sha256:" + QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha256).toHex().toStdString();
}

// What warcio makes of the file: one JSON object per record.
std::vector<QJsonObject> WarcioIndex(const std::string& warc)
{
    const ProcessRun run = Start(QStringLiteral("node"), {QStringLiteral(WARCIO_CLI), "index", QString::fromStdString(warc),
                                                   "-f", "offset,warc-type,warc-target-uri,http:status"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::vector<QJsonObject> lines;
    for (const QByteArray& line : QByteArray::fromStdString(run.out).split('\n'))
        if (!line.isEmpty())
            lines.push_back(QJsonDocument::fromJson(line).object());
    return lines;
}

struct Payload {
    std::string head; // empty for a resource record
    std::string body;
};

// Checks what every record must hold and returns its head and payload.
Payload CheckRecord(const WarcRecord& record)
{
    static const QRegularExpression kId("^<urn:uuid:[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}>$");
    static const QRegularExpression kDate("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$");
    const std::string uri = record.Field("WARC-Target-URI");
    EXPECT_TRUE(kId.match(QString::fromStdString(record.Field("WARC-Record-ID"))).hasMatch()) << uri;
    EXPECT_TRUE(kDate.match(QString::fromStdString(record.Field("WARC-Date"))).hasMatch()) << uri;
    EXPECT_EQ(record.Field("WARC-Block-Digest"), Sha256(record.block)) << uri;
    Payload payload;
    if (record.Field("WARC-Type") == "response") {
        EXPECT_EQ(record.Field("Content-Type"), "application/http;msgtype=response");
        const std::size_t end = record.block.find("\r\n\r\n");
        EXPECT_NE(end, std::string::npos) << uri;
        payload.head = record.block.substr(0, end + 4);
        payload.body = record.block.substr(end + 4);
        const std::string head = QString::fromStdString(payload.head).toLower().toStdString();
        EXPECT_EQ(head.find("\r\ntransfer-encoding:"), std::string::npos) << uri;
        EXPECT_EQ(head.find("\r\ncontent-encoding:"), std::string::npos) << uri;
        EXPECT_NE(head.find("\r\ncontent-length: " + std::to_string(payload.body.size()) + "\r\n"), std::string::npos) << uri;
    } else {
        EXPECT_EQ(record.Field("WARC-Type"), "resource") << uri;
        payload.body = record.block;
    }
    EXPECT_EQ(record.Field("WARC-Payload-Digest"), Sha256(payload.body)) << uri;
    return payload;
}

// The records after warcinfo, checked against what warcio lists.
std::vector<WarcRecord> ReadAndIndex(const std::string& warc)
{
    std::string error;
    const std::vector<WarcRecord> records = ReadWarc(ReadFile(warc), warc.ends_with(".gz"), &error);
    EXPECT_EQ(error, "");
    if (records.empty())
        return {};
    const WarcRecord& info = records.front();
    EXPECT_EQ(info.Field("WARC-Type"), "warcinfo");
    EXPECT_EQ(info.Field("WARC-Block-Digest"), Sha256(info.block));
    EXPECT_NE(info.block.find("software: Larkspool "), std::string::npos);
    EXPECT_NE(info.block.find("cache-format: "), std::string::npos);
    EXPECT_NE(info.block.find("rebuilt from a browser cache"), std::string::npos);
    std::set<std::string> ids;
    for (const WarcRecord& record : records)
        ids.insert(record.Field("WARC-Record-ID"));
    EXPECT_EQ(ids.size(), records.size()) << "record ids repeat";

    if (!fs::exists(WARCIO_CLI)) {
        ADD_FAILURE() << "warcio is not installed in the build folder (npm could not reach the registry?)";
    } else {
        const std::vector<QJsonObject> index = WarcioIndex(warc);
        EXPECT_EQ(index.size(), records.size());
        for (std::size_t i = 0; i < std::min(index.size(), records.size()); ++i) {
            const WarcRecord& record = records[i];
            EXPECT_EQ(index[i]["offset"].toInteger(), qint64(record.offset));
            EXPECT_EQ(index[i]["warc-type"].toString().toStdString(), record.Field("WARC-Type"));
            EXPECT_EQ(index[i]["warc-target-uri"].toString().toStdString(), record.Field("WARC-Target-URI"));
            if (record.Field("WARC-Type") == "response") {
                EXPECT_EQ(index[i]["http:status"].toInt(), std::stoi(record.block.substr(9, 3)));
            }
        }
    }
    return {records.begin() + 1, records.end()};
}

bool WarcioMissing() { return !fs::exists(WARCIO_CLI); }

const std::string kPage = "<html><title>t</title>" + std::string(3000, 'p') + "</html>";
const std::string kPng = "\x89PNG\r\n\x1a\n" + std::string(500, 'i');
const std::string kNul(1, '\0');

// A page stored gzip-encoded and chunked, a redirect without a body, and an
// image whose body file is gone.
void WriteCraftedCache(const fs::path& folder)
{
    BlockfileBuilder cache;
    const std::string pageHead = "HTTP/1.1 200 OK" + kNul + "Content-Type: text/html" + kNul +
                                 "Content-Encoding: gzip" + kNul + "Transfer-Encoding: chunked" + kNul +
                                 "Date: Tue, 01 Dec 2026 10:00:00 GMT" + kNul + kNul;
    cache.AddEntry("http://h.example/page.html", ResponseRecord(0x3, pageHead), Deflated(kPage, 15 + 16),
                   BlockfileBuilder::Where::External, 1, 13441196716000000ULL);
    const std::string redirectHead = "HTTP/1.1 302 Found" + kNul + "Location: http://h.example/page.html" + kNul + kNul;
    cache.AddEntry("http://h.example/old", ResponseRecord(0x3, redirectHead), "", BlockfileBuilder::Where::External, 2,
                   13441196716000000ULL);
    const std::string imageHead = "HTTP/1.1 200 OK" + kNul + "Content-Type: image/png" + kNul + kNul;
    cache.AddEntry("http://h.example/gone.png", ResponseRecord(0x3, imageHead), kPng, BlockfileBuilder::Where::External,
                   3, 13441196716000000ULL);
    cache.WriteTo(folder);
    fs::remove(folder / "f_000002"); // the image's body
}

class WarcExport : public ::testing::TestWithParam<const char*> {
protected:
    std::string Archive() const { return m_folder.Under(std::string("out") + GetParam()); }
    TempFolder m_folder;
};

TEST_P(WarcExport, writes_whole_bodies_as_their_responses_and_counts_what_it_left_out)
{
    if (WarcioMissing())
        GTEST_SKIP() << "warcio is not installed: npm could not reach the registry";
    const std::string cache = m_folder.Under("Cache");
    WriteCraftedCache(cache);

    const ProcessRun run = Cli(cache, {"export", "--warc", QString::fromStdString(Archive())});

    EXPECT_EQ(run.exitCode, 1) << "an entry was left out";
    EXPECT_NE(run.err.find("gone.png: the body cannot be read: f_000002 is missing"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("1 entries of the cache could not be read and were left out"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(m_folder.Under("out"))) << "no folder tree without --to";
    const std::vector<WarcRecord> records = ReadAndIndex(Archive());
    std::map<std::string, Payload> byUri;
    for (const WarcRecord& record : records)
        byUri[record.Field("WARC-Target-URI")] = CheckRecord(record);
    ASSERT_EQ(byUri.size(), 2u);
    EXPECT_EQ(byUri.count("http://h.example/gone.png"), 0u) << "a record of invented bytes";
    const Payload& page = byUri["http://h.example/page.html"];
    EXPECT_EQ(page.body, kPage) << "the payload is the decoded body";
    EXPECT_EQ(page.head, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nDate: Tue, 01 Dec 2026 10:00:00 GMT\r\n"
                         "Content-Length: " + std::to_string(kPage.size()) + "\r\n\r\n");
    const Payload& redirect = byUri["http://h.example/old"];
    EXPECT_EQ(redirect.head, "HTTP/1.1 302 Found\r\nLocation: http://h.example/page.html\r\nContent-Length: 0\r\n\r\n");
    EXPECT_EQ(redirect.body, "");
    for (const WarcRecord& record : records) {
        EXPECT_EQ(record.Field("WARC-IP-Address"), "127.0.0.1");
        if (record.Field("WARC-Target-URI") == "http://h.example/page.html") {
            EXPECT_EQ(record.Field("WARC-Date"), "2026-12-01T10:00:00Z") << "the response's Date";
        }
    }
}

TEST_P(WarcExport, takes_only_the_selected_paths)
{
    if (WarcioMissing())
        GTEST_SKIP() << "warcio is not installed: npm could not reach the registry";
    const std::string cache = m_folder.Under("Cache");
    WriteCraftedCache(cache);
    WriteFile(fs::path(cache) / "f_000002", kPng); // every entry whole: the selection alone decides
    std::string sitePath;
    for (const QByteArray& line : QByteArray::fromStdString(Cli(cache, {"list"}).out).split('\n'))
        if (line.split('\t').value(2) == "http://h.example/old")
            sitePath = line.split('\t').value(0).toStdString();
    ASSERT_NE(sitePath, "");

    const ProcessRun run = Cli(cache, {"export", "--warc", QString::fromStdString(Archive()), QString::fromStdString(sitePath)});

    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::vector<WarcRecord> records = ReadAndIndex(Archive());
    ASSERT_EQ(records.size(), 1u) << run.err;
    EXPECT_EQ(records[0].Field("WARC-Target-URI"), "http://h.example/old");
}

// index.dat entries kept without headers: their bodies as resource records
// of the type their file names, a body shorter than the record says left out.
TEST_P(WarcExport, keeps_headless_entries_as_resources_and_leaves_out_a_damaged_body)
{
    if (WarcioMissing())
        GTEST_SKIP() << "warcio is not installed: npm could not reach the registry";
    const std::string cache = m_folder.Under("Content.IE5");
    const std::string text = m_folder.Write("a.txt", "some text\n");
    const std::string image = m_folder.Write("b.png", kPng);
    const ProcessRun added = Cli(cache, {"add", "http://i.example/a.txt", QString::fromStdString(text)});
    ASSERT_EQ(Cli(cache, {"add", "http://i.example/img/b.png", QString::fromStdString(image)}).exitCode, 0);
    ASSERT_EQ(added.exitCode, 0) << added.err;
    fs::resize_file(added.out.substr(0, added.out.find('\n')), 3);

    const ProcessRun run = Cli(cache, {"export", "--warc", QString::fromStdString(Archive())});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("1 of 2 entries left out of the archive " + Archive() + " (1 damaged body)"),
              std::string::npos) << run.err;
    const std::vector<WarcRecord> records = ReadAndIndex(Archive());
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Field("WARC-Target-URI"), "http://i.example/img/b.png");
    EXPECT_EQ(records[0].Field("Content-Type"), "image/png");
    EXPECT_EQ(CheckRecord(records[0]).body, kPng);
}

INSTANTIATE_TEST_SUITE_P(PlainAndGzip, WarcExport, ::testing::Values(".warc", ".warc.gz"),
                         [](const auto& info) { return std::string(info.param).ends_with(".gz") ? "gzip" : "plain"; });

// An archive that cannot be made is an error that names it and its reason,
// and nothing is left under its name or beside it.
TEST(WarcExportRefused, an_unwritable_archive_path_fails_and_leaves_nothing)
{
    TempFolder folder;
    const std::string cache = folder.Under("Cache");
    WriteCraftedCache(cache);
    folder.Write("file", "x");
    fs::create_directories(folder.Under("a-folder"));
    struct Case {
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {folder.Under("file/out.warc.gz"), "Not a directory"},
        {folder.Under("no-such-folder/out.warc"), "No such file or directory"},
        {folder.Under("a-folder"), "Is a directory"},
    };
    for (const Case& c : cases) {
        const ProcessRun run = Cli(cache, {"export", "--warc", QString::fromStdString(c.path)});
        EXPECT_EQ(run.exitCode, 1) << c.path;
        EXPECT_NE(run.err.find(c.path), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
    }
    EXPECT_TRUE(fs::is_directory(folder.Under("a-folder")));
    EXPECT_TRUE(fs::is_empty(folder.Under("a-folder")));
    std::set<std::string> names;
    for (const auto& item : fs::directory_iterator(folder.Path()))
        names.insert(item.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"Cache", "file", "a-folder"})) << "a temporary file left";
}

TEST(WarcExportRefused, bad_usage_exits_two)
{
    TempFolder folder;
    const QStringList cases[] = {
        {"export"},
        {"export", "--warc"},
        {"export", "--warc", "out.warc", "--move", "--yes"},
        {"export", "--warc", "out.warc", "--delete", "--yes"},
    };
    for (const QStringList& args : cases) {
        const ProcessRun run = Cli(folder.Under("Cache"), args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_NE(run.err.find("larkspool-cli: "), std::string::npos);
    }
}

// The report, read as JSON lines: what the cache holds, entry by entry.
std::map<std::string, QJsonObject> ReportRows(const std::string& cache)
{
    const ProcessRun run = Cli(cache, {"report", "--format", "jsonl"});
    std::map<std::string, QJsonObject> rows;
    for (const QByteArray& line : QByteArray::fromStdString(run.out).split('\n'))
        if (!line.isEmpty()) {
            const QJsonObject row = QJsonDocument::fromJson(line).object();
            rows[row["url"].toString().toStdString()] = row;
        }
    return rows;
}

// The real caches of the shared test data: a record for every entry the
// report finds whole, its payload the body the report hashed.
class RealCacheWarc : public ::testing::TestWithParam<const char*> {};

TEST_P(RealCacheWarc, holds_a_record_per_whole_body_as_the_report_hashes_it)
{
    const fs::path cache = fs::path(LARKSPOOL_TESTDATA_DIR) / GetParam();
    if (!fs::exists(cache))
        GTEST_SKIP() << cache << " is not here";
    if (WarcioMissing())
        GTEST_SKIP() << "warcio is not installed: npm could not reach the registry";
    TempFolder folder;
    const std::string archive = folder.Under("cache.warc.gz");

    const ProcessRun run = Cli(cache.string(), {"export", "--warc", QString::fromStdString(archive)});
    const std::map<std::string, QJsonObject> report = ReportRows(cache.string());

    ASSERT_TRUE(fs::exists(archive)) << run.err;
    const std::vector<WarcRecord> records = ReadAndIndex(archive);
    std::size_t whole = 0;
    for (const auto& [url, row] : report)
        whole += row["state"].toString() == "ok";
    EXPECT_EQ(records.size(), whole);
    EXPECT_GT(records.size(), 0u);
    for (const WarcRecord& record : records) {
        const std::string uri = record.Field("WARC-Target-URI");
        const Payload payload = CheckRecord(record);
        const auto row = report.find(uri);
        ASSERT_NE(row, report.end()) << uri;
        EXPECT_EQ(Sha256(payload.body), "sha256:" + row->second["sha256"].toString().toStdString()) << uri;
        EXPECT_EQ(record.Field("WARC-IP-Address"), row->second["server_ip"].toString().toStdString()) << uri;
        if (!row->second["status"].isNull()) {
            EXPECT_EQ(payload.head.substr(9, 3), row->second["status"].toVariant().toString().toStdString()) << uri;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(SharedData, RealCacheWarc,
                         ::testing::Values("chromium-blockfile", "firefox-cache2", "firefox-cache2-13"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// index.dat files of the shared data come without the files they name:
// nothing to archive, and no archive of invented bytes.
TEST(RealCacheWarcIndexDat, makes_no_archive_of_bodies_the_cache_does_not_have)
{
    const fs::path index = fs::path(LARKSPOOL_TESTDATA_DIR) / "msiecf/content-ie5-index.dat";
    if (!fs::exists(index))
        GTEST_SKIP() << index << " is not here";
    TempFolder folder;
    fs::create_directories(folder.Under("Content.IE5"));
    fs::copy_file(index, folder.Under("Content.IE5/index.dat"));
    const std::string archive = folder.Under("cache.warc");

    const ProcessRun run = Cli(folder.Under("Content.IE5"), {"export", "--warc", QString::fromStdString(archive)});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("nothing to export"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(archive));
}

} // namespace
