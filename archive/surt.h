// The sort key of a URL in a CDXJ index: the host's labels reversed and
// lower-cased, "www." dropped, the port kept unless it is the scheme's own,
// then ")" and the path with the query's pairs sorted; no scheme, no
// fragment. Replay tools find a URL's captures by it.
//
//   https://www.Example.com/a/B?z=1&a=2#top   com,example)/a/b?a=2&z=1
//   http://example.com:8080/                   com,example:8080)/
//   http://127.0.0.1/x                         1,0,0,127)/x
#pragma once

#include <string>
#include <string_view>

namespace larkspool::archive {

std::string SurtKey(std::string_view url);

} // namespace larkspool::archive
