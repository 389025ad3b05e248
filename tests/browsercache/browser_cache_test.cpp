// The read-only URL cache over browser cache records: which records become
// entries, their decoded bodies made only when retrieved, their times, and
// the refusal of every write. The records are made here; the readers that
// find them in real caches have tests of their own.
#include "browsercache/body_decoding.h"
#include "browsercache/browser_cache.h"
#include "browsercache/crc32.h"
#include "browsercache/decoded_body_stream.h"
#include "browsercache/http_response_head.h"
#include "browsercache/scratch_folder.h"
#include "cache/cache_enumeration.h"
#include "html/html_rewriter.h"
#include "html/redirect_page_text.h"
#include "tests/browsercache/encoded_bytes.h"
#include "tests/support/temp_folder.h"
#include "tests/support/row_number.h"

#include <gtest/gtest.h>

#include <map>

namespace larkspool::browsercache {
namespace {

// Everything the stream gives; error says whether it ended in a read error.
std::string ReadStream(std::FILE* stream, bool& error)
{
    std::string bytes;
    char buffer[1000];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, stream)) > 0;)
        bytes.append(buffer, got);
    error = std::ferror(stream) != 0;
    std::fclose(stream);
    return bytes;
}

using testing::Encoded;
using testing::TempFolder;

// A body large enough for several decoding chunks, with every byte value.
std::string SampleBody()
{
    std::string body;
    for (int i = 0; i < 300000; ++i)
        body += char((i * 7) % 256 ^ (i / 1000));
    return body;
}

// Stores bytes between other bytes of one file, as the formats do.
BodyLocation Store(const TempFolder& folder, const std::string& name, const std::string& bytes)
{
    const std::string before = "HEADER-BYTES", after = "TRAILING-METADATA";
    return {folder.Write(name, before + bytes + after), before.size(), bytes.size()};
}

struct EncodingCase {
    const char* stored;  // how the test encodes
    const char* header;  // the Content-Encoding the record carries
};

class BodyDecoding : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(BodyDecoding, gives_back_the_bytes_before_encoding)
{
    TempFolder folder;
    const std::string body = SampleBody();
    const std::string stored = Encoded(body, GetParam().stored);
    BodyLocation location = Store(folder, "stored", stored);
    location.hasCrc32 = true;
    location.crc32 = Crc32(stored);
    std::string decoded;

    const std::string error = DecodeBody(location, GetParam().header, [&](const char* bytes, std::size_t n) {
        decoded.append(bytes, n);
        return true;
    });

    EXPECT_EQ(error, "");
    EXPECT_TRUE(decoded == body) << decoded.size() << " bytes";
    std::FILE* stream = OpenDecodedBody(location, GetParam().header);
    ASSERT_NE(stream, nullptr);
    bool readError = true;
    EXPECT_TRUE(ReadStream(stream, readError) == body);
    EXPECT_FALSE(readError);
}

INSTANTIATE_TEST_SUITE_P(Encodings, BodyDecoding,
                         ::testing::Values(EncodingCase{"", ""}, EncodingCase{"", "identity"},
                                           EncodingCase{"gzip", "gzip"}, EncodingCase{"gzip", "X-Gzip"},
                                           EncodingCase{"deflate", "deflate"},
                                           EncodingCase{"raw deflate", "deflate"}, EncodingCase{"br", "br"},
                                           EncodingCase{"zstd", "zstd"}, EncodingCase{"gzip, br", "gzip, br"}),
                         larkspool::testing::RowNumber());

