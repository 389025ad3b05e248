// The writer alone: the head it makes true to a decoded payload, and what a
// body that does not read as promised, or a run that never commits, leaves
// behind.
#include "archive/http_head.h"
#include "archive/warc_writer.h"
#include "tests/archive/warc_records.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace {

using namespace larkspool::archive;
using namespace larkspool::testing;
namespace fs = std::filesystem;

TEST(ResponseBlockHead, keeps_the_stored_head_but_what_describes_the_bytes_in_transit)
{
    struct Case {
        const char* name;
        HeaderPairs headers;
        std::uint64_t payload;
        const char* head;
    };
    const Case cases[] = {
        {"plain", {{"Content-Type", "text/html"}}, 5, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 5\r\n\r\n"},
        {"encodings dropped in any case",
         {{"content-encoding", "gzip"}, {"Vary", "Accept-Encoding"}, {"TRANSFER-ENCODING", "chunked"}, {"Content-Length", "99"}},
         1234, "HTTP/1.1 200 OK\r\nVary: Accept-Encoding\r\nContent-Length: 1234\r\n\r\n"},
        {"line breaks in values blanked", {{"X-A", "one\r\nX-Evil: two"}}, 0,
         "HTTP/1.1 200 OK\r\nX-A: one  X-Evil: two\r\nContent-Length: 0\r\n\r\n"},
        {"a nameless line dropped", {{"", "x"}, {"Location", "/b"}}, 0,
         "HTTP/1.1 200 OK\r\nLocation: /b\r\nContent-Length: 0\r\n\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResponseBlockHead("HTTP/1.1 200 OK", c.headers, c.payload), c.head) << c.name;
}

// Each call opens the next of the given texts.
BodyOpener Bodies(std::vector<std::string>& texts)
{
    return [&texts, n = std::size_t(0)]() mutable -> std::FILE* {
        std::string& text = texts[std::min(n++, texts.size() - 1)];
        return fmemopen(text.data(), text.size(), "rb");
    };
}

WarcRecordFields Resource(const char* uri)
{
    return {"resource", uri, "2026-12-01T10:00:00Z", "text/plain", ""};
}

class Writer : public ::testing::TestWithParam<const char*> {
protected:
    std::string Path() const { return m_folder.Under(std::string("out") + GetParam()); }
    bool Gzip() const { return std::string(GetParam()).ends_with(".gz"); }
    TempFolder m_folder;
};

TEST_P(Writer, a_body_that_reads_otherwise_the_second_time_leaves_no_byte_and_the_archive_goes_on)
{
    WarcWriter writer(Path());
    ASSERT_TRUE(writer.Open()) << writer.Error();
    std::vector<std::string> good = {"good body"}, changed = {"first one", "other one"}, shorter = {"12345", "123"},
                             shortAtOnce = {"123"};
    ASSERT_EQ(writer.Write(Resource("http://h/good"), "", Bodies(good), 9), RecordResult::Written);
    EXPECT_EQ(writer.Write(Resource("http://h/changed"), "", Bodies(changed), 9), RecordResult::BodyUnreadable);
    EXPECT_EQ(writer.Write(Resource("http://h/shorter"), "", Bodies(shorter), 5), RecordResult::BodyUnreadable);
    EXPECT_EQ(writer.Write(Resource("http://h/short"), "", Bodies(shortAtOnce), 5), RecordResult::BodyUnreadable);
    ASSERT_EQ(writer.Write(Resource("http://h/last"), "", Bodies(good), 9), RecordResult::Written);
    ASSERT_TRUE(writer.Commit()) << writer.Error();

    std::string error;
    const std::vector<WarcRecord> records = ReadWarc(ReadFile(Path()), Gzip(), &error);
    ASSERT_EQ(error, "");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Field("WARC-Target-URI"), "http://h/good");
    EXPECT_EQ(records[1].Field("WARC-Target-URI"), "http://h/last");
    EXPECT_EQ(records[1].block, "good body");
    EXPECT_EQ(records[1].Field("WARC-Payload-Digest"), records[1].Field("WARC-Block-Digest"));
    EXPECT_NE(records[0].Field("WARC-Record-ID"), records[1].Field("WARC-Record-ID"));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder.Path()), fs::directory_iterator()), 1) << "a temporary file left";
}

TEST_P(Writer, an_archive_never_committed_leaves_nothing)
{
    {
        WarcWriter writer(Path());
        ASSERT_TRUE(writer.Open());
        std::vector<std::string> body = {"x"};
        ASSERT_EQ(writer.Write(Resource("http://h/a"), "", Bodies(body), 1), RecordResult::Written);
    }
    EXPECT_TRUE(fs::is_empty(m_folder.Path()));
}

// A body read once by the caller makes the record a body read twice makes:
// the block digest covers the block head as well as the body.
TEST_P(Writer, a_body_kept_from_one_reading_makes_the_record_of_one_read_twice)
{
    WarcWriter writer(Path());
    ASSERT_TRUE(writer.Open());
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\n";
    std::vector<std::string> body = {"good body"};
    const WarcRecordFields fields = {"response", "http://h/a", "2026-12-01T10:00:00Z", "application/http", ""};
    ASSERT_EQ(writer.Write(fields, head, Bodies(body), 9), RecordResult::Written);
    const std::string payloadDigest = writer.LastPayloadDigest();
    const std::uint64_t length = writer.LastLength();
    ASSERT_EQ(writer.Write(fields, head, std::string_view(body[0]), payloadDigest.substr(7)), RecordResult::Written);
    EXPECT_EQ(writer.LastPayloadDigest(), payloadDigest);
    if (!Gzip()) {
        EXPECT_EQ(writer.LastLength(), length);
    }
    ASSERT_TRUE(writer.Commit());

    std::string error;
    const std::vector<WarcRecord> records = ReadWarc(ReadFile(Path()), Gzip(), &error);
    ASSERT_EQ(records.size(), 2u) << error;
    EXPECT_EQ(records[1].block, head + "good body");
    for (const char* field : {"WARC-Block-Digest", "WARC-Payload-Digest", "Content-Length", "WARC-Type"})
        EXPECT_EQ(records[1].Field(field), records[0].Field(field)) << field;
    EXPECT_NE(records[1].Field("WARC-Block-Digest"), records[1].Field("WARC-Payload-Digest"));
}

// A URI with blanks, line breaks or bytes above ASCII still makes one field.
TEST_P(Writer, a_target_uri_is_one_printable_field)
{
    WarcWriter writer(Path());
    ASSERT_TRUE(writer.Open());
    std::vector<std::string> body = {""};
    ASSERT_EQ(writer.Write(Resource("http://h/a b\r\nWARC-Type: x\xe9"), "", Bodies(body), 0), RecordResult::Written);
    ASSERT_TRUE(writer.Commit());

    std::string error;
    const std::vector<WarcRecord> records = ReadWarc(ReadFile(Path()), Gzip(), &error);
    ASSERT_EQ(records.size(), 1u) << error;
    EXPECT_EQ(records[0].Field("WARC-Target-URI"), "http://h/a%20b%0D%0AWARC-Type:%20x%E9");
    EXPECT_EQ(records[0].Field("WARC-Type"), "resource");
}

INSTANTIATE_TEST_SUITE_P(PlainAndGzip, Writer, ::testing::Values(".warc", ".warc.gz"),
                         [](const auto& info) { return std::string(info.param).ends_with(".gz") ? "gzip" : "plain"; });

} // namespace
