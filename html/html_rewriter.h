// Copying HTML pages with their links rewritten, and reading page titles.
#pragma once

#include "html/html_reader.h"
#include "html/link_resolution.h"
#include "html/page_links.h"
#include "html/tag_links.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace larkspool {

// Whether a file name (or path, or an extension with its dot) names a page:
// it ends in ".htm" or ".html", ASCII case folded. Pages are the files that
// go through the rewriter and have titles.
bool IsHtmlPageName(std::string_view name);

// RewriteHtmlFile and ExtractHtmlTitle results.
inline constexpr int kRewriteOk = 0;
inline constexpr int kRewriteReadError = -1;
inline constexpr int kRewriteOpenError = -3;
inline constexpr int kRewriteWriteError = -4;

// Copies sourcePath to targetPath ("wb", created only once the source is
// open) with the links of its tags and <STYLE> blocks rewritten: mode
// kExportMode makes them relative to pageLocation (host/dir/) in the exported
// tree, any other mode turns "file://" links under baseFolder back into
// "http://" ones. The first BASE tag sets what later links resolve against;
// every BASE tag becomes a comment. Returns kRewriteOk, kRewriteReadError, kRewriteOpenError
// or kRewriteWriteError; after a read or write error the target keeps what was
// written before it.
int RewriteHtmlFile(HtmlReader& reader, const std::string& sourcePath, const std::string& pageLocation,
                    const std::string& defaultFile, int mode, const std::string& targetPath,
                    const std::string& baseFolder);

// RewriteHtmlFile on files the caller has opened ("rb", "wb"; nothing read
// or written yet) and closes afterwards, the source before reader is used
// again (it lends the source its buffer); the target is left unbuffered.
int RewriteHtmlStream(HtmlReader& reader, std::FILE* source, const std::string& pageLocation,
                      const std::string& defaultFile, int mode, std::FILE* target, const std::string& baseFolder);

// The same with the link rule given whole (the map rule among them); links
// is the page's own, a <BASE HREF> changing it.
int RewriteHtmlStream(HtmlReader& reader, std::FILE* source, PageLinks links, std::FILE* target);

// Sets title to the text run right after the first "<TITLE>" tag outside
// scripts, without control characters; leaves it as it was when the page has
// none. Reads no further than that text. Returns kRewriteOk,
// kRewriteReadError or kRewriteOpenError.
int ExtractHtmlTitle(HtmlReader& reader, const std::string& path, std::string& title);
// The same on a page the caller has opened and closes.
int ExtractHtmlTitle(HtmlReader& reader, std::FILE* page, std::string& title);

} // namespace larkspool
