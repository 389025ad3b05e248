// Reading an entry's stored body (still Content-Encoded) from where its
// record says it lies, checking the CRC-32 the format kept for it.
#pragma once

#include "browsercache/browser_cache_record.h"

#include <string>

namespace larkspool::browsercache {

// Fills body with the bytes; returns the reason when they cannot be read
// whole or do not match their CRC-32.
std::string ReadStoredBody(const BodyLocation& location, std::string& body);

} // namespace larkspool::browsercache
