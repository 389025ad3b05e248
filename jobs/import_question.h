// What the import's overwrite question shows: the cache entry is the old
// side, the local file the new one.
#pragma once

#include "cache/wininet_types.h"
#include "jobs/overwrite_question.h"

#include <string>

namespace larkspool {

// info is the existing entry, its LastModifiedTime already standing in for a
// zero one; localPath the file that would replace it.
OverwriteQuestion MakeImportQuestion(const INTERNET_CACHE_ENTRY_INFOA& info, const std::string& localPath);

} // namespace larkspool
