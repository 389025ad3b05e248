// Little-endian UTF-16, as WebKit and CacheStorage store some strings.
#pragma once

#include <string>
#include <string_view>

namespace larkspool::browsercache {

// UTF-16 units as UTF-8; a lone surrogate becomes U+FFFD, an odd last byte
// is dropped.
std::string Utf8FromUtf16(std::string_view units);

} // namespace larkspool::browsercache
