// Taking the partition out of Chromium's and Firefox's cache keys.
#include "browsercache/cache_key_partition.h"

#include "browsercache/cache_key_url.h"
#include "cache/url_escapes.h"

#include <algorithm>

namespace larkspool::browsercache {
namespace {

// The prefixes in front of the isolation parts: double keying, a cross-site
// main-frame navigation, a subframe's document.
constexpr std::string_view kDoubleKeyPrefix = "_dk_";
constexpr std::string_view kMarkPrefixes[] = {"_cn_", "s_"};

// "(scheme,host)" or "(scheme,host,port)" as scheme://host[:port]; the text
// itself when it is not of that form.
std::string SiteOfPartitionKey(const std::string& key)
{
    if (key.size() < 2 || key.front() != '(' || key.back() != ')')
        return key;
    const std::string inner = key.substr(1, key.size() - 2);
    const std::size_t schemeEnd = inner.find(',');
    if (schemeEnd == std::string::npos)
        return key;
    const std::size_t hostEnd = inner.find(',', schemeEnd + 1);
    std::string site = inner.substr(0, schemeEnd) + "://" + inner.substr(schemeEnd + 1, hostEnd - schemeEnd - 1);
    if (hostEnd != std::string::npos)
        site += ":" + inner.substr(hostEnd + 1);
    return site;
}

} // namespace

std::string PartitionFromChromiumKey(std::string_view key)
{
    key = WithoutChromiumKeyPrefixes(key);
    bool doubleKeyed = false;
    for (bool more = true; more;) {
        more = false;
        if (key.starts_with(kDoubleKeyPrefix)) {
            key.remove_prefix(kDoubleKeyPrefix.size());
            doubleKeyed = more = true;
        }
        for (const std::string_view mark : kMarkPrefixes)
            if (key.starts_with(mark)) {
                key.remove_prefix(mark.size());
                more = true;
            }
    }
    if (!doubleKeyed)
        return {};
    const std::size_t space = key.find(' ');
    return space == std::string_view::npos ? std::string() : std::string(key.substr(0, space));
}

std::string PartitionFromFirefoxKey(std::string_view key)
{
    // The origin attributes are the "O" tag: "O^name=value&name=value".
    while (!key.empty() && key.front() != ':') {
        const std::size_t comma = key.find(',');
        const std::string_view tag = key.substr(0, comma);
        if (tag.starts_with("O^")) {
            const std::string_view attributes = tag.substr(2);
            for (std::size_t start = 0; start <= attributes.size();) {
                const std::size_t end = std::min(attributes.find('&', start), attributes.size());
                const std::string_view pair = attributes.substr(start, end - start);
                if (pair.starts_with("partitionKey="))
                    return SiteOfPartitionKey(DecodePercentEscapes(pair.substr(13)));
                start = end + 1;
            }
            return std::string(attributes);
        }
        if (comma == std::string_view::npos)
            break;
        key.remove_prefix(comma + 1);
    }
    return {};
}

} // namespace larkspool::browsercache
