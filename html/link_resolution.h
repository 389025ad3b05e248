// The two ways a link found in a page is turned around: towards the exported
// folder tree (export) and from it back to web URLs (import).
#pragma once

#include <string>
#include <string_view>

namespace larkspool {

// The pageLocation of a page at url: its host and folder ending in "/",
// without the scheme. http://host/docs/index.html and host/docs/index.html
// both give host/docs/.
std::string PageLocation(std::string_view url);

// Makes any link relative to the page's folder in the exported tree.
// pageLocation is the page's host and folder ending in "/" (host/dir/);
// defaultFile names what a link ending in "/" points to. A query or fragment
// is set aside and appended again. The target is never looked up.
std::string ResolveExportLink(std::string_view link, std::string_view pageLocation,
                              std::string_view defaultFile);

// Turns a "file://" link under baseFolder (already in link form, see
// ConvertBaseFolder) into "http://host/..."; every other link keeps its text.
std::string ResolveImportLink(std::string_view link, std::string_view baseFolder);

// The destination folder as "file://" links spell it: "\" becomes "/" and
// each space "%20".
std::string ConvertBaseFolder(std::string_view folder);

} // namespace larkspool
