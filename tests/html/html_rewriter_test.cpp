#include "html/html_rewriter.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using larkspool::kRewriteOk;
using larkspool::RewriteMode;
using larkspool::testing::TempFolder;
using namespace std::string_literals;

class HtmlRewriter : public ::testing::Test {
protected:
    // The rewritten page, with the result expected to be kRewriteOk.
    std::string exported(const std::string& page, const std::string& location = "host/dir/")
    {
        return rewrite(page, RewriteMode::Export, location);
    }

    std::string rewrite(const std::string& page, RewriteMode mode, const std::string& location = "host/dir/")
    {
        const std::string source = m_folder.Write("in.htm", page);
        const std::string target = m_folder.Under("out.htm");
        EXPECT_EQ(larkspool::RewriteHtmlFile(m_reader, source, location, "index.html", mode, target,
                                             "/home/user/my export"),
                  kRewriteOk);
        return larkspool::testing::ReadFile(target);
    }

    std::string titleOf(const std::string& page, int* result = nullptr)
    {
        std::string title = "(none)";
        const int got = larkspool::ExtractHtmlTitle(m_reader, m_folder.Write("t.htm", page), title);
        if (result)
            *result = got;
        return title;
    }

    // Units of a link page, padded with text to exactly `size` bytes.
    static std::string pageOfSize(std::size_t size, const std::string& unit)
    {
        std::string page;
        while (page.size() + unit.size() + 1 <= size)
            page += unit;
        return page + std::string(size - page.size(), 'y');
    }

    static std::string replaced(std::string text, const std::string& from, const std::string& to)
    {
        for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
        return text;
    }

    TempFolder m_folder;
    larkspool::HtmlReader m_reader;
};

TEST(HtmlPageName, ends_in_htm_or_html_in_any_case)
{
    for (const char* name : {"a.htm", "a.HTML", "/x/y/Index.Html", ".htm", "a.b.htm"})
        EXPECT_TRUE(larkspool::IsHtmlPageName(name)) << name;
    for (const char* name : {"a.xhtml", "a.htm.gif", "ahtm", "html", "a.htmx", "a.htm/b", ""})
        EXPECT_FALSE(larkspool::IsHtmlPageName(name)) << name;
}

TEST_F(HtmlRewriter, copies_a_page_without_links_byte_for_byte_but_for_the_drops)
{
    const std::string page =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\r\n"
        "<HTML>\r\n<HEAD>\r\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">\r\n"
        "<TITLE>\x83\x5C\x83\x74\x83\x67 \x95\x5C</TITLE>\r\n"
        "<STYLE TYPE=\"text/css\">\r\n<!--\r\nP { color: red }\r\n-->\r\n</STYLE>\r\n"
        "<SCRIPT LANGUAGE=\"JavaScript\">\r\nif (a < b && c > d) { x = '<B>'; }\r\n</SCRIPT>\r\n"
        "</HEAD>\r\n<BODY BGCOLOR=#FFFFFF>\r\n"
        "<P ALIGN=center>\x8F\x5C\x95\x5C\x82\xCC \x7C table\x81\x7C \xB1\xB2\xB3</P>\r\n"
        "<FONT FACE='\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E' SIZE=+1>\x1B$B$3$s<>\x1B(B</FONT>\r\n"
        "<BASEFONT SIZE=3><!-- SRC=\"x\" --><!---->\r\n<TABLE><TR><TD>&lt;tag&gt;</TD></TR></TABLE>\r\n"
        "</BODY>\r\n</HTML>\r\n";
    const std::string drops = "<B>  bold</B> <I>x</I><P CLASS=\"\r\n\tx\">";

    EXPECT_EQ(exported(page), page);
    EXPECT_EQ(rewrite(page, RewriteMode::Import), page);
    EXPECT_EQ(exported(drops), "<B>  bold</B> <I>x</I><P CLASS=\"x\">");
}