TEST(BodyDecodingDamage, truncated_garbled_unknown_and_misplaced_bodies_are_errors)
{
    TempFolder folder;
    const std::string body = SampleBody();
    const std::string gzip = Encoded(body, "gzip");
    const std::string zstd = Encoded(body, "zstd");
    const std::string brotli = Encoded(body, "br");
    const struct {
        BodyLocation location;
        const char* encoding;
    } cases[] = {
        {Store(folder, "a", gzip.substr(0, gzip.size() / 2)), "gzip"},
        {Store(folder, "b", zstd.substr(0, zstd.size() - 3)), "zstd"},
        {Store(folder, "c", brotli.substr(0, brotli.size() / 3)), "br"},
        {Store(folder, "d", std::string(500, 'x')), "br"},
        {Store(folder, "e", std::string(500, 'x')), "gzip"},
        {Store(folder, "f", gzip), "compress"},
        {{folder.Write("g", "short"), 2, 100}, ""},
        {{folder.Write("h", "stored body"), 0, 11, true, 0x12345678}, ""},
        {{folder.Under("missing"), 0, 10}, ""},
    };
    for (const auto& row : cases) {
        const std::string error = DecodeBody(row.location, row.encoding, [](const char*, std::size_t) { return true; });
        EXPECT_NE(error, "") << row.location.file << " " << row.encoding;
        // As a stream: refused, or a read error where the damage shows.
        if (std::FILE* stream = OpenDecodedBody(row.location, row.encoding)) {
            bool readError = false;
            ReadStream(stream, readError);
            EXPECT_TRUE(readError) << row.location.file << " " << row.encoding;
        }
    }
}

// Each decoder's output and the stored reads go 64 KiB at a time, and an
// entry file of up to 256 KiB is read whole: a decoded length at, one below
// and one above each of these sizes decodes whole, from a file and as a
// stream.
TEST(BodyDecodingBoundaries, every_decoder_at_each_buffer_size)
{
    TempFolder folder;
    const std::string sample = SampleBody() + SampleBody() + SampleBody() + SampleBody();
    int file = 0;
    for (const char* encoding : {"", "gzip", "deflate", "raw deflate", "br", "zstd", "gzip, br"}) {
        for (const std::size_t length : {std::size_t(65535), std::size_t(65536), std::size_t(65537),
                                         std::size_t(131072), std::size_t(262143), std::size_t(262144),
                                         std::size_t(262145), std::size_t(1048576)}) {
            const std::string body = sample.substr(0, length);
            const std::string header = std::string(encoding) == "raw deflate" ? "deflate" : encoding;
            const BodyLocation location = Store(folder, std::to_string(file++), Encoded(body, encoding));
            std::string decoded;

            const std::string error = DecodeBody(location, header, [&](const char* bytes, std::size_t n) {
                decoded.append(bytes, n);
                return true;
            });

            EXPECT_EQ(error, "") << encoding << " " << length;
            EXPECT_TRUE(decoded == body) << encoding << " " << length << ": " << decoded.size() << " bytes";
            std::FILE* stream = OpenDecodedBody(location, header);
            ASSERT_NE(stream, nullptr);
            bool readError = true;
            EXPECT_TRUE(ReadStream(stream, readError) == body) << encoding << " " << length;
            EXPECT_FALSE(readError) << encoding << " " << length;
        }
    }
}

// A gzip member whose header carries a file name of nameLength bytes, its
// data in stored blocks so that each byte's place is known.
std::string GzipMember(const std::string& data, std::size_t nameLength)
{
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size()));
    std::string member = std::string("\x1f\x8b\x08\x08\0\0\0\0\0\x03", 10) + std::string(nameLength, 'n') + '\0';
    member += testing::Deflated(data, -15, 0);
    for (const std::uint32_t word : {std::uint32_t(crc), std::uint32_t(data.size())})
        member += std::string{char(word), char(word >> 8), char(word >> 16), char(word >> 24)};
    return member;
}

