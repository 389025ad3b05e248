// The words for the error codes the URL cache sets, for messages that must
// say why something failed.
#pragma once

#include "cache/wininet_types.h"

#include <filesystem>
#include <string>
#include <system_error>

namespace larkspool {

std::string CacheErrorText(DWORD error);

// The system's words for why a call failed, in lower case as they follow a
// colon ("read-only file system", "permission denied").
std::string SystemErrorText(const std::error_code& error);

// Why the files of the cache folder cannot be reached now ("cannot read the
// cache folder F: permission denied", "the cache folder F has gone"); empty
// when they can, and for a missing folder that was never there.
std::string CacheFolderProblem(const std::filesystem::path& folder, const std::string& folderText, bool wasThere);

} // namespace larkspool
