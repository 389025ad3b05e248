// One cache entry into one catalogue record: the local relative path rebuilt
// from its URL and its cached file.
#pragma once

#include "cache/url_cache.h"
#include "catalogue/cache_entry.h"
#include "catalogue/default_files.h"

#include <string>

namespace larkspool {

class HtmlReader;
class ListDateTexts;

// Fills record from info and returns 0, or returns -1 when the entry is
// refused (its cached file is missing, unless the record is recovered or
// the cache's Kind() lists missing bodies; its path is too long); record
// may then be used again. cache decodes the path's %XX escapes; titles reads
// the titles of HTML pages (nullptr: no title is read, Title stays empty).
// dateTexts, when given, makes the date texts of a whole listing.
// info is left as it was.
int MakeCacheEntry(UrlCache& cache, HtmlReader* titles, const std::string& defFile1,
                   const INTERNET_CACHE_ENTRY_INFOA& info, TCacheEntry& record, ListDateTexts* dateTexts = nullptr);

} // namespace larkspool
