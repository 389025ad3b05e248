// The import's source: a folder with one sub-folder per domain, walked into
// ImportFileRecords with the URLs the files get in the cache.
#pragma once

#include "import/import_file_record.h"

#include <string>
#include <vector>

namespace larkspool {

// The names of folder's sub-folders (links to folders included), sorted
// without regard to ASCII case; empty when folder cannot be listed.
std::vector<std::string> FillDomainList(const std::string& folder);

// Walks source/relative depth first and appends a record for every file.
// Symbolic links to folders are not followed; other special files (pipes,
// sockets, devices) are passed over. 0, or -1 when a folder cannot be listed
// or a file cannot be read; failure then names it and says why ("PATH:
// REASON").
int CollectImportFiles(const std::string& source, const std::string& relative, std::vector<ImportFileRecord>& list,
                       std::string& failure);

// Appends the record of source/relativePath, whose first step is the domain.
// 0, or -1 when the file's time and size cannot be read or the file cannot
// be opened for reading, with failure set as above.
int AddImportFile(const std::string& source, const std::string& relativePath, std::vector<ImportFileRecord>& list,
                  std::string& failure);

// The walk of the chosen domains in their order; -1 at the first failure,
// the list then emptied and *failure (when given) set as above.
int CollectDomains(const std::string& source, const std::vector<std::string>& domains,
                   std::vector<ImportFileRecord>& list, std::string* failure = nullptr);

} // namespace larkspool
