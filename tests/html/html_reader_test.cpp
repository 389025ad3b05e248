#include "html/html_reader.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

using larkspool::ChunkResult;
using larkspool::testing::TempFolder;
using namespace std::string_literals;

// The label of a result in the tables below.
std::string Label(ChunkResult result)
{
    const std::pair<ChunkResult, const char*> labels[] = {
        {ChunkResult::Complete, "0"}, {ChunkResult::Full, "1"},
        {ChunkResult::ReadError, "-1"}, {ChunkResult::EndOfFile, "-2"},
    };
    for (const auto& [known, label] : labels) {
        if (known == result)
            return label;
    }
    return "?";
}

class HtmlReader : public ::testing::Test {
protected:
    // Every chunk of the page as "label:bytes", with the script flag carried
    // from chunk to chunk as the rewriter carries it.
    std::vector<std::string> chunksOf(const std::string& page)
    {
        std::FILE* file = std::fopen(m_folder.Write("page.htm", page).c_str(), "rb");
        std::vector<std::string> out;
        larkspool::HtmlReader reader;
        std::string chunk;
        bool script = false;
        for (;;) {
            const ChunkResult result = larkspool::ReadHtmlChunk(reader, file, chunk, script);
            out.push_back(Label(result) + ":" + chunk);
            if (result == ChunkResult::ReadError || result == ChunkResult::EndOfFile)
                break;
            if (result == ChunkResult::Complete)
                script = chunk.starts_with("<SCRIPT") || chunk.starts_with("<script");
        }
        std::fclose(file);
        return out;
    }

    TempFolder m_folder;
};

struct Case {
    std::string page;
    std::vector<std::string> chunks;
};

TEST_F(HtmlReader, cuts_pages_into_tags_text_comments_and_scripts)
{
    const Case cases[] = {
        {"", {"-2:"}},
        {"  hello <B>bold</B> <I>", {"0:  hello ", "0:<B>", "0:bold", "0:</B>", "0: ", "0:<I>", "-2:"}},
        {"\r\n  <P>", {"0:\r\n  ", "0:<P>", "-2:"}},
        {"<!-->x", {"0:<!-->", "-2:x"}},
        {"<!-- <A HREF=x> -- > -->y", {"0:<!-- <A HREF=x> -- > -->", "-2:y"}},
        {"<SCRIPT>if (a<b) x('>');</script>z", {"0:<SCRIPT>", "0:if (a<b) x('>');</script>", "-2:z"}},
        {"<script> <!-- x --> </SCRIPT>", {"0:<script>", "0: <!-- x --> </SCRIPT>", "-2:"}},
        {"<A HREF<B>x", {"0:<A HREF", "0:<B>", "-2:x"}},
        {"<A HREF=x<B>>y", {"0:<A HREF=x<B>>", "-2:y"}},
        {"<A T='a\"b'>", {"0:<A T='a\"b'>", "-2:"}},
        {"<A T=\"a\"b>c\">", {"0:<A T=\"a\"b>c\">", "-2:"}},
        {"<I H=\"a\"/><A H=\"b\">", {"0:<I H=\"a\"/>", "0:<A H=\"b\">", "-2:"}},
        {"it's \"x\" <B>", {"0:it's \"x\" ", "0:<B>", "-2:"}},
        {"a\0b<B\0>"s, {"0:a\0b"s, "0:<B\0>"s, "-2:"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(chunksOf(c.page), c.chunks) << c.page;
}

TEST_F(HtmlReader, drops_control_characters_after_an_opening_quote_only)
{
    const Case cases[] = {
        {"<A HREF=\"\r\n\t x.htm\">", {"0:<A HREF=\" x.htm\">", "-2:"}},
        {"<A HREF='\nx'>", {"0:<A HREF='x'>", "-2:"}},
        {"<A HREF=\r\nx>", {"0:<A HREF=\r\nx>", "-2:"}},
        // A line break right after a closing quote keeps the value open for
        // the byte after it, so this tag never ends.
        {"<A HREF=\"x\"\r\nB=y>", {"-2:<A HREF=\"x\"\r\nB=y>"}},
        // A tab directly after a closing quote reopens the value and goes.
        {"<A B=\"x\"\tC>", {"-2:<A B=\"x\"C>"}},
        // A zero byte there goes like any other control character; elsewhere
        // in the tag it stays.
        {"<A B=\"\0x\">"s, {"0:<A B=\"x\">", "-2:"}},
        {"<A B='\0\0\tx' C=\0>"s, {"0:<A B='x' C=\0>"s, "-2:"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(chunksOf(c.page), c.chunks) << c.page;
}

TEST_F(HtmlReader, sees_no_markup_inside_jis_kanji)
{
    const Case cases[] = {
        {"\x1B$B<>\x1B(Babc<B>", {"0:\x1B$B<>\x1B(Babc", "0:<B>", "-2:"}},
        {"<A TITLE=\x1B$B>\"<\x1B(B HREF=x>", {"0:<A TITLE=\x1B$B>\"<\x1B(B HREF=x>", "-2:"}},
        {"<!--\x1B$B-->\x1B(B-->", {"0:<!--\x1B$B-->\x1B(B-->", "-2:"}},
        {"\x1B(J<B>", {"0:\x1B(J", "0:<B>", "-2:"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(chunksOf(c.page), c.chunks) << c.page;
}

TEST_F(HtmlReader, cuts_text_at_511_bytes_and_tags_at_64_kib)
{
    const std::string tag = "<A " + std::string(600, 'x') + ">";
    const std::string longTag = "<A " + std::string(larkspool::kMaxTagChunk, 'x') + ">";
    const std::string longText = std::string(511, 'a') + "  b";
    const std::string longScript = "<SCRIPT>" + std::string(520, 's') + "</SCRIPT>";

    EXPECT_EQ(chunksOf(tag), (std::vector<std::string>{"0:" + tag, "-2:"}));
    EXPECT_EQ(chunksOf(longTag), (std::vector<std::string>{"1:" + longTag.substr(0, larkspool::kMaxTagChunk),
                                                           "-2:" + longTag.substr(larkspool::kMaxTagChunk)}));
    EXPECT_EQ(chunksOf(longText), (std::vector<std::string>{"1:" + std::string(511, 'a'), "-2:  b"}));
    EXPECT_EQ(chunksOf(longScript), (std::vector<std::string>{"0:<SCRIPT>", "1:" + std::string(511, 's'),
                                                              "0:sssssssss</SCRIPT>", "-2:"}));
}

TEST_F(HtmlReader, leaves_unfinished_pieces_at_end_of_file)
{
    const Case cases[] = {
        {"<A HREF=\"x>y", {"-2:<A HREF=\"x>y"}},
        {"<!-- abc", {"-2:<!-- abc"}},
        {"text", {"-2:text"}},
        {"<SCRIPT>x", {"0:<SCRIPT>", "-2:x"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(chunksOf(c.page), c.chunks) << c.page;
}

TEST_F(HtmlReader, reads_pieces_across_input_blocks)
{
    const std::string tag = "<A HREF=\"a.htm\">";
    const std::string page = std::string(1020, 'x') + "<" + tag.substr(1) + std::string(1030, 'y');

    const std::vector<std::string> chunks = chunksOf(page);

    ASSERT_EQ(chunks.size(), 6u);
    EXPECT_EQ(chunks[0], "1:" + std::string(511, 'x'));
    EXPECT_EQ(chunks[1], "0:" + std::string(509, 'x'));
    EXPECT_EQ(chunks[2], "0:" + tag);
    EXPECT_EQ(chunks[5], "-2:" + std::string(8, 'y'));
}

} // namespace