// The stored bytes are read 64 KiB at a time: the first piece that reaches
// a decoder, or the piece after a gzip member, may hold one byte only.
TEST(BodyDecodingBoundaries, a_stream_whose_first_two_bytes_come_apart_is_told_by_both)
{
    TempFolder folder;
    const std::string body = SampleBody();
    const std::string second = "<p>second member</p>";
    // Header 10, name and NUL, stored block header 5: the first chunk ends
    // one byte into the zlib stream inside.
    const std::string nested = GzipMember(Encoded(body, "deflate"), 65536 - 10 - 1 - 5 - 1);
    // The first member ends one byte before the first chunk does.
    const std::string first = GzipMember("first", 0);
    const std::string members = GzipMember("first", 65535 - first.size()) + GzipMember(second, 0);
    const struct {
        std::string stored;
        const char* header;
        std::string body;
    } rows[] = {
        {nested, "deflate, gzip", body},
        {members, "gzip", "first" + second},
    };
    for (const auto& row : rows) {
        std::string decoded;

        const std::string error = DecodeBody(Store(folder, "stored", row.stored), row.header,
                                             [&](const char* bytes, std::size_t n) {
                                                 decoded.append(bytes, n);
                                                 return true;
                                             });

        EXPECT_EQ(error, "") << row.header;
        EXPECT_TRUE(decoded == row.body) << row.header << ": " << decoded.size() << " bytes";
    }
}

TEST(BodyDecodingDamage, more_codings_than_a_browser_applies_are_refused_and_quoted_briefly)
{
    TempFolder folder;
    const std::string body = "<html>layered</html>";
    std::string eight = body, nine;
    for (int layer = 0; layer < 8; ++layer)
        eight = Encoded(eight, "gzip");
    nine = Encoded(eight, "gzip");
    std::string million;
    for (int coding = 0; coding < 1000000; ++coding)
        million += "br, ";
    const struct {
        std::string stored;
        std::string header;
        bool whole;
    } rows[] = {
        {eight, "gzip, gzip, gzip, gzip, gzip, gzip, gzip, gzip", true},
        {nine, "gzip, gzip, gzip, gzip, gzip, gzip, gzip, gzip, gzip", false},
        {Encoded(body, "br"), million, false},
        {Encoded(body, "br"), std::string(4000000, 'x'), false},
    };
    for (const auto& row : rows) {
        std::string decoded;

        const std::string error = DecodeBody(Store(folder, "stored", row.stored), row.header,
                                             [&](const char* bytes, std::size_t n) {
                                                 decoded.append(bytes, n);
                                                 return true;
                                             });

        EXPECT_EQ(error.empty(), row.whole) << error.substr(0, 300);
        EXPECT_EQ(decoded == body, row.whole);
        EXPECT_LT(error.size(), 300u) << error.substr(0, 300);
    }
}

TEST(BodyDecodingDamage, running_out_of_memory_damages_the_body_and_nothing_else)
{
    TempFolder folder;
    const BodyLocation location = Store(folder, "stored", Encoded(SampleBody(), "gzip"));

    const std::string error = DecodeBody(location, "gzip", [](const char*, std::size_t) -> bool {
        throw std::bad_alloc();
    });

    EXPECT_NE(error.find("out of memory"), std::string::npos) << error;
}

// One crafted header must not make a message of megabytes.
TEST(BodyDecodingDamage, messages_quote_at_most_two_hundred_bytes_of_the_content_encoding)
{
    TempFolder folder;
    const std::string gzip = Encoded(SampleBody(), "gzip");
    const std::string longName(1 << 20, 'x');
    const struct {
        BodyLocation location;
        std::string encoding;
        const char* start;
    } cases[] = {
        {Store(folder, "a", gzip), longName, "unknown content encoding xxx"},
        {Store(folder, "b", gzip.substr(0, gzip.size() / 2)), std::string(1 << 20, ' ') + "gzip", "truncated "},
        {Store(folder, "c", std::string(500, 'y')), "gzip" + std::string(1 << 20, ','), "damaged gzip,,,"},
    };
    for (const auto& row : cases) {
        const std::string error = DecodeBody(row.location, row.encoding, [](const char*, std::size_t) { return true; });
        EXPECT_TRUE(error.starts_with(row.start)) << error.substr(0, 80);
        EXPECT_LE(error.size(), 300u) << row.start;
        EXPECT_NE(error.find("..."), std::string::npos) << row.start;
    }
}

