// Lower-casing the whole key, as the index readers do, so that a lookup is
// case-blind on the path as well.
#include "archive/surt.h"

#include <algorithm>
#include <vector>

namespace larkspool::archive {
namespace {

std::string Lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

std::vector<std::string_view> Split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

bool IsDefaultPort(std::string_view scheme, std::string_view port)
{
    return (scheme == "http" && port == "80") || (scheme == "https" && port == "443");
}

} // namespace

std::string SurtKey(std::string_view url)
{
    const std::string text = Lower(url.substr(0, url.find('#')));
    std::string_view rest = text;
    std::string_view scheme;
    if (const std::size_t colon = rest.find("://"); colon != std::string_view::npos) {
        scheme = rest.substr(0, colon);
        rest.remove_prefix(colon + 3);
    }
    const std::size_t hostEnd = std::min(rest.find_first_of("/?"), rest.size());
    std::string_view authority = rest.substr(0, hostEnd);
    std::string_view path = rest.substr(hostEnd);
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    std::string_view host = authority;
    std::string_view port;
    if (const std::size_t colon = authority.rfind(':');
        colon != std::string_view::npos && authority.find(']', colon) == std::string_view::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
    }
    if (host.substr(0, 4) == "www.")
        host.remove_prefix(4);

    std::string key;
    std::vector<std::string_view> labels = Split(host, '.');
    for (auto label = labels.rbegin(); label != labels.rend(); ++label)
        key.append(key.empty() ? "" : ",").append(*label);
    if (!port.empty() && !IsDefaultPort(scheme, port))
        key.append(":").append(port);
    key += ')';

    const std::size_t question = path.find('?');
    const std::string_view pathOnly = path.substr(0, question);
    key.append(pathOnly.empty() ? "/" : pathOnly);
    if (question != std::string_view::npos) {
        std::vector<std::string_view> pairs = Split(path.substr(question + 1), '&');
        std::sort(pairs.begin(), pairs.end());
        key += '?';
        for (std::size_t i = 0; i < pairs.size(); ++i)
            key.append(i ? "&" : "").append(pairs[i]);
    }
    return key;
}

} // namespace larkspool::archive
