// The report of every cache kind, built the way each browser lays its cache
// out and read back through OpenUrlCache as the command line opens it; the
// hashes checked against the files the export writes, hashed by Qt.
#include "cache/index_dat_cache.h"
#include "catalogue/cache_location.h"
#include "catalogue/catalogue.h"
#include "jobs/export_job.h"
#include "html/html_rewriter.h"
#include "html/stylesheet_rewriter.h"
#include "report/entry_report.h"
#include "tests/browsercache/blockfile_builder.h"
#include "tests/browsercache/chromium_bytes.h"
#include "tests/browsercache/deflated_bytes.h"
#include "tests/browsercache/firefox_entry_bytes.h"
#include "tests/support/file_ticks.h"
#include "tests/support/scripted_host.h"
#include "tests/support/temp_folder.h"

#include <QCryptographicHash>
#include <QFile>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <map>

namespace {

using namespace larkspool;
using namespace larkspool::testing;
using namespace std::string_literals;
namespace fs = std::filesystem;

const std::string kPng = "\x89PNG\r\n\x1a\n" + std::string(3000, 'p');
const std::string kScript = "var a = 1;\n" + std::string(5000, ';');
const std::string kPage = "<title>A page</title><p>hi</p>";

// What every kind holds: an image stored as it came, a gzip-encoded script
// and a page.
struct Body {
    const char* url;
    const char* type;
    const std::string* bytes;
    bool gzip;
};
const Body kBodies[] = {
    {"http://a.example/i.png", "image/png", &kPng, false},
    {"http://a.example/s.js", "text/javascript", &kScript, true},
    {"http://a.example/p.html", "text/html", &kPage, false},
};

std::string Stored(const Body& body) { return body.gzip ? Deflated(*body.bytes, 15 + 16) : *body.bytes; }

// The head as the browsers' records carry it, lines ended by separator.
std::string Head(const Body& body, const std::string& separator)
{
    std::string head = "HTTP/1.1 200 OK" + separator + "Content-Type: " + body.type + separator +
                       "Last-Modified: Tue, 01 Dec 2026 10:00:00 GMT" + separator;
    if (body.gzip)
        head += "Content-Encoding: gzip" + separator;
    return head;
}

const std::string kNul(1, '\0');

void WriteIndexDat(const fs::path& folder)
{
    IndexDatCache cache(folder);
    for (const Body& body : kBodies) {
        const std::string extension = fs::path(body.url).extension().string().substr(1);
        char file[MAX_PATH + 1] = {};
        ASSERT_TRUE(cache.CreateUrlCacheEntryA(body.url, 0, extension.c_str(), file, 0));
        WriteFile(file, *body.bytes);
        // index.dat keeps bodies as they were decoded, and says so.
        std::string head = Head(body, "\r\n");
        head = head.substr(0, head.find("Content-Encoding")) + "\r\n";
        ASSERT_TRUE(cache.CommitUrlCacheEntryA(body.url, file, FILETIME{}, MakeFileTime(kSomeTime), 0,
                                               reinterpret_cast<LPBYTE>(head.data()), DWORD(head.size()),
                                               extension.c_str(), nullptr));
    }
}

void WriteSimple(const fs::path& folder)
{
    WriteFile(folder / "index", "");
    int n = 0;
    for (const Body& body : kBodies) {
        SimpleEntry entry;
        entry.key = "1/0/_dk_http://127.0.0.1 http://127.0.0.1 "s + body.url;
        entry.body = Stored(body);
        entry.record = ResponseRecord(0x80000003u, Head(body, kNul) + kNul);
        WriteFile(folder / ("000000000000000" + std::to_string(++n) + "_0"), entry.Bytes());
    }
}

void WriteBlockfile(const fs::path& folder)
{
    BlockfileBuilder cache;
    std::uint32_t bucket = 1;
    for (const Body& body : kBodies)
        cache.AddEntry(body.url, ResponseRecord(0x3, Head(body, kNul) + kNul), Stored(body),
                       BlockfileBuilder::Where::External, bucket++, 13441196716000000ULL);
    cache.WriteTo(folder);
}

void WriteFirefox(const fs::path& folder)
{
    int n = 0;
    for (const Body& body : kBodies) {
        FirefoxEntry entry;
        entry.body = Stored(body);
        entry.key = "O^partitionKey=%28http%2C127.0.0.1%29,:"s + body.url;
        entry.elements = "request-method\0GET\0response-head\0"s + Head(body, "\r\n") + '\0';
        WriteFile(folder / "entries" / (std::string(39, 'A') + std::to_string(++n)), entry.Bytes());
    }
}

struct KindRow {
    const char* name;
    void (*write)(const fs::path& folder);
    const char* subfolder; // where the cache lies in the temporary folder
    const char* format;
    const char* partition;
    const char* serverIp;
};

const KindRow kKinds[] = {
    {"index_dat", WriteIndexDat, "Content.IE5", "index.dat", "", ""},
    {"chromium_simple", WriteSimple, "Cache_Data", "chromium-simple", "http://127.0.0.1", "127.0.0.1"},
    {"chromium_blockfile", WriteBlockfile, "Cache", "chromium-blockfile", "", "127.0.0.1"},
    {"firefox_cache2", WriteFirefox, "cache2", "firefox-cache2", "http://127.0.0.1", ""},
};

std::string QtSha256(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return "cannot open " + path;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result().toHex().toStdString();
}

std::string TimeText(std::uint64_t ticks) { return std::to_string(ticks); }

// A cache opened as the command line opens it, its catalogue refreshed.
class OpenedReport {
public:
    explicit OpenedReport(const fs::path& folder) : m_opened(OpenUrlCache(folder.string()))
    {
        if (!m_opened.cache)
            return;
        m_catalogue = std::make_unique<Catalogue>(*m_opened.cache);
        SilentRefreshProgress progress;
        m_catalogue->RefreshCache(progress);
    }

