// Reading the few facts of a stored HTTP response head that the read-only
// cache needs: its status, a header's value, and HTTP dates.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace larkspool::browsercache {

// The status code of "HTTP/x.y NNN ..." on the first line; 0 when there is none.
int ResponseStatus(std::string_view head);

// The value of the first header line named name (ASCII case ignored), blanks
// around it removed; nullopt when no line has that name.
std::optional<std::string> HeaderValue(std::string_view head, std::string_view name);

// A header value as a message quotes it: at most kQuotedValueBytes of it,
// and "..." where it was cut, so that one crafted header cannot make a line
// of megabytes.
inline constexpr std::size_t kQuotedValueBytes = 200;
std::string QuotedHeaderValue(std::string_view value);

// An HTTP date in any of its three forms ("Sun, 06 Nov 1994 08:49:37 GMT",
// "Sunday, 06-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37 1994") as FILETIME
// ticks (UTC); 0 when the text is not such a date.
std::uint64_t ParseHttpDate(std::string_view text);

} // namespace larkspool::browsercache
