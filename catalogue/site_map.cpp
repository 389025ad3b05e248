// The export's URL map and the canonical form of its keys.
#include "catalogue/site_map.h"

#include "cache/url_escapes.h"
#include "base/byte_text.h"

#include <algorithm>

namespace larkspool {
namespace {

bool IsUnreserved(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
        || c == '_' || c == '~';
}

// Path and query with their escapes in one form.
void AppendNormalEscapes(std::string& out, std::string_view text)
{
    constexpr char kHex[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int high = text[i] == '%' && i + 2 < text.size() ? HexDigitValue(text[i + 1]) : -1;
        const int low = high >= 0 ? HexDigitValue(text[i + 2]) : -1;
        if (low < 0) {
            out += text[i];
            continue;
        }
        const char decoded = static_cast<char>(high * 16 + low);
        if (IsUnreserved(decoded)) {
            out += decoded;
        } else {
            out += '%';
            out += kHex[high];
            out += kHex[low];
        }
        i += 2;
    }
}

bool IsDefaultPort(std::string_view scheme, std::string_view port)
{
    return port.empty() || (scheme == "http" && port == "80") || (scheme == "https" && port == "443");
}

} // namespace

std::string CanonicalUrl(std::string_view url)
{
    url = url.substr(0, url.find('#'));
    const std::size_t colon = url.find("://");
    if (colon == std::string_view::npos || colon == 0)
        return std::string(url);
    const std::string scheme = LowerAsciiText(url.substr(0, colon));
    std::string_view rest = url.substr(colon + 3);
    const std::size_t authorityEnd = std::min(rest.find_first_of("/?"), rest.size());
    std::string_view authority = rest.substr(0, authorityEnd);
    rest.remove_prefix(authorityEnd);

    std::string out = scheme + "://";
    const std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
        out.append(authority.substr(0, at + 1));
        authority.remove_prefix(at + 1);
    }
    const std::size_t portColon = authority.rfind(':');
    const bool hasPort = portColon != std::string_view::npos && authority.find(']', portColon) == std::string_view::npos;
    const std::string_view host = hasPort ? authority.substr(0, portColon) : authority;
    out += LowerAsciiText(host);
    if (hasPort && !IsDefaultPort(scheme, authority.substr(portColon + 1)))
        out.append(authority.substr(portColon));
    if (rest.empty() || rest.front() == '?')
        out += '/';
    AppendNormalEscapes(out, rest);
    return out;
}

SiteMap::SiteMap(const std::vector<TCacheEntry*>& entries)
{
    m_paths.reserve(entries.size());
    for (const TCacheEntry* entry : entries)
        m_paths.emplace(CanonicalUrl(entry->SourceUrl), entry->SitePath);
}

const std::string* SiteMap::SitePathOf(std::string_view url) const
{
    const auto found = m_paths.find(CanonicalUrl(url));
    return found == m_paths.end() ? nullptr : &found->second;
}

} // namespace larkspool
