// The words for the error codes the URL cache sets, for messages that must
// say why something failed.
#pragma once

#include "cache/wininet_types.h"

#include <string>
#include <system_error>

namespace larkspool {

std::string CacheErrorText(DWORD error);

// The system's words for why a call failed, in lower case as they follow a
// colon ("read-only file system", "permission denied").
std::string SystemErrorText(const std::error_code& error);

} // namespace larkspool
