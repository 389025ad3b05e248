// Link resolution for the link rewriter. Worked examples, page host/dir/,
// default file index.html:
//   a.htm                  -> a.htm
//   /c.htm                 -> ../c.htm
//   http://other           -> ../../other/index.html
//   http://host/dir/#x     -> #x
//   g.asp?id=1             -> g.asp.htm?id=1
//   http://h:81/a.htm      -> ../../h%253a81/a.htm    (the folder is h%3a81)
// and for import from base folder C:/Export:
//   file://c:/export/host/x.asp.htm#top -> http://host/x.asp#top
#include "html/link_resolution.h"

#include "base/byte_text.h"

#include <algorithm>

namespace larkspool {
namespace {

// Removes the query (from the first "?") or, without one, the fragment (from
// the first "#") and returns it; a fragment after a query stays in the query.
std::string SplitSuffix(std::string& link)
{
    std::size_t at = link.find('?');
    if (at == std::string::npos)
        at = link.find('#');
    if (at == std::string::npos)
        return {};
    std::string suffix = link.substr(at);
    link.erase(at);
    return suffix;
}

// The host folder's name as a link spells it: the folder escapes ":" as
// "%3a", and a link must escape that "%" again, or file:// decodes it back
// to ":" and misses the folder.
std::string LinkTextOfHost(std::string path)
{
    const std::size_t hostEnd = std::min(path.find('/'), path.size());
    std::string host;
    for (std::size_t i = 0; i < hostEnd; ++i) {
        if (path[i] == ':')
            host += "%253a";
        else if (path[i] == '%')
            host += "%25";
        else
            host += path[i];
    }
    return host.size() == hostEnd ? path : path.replace(0, hostEnd, host);
}

// Where the link points, as host/path in the exported tree.
std::string ExportTreePath(std::string link, std::string_view pageLocation)
{
    if (const std::size_t slashes = link.find("//"); slashes != std::string::npos)
        return LinkTextOfHost(link.substr(slashes + 2)); // any scheme, or none, alike

    std::string_view start = pageLocation;
    if (!start.empty() && start.back() == '/')
        start.remove_suffix(1);
    std::size_t skip = 0;
    while (link.compare(skip, 3, "../") == 0) {
        skip += 3;
        const std::size_t slash = start.rfind('/');
        start = slash == std::string_view::npos ? std::string_view() : start.substr(0, slash);
    }
    if (link.compare(skip, 1, "/") == 0) {
        start = start.substr(0, start.find('/'));
        ++skip;
    }
    link.erase(0, skip);
    if (start.empty())
        return link;
    std::string joined;
    joined.reserve(start.size() + 1 + link.size());
    joined.append(start).append(1, '/').append(link);
    return joined;
}

// Climbs from the page's folder until the link lies below it.
std::string RelativeToPage(const std::string& link, std::string_view pageLocation)
{
    std::string_view dir = pageLocation;
    std::string out;
    while (!dir.empty() && !StartsWithNoCase(link, dir)) {
        out += "../";
        dir.remove_suffix(1);
        const std::size_t slash = dir.rfind('/');
        dir = slash == std::string_view::npos ? std::string_view() : dir.substr(0, slash + 1);
    }
    out.append(link, dir.size());
    return out;
}

// Local names of ".asp" pages carry ".htm" after the ".asp" (x.aspx too:
// x.asp.htmx), so links to them must as well.
void AppendHtmToAsp(std::string& link)
{
    const std::size_t dot = link.rfind('.');
    if (dot != std::string::npos && StartsWithNoCase(std::string_view(link).substr(dot), ".asp"))
        link.insert(dot + 4, ".htm");
}

// x.asp.htm (or .html) back to x.asp.
void StripHtmFromAsp(std::string& link)
{
    const std::size_t dot = link.rfind('.');
    if (dot == std::string::npos || dot < 4)
        return;
    const std::string_view view(link);
    if (StartsWithNoCase(view.substr(dot), ".htm") && StartsWithNoCase(view.substr(dot - 4), ".asp"))
        link.erase(dot);
}

} // namespace

std::string PageLocation(std::string_view url)
{
    const std::size_t scheme = url.find("//");
    std::string location(scheme == std::string_view::npos ? url : url.substr(scheme + 2));
    const std::size_t slash = location.rfind('/');
    if (slash != std::string::npos)
        location.resize(slash + 1);
    return location;
}

std::string ResolveExportLink(std::string_view linkText, std::string_view pageLocation,
                              std::string_view defaultFile)
{
    std::string link(linkText);
    const std::string suffix = SplitSuffix(link);
    const std::string location = LinkTextOfHost(std::string(pageLocation));

    link = ExportTreePath(std::move(link), location);
    if (link.find('/') == std::string::npos)
        link += '/'; // a bare host name means that host's root
    if (link.back() == '/') {
        if (!suffix.empty() && suffix.front() == '#')
            link.clear(); // the page's own folder: the fragment alone
        else
            link.append(defaultFile);
    }
    if (!link.empty())
        link = RelativeToPage(link, location);
    AppendHtmToAsp(link);
    return link + suffix;
}

std::string ResolveImportLink(std::string_view linkText, std::string_view baseFolder)
{
    std::string link(linkText);
    const std::string suffix = SplitSuffix(link);

    constexpr std::string_view fileScheme = "file://";
    if (StartsWithNoCase(link, fileScheme)) {
        std::string_view rest = std::string_view(link).substr(fileScheme.size());
        // An empty base folder would match every link and eat its first byte.
        if (!baseFolder.empty() && StartsWithNoCase(rest, baseFolder))
            rest.remove_prefix(std::min(rest.size(), baseFolder.size() + 1));
        link = "http://" + std::string(rest);
        StripHtmFromAsp(link);
    }
    return link + suffix;
}

std::string ConvertBaseFolder(std::string_view folder)
{
    std::string out;
    out.reserve(folder.size());
    for (const char c : folder) {
        if (c == '\\')
            out += '/';
        else if (c == ' ')
            out += "%20";
        else
            out += c;
    }
    return out;
}

} // namespace larkspool