    UrlCache* Cache() { return m_opened.cache.get(); }
    Catalogue& Entries() { return *m_catalogue; }
    std::string Error() const { return m_opened.error; }

    std::vector<ReportRow> Rows()
    {
        EntryReporter reporter(*m_opened.cache, TimeText);
        std::vector<ReportRow> rows;
        for (const TCacheEntry* entry : m_catalogue->CacheList())
            rows.push_back(reporter.Row(*entry));
        return rows;
    }

    // Exports the catalogue to folder; the path of each entry's file by URL.
    std::map<std::string, std::string> Export(const std::string& folder)
    {
        ScriptedHost host;
        const CommandState command{kOpCopy, m_catalogue->CacheList(), folder, {}};
        ExportJob job(*m_opened.cache, host, command, m_catalogue->AllEntries());
        job.Run();
        std::map<std::string, std::string> files;
        for (const TCacheEntry* entry : m_catalogue->CacheList())
            files[entry->SourceUrl] = folder + "/" + entry->SitePath;
        return files;
    }

private:
    OpenedCache m_opened;
    std::unique_ptr<Catalogue> m_catalogue;
};

bool ExportRewrites(const ReportRow& row, const TCacheEntry& entry)
{
    return IsHtmlPageName(entry.LocalFile) || IsStylesheetName(entry.LocalFile) ||
           IsStylesheetName(row.fields[kReportSitePath]) || row.fields[kReportStatus].starts_with("3");
}

// Every readable row's hash and size are the exported file's, for the
// files the export writes as they came.
void ExpectHashesOfExport(OpenedReport& report, const std::vector<ReportRow>& rows, const std::string& folder)
{
    const auto files = report.Export(folder);
    const auto& entries = report.Entries().CacheList();
    ASSERT_EQ(rows.size(), entries.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ReportRow& row = rows[i];
        if (row.fields[kReportState] != kStateOk || ExportRewrites(row, *entries[i]))
            continue;
        const std::string& exported = files.at(row.fields[kReportUrl]);
        // A name the file system refuses is the export's to report.
        if (!fs::exists(exported))
            continue;
        EXPECT_EQ(row.fields[kReportSha256], QtSha256(exported)) << row.fields[kReportUrl];
        EXPECT_EQ(row.fields[kReportSize], std::to_string(fs::file_size(exported))) << row.fields[kReportUrl];
    }
}

class EntryReport : public ::testing::TestWithParam<KindRow> {
protected:
    void SetUp() override { GetParam().write(CacheFolder()); }
    fs::path CacheFolder() const { return m_folder.Path() / GetParam().subfolder; }

