#include "html/css_links.h"

#include "html/page_links.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
    std::string css;
    std::string expected;
};

// The sheet lies at host/css/; its links are exported relative to it.
std::string Exported(const std::string& css)
{
    std::string out;
    larkspool::RewriteCssLinks(css, larkspool::PageLinks::ForExport("host/css/", "index.html"), out);
    return out;
}

TEST(CssLinks, rewrites_every_form_of_url_and_import)
{
    const Case cases[] = {
        {"a{background:url(/i/a.png)}", "a{background:url(../i/a.png)}"},
        {"a{background:URL( \"/i/a.png\" )}", "a{background:URL( \"../i/a.png\" )}"},
        {"a{background:url('/i/a.png')}", "a{background:url('../i/a.png')}"},
        {"@font-face{src:url(//cdn/f.woff2) format(\"woff2\"),url(/f.ttf)}",
         "@font-face{src:url(../../cdn/f.woff2) format(\"woff2\"),url(../f.ttf)}"},
        {"@import \"/b.css\";@import '/c.css' screen;", "@import \"../b.css\";@import '../c.css' screen;"},
        {"@IMPORT /* why */ url(/d.css);", "@IMPORT /* why */ url(../d.css);"},
        {"@import\n\"/e.css\";", "@import\n\"../e.css\";"},
        {"a{b:url(http://host/css/x.png)}", "a{b:url(x.png)}"},
        {"a{b:url(  /x.png\t)}", "a{b:url(  ../x.png\t)}"},
        {"a{b:url(h://host:81/x.png)}", "a{b:url(../../host%253a81/x.png)}"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Exported(c.css), c.expected) << c.css;
}

TEST(CssLinks, reads_escapes_as_css_does)
{
    const Case cases[] = {
        // An escape that the rewritten link still needs is written again.
        {"a{b:url(/a\\)b.png)}", "a{b:url(../a\\)b.png)}"},
        {"a{b:url(\"/q\\\"x.png\")}", "a{b:url(\"../q\\\"x.png\")}"},
        {"a{b:url(\\2f x.png)}", "a{b:url(../x.png)}"},
        {"a{b:url(\"/long\\\nname.png\")}", "a{b:url(\"../longname.png\")}"},
        // Unchanged by the rule: written as it came.
        {"a{b:url(x\\.png)}", "a{b:url(x\\.png)}"},
        {"a{b:url(\"\\78.png\")}", "a{b:url(\"\\78.png\")}"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Exported(c.css), c.expected) << c.css;
}

TEST(CssLinks, leaves_comments_strings_and_broken_css_alone)
{
    const std::string unchanged[] = {
        "/* url(/x.png) @import \"/y.css\"; */",
        "a{content:\"url(/x.png)\"}",
        "a{content:'it\\'s url(/x)'}",
        "a{b:myurl(/x.png)}",
        "a{b:url(/x.png}",
        "a{b:url(/x .png)}",
        "a{b:url(/x\"y.png)}",
        "a{b:url(\"/x.png)}",
        "a{b:url(\"/x.png\"}",
        "a{b:url('/x\n.png')}",
        "a{b:url(/x\\\n.png)}",
        "a{b:url(#filter)} a{b:url(data:image/png;base64,AA==)} a{b:url()}",
        "@importx \"/y.css\"; @import;@import",
        "/* unclosed url(/x.png)",
        "a{content:\"unclosed url(/x.png)",
        "url(", "url(\"", "@import \"", "\\", "a\\",
        "\x1B$Burl(/x)\x1B(B",
        "\x82\xA0\x83\x5C{}",
    };
    for (const std::string& css : unchanged)
        EXPECT_EQ(Exported(css), css) << css;
}

TEST(CssLinks, passes_shift_jis_and_utf_8_through)
{
    const Case cases[] = {
        // 0x83 0x5C is one Shift-JIS character: its 0x5C escapes nothing.
        {"a{b:url(/\x83\x5C.png)}", "a{b:url(../\x83\x5C.png)}"},
        {"a{b:url(\"/\x83\x5C\")}", "a{b:url(\"../\x83\x5C\")}"},
        {"/* \x83\x5C */a{b:url(/x.png)}", "/* \x83\x5C */a{b:url(../x.png)}"},
        {"a{content:\"\xC3\xA9\"}b{c:url(/\xE6\x97\xA5.png)}", "a{content:\"\xC3\xA9\"}b{c:url(../\xE6\x97\xA5.png)}"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Exported(c.css), c.expected) << c.css;
}

TEST(CssLinks, import_mode_turns_file_links_back)
{
    std::string out;
    larkspool::RewriteCssLinks("a{b:url(file://C:/Export/host/i.png)}@import 'file://C:/Export/host/b.css';",
                               larkspool::PageLinks::ForImport("C:/Export"), out);

    EXPECT_EQ(out, "a{b:url(http://host/i.png)}@import 'http://host/b.css';");
}

} // namespace