TEST(HttpDate, all_three_forms_and_nonsense)
{
    constexpr std::uint64_t k1994 = 124285853770000000ull; // 1994-11-06 08:49:37 UTC
    const struct {
        const char* text;
        std::uint64_t ticks;
    } rows[] = {
        {"Sun, 06 Nov 1994 08:49:37 GMT", k1994},
        {"Sunday, 06-Nov-94 08:49:37 GMT", k1994},
        {"Sun Nov  6 08:49:37 1994", k1994},
        {"Tue, 01 Dec 2026 10:20:30 GMT", 134405940300000000ull},
        {"", 0},
        {"yesterday", 0},
        {"Sun, 06 Nov 1994 GMT", 0},
        {"Sun, 32 Nov 1994 08:49:37 GMT", 0},
        {"Sun, 06 Nov 1994 25:49:37 GMT", 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ParseHttpDate(row.text), row.ticks) << row.text;
}

TEST(HttpHead, status_and_headers_by_any_case)
{
    const std::string head = "HTTP/1.1 301 Moved Permanently\r\nlocation:  /new/ \r\nContent-Type: text/html\r\n";

    EXPECT_EQ(ResponseStatus(head), 301);
    EXPECT_EQ(HeaderValue(head, "Location"), "/new/");
    EXPECT_EQ(HeaderValue(head, "content-type"), "text/html");
    EXPECT_EQ(HeaderValue(head, "Date"), std::nullopt);
    EXPECT_EQ(ResponseStatus("garbage"), 0);
    EXPECT_EQ(ResponseStatus("HTTP/1.1 2"), 0);
}

// A cache over records made in a temporary folder; scratch data goes to its
// own folder so that the tests can see what was made.
class BrowserCacheOver : public ::testing::Test {
protected:
    BrowserCacheRecord Record(const std::string& url, const std::string& head, const std::string& stored,
                              std::uint64_t entryTime = 1)
    {
        BrowserCacheRecord record;
        record.key = "1/0/_dk_http://h http://h " + url;
        record.url = url;
        record.responseHead = head;
        record.body = Store(m_stored, std::to_string(m_files++), stored);
        record.entryTime = entryTime;
        return record;
    }

    BrowserCache& Open(std::vector<BrowserCacheRecord> records, std::uint64_t maxBodySize = kDefaultMaxBodySize)
    {
        BrowserCacheScan scan;
        scan.records = std::move(records);
        m_cache = std::make_unique<BrowserCache>(std::move(scan), m_scratch.Path(), maxBodySize);
        return *m_cache;
    }

    // URL -> its entry's local file, size and last-modified ticks.
    struct Listed {
        std::string file;
        std::uint64_t size = 0;
        std::uint64_t modified = 0;
    };
    std::map<std::string, Listed> Entries()
    {
        std::map<std::string, Listed> listed;
        ForEachCacheEntry(*m_cache, "", [&](const INTERNET_CACHE_ENTRY_INFOA& info) {
            listed[info.lpszSourceUrlName] = {info.lpszLocalFileName,
                                              (std::uint64_t(info.dwSizeHigh) << 32) | info.dwSizeLow,
                                              (std::uint64_t(info.LastModifiedTime.dwHighDateTime) << 32) |
                                                  info.LastModifiedTime.dwLowDateTime};
        });
        return listed;
    }

    std::size_t ScratchFiles() const
    {
        std::size_t files = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_scratch.Path()))
            files += entry.is_regular_file() && entry.path().filename() != ".lock";
        return files;
    }

    bool Retrieve(const std::string& url) { return m_cache->RetrieveUrlCacheEntryFileA(url.c_str(), nullptr, nullptr, 0); }

    TempFolder m_stored;
    TempFolder m_scratch;
    std::unique_ptr<BrowserCache> m_cache;
    int m_files = 0;
};