TEST_F(HtmlRewriter, rewrites_links_in_tags_only)
{
    const std::string page =
        "<BASE HREF=\"http://host/dir/\"><BASEFONT SIZE=2>\r\n"
        "<A HREF=\"http://host/dir/a.htm\">see HREF=\"http://host/x\"</A>\r\n"
        "<!-- <A HREF=\"http://host/c.htm\"> -->\r\n"
        "<SCRIPT>document.write('<A HREF=\"http://host/s.htm\">');</SCRIPT>\r\n"
        "<P>\x1B$B<A HREF=\"http://host/j.htm\">\x1B(B</P>\r\n"
        "<IMG SRC=\"/\x83\x5C/\x83\x7C.gif\" ALT=\"\x83\x5C\">\r\n";
    const std::string expected =
        "<!--\r\n<BASE HREF=\"http://host/dir/\">\r\n--><BASEFONT SIZE=2>\r\n"
        "<A HREF=\"a.htm\">see HREF=\"http://host/x\"</A>\r\n"
        "<!-- <A HREF=\"http://host/c.htm\"> -->\r\n"
        "<SCRIPT>document.write('<A HREF=\"http://host/s.htm\">');</SCRIPT>\r\n"
        "<P>\x1B$B<A HREF=\"http://host/j.htm\">\x1B(B</P>\r\n"
        "<IMG SRC=\"../\x83\x5C/\x83\x7C.gif\" ALT=\"\x83\x5C\">\r\n";

    EXPECT_EQ(exported(page), expected);
}

TEST_F(HtmlRewriter, a_base_tag_sets_what_later_links_resolve_against)
{
    const std::string page = "<A HREF=\"a.htm\"><BASE HREF=\"http://other/x/\"><IMG SRC=\"i.gif\">";

    EXPECT_EQ(exported(page), "<A HREF=\"a.htm\"><!--\r\n<BASE HREF=\"http://other/x/\">\r\n-->"
                              "<IMG SRC=\"../../other/x/i.gif\">");
}

TEST_F(HtmlRewriter, rewrites_the_urls_of_style_blocks_and_attributes)
{
    const std::string body = "\r\n<!--\r\n" + std::string(600, ' ') + "a { background: url(/a.png) }\r\n"
                             "@import \"/b.css\";\r\n-->\r\n";
    const std::string page = "<STYLE TYPE=\"text/css\">" + body + "</STYLE><P STYLE=\"background:url('/p.png')\">"
                             "<STYLEX>url(/x.png)</STYLEX><P>url(/t.png)";

    EXPECT_EQ(exported(page), "<STYLE TYPE=\"text/css\">" + replaced(replaced(body, "/a.png", "../a.png"), "/b.css", "../b.css")
                                  + "</STYLE><P STYLE=\"background:url('../p.png')\"><STYLEX>url(/x.png)</STYLEX>"
                                    "<P>url(/t.png)");
    EXPECT_EQ(exported("<STYLE>a{b:url(/a.png)}"), "<STYLE>a{b:url(../a.png)}");
}

TEST_F(HtmlRewriter, rewrites_tags_up_to_64_kib)
{
    const std::string data = " DATA-X=\"" + std::string(60000, 'd') + "\"";
    const std::string tag = "<IMG" + data + " SRC=\"/i.gif\">";
    const std::string tooLong = "<IMG" + data + data + " SRC=\"/i.gif\">";

    EXPECT_EQ(exported(tag), "<IMG" + data + " SRC=\"../i.gif\">");
    EXPECT_EQ(exported(tooLong), tooLong);
}

TEST_F(HtmlRewriter, import_mode_turns_exported_links_back)
{
    const std::string page = "<A HREF=\"file:///home/user/my%20export/host/a.asp.htm?q=1\">"
                             "<IMG SRC=\"FILE:///HOME/USER/MY%20EXPORT/host/i.gif\"><A HREF=\"b.htm\">";

    EXPECT_EQ(rewrite(page, RewriteMode::Import),
              "<A HREF=\"http://host/a.asp?q=1\"><IMG SRC=\"http://host/i.gif\"><A HREF=\"b.htm\">");
}

TEST_F(HtmlRewriter, writes_unfinished_pieces_at_end_of_file_unchanged)
{
    const std::string pages[] = {
        "<P>text", "<A HREF=\"http://host/dir/a.htm", "<A HREF=\"http://host/dir/a.htm>x",
        "<!-- <A HREF=\"http://host/dir/a.htm\">", "<SCRIPT>x = '<A HREF=\"http://host/dir/a.htm\">",
        "<A HREF=http://host/dir/a.htm\x1B$B>",
    };
    for (const std::string& page : pages)
        EXPECT_EQ(exported(page), page) << page;
}

TEST_F(HtmlRewriter, handles_files_at_chunk_and_block_edges)
{
    const std::string unit = "<A HREF=\"http://host/dir/a.htm\">x</A>\r\n";
    for (const std::size_t size : {511u, 512u, 1023u, 1024u, 1025u}) {
        const std::string linked = pageOfSize(size, unit);
        const std::string plain = std::string(size - 1, 'p') + "q";
        const std::string openTag = pageOfSize(size - 20, unit) + "<A HREF=\"http://ho";
        const std::string script = "<SCRIPT>" + std::string(size - 17, 's') + "</SCRIPT>";
        ASSERT_EQ(linked.size(), size);
        ASSERT_EQ(openTag.size(), size - 2);

        EXPECT_EQ(exported(linked), replaced(linked, "http://host/dir/a.htm", "a.htm")) << size;
        EXPECT_EQ(exported(plain), plain) << size;
        EXPECT_EQ(exported(openTag), replaced(openTag, "\"http://host/dir/a.htm\"", "\"a.htm\"")) << size;
        EXPECT_EQ(exported(script), script) << size;
    }
}

