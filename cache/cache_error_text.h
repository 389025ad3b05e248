// The words for the error codes the URL cache sets, for messages that must
// say why something failed.
#pragma once

#include "cache/wininet_types.h"

#include <string>

namespace larkspool {

std::string CacheErrorText(DWORD error);

} // namespace larkspool