TEST_F(BrowserCacheOver, lists_only_the_bodies_a_user_wants)
{
    const std::string ok = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";
    BrowserCacheRecord damaged = Record("http://h/damaged.html", ok, "x");
    damaged.error = "data_3 is missing";
    BrowserCacheRecord older = Record("http://h/twice.html", ok, "older", 5);
    BrowserCacheRecord newer = Record("http://h/twice.html", ok, "newer", 9);
    Open({Record("http://h/page.html", ok, "page"), Record("https://h/secure.css", ok, "css"),
          Record("", ok, "predictor"), Record("chrome://resources/x", ok, "x"), damaged,
          Record("http://h/not-modified.html", "HTTP/1.1 304 Not Modified\r\n", ""),
          Record("http://h/empty.html", ok, ""), Record("http://h/gone.html", "HTTP/1.1 404 Not Found\r\n", "gone"),
          Record("http://h/part.mp4", "HTTP/1.1 206 Partial Content\r\n", "part"), newer, older});

    const auto listed = Entries();

    std::vector<std::string> urls;
    for (const auto& [url, entry] : listed)
        urls.push_back(url);
    EXPECT_EQ(urls, (std::vector<std::string>{"http://h/page.html", "http://h/twice.html", "https://h/secure.css"}));
    ASSERT_TRUE(Retrieve("http://h/twice.html"));
    EXPECT_EQ(testing::ReadFile(listed.at("http://h/twice.html").file), "newer");
    ASSERT_EQ(m_cache->Problems().size(), 1u);
    EXPECT_NE(m_cache->Problems()[0].find("data_3 is missing"), std::string::npos);
}

TEST_F(BrowserCacheOver, bodies_are_decoded_only_when_retrieved_and_then_kept)
{
    const std::string body = SampleBody();
    Open({Record("http://h/big.js", "HTTP/1.1 200 OK\r\nContent-Encoding: br\r\n", Encoded(body, "br")),
          Record("http://h/plain.png", "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\n", "PNG")});

    const auto listed = Entries();

    EXPECT_EQ(ScratchFiles(), 0u);
    EXPECT_EQ(listed.at("http://h/big.js").size, body.size());
    EXPECT_EQ(listed.at("http://h/plain.png").size, 3u);
    ASSERT_TRUE(Retrieve("http://h/big.js"));
    EXPECT_TRUE(testing::ReadFile(listed.at("http://h/big.js").file) == body);
    EXPECT_EQ(ScratchFiles(), 1u);
    std::filesystem::last_write_time(listed.at("http://h/big.js").file, std::filesystem::file_time_type{});
    ASSERT_TRUE(Retrieve("http://h/big.js"));
    EXPECT_EQ(std::filesystem::last_write_time(listed.at("http://h/big.js").file), std::filesystem::file_time_type{});
}

