// Web URL references resolved as a browser resolves them, on bytes: no
// decoding, no escaping, no look-up.
#pragma once

#include <string>
#include <string_view>

namespace larkspool {

// Whether link starts with a scheme ("http:", "mailto:"): a letter, then
// letters, digits, "+", "-" or "." up to a ":".
bool HasScheme(std::string_view link);

// The absolute URL link names when read on the page at base (an absolute
// URL), by the reference resolution of RFC 3986 section 5.2: a scheme-relative,
// root-relative, relative, query-only or fragment-only link, with "." and
// ".." segments removed. A link with its own scheme is returned as it is.
std::string ResolveUrl(std::string_view base, std::string_view link);

} // namespace larkspool
