#include "archive/warc_date.h"

#include <cstdio>
#include <ctime>

namespace larkspool::archive {

std::string WarcDate(std::int64_t unixSeconds)
{
    // A damaged record's time still makes a date of four-digit years.
    constexpr std::int64_t kLatest = 253402300799; // 9999-12-31T23:59:59Z
    const std::time_t seconds = static_cast<std::time_t>(unixSeconds < 0 ? 0 : unixSeconds > kLatest ? kLatest : unixSeconds);
    std::tm parts{};
    if (!gmtime_r(&seconds, &parts))
        return "1970-01-01T00:00:00Z";
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return text;
}

} // namespace larkspool::archive