TEST_F(BrowserCacheOver, bodies_are_read_as_streams_and_sizes_counted_on_first_need_with_no_file_made)
{
    const std::string page = "<html><head><title>Cached page</title></head><body>" + SampleBody() + "</body></html>";
    Open({Record("http://h/page.html", "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\n", Encoded(page, "gzip")),
          Record("http://h/old.html", "HTTP/1.1 301 Moved\r\nLocation: /page.html\r\n", ""),
          Record("http://h/bad.html", "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\n", "not gzip")});
    EXPECT_TRUE(m_cache->Problems().empty()); // nothing is decoded to open the cache

    std::FILE* stream = m_cache->OpenUrlCacheEntryBody("http://h/page.html");
    ASSERT_NE(stream, nullptr);
    HtmlReader reader;
    std::string title;
    EXPECT_EQ(ExtractHtmlTitle(reader, stream, title), kRewriteOk);
    std::fclose(stream);
    EXPECT_EQ(title, "Cached page");
    bool readError = true;
    EXPECT_TRUE(ReadStream(m_cache->OpenUrlCacheEntryBody("http://h/page.html"), readError) == page);
    EXPECT_FALSE(readError);
    EXPECT_EQ(ReadStream(m_cache->OpenUrlCacheEntryBody("http://h/old.html"), readError), RedirectPageText("page.html"));
    EXPECT_EQ(m_cache->OpenUrlCacheEntryBody("http://h/bad.html"), nullptr);
    EXPECT_EQ(m_cache->LastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(m_cache->Problems().size(), 1u);
    EXPECT_EQ(Entries().at("http://h/page.html").size, page.size());
    EXPECT_EQ(ScratchFiles(), 0u);
}

TEST_F(BrowserCacheOver, local_files_are_named_for_offline_browsing)
{
    Open({Record("http://h/", "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n", "a"),
          Record("http://h/page.php?x=1", "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n", "b"),
          Record("http://h/photo.jpeg", "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\n", "c"),
          Record("http://h/pixel", "HTTP/1.1 200 OK\r\nContent-Type: Image/GIF\r\n", "d"),
          Record("http://h/data", "HTTP/1.1 200 OK\r\nContent-Type: application/x-unknown\r\n", "e")});

    const auto listed = Entries();

    EXPECT_EQ(std::filesystem::path(listed.at("http://h/").file).extension(), ".htm");
    EXPECT_EQ(std::filesystem::path(listed.at("http://h/page.php?x=1").file).extension(), ".htm");
    EXPECT_EQ(std::filesystem::path(listed.at("http://h/photo.jpeg").file).extension(), ".jpeg");
    EXPECT_EQ(std::filesystem::path(listed.at("http://h/pixel").file).extension(), ".gif");
    EXPECT_EQ(std::filesystem::path(listed.at("http://h/data").file).extension(), "");
}

TEST_F(BrowserCacheOver, last_modified_then_date_then_entry_time)
{
    Open({Record("http://h/a", "HTTP/1.1 200 OK\r\nDate: Sun, 06 Nov 1994 08:49:37 GMT\r\n"
                               "Last-Modified: Tue, 01 Dec 2026 10:20:30 GMT\r\n", "a"),
          Record("http://h/b", "HTTP/1.1 200 OK\r\nDate: Sun, 06 Nov 1994 08:49:37 GMT\r\n", "b"),
          Record("http://h/c", "HTTP/1.1 200 OK\r\nLast-Modified: garbage\r\n", "c", 777)});

    const auto listed = Entries();

    EXPECT_EQ(listed.at("http://h/a").modified, 134405940300000000ull);
    EXPECT_EQ(listed.at("http://h/b").modified, 124285853770000000ull);
    EXPECT_EQ(listed.at("http://h/c").modified, 777u);
}

TEST_F(BrowserCacheOver, redirects_become_redirect_pages_to_the_local_target)
{
    Open({Record("http://h/old.html", "HTTP/1.1 301 Moved\r\nLocation: /new/page.html\r\n", "moved"),
          Record("http://h/dir/a", "HTTP/1.1 302 Found\r\nLocation: b.html\r\n", ""),
          Record("http://h/x.html", "HTTP/1.1 308 Permanent\r\nLocation: http://other/\r\n", ""),
          Record("http://h/self", "HTTP/1.1 301 Moved\r\nLocation: https://h/self\r\n", ""),
          Record("http://h/nowhere", "HTTP/1.1 307 Temporary\r\n", "")});

    const auto listed = Entries();

    ASSERT_EQ(listed.size(), 3u);
    const struct {
        const char* url;
        const char* target;
    } rows[] = {{"http://h/old.html", "new/page.html"}, {"http://h/dir/a", "b.html"},
                {"http://h/x.html", "../other/index.html"}};
    for (const auto& row : rows) {
        ASSERT_TRUE(Retrieve(row.url)) << row.url;
        const std::string text = testing::ReadFile(listed.at(row.url).file);
        EXPECT_EQ(text, RedirectPageText(row.target)) << row.url;
        EXPECT_EQ(listed.at(row.url).size, text.size());
    }
}

TEST_F(BrowserCacheOver, a_redirect_page_escapes_its_target_and_follows_only_web_urls)
{
    Open({Record("http://h/quote", "HTTP/1.1 302 Found\r\nLocation: x\"><script>alert(1)</script>\r\n", ""),
          Record("http://h/query", "HTTP/1.1 302 Found\r\nLocation: https://h/a?b=1&c='2'\r\n", ""),
          Record("http://h/js", "HTTP/1.1 302 Found\r\nLocation: javascript:alert(1)\r\n", ""),
          Record("http://h/js-cased", "HTTP/1.1 302 Found\r\nLocation: JavaScript:alert(1)\r\n", ""),
          Record("http://h/js-tab", "HTTP/1.1 302 Found\r\nLocation: java\tscript:alert(1)\r\n", ""),
          Record("http://h/data", "HTTP/1.1 301 Moved\r\nLocation: data:text/html,<b>x</b>\r\n", ""),
          Record("http://h/ftp", "HTTP/1.1 301 Moved\r\nLocation: ftp://h/f\r\n", "")});

    const auto listed = Entries();

    ASSERT_EQ(listed.size(), 2u);
    ASSERT_TRUE(Retrieve("http://h/quote"));
    ASSERT_TRUE(Retrieve("http://h/query"));
    const std::string quote = testing::ReadFile(listed.at("http://h/quote").file);
    const std::string query = testing::ReadFile(listed.at("http://h/query").file);
    EXPECT_NE(quote.find("URL=x&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;\">"), std::string::npos) << quote;
    EXPECT_EQ(quote.find("<script"), std::string::npos);
    EXPECT_NE(query.find("URL=a?b=1&amp;c=&#39;2&#39;\">"), std::string::npos) << query;
    ASSERT_EQ(m_cache->Problems().size(), 5u);
    for (const std::string& problem : m_cache->Problems())
        EXPECT_NE(problem.find(", not an http, https or relative URL: no page made"), std::string::npos) << problem;
}

TEST_F(BrowserCacheOver, a_body_that_does_not_decode_is_left_out_and_named)
{
    Open({Record("http://h/bad.js", "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\n", "not gzip at all"),
          Record("http://h/good.js", "HTTP/1.1 200 OK\r\n", "fine")});

    const auto listed = Entries();

    EXPECT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed.count("http://h/good.js"), 1u);
    ASSERT_EQ(m_cache->Problems().size(), 1u);
    EXPECT_NE(m_cache->Problems()[0].find("gzip"), std::string::npos);
}

