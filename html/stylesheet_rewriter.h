// Copying stylesheets with their links rewritten.
#pragma once

#include <cstdio>
#include <string_view>

namespace larkspool {

class PageLinks;

// Whether a file name (or path) names a stylesheet: it ends in ".css",
// ASCII case folded.
bool IsStylesheetName(std::string_view name);

// Copies the stylesheet source to target (both opened by the caller, who
// closes them) with the links of its url()s and @imports rewritten through
// links. Returns kRewriteOk, kRewriteReadError or kRewriteWriteError; nothing
// is written after a read error.
int RewriteStylesheetStream(std::FILE* source, const PageLinks& links, std::FILE* target);

} // namespace larkspool
