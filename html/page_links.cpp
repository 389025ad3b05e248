// The map rule on top of the link rules of link_resolution.cpp. A link that
// resolves to a URL the export holds names the file written for it, relative
// to the page's folder, with the link's fragment and without the query the
// file stands for; where the old rule already names that file its text is
// kept byte for byte. Worked examples, page http://h/d/p.htm in h/d/:
//   shop.php?id=7   (entry h/d/shop.htm)          -> shop.htm
//   t.php?id=2      (entry h/d/t(1).php)          -> t(1).php
//   /news/#latest   (entry h/news/index.html)     -> ../news/index.html#latest
//   http://h:81/a   (entry h%3a81/a)              -> ../../h%253a81/a
//   a%20b.gif       (entry h/d/a b.gif)           -> a%20b.gif   (old text kept)
// and the way back, page h/d/p.htm of an imported tree holding h%3a81:
//   ../../h%253a81/a.htm                          -> http://h:81/a.htm
#include "html/page_links.h"

#include "cache/url_escapes.h"
#include "html/link_resolution.h"
#include "html/link_targets.h"
#include "html/url_resolution.h"

namespace larkspool {
namespace {

// A tree path as a link spells it: "%" and "#" would be read as an escape
// and a fragment.
std::string LinkTextOfPath(std::string_view path)
{
    std::string out;
    out.reserve(path.size());
    for (const char c : path) {
        if (c == '%')
            out += "%25";
        else if (c == '#')
            out += "%23";
        else if (c == '?')
            out += "%3F";
        else
            out += c;
    }
    return out;
}

// The relative link from folder (host/dir/) to the file at path (host/x/f).
std::string RelativeLink(std::string_view folder, std::string_view path)
{
    std::size_t common = 0; // bytes of whole segments both start with
    for (std::size_t i = 0; i < folder.size() && i < path.size() && folder[i] == path[i]; ++i) {
        if (folder[i] == '/')
            common = i + 1;
    }
    std::string out;
    for (std::size_t i = common; i < folder.size(); ++i) {
        if (folder[i] == '/')
            out += "../";
    }
    return out + LinkTextOfPath(path.substr(common));
}

} // namespace

PageLinks PageLinks::ForExport(std::string pageLocation, std::string defaultFile, PageAddress address)
{
    PageLinks links;
    links.m_pageLocation = std::move(pageLocation);
    links.m_defaultFile = std::move(defaultFile);
    links.m_address = std::move(address);
    return links;
}

PageLinks PageLinks::ForImport(std::string baseFolder, std::string treePath,
                               const std::set<std::string, std::less<>>* hostFolders)
{
    PageLinks links;
    links.m_export = false;
    links.m_baseFolder = std::move(baseFolder);
    links.m_treePath = std::move(treePath);
    links.m_hostFolders = hostFolders;
    return links;
}

void PageLinks::SetBase(std::string_view href)
{
    if (!m_base.empty() || href.empty())
        return;
    m_base = ResolveUrl(m_address.url.empty() ? "http://" + m_pageLocation : m_address.url, href);
    if (!HasScheme(m_base))
        m_base.clear();
}

std::string PageLinks::Rewrite(std::string_view link) const
{
    return m_export ? ExportedLink(link) : ImportedLink(link);
}

// The export writes a link to another host as a climb out of the page's host
// folder: ../../b.test%253a8771/x.htm from a.test/d/p.htm. On the web that is
// http://b.test:8771/x.htm again.
std::string PageLinks::ImportedLink(std::string_view link) const
{
    std::string web = ResolveImportLink(link, m_baseFolder);
    if (web != link || !m_hostFolders || HasScheme(link) || link.starts_with('/') || !link.starts_with("../"))
        return web;
    const std::string tree = ResolveUrl("t:/" + m_treePath, link).substr(3);
    const std::string_view hostLink = std::string_view(tree).substr(0, tree.find('/'));
    const std::string hostFolder = DecodePercentEscapes(hostLink);
    if (hostLink.size() == tree.size() || std::string_view(m_treePath).starts_with(hostFolder + "/")
        || !m_hostFolders->contains(hostFolder))
        return web;
    return "http://" + DecodePercentEscapes(hostFolder) + tree.substr(hostLink.size());
}

std::string PageLinks::ExportedLink(std::string_view link) const
{
    const std::string oldResult =
        ResolveExportLink(m_base.empty() ? std::string(link) : ResolveUrl(m_base, link), m_pageLocation, m_defaultFile);
    if (!m_address.targets || m_address.url.empty())
        return oldResult;
    return MappedLink(link, oldResult);
}

std::string PageLinks::MappedLink(std::string_view link, const std::string& oldResult) const
{
    const std::string url = ResolveUrl(m_base.empty() ? m_address.url : m_base, link);
    const std::size_t hash = url.find('#');
    const std::string* sitePath = m_address.targets->SitePathOf(std::string_view(url).substr(0, hash));
    if (!sitePath)
        return oldResult;

    const std::string fragment = hash == std::string::npos ? std::string() : url.substr(hash);
    std::string mapped = RelativeLink(m_pageLocation, *sitePath) + fragment;
    if (mapped == oldResult) // most links: the old rule already spells it so
        return mapped;
    const std::size_t suffix = oldResult.find_first_of("?#");
    const bool oldHasQuery = suffix != std::string::npos && oldResult[suffix] == '?';
    const std::string_view oldPath = std::string_view(oldResult).substr(0, suffix);
    const std::string oldFile = oldPath.empty() ? m_address.sitePath
        : ResolveUrl("t:/" + m_pageLocation, DecodePercentEscapes(oldPath)).substr(3);
    if (!oldHasQuery && oldFile == *sitePath)
        return oldResult;
    return mapped;
}

} // namespace larkspool
