// Copies a URL record into a caller's INTERNET_CACHE_ENTRY_INFOA buffer laid
// out as WinINet lays it: the struct, then the URL, the local file's full
// path, the header info and the extension, each starting on 4 bytes.
#pragma once

#include "cache/index_dat_format.h"
#include "cache/wininet_types.h"

#include <optional>
#include <string>

namespace larkspool {

// ERROR_SUCCESS with the buffer filled, or ERROR_INSUFFICIENT_BUFFER with the
// buffer untouched; either way *size becomes the bytes the entry needs.
// localPath is the full path of the record's file, when it has a usable one.
DWORD CopyEntryInfo(const indexdat::UrlRecord& record, const std::optional<std::string>& localPath,
                    INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size);

} // namespace larkspool
