// The HTTP head that opens a response record's block, made true to the
// payload that follows it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace larkspool::archive {

using HeaderPairs = std::vector<std::pair<std::string, std::string>>;

// The status line and the header lines in their order, then the empty line.
// The payload is given whole and decoded, as the cache hands bodies out: its
// Transfer-Encoding, Content-Encoding and Content-Length are dropped and the
// payload's real Content-Length written. A CR, LF or NUL inside a name or
// value becomes a blank, so that no stored byte can end the head early.
std::string ResponseBlockHead(std::string_view statusLine, const HeaderPairs& headers, std::uint64_t payloadBytes);

} // namespace larkspool::archive
