#include "html/tag_links.h"

#include "html/html_rewriter.h"
#include "html/page_links.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using larkspool::RewriteMode;

class TagLinks : public ::testing::Test {
protected:
    std::string rewritten(std::string chunk, RewriteMode mode = RewriteMode::Export,
                          const std::string& page = "host/dir/")
    {
        const auto links = mode == RewriteMode::Export ? larkspool::PageLinks::ForExport(page, "index.html")
                                                       : larkspool::PageLinks::ForImport("C:/Export");
        larkspool::RewriteTagLinks(chunk, links);
        return chunk;
    }
};

struct Case {
    std::string tag;
    std::string expected;
};

TEST_F(TagLinks, rewrites_the_first_value_of_each_link_attribute)
{
    const Case cases[] = {
        {"<A HREF=\"http://host/dir/a.htm\">", "<A HREF=\"a.htm\">"},
        {"<A HREF=http://host/dir/a.htm>", "<A HREF=a.htm>"},
        {"<a Href = \" http://host/dir/a.htm\">", "<a Href = \" a.htm\">"},
        {"<A HREF=http://host/dir/a.htm?x=1 TARGET=_top>", "<A HREF=a.htm?x=1 TARGET=_top>"},
        {"<A HREF=\"http://host/dir/a.htm>", "<A HREF=\"a.htm>"},
        {"<a href='http://host/dir/q'>", "<a href='q'>"},
        {"<A HREF='a.htm' TARGET=x>", "<A HREF='a.htm' TARGET=x>"},
        {"<BODY BACKGROUND=\"http://host/dir/bg.gif\">", "<BODY BACKGROUND=\"bg.gif\">"},
        {"<IMG SRC=\"/i.gif\" LOWSRC=\"/l.gif\">", "<IMG SRC=\"../i.gif\" LOWSRC=\"/l.gif\">"},
        {"<A HREF=\"http://host/dir/a.htm\" HREF=\"/b.htm\">", "<A HREF=\"a.htm\" HREF=\"/b.htm\">"},
        {"<IMG NEWSRC=\"http://host/n.gif\" SRC=\"http://host/s.gif\">",
         "<IMG NEWSRC=\"../n.gif\" SRC=\"../s.gif\">"},
        {"<A TITLE=\"see HREF here\" HREF=\"http://host/dir/a.htm\">", "<A TITLE=\"see HREF here\" HREF=\"a.htm\">"},
        {"<IMG SRC=\"http://host/s.gif\" NEWSRC=\"http://host/n.gif\">",
         "<IMG SRC=\"../s.gif\" NEWSRC=\"../n.gif\">"},
        {"<IMG OLDSRC=/o.gif NEWSRC=/n.gif>", "<IMG OLDSRC=../o.gif NEWSRC=../n.gif>"},
        // The Shift-JIS character 0x83 0x73 must not read as "S".
        {"<IMG ALT=x\x83src=y SRC=\"http://host/dir/p.gif\">", "<IMG ALT=x\x83src=y SRC=\"p.gif\">"},
        {"<IMG ALT=\"\x83\x5C\x83\x7C\" SRC=\"http://host/\x83\x5C/\x83\x7C.gif\">",
         "<IMG ALT=\"\x83\x5C\x83\x7C\" SRC=\"../\x83\x5C/\x83\x7C.gif\">"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rewritten(c.tag), c.expected) << c.tag;
}

TEST_F(TagLinks, rewrites_every_url_bearing_attribute_and_each_candidate)
{
    const Case cases[] = {
        {"<IMG SRCSET=\"/a.png 1x, /b.png 2x\" SRC=/a.png>", "<IMG SRCSET=\"../a.png 1x, ../b.png 2x\" SRC=../a.png>"},
        {"<img srcset=\"/a.png\" src=\"/s.png\">", "<img srcset=\"../a.png\" src=\"../s.png\">"},
        {"<IMG SRCSET=\" /a.png 100w,/b.png  200w ,\t/c.png\">",
         "<IMG SRCSET=\" ../a.png 100w,../b.png  200w ,\t../c.png\">"},
        {"<IMG SRCSET=\"/a.png,, /b.png\">", "<IMG SRCSET=\"../a.png,, ../b.png\">"},
        {"<IMG SRCSET=\"data:image/png;base64,AB== 1x, /b.png (x, y) 2x\">",
         "<IMG SRCSET=\"data:image/png;base64,AB== 1x, ../b.png (x, y) 2x\">"},
        {"<LINK REL=preload IMAGESRCSET=\"/w.png 640w\" HREF=/w.png>",
         "<LINK REL=preload IMAGESRCSET=\"../w.png 640w\" HREF=../w.png>"},
        {"<VIDEO POSTER=\"/p.jpg\" SRC=/v.mp4>", "<VIDEO POSTER=\"../p.jpg\" SRC=../v.mp4>"},
        {"<OBJECT DATA=\"/o.svg\">", "<OBJECT DATA=\"../o.svg\">"},
        {"<use xlink:href=\"/s.svg#i\">", "<use xlink:href=\"../s.svg#i\">"},
        {"<META HTTP-EQUIV=\"Refresh\" CONTENT=\"5; URL=/n.htm\">", "<META HTTP-EQUIV=\"Refresh\" CONTENT=\"5; URL=../n.htm\">"},
        {"<meta http-equiv=refresh content=\"0;url='/n.htm'\">", "<meta http-equiv=refresh content=\"0;url='../n.htm'\">"},
        {"<meta content=\"3, /n.htm\" http-equiv=refresh>", "<meta content=\"3, ../n.htm\" http-equiv=refresh>"},
        {"<A HREF=http://h:81/a.htm>", "<A HREF=../../h%253a81/a.htm>"},
        {"<A HREF=\"/a.htm\"\tTARGET=x>", "<A HREF=\"../a.htm\"\tTARGET=x>"},
        {"<image width=\"4\"/ href=\"/i.svg\"/>", "<image width=\"4\"/ href=\"../i.svg\"/>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rewritten(c.tag), c.expected) << c.tag;
}

TEST_F(TagLinks, leaves_lookalike_attributes_alone)
{
    const std::string unchanged[] = {
        "<DIV DATA=\"/x\" DATA-SRC=\"/y\" SRCSETX=/z>",
        "<META NAME=description CONTENT=\"5; URL=/n.htm\">",
        "<META HTTP-EQUIV=refresh CONTENT=\"5\">",
        "<IMG SRCSET=\"\" ALT=\"src=/x.png\">",
    };
    for (const std::string& tag : unchanged)
        EXPECT_EQ(rewritten(tag), tag) << tag;
}

TEST_F(TagLinks, leaves_quoted_names_kept_schemes_and_non_tags_alone)
{
    const std::string unchanged[] = {
        "<A TITLE=\"x\"HREF=\"http://host/dir/a.htm\">",
        "<A HREF=\"MAILTO:me@host\">",
        "<A HREF=\"Ftp://host/f\">",
        "<A HREF=gopher://host/g>",
        "<A HREF=\"\">",
        "<A HREF=>",
        "<A HREF>",
        "<!-- <A HREF=\"http://host/x.htm\"> -->",
        "HREF=\"http://host/x.htm\"",
        "<SPAN CLASS=x>",
    };
    for (const std::string& tag : unchanged)
        EXPECT_EQ(rewritten(tag), tag) << tag;
}

TEST_F(TagLinks, import_mode_turns_exported_file_links_into_web_links)
{
    const Case cases[] = {
        {"<A HREF=\"file://C:/Export/host/a.htm\">", "<A HREF=\"http://host/a.htm\">"},
        {"<A HREF=\"file://c:/export/host/x.asp.htm#top\">", "<A HREF=\"http://host/x.asp#top\">"},
        {"<IMG SRC=\"x.gif\">", "<IMG SRC=\"x.gif\">"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rewritten(c.tag, RewriteMode::Import), c.expected) << c.tag;
}

TEST_F(TagLinks, values_past_1023_bytes_stay_and_grown_tags_stay_whole)
{
    const std::string longValue = "<A HREF=\"/" + std::string(1100, 'a') + "\">";
    const std::string limitValue = "<A HREF=\"/" + std::string(1022, 'a') + "\">";
    std::string page = "host/";
    std::string up;
    for (int i = 0; i < 300; ++i) {
        page += "d/";
        up += "../";
    }

    EXPECT_EQ(rewritten(longValue), longValue);
    EXPECT_EQ(rewritten(limitValue), "<A HREF=\"../" + std::string(1022, 'a') + "\">");
    EXPECT_EQ(rewritten("<TD NEWSRC=\"/n\" HREF=\"/h\" BACKGROUND=\"/b\">", RewriteMode::Export, page),
              "<TD NEWSRC=\"" + up + "n\" HREF=\"" + up + "h\" BACKGROUND=\"" + up + "b\">");
}

} // namespace
