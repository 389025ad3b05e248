// A stored body as a stdio stream of its decoded bytes, so that the page
// readers (titles, the link rewriter) take a browser cache's body straight
// from the entry file, with no decoded copy on disk.
#pragma once

#include "browsercache/browser_cache_record.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace larkspool::browsercache {

// Told why a stream's read failed (the errno it sets and a line), once,
// before the read returns.
using StreamFailure = std::function<void(int error, const std::string& why)>;

// nullptr (errno set) when the stream cannot be made. A read fails (EIO)
// where the body turns out damaged, truncated or not to match its CRC-32,
// and (EFBIG) once maxBytes are given and there are more, so that a body made
// to blow up ends at a limit rather than when the disk is full.
std::FILE* OpenDecodedBody(const BodyLocation& body, std::string_view contentEncoding,
                           std::uint64_t maxBytes = UINT64_MAX, StreamFailure onFailure = {});

} // namespace larkspool::browsercache
