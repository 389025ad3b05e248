// The small pages that send a browser from a further default name (say
// index.htm) to the page that bears the first one (index.html).
#pragma once

#include <string>

namespace larkspool {

// The path of the redirect page pageName beside the page at destPath; ""
// when destPath has no "/".
std::string RedirectPagePath(const std::string& destPath, const std::string& pageName);

// Writes (or replaces without asking) the redirect page pageName in the open
// folder, pointing at defFile1. 0, or the errno value of the failure; a
// symbolic link or anything but a plain file at that name is a failure.
int WriteRedirectPage(int folder, const std::string& pageName, const std::string& defFile1);

} // namespace larkspool
