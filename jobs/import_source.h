// The import's source: a folder with one sub-folder per domain, walked into
// ImportFileRecords with the URLs the files get in the cache.
#pragma once

#include "jobs/import_file_record.h"

#include <string>
#include <vector>

namespace larkspool {

// The names of folder's sub-folders (links to folders included), sorted
// without regard to ASCII case; empty when folder cannot be listed.
std::vector<std::string> FillDomainList(const std::string& folder);

// Walks the chosen domains in their order, depth first, and appends a record
// for every file. Symbolic links to folders are not followed; other special
// files (pipes, sockets, devices) are passed over. 0, or -1 at the first
// folder that cannot be listed or file that cannot be read: the list is
// then emptied and *failure (when given) names it and says why ("PATH:
// REASON").
int CollectDomains(const std::string& source, const std::vector<std::string>& domains,
                   std::vector<ImportFileRecord>& list, std::string* failure = nullptr);

} // namespace larkspool
