// The response head as the records carry it: the status line and each
// header line ended by "\r\n", whatever separator the browser stored.
#pragma once

#include <string>
#include <string_view>

namespace larkspool::browsercache {

// Chromium keeps the lines NUL-separated (ended by an empty line), Firefox
// "\r\n"-separated; a trailing '\r' before the separator is dropped, and
// the head ends at the first empty line.
std::string HeadFromLines(std::string_view raw, char separator);

} // namespace larkspool::browsercache