// A few kilobytes that decode to far more than any page: the listing
// decodes only up to its limit and says the size is at least that.
TEST_F(BrowserCacheOver, a_body_that_decodes_far_beyond_the_listing_limit_is_measured_only_to_it)
{
    const std::string zeros(2 * kListedDecodeLimit, '\0');
    const std::string twiceGzipped = Encoded(Encoded(zeros, "gzip"), "gzip");
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Encoding: ";
    Open({Record("http://h/gzip", head + "gzip\r\n", Encoded(zeros, "gzip")),
          Record("http://h/br", head + "br\r\n", Encoded(zeros, "br")),
          Record("http://h/zstd", head + "zstd\r\n", Encoded(zeros, "zstd")),
          Record("http://h/gzip-gzip", head + "gzip, gzip\r\n", twiceGzipped),
          Record("http://h/small", head + "gzip\r\n", Encoded("small", "gzip"))});

    const auto listed = Entries();

    for (const char* url : {"http://h/gzip", "http://h/br", "http://h/zstd", "http://h/gzip-gzip"}) {
        EXPECT_EQ(listed.at(url).size, kListedDecodeLimit) << url;
        EXPECT_TRUE(m_cache->SizeIsLowerBound(url)) << url;
    }
    EXPECT_EQ(listed.at("http://h/small").size, 5u);
    EXPECT_FALSE(m_cache->SizeIsLowerBound("http://h/small"));
    EXPECT_TRUE(m_cache->Problems().empty());
}

