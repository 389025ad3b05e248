// The text of a redirect page: seven fixed lines ended by CR LF on every
// platform, the fourth sending the browser on at once to a relative URL.
#pragma once

#include <string>

namespace larkspool {

std::string RedirectPageText(const std::string& target);

} // namespace larkspool
