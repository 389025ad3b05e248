#include "html/link_resolution.h"

#include <gtest/gtest.h>

namespace {

using larkspool::ConvertBaseFolder;
using larkspool::PageLocation;
using larkspool::ResolveExportLink;
using larkspool::ResolveImportLink;

struct Case {
    const char* link;
    const char* expected;
};

TEST(LinkResolution, a_page_location_is_the_host_and_folder_without_the_scheme)
{
    const Case cases[] = {
        {"http://host/docs/index.html", "host/docs/"},
        {"host/docs/index.html", "host/docs/"},
        {"http://host/", "host/"},
        {"http://host", "host"},
        {"host/page.htm", "host/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PageLocation(c.link), c.expected) << c.link;
}

TEST(LinkResolution, export_links_become_relative_to_the_page_folder)
{
    const Case cases[] = {
        {"a.htm", "a.htm"},
        {"../b.htm", "../b.htm"},
        {"/c.htm", "../c.htm"},
        {"http://host/dir/sub/d.htm", "sub/d.htm"},
        {"http://other/e.htm", "../../other/e.htm"},
        {"http://other", "../../other/index.html"},
        {"sub/", "sub/index.html"},
        {"#top", "#top"},
        {"f.htm#top", "f.htm#top"},
        {"g.asp?id=1", "g.asp.htm?id=1"},
        {"http://host/dir/#x", "#x"},
        {"news:item", "news:item"},
        {"../../../z.htm", "../../z.htm/index.html"},
        {"x.aspx", "x.asp.htmx"},
        {"HTTP://HOST/DIR/A.HTM", "A.HTM"},
        {"./h.htm", "./h.htm"},
        {"https://host/dir/s.htm", "s.htm"},
        {"//host/i.htm", "../i.htm"},
        {"X.ASP", "X.ASP.htm"},
        {"j.htm?a=1#b", "j.htm?a=1#b"},
        {"http://host/dir/?q#f", "index.html?q#f"},
        {"'x.htm'", "'x.htm'"},
        {"'http://host/dir/q'", "q'"},
        {"\x83\x5C\x83\x7C.htm", "\x83\x5C\x83\x7C.htm"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolveExportLink(c.link, "host/dir/", "index.html"), c.expected) << c.link;
}

TEST(LinkResolution, export_is_stable_on_resolved_links)
{
    const char* links[] = {"a.htm", "../c.htm", "../../other/index.html", "sub/index.html", "#top"};
    for (const char* link : links)
        EXPECT_EQ(ResolveExportLink(link, "host/dir/", "index.html"), link) << link;
}

TEST(LinkResolution, export_from_a_host_root_page)
{
    const Case cases[] = {
        {"/a.htm", "a.htm"},
        {"http://host", "index.html"},
        {"../up.htm", "../up.htm/index.html"},
        {"http://other/", "../other/index.html"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolveExportLink(c.link, "host/", "index.html"), c.expected) << c.link;
}

TEST(LinkResolution, import_turns_links_under_the_base_folder_into_web_links)
{
    const Case cases[] = {
        {"file://C:/Export/host/a/b.htm", "http://host/a/b.htm"},
        {"file://c:/export/host/x.asp.htm#top", "http://host/x.asp#top"},
        {"FILE://C:/Export/host/x.ASP.HTML", "http://host/x.ASP"},
        {"file://D:/other/y.htm", "http://D:/other/y.htm"},
        {"../z.htm", "../z.htm"},
        {"http://host/w.htm", "http://host/w.htm"},
        {"file:///C:/Export/h/x.htm", "http:///C:/Export/h/x.htm"},
        {"file://C:/Export/host/p.htm?a=b", "http://host/p.htm?a=b"},
        {"file://C:/Export", "http://"},
        {"file://C:/Export/", "http://"},
    };
    const std::string base = ConvertBaseFolder("C:\\Export");
    for (const Case& c : cases)
        EXPECT_EQ(ResolveImportLink(c.link, base), c.expected) << c.link;
}

TEST(LinkResolution, import_matches_posix_base_folders_and_escaped_spaces)
{
    const Case cases[] = {
        {"file:///home/user/export/host/a.htm", "http://host/a.htm"},
        {"file:///home/user/my%20export/host/a.htm", "http://host/a.htm"},
        {"file:///home/user/my export/host/a.htm", "http:///home/user/my export/host/a.htm"},
    };
    EXPECT_EQ(ResolveImportLink(cases[0].link, ConvertBaseFolder("/home/user/export")), cases[0].expected);
    const std::string spaced = ConvertBaseFolder("/home/user/my export");
    EXPECT_EQ(spaced, "/home/user/my%20export");
    EXPECT_EQ(ResolveImportLink(cases[1].link, spaced), cases[1].expected);
    EXPECT_EQ(ResolveImportLink(cases[2].link, spaced), cases[2].expected);
    EXPECT_EQ(ConvertBaseFolder("C:\\My Export"), "C:/My%20Export");
}

TEST(LinkResolution, import_with_an_empty_base_folder_keeps_the_path)
{
    EXPECT_EQ(ResolveImportLink("file://C:/x/a.htm", ""), "http://C:/x/a.htm");
}

} // namespace
