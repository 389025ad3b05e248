// Reference resolution for the link rules that look at the target's URL.
// Worked examples, base http://h/d/p.htm?q:
//   a.htm        -> http://h/d/a.htm
//   ../x/./y     -> http://h/x/y
//   /r#f         -> http://h/r#f
//   //o/z        -> http://o/z
//   ?n           -> http://h/d/p.htm?n
//   #f           -> http://h/d/p.htm?q#f
//   ../../../up  -> http://h/up
#include "html/url_resolution.h"

namespace larkspool {
namespace {

bool IsAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The parts of a URL that resolution works on; views into the text.
struct UrlParts {
    std::string_view scheme;    // with its ":"
    std::string_view authority; // with its "//", empty when absent
    std::string_view path;
    std::string_view rest;      // query and fragment, from "?" or "#"
};

UrlParts SplitUrl(std::string_view url)
{
    UrlParts parts;
    if (HasScheme(url)) {
        parts.scheme = url.substr(0, url.find(':') + 1);
        url.remove_prefix(parts.scheme.size());
    }
    if (url.starts_with("//")) {
        const std::size_t end = url.find_first_of("/?#", 2);
        parts.authority = url.substr(0, end);
        url.remove_prefix(parts.authority.size());
    }
    const std::size_t rest = url.find_first_of("?#");
    parts.path = url.substr(0, rest);
    parts.rest = rest == std::string_view::npos ? std::string_view() : url.substr(rest);
    return parts;
}

// RFC 3986 section 5.2.4, its steps A to E in order.
std::string RemoveDotSegments(std::string_view path)
{
    std::string out;
    out.reserve(path.size());
    const auto dropLastSegment = [&out] {
        const std::size_t slash = out.rfind('/');
        out.resize(slash == std::string::npos ? 0 : slash);
    };
    while (!path.empty()) {
        if (path.starts_with("../")) {
            path.remove_prefix(3);
        } else if (path.starts_with("./") || path.starts_with("/./")) {
            path.remove_prefix(2);
        } else if (path == "/.") {
            path = "/";
        } else if (path.starts_with("/../")) {
            path.remove_prefix(3);
            dropLastSegment();
        } else if (path == "/..") {
            path = "/";
            dropLastSegment();
        } else if (path == "." || path == "..") {
            path = {};
        } else {
            const std::size_t next = path.find('/', 1);
            const std::size_t size = next == std::string_view::npos ? path.size() : next;
            out.append(path.substr(0, size));
            path.remove_prefix(size);
        }
    }
    return out;
}

} // namespace

bool HasScheme(std::string_view link)
{
    if (link.empty() || !IsAlpha(link.front()))
        return false;
    for (std::size_t i = 1; i < link.size(); ++i) {
        const char c = link[i];
        if (c == ':')
            return true;
        if (!IsAlpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return false;
    }
    return false;
}

std::string ResolveUrl(std::string_view base, std::string_view link)
{
    if (HasScheme(link))
        return std::string(link);
    const UrlParts from = SplitUrl(base);
    const UrlParts to = SplitUrl(link);
    std::string out(from.scheme);
    if (!to.authority.empty()) {
        out.append(to.authority).append(RemoveDotSegments(to.path)).append(to.rest);
        return out;
    }
    out.append(from.authority);
    if (to.path.empty()) {
        out.append(from.path);
        if (to.rest.empty() || to.rest.starts_with('#'))
            out.append(from.rest.substr(0, from.rest.find('#')));
        out.append(to.rest);
        return out;
    }
    std::string path;
    if (to.path.front() == '/') {
        path = to.path;
    } else {
        const std::size_t slash = from.path.rfind('/');
        if (slash != std::string_view::npos)
            path.append(from.path.substr(0, slash + 1));
        else if (!from.authority.empty())
            path = "/";
        path.append(to.path);
    }
    out.append(RemoveDotSegments(path)).append(to.rest);
    return out;
}

} // namespace larkspool