TEST_F(BrowserCacheOver, no_body_is_given_past_the_most_bytes_as_a_stream_or_a_file)
{
    const std::uint64_t most = 1 << 20;
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\n";
    Open({Record("http://h/over", head, Encoded(std::string(most + 1, 'x'), "gzip")),
          Record("http://h/at", head, Encoded(std::string(most, 'y'), "gzip"))},
         most);
    bool readError = false;

    const std::string streamed = ReadStream(m_cache->OpenUrlCacheEntryBody("http://h/over"), readError);
    const bool retrieved = Retrieve("http://h/over");

    EXPECT_TRUE(readError);
    EXPECT_LE(streamed.size(), most);
    EXPECT_FALSE(retrieved);
    EXPECT_NE(m_cache->LastErrorText().find("http://h/over: the body decodes to more than 1048576 bytes"),
              std::string::npos) << m_cache->LastErrorText();
    EXPECT_EQ(ScratchFiles(), 0u);
    ASSERT_EQ(m_cache->Problems().size(), 2u);
    EXPECT_EQ(ReadStream(m_cache->OpenUrlCacheEntryBody("http://h/at"), readError).size(), most);
    EXPECT_FALSE(readError);
    EXPECT_TRUE(Retrieve("http://h/at"));
}

// The window opens entry after entry: the scratch folder holds at most the
// most bytes of one body, besides the file made last.
TEST_F(BrowserCacheOver, files_made_are_removed_oldest_first_once_together_they_pass_the_most_bytes)
{
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    Open({Record("http://h/a", ok, std::string(600000, 'a')), Record("http://h/b", ok, std::string(600000, 'b'))},
         1 << 20);
    const auto listed = Entries();

    ASSERT_TRUE(Retrieve("http://h/a"));
    ASSERT_TRUE(Retrieve("http://h/b"));
    const bool aKept = std::filesystem::exists(listed.at("http://h/a").file);
    ASSERT_TRUE(Retrieve("http://h/a"));

    EXPECT_FALSE(aKept);
    EXPECT_TRUE(std::filesystem::exists(listed.at("http://h/a").file));
    EXPECT_FALSE(std::filesystem::exists(listed.at("http://h/b").file));
    EXPECT_EQ(ScratchFiles(), 1u);
}

TEST_F(BrowserCacheOver, is_read_only_and_cleans_its_scratch_folder)
{
    BrowserCache& cache = Open({Record("http://h/a.html", "HTTP/1.1 200 OK\r\n", "a")});
    char fileName[MAX_PATH + 1] = {};

    EXPECT_FALSE(cache.DeleteUrlCacheEntryA("http://h/a.html"));
    EXPECT_EQ(cache.LastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(cache.CreateUrlCacheEntryA("http://h/b.html", 1, "htm", fileName, 0));
    EXPECT_EQ(cache.LastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(cache.CommitUrlCacheEntryA("http://h/b.html", fileName, {}, {}, 0, nullptr, 0, "htm", nullptr));
    EXPECT_EQ(cache.LastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(cache.Kind().readOnly);
    EXPECT_TRUE(cache.Kind().filesOnDemand);
    EXPECT_STREQ(cache.Kind().name, "Chromium Cache");
    EXPECT_FALSE(Retrieve("http://h/none.html"));
    EXPECT_EQ(cache.LastError(), ERROR_FILE_NOT_FOUND);
    ASSERT_TRUE(Retrieve("http://h/a.html"));
    EXPECT_EQ(Entries().size(), 1u);

    m_cache.reset();

    EXPECT_TRUE(std::filesystem::is_empty(m_scratch.Path()));
}

TEST(ScratchFolder, removes_what_a_killed_process_left_and_keeps_what_an_open_cache_holds)
{
    TempFolder parent;
    parent.Write("bodies-left/.lock", "");
    parent.Write("bodies-left/0.htm", "decoded");
    parent.Write("unrelated/0.htm", "kept");
    const ScratchFolder open(parent.Path());

    const ScratchFolder next(parent.Path());

    EXPECT_FALSE(std::filesystem::exists(parent.Path() / "bodies-left"));
    EXPECT_TRUE(std::filesystem::exists(parent.Path() / "unrelated/0.htm"));
    ASSERT_FALSE(open.Path().empty());
    EXPECT_TRUE(std::filesystem::is_directory(open.Path()));
    EXPECT_NE(next.Path(), open.Path());
}

} // namespace
} // namespace larkspool::browsercache
