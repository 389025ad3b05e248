// Catalogue entries kept as a WACZ file: the WARC of ExportWarc as
// archive/data.warc.gz, its CDXJ index, the list of its HTML pages and the
// package description with every member's SHA-256, in one ZIP that replay
// tools open by ranges.
#pragma once

#include "report/entry_warc.h"

namespace larkspool {

// As ExportWarc, into a WACZ at path; the WARC is built in a private folder
// beside path first, and nothing bears path's name unless all of it is
// written.
WarcExport ExportWacz(UrlCache& cache, const std::string& cacheFolder, const std::vector<TCacheEntry*>& entries,
                      const std::string& path, const std::function<void(std::size_t index)>& progress);

// The index line of one record: SURT key, 14-digit timestamp, JSON.
std::string CdxjLine(const WarcRecordPlace& place, const std::string& warcName);

} // namespace larkspool
