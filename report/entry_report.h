// The report of one catalogue entry: what the cache knows of it (its
// response head, times, sizes, where it lives) and the SHA-256 of its body,
// each as the text of one column.
#pragma once

#include "cache/url_cache.h"
#include "catalogue/cache_entry.h"
#include "report/body_digest.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace larkspool {

enum ReportColumn {
    kReportUrl,
    kReportSitePath,
    kReportCacheFormat,
    kReportPartition,
    kReportStatus,
    kReportContentType,
    kReportContentEncoding,
    kReportStoredSize,
    kReportSize,
    kReportSha256,
    kReportLastModified,
    kReportDate,
    kReportLastAccess,
    kReportExpires,
    kReportHits,
    kReportServerIp,
    kReportTitle,
    kReportLocalFile,
    kReportEntryFile,
    kReportState,
    kReportColumnCount
};

// The column names, in ReportColumn order.
extern const std::array<const char*, kReportColumnCount> kReportColumnNames;

inline constexpr const char* kStateOk = "ok";
inline constexpr const char* kStateMissingBody = "missing body";
inline constexpr const char* kStateRecovered = "recovered"; // read whole, from a record the cache no longer lists
inline constexpr const char* kStateDamagedPrefix = "damaged: ";
// A body read whole but kept with gaps, zeros in their place: "partial: N of M bytes".
inline constexpr const char* kStatePartialPrefix = "partial: ";

struct ReportRow {
    std::array<std::string, kReportColumnCount> fields; // empty: not known
    std::string statusLine; // the stored head's first line; empty when it has none
    std::vector<std::pair<std::string, std::string>> head; // the stored header lines, in order
};

// FILETIME ticks (UTC, never 0) as the caller writes times.
using TimeText = std::function<std::string(std::uint64_t ticks)>;
// The time text of the window's report and the archive: YYYY-MM-DDThh:mm:ssZ.
std::string UtcTicksText(std::uint64_t ticks);

class EntryReporter {
public:
    EntryReporter(UrlCache& cache, TimeText timeText);

    // Looks the entry up and reads its body once, the way the export reads
    // it: a browser cache's from where the cache keeps it, an index.dat
    // cache's from its local file. A body that cannot be read whole leaves
    // sha256 empty and says why in state. sink, when given, is handed the
    // body's bytes as they are hashed, so that the caller need not read them
    // again.
    ReportRow Row(const TCacheEntry& entry, const BodySink& sink = {});

    // The entry's body from its start, as Row reads it; the caller closes
    // it. nullptr: a body stored empty, or one that cannot be opened.
    std::FILE* OpenBody(const TCacheEntry& entry);

private:
    std::FILE* OpenBody(const TCacheEntry& entry, const UrlCacheEntryOrigin& origin);

    UrlCache& m_cache;
    TimeText m_timeText;
    CacheEntryBuffer m_buffer;
};

} // namespace larkspool
