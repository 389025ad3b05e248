// Decoding the pickled response record Chromium keeps for each entry.
#include "browsercache/http_response_info.h"

#include "browsercache/browser_time.h"
#include "browsercache/chromium_pickle.h"
#include "browsercache/response_head.h"

namespace larkspool::browsercache {

namespace {

constexpr std::uint32_t kVersionMask = 0xFF;
constexpr std::uint32_t kHasExtraFlags = 1u << 31;
constexpr std::uint32_t kExtraHasOriginalResponseTime = 1u << 2;

} // namespace

std::string ReadResponseInfo(std::string_view stream, BrowserCacheRecord& record)
{
    // Entries the HTTP cache did not write (code cache, for one) keep none.
    if (stream.empty())
        return {};
    PickleReader pickle(stream);
    if (!pickle.IsValid())
        return "the response record's size does not fit its stream";
    std::uint32_t flags = 0, extraFlags = 0;
    std::uint64_t requestTime = 0, responseTime = 0, originalTime = 0;
    std::string_view rawHeaders;
    if (!pickle.ReadU32(flags))
        return "the response record is truncated";
    const std::uint32_t version = flags & kVersionMask;
    if (version < 1 || version > 3)
        return "unknown response record version " + std::to_string(version);
    if (((flags & kHasExtraFlags) && !pickle.ReadU32(extraFlags)) || !pickle.ReadU64(requestTime) ||
        !pickle.ReadU64(responseTime) ||
        ((extraFlags & kExtraHasOriginalResponseTime) && !pickle.ReadU64(originalTime)) ||
        !pickle.ReadString(rawHeaders))
        return "the response record is truncated";
    record.responseHead = HeadFromLines(rawHeaders, '\0');
    record.requestTime = TicksFromChromiumTime(requestTime);
    record.responseTime = TicksFromChromiumTime(responseTime);
    record.entryTime = record.responseTime;
    return {};
}

} // namespace larkspool::browsercache
