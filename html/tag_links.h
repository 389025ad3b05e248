// The attribute rewriter: replaces the URL values of one tag chunk.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace larkspool {

class PageLinks;

// Longer values are left unchanged.
inline constexpr std::size_t kMaxLinkValue = 1023;

// Rewrites, in place, through links the first value of each URL-bearing
// attribute of a tag chunk: HREF, SRC, NEWSRC, OLDSRC, BACKGROUND, POSTER,
// XLINK:HREF, DATA of OBJECT, each candidate of SRCSET and IMAGESRCSET, the
// URL in the CONTENT of a refresh META, and the url()s of STYLE. Comments,
// text and links that are empty, "mailto:", "ftp://", "gopher://" or longer
// than kMaxLinkValue stay as they are, and so does every other byte.
void RewriteTagLinks(std::string& chunk, const PageLinks& links);

// The first value of the attribute name (ASCII case folded) in a tag chunk,
// as RewriteTagLinks reads it; nothing when the tag has none.
std::optional<std::string_view> TagAttributeValue(std::string_view chunk, std::string_view name);

} // namespace larkspool
