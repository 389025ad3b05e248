// A stored body as a stdio stream of its decoded bytes, so that the page
// readers (titles, the link rewriter) take a browser cache's body straight
// from the entry file, with no decoded copy on disk.
#pragma once

#include "browsercache/browser_cache_record.h"

#include <cstdio>
#include <string_view>

namespace larkspool::browsercache {

// nullptr (errno set) when the stream cannot be made. A read fails (EIO)
// where the body turns out damaged, truncated or not to match its CRC-32.
std::FILE* OpenDecodedBody(const BodyLocation& body, std::string_view contentEncoding);

} // namespace larkspool::browsercache
