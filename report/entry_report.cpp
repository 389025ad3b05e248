// One report row per catalogue entry. The head's facts come from the stored
// header lines; a time the head does not give is taken from the cache's
// record where the record means the same thing (index.dat keeps the
// server's Last-Modified and Expires as its own fields).
#include "report/entry_report.h"

#include "archive/warc_date.h"
#include "browsercache/http_response_head.h"
#include "cache/file_time.h"
#include "cache/file_ptr.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

namespace larkspool {

const std::array<const char*, kReportColumnCount> kReportColumnNames = {
    "url",      "site_path",    "cache_format", "partition", "status",     "content_type", "content_encoding",
    "stored_size", "size",      "sha256",       "last_modified", "date",   "last_access",  "expires",
    "hits",     "server_ip",    "title",        "local_file", "entry_file", "state"};

namespace {

using browsercache::HeaderValue;
using browsercache::ParseHttpDate;
using browsercache::ResponseStatus;

std::string Trimmed(std::string_view text)
{
    const std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos)
        return {};
    return std::string(text.substr(begin, text.find_last_not_of(" \t") - begin + 1));
}

// The header lines after the status line, as name and value; a line
// without a colon is a name with an empty value.
std::vector<std::pair<std::string, std::string>> HeaderPairs(std::string_view head)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    bool first = true;
    while (!head.empty()) {
        const std::size_t end = head.find('\n');
        std::string_view line = head.substr(0, end);
        head.remove_prefix(end == std::string_view::npos ? head.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const bool statusLine = first && line.starts_with("HTTP/");
        first = false;
        if (line.empty() || statusLine)
            continue;
        const std::size_t colon = line.find(':');
        pairs.emplace_back(Trimmed(line.substr(0, colon)),
                           colon == std::string_view::npos ? std::string() : Trimmed(line.substr(colon + 1)));
    }
    return pairs;
}

std::string StatusLine(std::string_view head)
{
    if (!head.starts_with("HTTP/"))
        return {};
    std::string_view line = head.substr(0, head.find('\n'));
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    return std::string(line);
}

// A redirect often stores no body at all: there is nothing to open.
bool StoredEmpty(const UrlCacheEntryOrigin& origin) { return origin.redirectPage && origin.storedSize == 0u; }

std::string HeadOf(const INTERNET_CACHE_ENTRY_INFOA& info)
{
    if (!info.lpHeaderInfo || info.dwHeaderInfoSize == 0)
        return {};
    std::string head(info.lpHeaderInfo, info.dwHeaderInfoSize);
    head.resize(std::strlen(head.c_str())); // WinINet's copy may end in a NUL
    return head;
}

} // namespace

std::string UtcTicksText(std::uint64_t ticks)
{
    return archive::WarcDate((static_cast<std::int64_t>(ticks) - static_cast<std::int64_t>(kUnixEpochTicks)) /
                             static_cast<std::int64_t>(kTicksPerSecond));
}

EntryReporter::EntryReporter(UrlCache& cache, TimeText timeText) : m_cache(cache), m_timeText(std::move(timeText)) {}

