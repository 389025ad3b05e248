// What the export holds, as the link rewriter asks it: the file written for
// a URL. The export's own map implements it; the rewriter needs no more.
#pragma once

#include <string>
#include <string_view>

namespace larkspool {

class LinkTargets {
public:
    virtual ~LinkTargets() = default;

    // The SitePath (host/dir/file, as the export writes it) of the entry at
    // url, an absolute URL without fragment; nullptr when there is none.
    virtual const std::string* SitePathOf(std::string_view url) const = 0;
};

} // namespace larkspool