TEST_F(HtmlRewriter, copies_zero_bytes_and_tags_that_grow_past_the_chunk_buffer)
{
    const std::string zeros = "a\0b<A HREF=\"http://host/dir/x.htm\" \0>\0<A HREF=\"\0http://host/dir/y.htm\">"s;
    std::string deep = "host/";
    std::string up;
    for (int i = 0; i < 300; ++i) {
        deep += "d/";
        up += "../";
    }

    // The zero byte right after a quote goes like any control character.
    EXPECT_EQ(exported(zeros), "a\0b<A HREF=\"x.htm\" \0>\0<A HREF=\"y.htm\">"s);
    EXPECT_EQ(exported("<TD NEWSRC=/n HREF=\"/h\" BACKGROUND=/b>t", deep),
              "<TD NEWSRC=" + up + "n HREF=\"" + up + "h\" BACKGROUND=" + up + "b>t");
}

TEST_F(HtmlRewriter, reports_open_read_and_write_failures)
{
    const std::string source = m_folder.Write("in.htm", "<A HREF=\"http://host/dir/a.htm\">" + std::string(100000, 'x'));
    const std::string missingTarget = m_folder.Under("missing/out.htm");
    const std::string target = m_folder.Under("out.htm");
    const RewriteMode toExport = RewriteMode::Export;

    EXPECT_EQ(larkspool::RewriteHtmlFile(m_reader, m_folder.Under("none.htm"), "host/", "index.html", toExport, target,
                                         ""),
              larkspool::kRewriteOpenError);
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_EQ(larkspool::RewriteHtmlFile(m_reader, source, "host/", "index.html", toExport, missingTarget, ""),
              larkspool::kRewriteOpenError);
#ifndef _WIN32
    EXPECT_EQ(larkspool::RewriteHtmlFile(m_reader, m_folder.Under(""), "host/", "index.html", toExport, target, ""),
              larkspool::kRewriteOpenError);
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_EQ(larkspool::RewriteHtmlFile(m_reader, source, "host/", "index.html", toExport, "/dev/full", ""),
                  larkspool::kRewriteWriteError);
        m_folder.Write("small.htm", "<P>x");
        EXPECT_EQ(larkspool::RewriteHtmlFile(m_reader, m_folder.Under("small.htm"), "host/", "index.html",
                                             RewriteMode::Import, "/dev/full", ""),
                  larkspool::kRewriteWriteError);
    }
#endif
    EXPECT_EQ(exported(""), "");
}

TEST_F(HtmlRewriter, reads_the_text_right_after_the_title_tag)
{
    struct Case {
        std::string page;
        std::string title;
    };
    const Case cases[] = {
        {"<HTML><HEAD><TITLE>Hello</TITLE>", "Hello"},
        {"<title> \tA\r\nB\0C</title>"s, "ABC"},
        {"<TITLE>\x83\x5C\x83\x74\x83\x67</TITLE>", "\x83\x5C\x83\x74\x83\x67"},
        {"<TITLE>\x1b$BF|K\\8l\x1b(B page</TITLE>", "\x1b$BF|K\\8l\x1b(B page"}, // JIS keeps its escapes
        {"<TITLE></TITLE><P>body", "(none)"},
        {"<TITLE LANG=ja>x</TITLE>", "(none)"},
        {"<SCRIPT>document.write('<TITLE>x')</SCRIPT><TITLE>Real</TITLE>", "Real"},
        {"<TITLE><B>x</B></TITLE>", "<B>"},
        {"<TITLE>" + std::string(600, 'a') + "</TITLE>", std::string(89, 'a')},
        {"<P>no title", "(none)"},
        {"<TITLE>", "(none)"},
    };
    for (const Case& c : cases) {
        int result = -9;
        EXPECT_EQ(titleOf(c.page, &result), c.title) << c.page;
        EXPECT_EQ(result, kRewriteOk);
    }
}

