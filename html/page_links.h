// The link rule of one page or stylesheet: which way links are turned and
// what they resolve against. Every URL-bearing value the rewriters find goes
// through Rewrite.
#pragma once

#include <set>
#include <string>
#include <string_view>

namespace larkspool {

class LinkTargets;

// The page's place on the web and in the export, for the map rule.
struct PageAddress {
    std::string url;      // the page's URL, query included
    std::string sitePath; // its file in the exported tree
    const LinkTargets* targets = nullptr;
};

class PageLinks {
public:
    // Towards the exported tree, relative to pageLocation (host/dir/);
    // defaultFile names what a link ending in "/" points to. With an
    // address, a link to a URL the export holds names that file.
    static PageLinks ForExport(std::string pageLocation, std::string defaultFile, PageAddress address = {});
    // Back to the web: baseFolder as ConvertBaseFolder gives it. With the
    // page's path in the imported tree (host/dir/file) and the tree's host
    // folders, a relative link into another host's folder becomes a web link
    // to that host.
    static PageLinks ForImport(std::string baseFolder, std::string treePath = {},
                               const std::set<std::string, std::less<>>* hostFolders = nullptr);

    bool Exports() const { return m_export; }
    // A <base href>: later links resolve against it. The first one counts.
    void SetBase(std::string_view href);
    // The link as the written page or stylesheet spells it.
    std::string Rewrite(std::string_view link) const;

private:
    std::string ExportedLink(std::string_view link) const;
    std::string MappedLink(std::string_view link, const std::string& oldResult) const;
    std::string ImportedLink(std::string_view link) const;

    bool m_export = true;
    std::string m_pageLocation;
    std::string m_defaultFile;
    PageAddress m_address;
    std::string m_base; // absolute; empty until a <base href>
    std::string m_baseFolder;
    std::string m_treePath;
    const std::set<std::string, std::less<>>* m_hostFolders = nullptr;
};

} // namespace larkspool
