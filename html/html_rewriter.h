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

// Which way RewriteHtmlFile turns links: into the exported tree, or from it
// back onto the web.
enum class RewriteMode { Export, Import };

// RewriteHtmlFile and ExtractHtmlTitle results.
inline constexpr int kRewriteOk = 0;
inline constexpr int kRewriteReadError = -1;
inline constexpr int kRewriteOpenError = -3;
inline constexpr int kRewriteWriteError = -4;

// Copies sourcePath (a regular file: never a FIFO or a device) to
// targetPath ("wb", created only once the source is open) with the links of
// its tags and <STYLE> blocks rewritten: Export makes them relative to
// pageLocation (host/dir/) in the exported tree, Import turns "file://"
// links under baseFolder back into "http://" ones. The first
// BASE tag sets what later links resolve against; every BASE tag becomes a
// comment. Returns kRewriteOk, kRewriteReadError, kRewriteOpenError
// or kRewriteWriteError; after a read or write error the target keeps what was
// written before it. openError, when given, receives which file could not be
// opened and why.
int RewriteHtmlFile(HtmlReader& reader, const std::string& sourcePath, const std::string& pageLocation,
                    const std::string& defaultFile, RewriteMode mode, const std::string& targetPath,
                    const std::string& baseFolder, std::string* openError = nullptr);

// RewriteHtmlFile on files the caller has opened ("rb", "wb"; nothing read
// or written yet) and closes afterwards, the source before reader is used
// again (it lends the source its buffer); the target is left unbuffered.
int RewriteHtmlStream(HtmlReader& reader, std::FILE* source, const std::string& pageLocation,
                      const std::string& defaultFile, RewriteMode mode, std::FILE* target,
                      const std::string& baseFolder);

// The same with the link rule given whole (the map rule among them); links
// is the page's own, a <BASE HREF> changing it.
int RewriteHtmlStream(HtmlReader& reader, std::FILE* source, PageLinks links, std::FILE* target);

// Sets title to the text run right after the first "<TITLE>" tag outside
// scripts, without control characters; leaves it as it was when the page has
// none. Reads no further than that text. Returns kRewriteOk,
// kRewriteReadError or kRewriteOpenError (openError, when given, says why:
// the file is missing, or a FIFO, a device, a folder).
int ExtractHtmlTitle(HtmlReader& reader, const std::string& path, std::string& title,
                     std::string* openError = nullptr);
// The same on a page the caller has opened and closes.
int ExtractHtmlTitle(HtmlReader& reader, std::FILE* page, std::string& title);

} // namespace larkspool
