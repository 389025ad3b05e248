// Catalogue entries kept as a WARC file: a warcinfo record, then one record
// per entry whose body the cache holds whole; no record is made of bytes
// the cache does not have.
#pragma once

#include "cache/url_cache.h"
#include "catalogue/cache_entry.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace larkspool {

// Where one entry's record lies in the archive, for an index of it.
struct WarcRecordPlace {
    std::string url;
    std::string date;   // WARC-Date
    std::string mime;   // the body's Content-Type, parameters dropped
    std::string status; // empty: a resource record
    std::string digest; // WARC-Payload-Digest
    std::string title;  // a page's, where the catalogue read it
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

struct WarcExport {
    std::size_t written = 0;                   // entry records, warcinfo not counted
    std::map<std::string, std::size_t> leftOut; // why ("missing body", "damaged body", "partial body", "no URL") and how many
    std::string error; // not empty: the archive could not be written, and nothing bears its name
};

// Writes entries in their order to path (each record a gzip member when it
// ends in ".gz"). cacheFolder is named in the warcinfo record; progress is
// told each entry's number before it is read, and recorded (when given) of
// each record written.
WarcExport ExportWarc(UrlCache& cache, const std::string& cacheFolder, const std::vector<TCacheEntry*>& entries,
                      const std::string& path, const std::function<void(std::size_t index)>& progress,
                      const std::function<void(const WarcRecordPlace&)>& recorded = {});

} // namespace larkspool
