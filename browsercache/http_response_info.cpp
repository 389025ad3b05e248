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
// What may lie between the headers and the server's address.
constexpr std::uint32_t kHasCertificate = 1u << 8;
constexpr std::uint32_t kHasSecurityBits = 1u << 9;
constexpr std::uint32_t kHasCertificateStatus = 1u << 10;
constexpr std::uint32_t kHasVaryData = 1u << 11;
constexpr std::uint32_t kHasConnectionStatus = 1u << 16;
constexpr std::uint32_t kHasCertificateTimestamps = 1u << 20;

bool IsAddressText(std::string_view text)
{
    return !text.empty() && text.find_first_not_of("0123456789abcdefABCDEF.:[]") == std::string_view::npos;
}

// The address the response came from, read after the headers; empty when
// the record holds none or a part before it is not read here (signed
// certificate timestamps).
std::string ServerAddress(PickleReader& pickle, std::uint32_t flags)
{
    std::uint32_t count = 0, skipped = 0;
    std::string_view bytes;
    if (flags & kHasCertificateTimestamps)
        return {};
    if (flags & kHasCertificate) {
        if (!pickle.ReadU32(count))
            return {};
        for (std::uint32_t i = 0; i < count; ++i)
            if (!pickle.ReadString(bytes))
                return {};
    }
    for (const std::uint32_t flag : {kHasCertificateStatus, kHasSecurityBits, kHasConnectionStatus})
        if ((flags & flag) && !pickle.ReadU32(skipped))
            return {};
    std::uint64_t digest = 0;
    if ((flags & kHasVaryData) && !(pickle.ReadU64(digest) && pickle.ReadU64(digest)))
        return {};
    std::string_view host;
    if (!pickle.ReadString(host) || !IsAddressText(host))
        return {};
    return std::string(host);
}

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
    record.serverAddress = ServerAddress(pickle, flags);
    return {};
}

} // namespace larkspool::browsercache
