// The Content-Encodings a browser keeps bodies in, undone: gzip, deflate, br
// and zstd, in any chain ("gzip, br"), as a stream so that a large body is
// never held in memory.
#pragma once

#include "browsercache/browser_cache_record.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace larkspool::browsercache {

// Takes the next piece of decoded bytes; false stops the decoding.
using ByteSink = std::function<bool(const char* bytes, std::size_t count)>;

// Reads the stored bytes at body and hands the decoded ones to sink, undoing
// contentEncoding (the header's value; empty or "identity" for none). The
// stored bytes are checked against the body's CRC-32 when it has one; the
// sink may have had bytes by the time a mismatch is found.
// Returns "" when the whole body was decoded, else why not in one line.
std::string DecodeBody(const BodyLocation& body, std::string_view contentEncoding, const ByteSink& sink);

// False when contentEncoding names no coding (empty, "identity"): the stored
// bytes are the body.
bool NeedsDecoding(std::string_view contentEncoding);

} // namespace larkspool::browsercache
