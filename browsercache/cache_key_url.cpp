// Taking the URL out of Chromium's and Firefox's cache keys.
#include "browsercache/cache_key_url.h"

namespace larkspool::browsercache {

namespace {

bool IsHttpUrl(std::string_view text)
{
    return text.starts_with("http://") || text.starts_with("https://");
}

std::string HttpUrlOrEmpty(std::string_view text)
{
    return IsHttpUrl(text) ? std::string(text) : std::string();
}

} // namespace

std::string UrlFromChromiumKey(std::string_view key)
{
    // Isolation parts are separated by spaces and come first; the URL is last.
    if (const std::size_t space = key.rfind(' '); space != std::string_view::npos)
        key.remove_prefix(space + 1);
    return HttpUrlOrEmpty(WithoutChromiumKeyPrefixes(key));
}

std::string_view WithoutChromiumKeyPrefixes(std::string_view key)
{
    // Runs of digits, each ended by '/'.
    for (;;) {
        std::size_t digits = 0;
        while (digits < key.size() && key[digits] >= '0' && key[digits] <= '9')
            ++digits;
        if (digits == 0 || digits >= key.size() || key[digits] != '/')
            return key;
        key.remove_prefix(digits + 1);
    }
}

std::string UrlFromFirefoxKey(std::string_view key)
{
    // Tags, each ended by ',', until the ':' tag that holds the rest as URL.
    // Partition keys are percent-encoded, so they hold no literal ','.
    while (!key.empty()) {
        if (key.front() == ':')
            return HttpUrlOrEmpty(key.substr(1));
        const std::size_t comma = key.find(',');
        if (comma == std::string_view::npos)
            return {};
        // The predictor files what it learned about an origin under the
        // origin's own URL; no response lives there.
        if (key.substr(0, comma) == "~predictor-origin")
            return {};
        key.remove_prefix(comma + 1);
    }
    return {};
}

std::string UrlFromFirefoxCache1Key(std::string_view key)
{
    const std::size_t colon = key.find(':');
    if (colon == std::string_view::npos)
        return {};
    key.remove_prefix(colon + 1);
    constexpr std::string_view kUri = "&uri=";
    if (key.starts_with("id="))
        if (const std::size_t uri = key.find(kUri); uri != std::string_view::npos)
            key.remove_prefix(uri + kUri.size());
    return HttpUrlOrEmpty(key);
}

} // namespace larkspool::browsercache