TEST_F(HtmlRewriter, reports_title_files_that_cannot_be_read)
{
    std::string title = "kept";

    EXPECT_EQ(larkspool::ExtractHtmlTitle(m_reader, m_folder.Under("none.htm"), title), larkspool::kRewriteOpenError);
#ifndef _WIN32
    EXPECT_EQ(larkspool::ExtractHtmlTitle(m_reader, m_folder.Under(""), title), larkspool::kRewriteOpenError);
#endif
    EXPECT_EQ(title, "kept");
}

TEST_F(HtmlRewriter, a_reader_stopped_early_starts_the_next_file_afresh)
{
    const std::string page = "<TITLE>T</TITLE>" + std::string(3000, 'z');

    EXPECT_EQ(titleOf(page), "T");
    EXPECT_EQ(exported("<A HREF=\"/a.htm\">"), "<A HREF=\"../a.htm\">");
}

#ifndef _WIN32
TEST_F(HtmlRewriter, title_reading_stops_at_the_title)
{
    // The page comes through a pipe whose writer holds back the rest until
    // the title has been read; a reader that wanted more would wait for it.
    const std::string fifo = m_folder.Under("page.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::atomic<bool> done = false;
    std::atomic<bool> waitedOut = false;
    std::thread writer([&] {
        const int fd = open(fifo.c_str(), O_WRONLY);
        const std::string head = "<HTML><HEAD><TITLE>First</TITLE>" + std::string(2000, 'x');
        [[maybe_unused]] const auto written = write(fd, head.data(), head.size());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        waitedOut = !done;
        close(fd);
    });
    std::string title;
    std::FILE* page = std::fopen(fifo.c_str(), "rb");
    ASSERT_NE(page, nullptr);

    const int result = larkspool::ExtractHtmlTitle(m_reader, page, title);
    done = true;
    writer.join();
    std::fclose(page);

    EXPECT_EQ(result, kRewriteOk);
    EXPECT_EQ(title, "First");
    EXPECT_FALSE(waitedOut);
}

// A FIFO with no writer, a device that never ends, a folder: refused at
// once by name, with the reason, and no target is made.
TEST_F(HtmlRewriter, a_source_that_is_no_regular_file_is_refused_at_once)
{
    const std::string fifo = m_folder.Under("page.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& source : {fifo, std::string("/dev/zero"), m_folder.Path().string()}) {
        std::string title = "kept", titleError, rewriteError;
        const std::string target = m_folder.Under("out.htm");

        const int titleResult = larkspool::ExtractHtmlTitle(m_reader, source, title, &titleError);
        const int rewriteResult = larkspool::RewriteHtmlFile(m_reader, source, "h/", "index.html", RewriteMode::Export,
                                                             target, "", &rewriteError);

        EXPECT_EQ(titleResult, larkspool::kRewriteOpenError) << source;
        EXPECT_EQ(title, "kept");
        EXPECT_NE(titleError.find("not a"), std::string::npos) << titleError;
        EXPECT_EQ(rewriteResult, larkspool::kRewriteOpenError) << source;
        EXPECT_NE(rewriteError.find(source), std::string::npos) << rewriteError;
        EXPECT_FALSE(std::filesystem::exists(target)) << source;
    }
}

// A page decoded from a browser cache comes as a stream of stdio's own
// making; it must be read in large pieces, not byte by byte.
TEST_F(HtmlRewriter, a_page_from_a_stream_is_read_in_large_pieces)
{
    struct Source {
        std::string page;
        std::size_t at = 0;
        int reads = 0;
    } source{pageOfSize(200 * 1024, "<A HREF=\"/a.htm\">a</A>\n")};
    const cookie_io_functions_t io{[](void* cookie, char* buffer, std::size_t size) -> ssize_t {
                                       auto& from = *static_cast<Source*>(cookie);
                                       ++from.reads;
                                       const std::size_t count = std::min(size, from.page.size() - from.at);
                                       from.page.copy(buffer, count, from.at);
                                       from.at += count;
                                       return ssize_t(count);
                                   },
                                   nullptr, nullptr, nullptr};
    std::FILE* in = fopencookie(&source, "r", io);
    std::FILE* out = std::fopen(m_folder.Under("out.htm").c_str(), "wb");
    ASSERT_TRUE(in && out);

    const int result =
        larkspool::RewriteHtmlStream(m_reader, in, "host/dir/", "index.html", RewriteMode::Export, out, "");
    std::fclose(in);
    std::fclose(out);

    EXPECT_EQ(result, kRewriteOk);
    EXPECT_EQ(larkspool::testing::ReadFile(m_folder.Under("out.htm")),
              replaced(source.page, "/a.htm", "../a.htm"));
    EXPECT_LE(source.reads, 10);
}
#endif

} // namespace
