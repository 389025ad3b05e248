// The stylesheet copy: the sheet is read whole, since a url() may lie
// anywhere and stylesheets are small beside the pages that use them.
#include "html/stylesheet_rewriter.h"

#include "base/byte_text.h"
#include "html/css_links.h"
#include "html/html_rewriter.h"

#include <string>

namespace larkspool {

bool IsStylesheetName(std::string_view name)
{
    return EndsWithNoCase(name, ".css");
}

int RewriteStylesheetStream(std::FILE* source, const PageLinks& links, std::FILE* target)
{
    std::string css;
    char block[64 * 1024];
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof block, source)) > 0)
        css.append(block, got);
    if (std::ferror(source))
        return kRewriteReadError;
    std::string out;
    out.reserve(css.size() + css.size() / 8);
    RewriteCssLinks(css, links, out);
    return std::fwrite(out.data(), 1, out.size(), target) == out.size() && std::fflush(target) == 0
        ? kRewriteOk
        : kRewriteWriteError;
}

} // namespace larkspool
