// The export's map from URLs to the files it writes: built once per export
// from the whole catalogue, so that a link names the file written for its
// URL even when that entry is exported by another command.
#pragma once

#include "catalogue/cache_entry.h"
#include "html/link_targets.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace larkspool {

// The form URLs are compared in: scheme and host in lower case, the default
// port dropped, an empty path made "/", escapes of unreserved characters
// decoded and the hex digits of the others in upper case, the fragment set
// aside. A text without "//" after its scheme is returned as it is.
//   HTTP://Host:80/%7Ea/%2f?q=%41#f  ->  http://host/~a/%2F?q=A
std::string CanonicalUrl(std::string_view url);

class SiteMap : public LinkTargets {
public:
    // Of two entries whose URLs compare equal, the first in catalogue order
    // is kept.
    explicit SiteMap(const std::vector<TCacheEntry*>& entries);

    const std::string* SitePathOf(std::string_view url) const override;
    std::size_t Size() const { return m_paths.size(); }

private:
    std::unordered_map<std::string, std::string> m_paths; // canonical URL -> SitePath
};

} // namespace larkspool