    TempFolder m_folder;
};

TEST_P(EntryReport, fills_every_column_the_cache_knows_in_catalogue_order)
{
    OpenedReport report(CacheFolder());
    ASSERT_TRUE(report.Cache()) << report.Error();

    const std::vector<ReportRow> rows = report.Rows();

    ASSERT_EQ(rows.size(), std::size(kBodies));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& f = rows[i].fields;
        const Body& body = *std::find_if(std::begin(kBodies), std::end(kBodies),
                                         [&](const Body& b) { return f[kReportUrl] == b.url; });
        SCOPED_TRACE(f[kReportUrl]);
        EXPECT_EQ(f[kReportSitePath], report.Entries().CacheList()[i]->SitePath);
        EXPECT_EQ(f[kReportCacheFormat], GetParam().format);
        EXPECT_EQ(f[kReportPartition], GetParam().partition);
        EXPECT_EQ(f[kReportStatus], "200");
        EXPECT_EQ(f[kReportContentType], body.type);
        const bool encoded = body.gzip && std::string(GetParam().format) != "index.dat";
        EXPECT_EQ(f[kReportContentEncoding], encoded ? "gzip" : "");
        EXPECT_EQ(f[kReportStoredSize], std::to_string(encoded ? Stored(body).size() : body.bytes->size()));
        EXPECT_EQ(f[kReportSize], std::to_string(body.bytes->size()));
        EXPECT_EQ(f[kReportSha256],
                  QCryptographicHash::hash(QByteArray::fromStdString(*body.bytes), QCryptographicHash::Sha256)
                      .toHex()
                      .toStdString());
        EXPECT_EQ(f[kReportLastModified], std::to_string(134405928000000000ULL)); // 2026-12-01 10:00 UTC
        EXPECT_NE(f[kReportLastAccess], "");
        EXPECT_EQ(f[kReportServerIp], GetParam().serverIp);
        EXPECT_EQ(f[kReportHits].empty(), std::string(GetParam().format) != "index.dat");
        EXPECT_EQ(f[kReportTitle], body.bytes == &kPage ? "A page" : "");
        EXPECT_EQ(f[kReportLocalFile].empty(), report.Cache()->Kind().filesOnDemand);
        EXPECT_TRUE(fs::is_regular_file(f[kReportEntryFile])) << f[kReportEntryFile];
        EXPECT_EQ(f[kReportState], kStateOk);
        ASSERT_GE(rows[i].head.size(), 2u);
        EXPECT_EQ(rows[i].head[0], (std::pair<std::string, std::string>("Content-Type", body.type)));
    }
    ExpectHashesOfExport(report, rows, m_folder.Under("out"));
}

// The file that holds each body: its local file, else the cache's file.
std::string BodyFile(const ReportRow& row)
{
    return row.fields[row.fields[kReportLocalFile].empty() ? kReportEntryFile : kReportLocalFile];
}

TEST_P(EntryReport, says_which_body_is_missing_and_which_damaged)
{
    OpenedReport report(CacheFolder());
    ASSERT_TRUE(report.Cache()) << report.Error();
    const std::vector<ReportRow> before = report.Rows();
    ASSERT_EQ(before.size(), std::size(kBodies));

    fs::remove(BodyFile(before[0]));
    fs::resize_file(BodyFile(before[1]), 20);
    const std::vector<ReportRow> after = report.Rows();

    EXPECT_EQ(after[0].fields[kReportState], kStateMissingBody);
    EXPECT_EQ(after[0].fields[kReportSha256], "");
    EXPECT_TRUE(after[1].fields[kReportState].starts_with(kStateDamagedPrefix)) << after[1].fields[kReportState];
    EXPECT_EQ(after[1].fields[kReportSha256], "");
    EXPECT_EQ(after[2].fields[kReportState], kStateOk);
    for (const ReportRow& row : after)
        EXPECT_EQ(row.fields[kReportUrl], before[&row - after.data()].fields[kReportUrl]) << "the order changed";
}

