// Each entry goes through the report's row, so the archive leaves out just
// what the report calls missing or damaged, and reads the body the same way.
// An entry with a stored status line is a response record of its head and
// body; one without (index.dat entries kept without headers) a resource
// record of its body alone.
#include "report/entry_warc.h"

#include "archive/http_head.h"
#include "archive/warc_writer.h"
#include "browsercache/local_file_extension.h"
#include "cache/file_time.h"
#include "report/entry_report.h"

#include <charconv>
#include <filesystem>

namespace larkspool {
namespace {

// A body up to this size is kept from the report's reading for its record;
// a larger one is read again, twice, rather than held.
constexpr std::size_t kMaxKeptBody = 32 * 1024 * 1024;

// The response's own time where the head gives it, else when the browser
// last used it (it was in the cache then), else now.
std::string RecordDate(const ReportRow& row)
{
    for (const ReportColumn column : {kReportDate, kReportLastAccess})
        if (!row.fields[column].empty())
            return row.fields[column];
    return UtcTicksText(NowTicks());
}

std::string ResourceType(const ReportRow& row, const TCacheEntry& entry)
{
    if (!row.fields[kReportContentType].empty())
        return row.fields[kReportContentType];
    const std::string extension = std::filesystem::path(entry.LocalFile).extension().string();
    const std::string type = browsercache::ContentTypeOfExtension(extension.empty() ? "" : extension.substr(1));
    return type.empty() ? "application/octet-stream" : type;
}

std::string LeftOutReason(const std::string& state)
{
    if (state.starts_with(kStatePartialPrefix))
        return "partial body"; // zeros in its gaps are no bytes the server sent
    return state == kStateMissingBody ? "missing body" : "damaged body";
}

} // namespace

WarcExport ExportWarc(UrlCache& cache, const std::string& cacheFolder, const std::vector<TCacheEntry*>& entries,
                      const std::string& path, const std::function<void(std::size_t index)>& progress,
                      const std::function<void(const WarcRecordPlace&)>& recorded)
{
    WarcExport result;
    archive::WarcWriter writer(path);
    if (!writer.Open()) {
        result.error = writer.Error();
        return result;
    }
    std::string format;
    if (!entries.empty())
        if (const auto origin = cache.EntryOrigin(entries.front()->CacheKey()))
            format = origin->format;
    const archive::RecordResult info = writer.WriteInfo(
        UtcTicksText(NowTicks()), {{"software", "Larkspool " LARKSPOOL_VERSION},
                                {"format", "WARC File Format 1.1"},
                                {"cache-folder", cacheFolder},
                                {"cache-format", format},
                                {"description", "Records rebuilt from a browser cache: heads and bodies as the "
                                                "cache kept them, bodies decoded, no request records"}});
    if (info != archive::RecordResult::Written) {
        result.error = writer.Error();
        return result;
    }

    EntryReporter reporter(cache, UtcTicksText);
    std::string kept;
    bool keptWhole = true;
    const BodySink keep = [&](const char* data, std::size_t size) {
        keptWhole = keptWhole && size <= kMaxKeptBody - kept.size();
        if (keptWhole)
            kept.append(data, size);
    };
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TCacheEntry& entry = *entries[i];
        progress(i);
        // A leftover file has no URL to be the record's target.
        if (entry.SourceUrl.empty()) {
            ++result.leftOut["no URL"];
            continue;
        }
        kept.clear();
        keptWhole = true;
        const ReportRow row = reporter.Row(entry, keep);
        if (const std::string& state = row.fields[kReportState]; state != kStateOk && state != kStateRecovered) {
            ++result.leftOut[LeftOutReason(state)];
            continue;
        }
        const std::string& sizeText = row.fields[kReportSize];
        std::uint64_t size = 0;
        std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), size);

        archive::WarcRecordFields fields;
        fields.targetUri = entry.SourceUrl;
        fields.date = RecordDate(row);
        fields.ipAddress = row.fields[kReportServerIp];
        std::string blockHead;
        if (row.statusLine.empty()) {
            fields.type = "resource";
            fields.contentType = ResourceType(row, entry);
        } else {
            fields.type = "response";
            fields.contentType = "application/http;msgtype=response";
            blockHead = archive::ResponseBlockHead(row.statusLine, row.head, size);
        }
        const archive::RecordResult written =
            keptWhole && kept.size() == size
                ? writer.Write(fields, blockHead, kept, row.fields[kReportSha256])
                : writer.Write(fields, blockHead, [&] { return reporter.OpenBody(entry); }, size);
        if (written == archive::RecordResult::WriteFailed) {
            result.error = writer.Error();
            return result;
        }
        if (written == archive::RecordResult::BodyUnreadable) {
            ++result.leftOut["damaged body"];
            continue;
        }
        ++result.written;
        if (recorded) {
            const std::string type = row.statusLine.empty() ? fields.contentType : row.fields[kReportContentType];
            recorded({entry.SourceUrl, fields.date, type.substr(0, type.find(';')), row.fields[kReportStatus],
                      writer.LastPayloadDigest(), row.fields[kReportTitle], writer.LastOffset(), writer.LastLength()});
        }
    }
    if (!writer.Commit())
        result.error = writer.Error();
    return result;
}

} // namespace larkspool