ReportRow EntryReporter::Row(const TCacheEntry& entry, const BodySink& sink)
{
    ReportRow row;
    auto& f = row.fields;
    f[kReportUrl] = entry.SourceUrl;
    f[kReportSitePath] = entry.SitePath;
    f[kReportTitle] = entry.Title;
    const auto time = [this](std::uint64_t ticks) { return ticks ? m_timeText(ticks) : std::string(); };

    DWORD size = m_buffer.size();
    BOOL found = m_cache.GetUrlCacheEntryInfoA(entry.CacheKey(), m_buffer.info(), &size);
    if (!found && m_cache.LastError() == ERROR_INSUFFICIENT_BUFFER) {
        m_buffer.resize(size);
        found = m_cache.GetUrlCacheEntryInfoA(entry.CacheKey(), m_buffer.info(), &size);
    }
    const std::optional<UrlCacheEntryOrigin> origin = m_cache.EntryOrigin(entry.CacheKey());
    if (!found || !origin) {
        f[kReportState] = std::string(kStateDamagedPrefix) + "the cache no longer holds the entry";
        return row;
    }
    const INTERNET_CACHE_ENTRY_INFOA& info = *m_buffer.info();
    const bool indexDat = origin->format == "index.dat";
    const std::uint64_t listedSize = EntrySize(info);

    const std::string head = HeadOf(info);
    row.statusLine = StatusLine(head);
    row.head = HeaderPairs(head);
    f[kReportCacheFormat] = origin->format;
    f[kReportPartition] = origin->partition;
    f[kReportEntryFile] = origin->entryFile;
    f[kReportServerIp] = origin->serverIp;
    if (const int status = ResponseStatus(head))
        f[kReportStatus] = std::to_string(status);
    f[kReportContentType] = HeaderValue(head, "Content-Type").value_or("");
    f[kReportContentEncoding] = HeaderValue(head, "Content-Encoding").value_or("");
    const std::uint64_t lastModified = ParseHttpDate(HeaderValue(head, "Last-Modified").value_or(""));
    f[kReportLastModified] = time(lastModified || !indexDat ? lastModified : FileTimeTicks(info.LastModifiedTime));
    f[kReportDate] = time(ParseHttpDate(HeaderValue(head, "Date").value_or("")));
    f[kReportLastAccess] = time(FileTimeTicks(info.LastAccessTime));
    const std::uint64_t expires = FileTimeTicks(info.ExpireTime);
    f[kReportExpires] = time(expires ? expires : ParseHttpDate(HeaderValue(head, "Expires").value_or("")));
    if (indexDat)
        f[kReportHits] = std::to_string(info.dwHitRate);
    const bool onDemand = m_cache.EntryKind(entry.CacheKey()).filesOnDemand;
    // A browser cache's local file is a scratch copy that ends with the run.
    if (!onDemand)
        f[kReportLocalFile] = entry.LocalFile;

    f[kReportStoredSize] = std::to_string(origin->storedSize.value_or(listedSize));
    f[kReportSize] = std::to_string(listedSize);
    const bool storedEmpty = StoredEmpty(*origin);
    errno = 0;
    const FilePtr body(OpenBody(entry, *origin));
    const int openError = errno;
    if (!body && !storedEmpty) {
        std::error_code ignored;
        const std::string& where = onDemand ? origin->entryFile : entry.LocalFile;
        if (where.empty() || !std::filesystem::exists(where, ignored))
            f[kReportState] = kStateMissingBody;
        else
            f[kReportState] = kStateDamagedPrefix +
                              (onDemand ? m_cache.LastErrorText() : std::string(std::strerror(openError)));
        return row;
    }
    const BodyDigest digest = DigestStream(body.get(), sink);
    if (!digest.error.empty()) {
        f[kReportState] = kStateDamagedPrefix + std::string("the body cannot be read past byte ") +
                          std::to_string(digest.bytes) + ": " + digest.error;
        return row;
    }
    f[kReportSize] = std::to_string(digest.bytes);
    if (!origin->redirectPage && digest.bytes != listedSize) {
        f[kReportState] = kStateDamagedPrefix + std::string("the body holds ") + std::to_string(digest.bytes) +
                          " bytes, the cache's record " + std::to_string(listedSize);
        return row;
    }
    f[kReportSha256] = digest.sha256;
    if (origin->heldBytes) {
        f[kReportState] = kStatePartialPrefix + std::to_string(*origin->heldBytes) + " of " +
                          std::to_string(digest.bytes) + " bytes";
        return row;
    }
    f[kReportState] = origin->recovered ? kStateRecovered : kStateOk;
    return row;
}

std::FILE* EntryReporter::OpenBody(const TCacheEntry& entry)
{
    const std::optional<UrlCacheEntryOrigin> origin = m_cache.EntryOrigin(entry.CacheKey());
    return origin ? OpenBody(entry, *origin) : nullptr;
}

std::FILE* EntryReporter::OpenBody(const TCacheEntry& entry, const UrlCacheEntryOrigin& origin)
{
    if (StoredEmpty(origin))
        return nullptr;
    return m_cache.EntryKind(entry.CacheKey()).filesOnDemand ? m_cache.OpenStoredBody(entry.CacheKey())
                                        : std::fopen(entry.LocalFile.c_str(), "rbe");
}

} // namespace larkspool