INSTANTIATE_TEST_SUITE_P(Kinds, EntryReport, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.name); });

// The real caches of the shared test data, where present.
class RealCacheReport : public ::testing::TestWithParam<const char*> {};

TEST_P(RealCacheReport, hashes_every_readable_body_as_the_export_writes_it)
{
    const fs::path folder = fs::path(LARKSPOOL_TESTDATA_DIR) / GetParam();
    if (!fs::exists(folder))
        GTEST_SKIP() << folder << " is not here";
    OpenedReport report(folder);
    ASSERT_TRUE(report.Cache()) << report.Error();

    const std::vector<ReportRow> rows = report.Rows();

    ASSERT_FALSE(rows.empty());
    for (const ReportRow& row : rows) {
        EXPECT_EQ(row.fields[kReportState], kStateOk) << row.fields[kReportUrl];
        EXPECT_NE(row.fields[kReportCacheFormat], "");
        if (row.fields[kReportCacheFormat].starts_with("chromium"))
            EXPECT_NE(row.fields[kReportServerIp], "") << row.fields[kReportUrl];
        EXPECT_TRUE(row.fields[kReportStoredSize] == "0" || fs::is_regular_file(row.fields[kReportEntryFile]))
            << row.fields[kReportUrl];
    }
    TempFolder out;
    ExpectHashesOfExport(report, rows, out.Under("out"));
}

INSTANTIATE_TEST_SUITE_P(SharedData, RealCacheReport,
                         ::testing::Values("chromium-blockfile", "firefox-cache2", "firefox-cache2-13"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// Media fetched by byte ranges: one body whole from its two ranges, one with
// a gap the export fills with zeros and the report never calls whole.
TEST(EntryReport, a_body_with_gaps_is_partial_and_one_whole_from_ranges_is_ok)
{
    TempFolder folder;
    const fs::path cache = folder.Path() / "Cache_Data";
    WriteFile(cache / "index", "");
    const std::string kept = "0123456789";
    const std::pair<const char*, std::vector<std::pair<std::uint64_t, std::string>>> media[] = {
        {"whole.webm", {{10, "abcdefghij"}, {0, kept}}}, {"gap.webm", {{0, kept}, {20, "klmnopqrst"}}}};
    int n = 0;
    for (const auto& [name, ranges] : media) {
        SimpleEntry entry;
        entry.key = "1/0/_dk_http://a.example http://a.example http://a.example/"s + name;
        entry.body.clear();
        entry.record = ResponseRecord(0x80000003u, "HTTP/1.1 206 Partial Content\0Content-Range: bytes 0-9/"s +
                                                       (ranges[0].first == 10 ? "20" : "30") +
                                                       "\0Content-Type: video/webm\0\0"s);
        const std::string hash = "000000000000000" + std::to_string(++n);
        WriteFile(cache / (hash + "_0"), entry.Bytes());
        WriteFile(cache / (hash + "_s"), SimpleSparseFile(entry.key, ranges));
    }
    OpenedReport report(cache);
    ASSERT_TRUE(report.Cache()) << report.Error();

    const std::vector<ReportRow> rows = report.Rows();
    const auto files = report.Export(folder.Under("out"));

    ASSERT_EQ(rows.size(), 2u);
    std::map<std::string, std::array<std::string, 3>> byUrl;
    for (const ReportRow& row : rows)
        byUrl[row.fields[kReportUrl]] = {row.fields[kReportState], row.fields[kReportStoredSize], row.fields[kReportSize]};
    EXPECT_EQ(byUrl["http://a.example/whole.webm"], (std::array<std::string, 3>{kStateOk, "20", "20"}));
    EXPECT_EQ(byUrl["http://a.example/gap.webm"],
              (std::array<std::string, 3>{"partial: 20 of 30 bytes", "20", "30"}));
    EXPECT_EQ(ReadFile(files.at("http://a.example/whole.webm")), "0123456789abcdefghij");
    EXPECT_EQ(ReadFile(files.at("http://a.example/gap.webm")), kept + std::string(10, '\0') + "klmnopqrst");
}

} // namespace
