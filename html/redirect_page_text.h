// The text of a redirect page: seven fixed lines ended by CR LF on every
// platform, the fourth sending the browser on at once to a relative URL.
#pragma once

#include <string>
#include <string_view>

namespace larkspool {

// target, escaped as an attribute's value, is the refresh target.
std::string RedirectPageText(const std::string& target);

// True when a redirect page may send a browser to target: an http or https
// URL, or one without a scheme (relative); javascript:, data: and every
// other scheme are never followed.
bool IsRedirectableTarget(std::string_view target);

} // namespace larkspool
