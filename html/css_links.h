// The stylesheet scanner: the links of CSS text, in a .css file, a <STYLE>
// block or a STYLE attribute.
#pragma once

#include <string>
#include <string_view>

namespace larkspool {

class PageLinks;

// Appends css to out with the link of every url(...) (bare, "..." or '...')
// and every @import "..." passed through links. Comments and other strings
// are not looked into, escapes are read as CSS reads them, and a url() that
// CSS would reject (an unclosed string, a quote in a bare url) stays as it
// is, like every byte around the links.
void RewriteCssLinks(std::string_view css, const PageLinks& links, std::string& out);

} // namespace larkspool
