// The records a user wants as files. Predictor, code-cache and alt-data
// entries have no HTTP URL; a 304 stores no body; a redirect's own body is
// a server's note, replaced by a redirect page.
#include "browsercache/listed_records.h"

#include "browsercache/http_response_head.h"
#include "base/byte_text.h"
#include "html/redirect_page_text.h"

#include <unordered_map>

namespace larkspool::browsercache {
namespace {

bool IsHttpUrl(const std::string& url)
{
    return StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://");
}

bool IsRedirect(int status)
{
    return status == 301 || status == 302 || status == 307 || status == 308;
}

// The URL without its scheme: where the entry lands in the exported tree.
std::string_view WithoutScheme(std::string_view url)
{
    const std::size_t slashes = url.find("//");
    return slashes == std::string_view::npos ? url : url.substr(slashes + 2);
}

} // namespace

std::string ResolveLocation(const std::string& url, const std::string& location)
{
    if (location.find("://") != std::string::npos)
        return location;
    const std::size_t schemeEnd = url.find("//");
    if (schemeEnd == std::string::npos)
        return location;
    if (location.starts_with("//"))
        return url.substr(0, schemeEnd) + location;
    const std::size_t hostEnd = url.find('/', schemeEnd + 2);
    const std::string origin = url.substr(0, hostEnd);
    if (location.starts_with("/"))
        return origin + location;
    const std::string path = url.substr(0, url.find_first_of("?#"));
    const std::size_t lastSlash = path.rfind('/');
    if (hostEnd == std::string::npos || lastSlash < hostEnd)
        return origin + "/" + location;
    return path.substr(0, lastSlash + 1) + location;
}

std::vector<ListedRecord> ListedRecords(const BrowserCacheScan& scan, std::vector<std::string>* refused,
                                        bool withRecovered)
{
    std::vector<ListedRecord> listed;
    std::unordered_map<std::string, std::size_t> byUrl;
    for (const BrowserCacheRecord& record : scan.records) {
        if (!record.error.empty() || !IsHttpUrl(record.url) || (record.recovered && !withRecovered))
            continue;
        // Entries are looked up by their URL as a C string.
        if (record.url.find('\0') != std::string::npos) {
            if (refused)
                refused->push_back(record.key + ": a NUL byte in its URL, which no entry can be found by");
            continue;
        }
        const int status = record.responseHead.empty() ? 200 : ResponseStatus(record.responseHead);
        ListedRecord candidate{&record, {}};
        if (IsRedirect(status)) {
            const auto location = HeaderValue(record.responseHead, "Location");
            if (!location || location->empty())
                continue;
            if (!IsRedirectableTarget(*location)) {
                if (refused)
                    refused->push_back(record.key + ": a redirect to " + location->substr(0, 200) +
                                       ", not an http, https or relative URL: no page made");
                continue;
            }
            candidate.redirectTarget = ResolveLocation(record.url, *location);
            if (WithoutScheme(candidate.redirectTarget) == WithoutScheme(record.url))
                continue; // http to https of the same page: one file, no loop
        } else if (status < 200 || status > 299 || status == 204 || (status == 206 && record.body.pieces.empty()) ||
                   record.body.length == 0) {
            continue;
        }
        if (record.recovered) {
            listed.push_back(std::move(candidate));
            continue;
        }
        const auto [known, inserted] = byUrl.emplace(record.url, listed.size());
        if (inserted)
            listed.push_back(std::move(candidate));
        else if (record.entryTime > listed[known->second].record->entryTime)
            listed[known->second] = std::move(candidate);
    }
    return listed;
}

} // namespace larkspool::browsercache
