// The attribute rewriter: replaces the URL values of one tag chunk.
#pragma once

#include <string>
#include <string_view>

namespace larkspool {

class HtmlReader;

inline constexpr int kExportMode = 1;
inline constexpr int kImportMode = 2;

// Longer values are left unchanged.
inline constexpr std::size_t kMaxLinkValue = 1023;

// Rewrites, in place, the first NEWSRC, OLDSRC, SRC, HREF and BACKGROUND value
// of a tag chunk: mode kExportMode with ResolveExportLink (pageLocation and the
// reader's default file), any other mode with ResolveImportLink (baseFolder as
// ConvertBaseFolder gives it). Comments, text and values that are empty,
// "mailto:", "ftp://", "gopher://" or longer than kMaxLinkValue stay as they are.
void RewriteTagLinks(const HtmlReader& reader, std::string& chunk, std::string_view pageLocation,
                     int mode, std::string_view baseFolder);

} // namespace larkspool
