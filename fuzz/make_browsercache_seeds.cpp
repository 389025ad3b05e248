// Writes seed corpora for the browser cache fuzzers: small well-formed
// entries and caches of each format, so that fuzzing starts past the magic
// numbers. Usage: make_browsercache_seeds FOLDER (gets simple/, firefox/,
// blockfile/, firefox1/, webkit/, cachestorage/ and body/ below it).
#include "fuzz/blockfile_fuzz_input.h"
#include "tests/browsercache/blockfile_builder.h"
#include "tests/browsercache/chromium_bytes.h"
#include "tests/browsercache/encoded_bytes.h"
#include "tests/browsercache/firefox_cache1_bytes.h"
#include "tests/browsercache/firefox_entry_bytes.h"
#include "tests/browsercache/webkit_bytes.h"

#include <filesystem>
#include <fstream>

namespace {

void WriteSeed(const std::filesystem::path& folder, const std::string& name, const std::string& bytes)
{
    std::filesystem::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary) << bytes;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace larkspool::testing;
    if (argc != 2)
        return 2;
    const std::filesystem::path root = argv[1];

    SimpleEntry simple;
    WriteSeed(root / "simple", "entry", simple.Bytes());
    simple.record = ResponseRecord(0x3, std::string("HTTP/1.1 301 Moved\0Location: /b\0\0", 33));
    simple.body.clear();
    WriteSeed(root / "simple", "redirect", simple.Bytes());
    const std::string indexPayload = Le64(0x656e74657220796fULL) + Le32(9) + Le64(1) + Le64(4096) + Le32(0) +
                                     Le64(0x0123456789abcdefULL) + Le64(kRequestMicroseconds) + Le64(4096) + Le64(0);
    WriteSeed(root / "simple", "index", Le32(std::uint32_t(indexPayload.size())) +
                                            Le32(larkspool::browsercache::Crc32(indexPayload)) + indexPayload);

    WriteSeed(root / "simple", "sparse", SimpleSparseFile("k", {{10, "abcdefghij"}, {0, "0123456789"}}));

    FirefoxEntry firefox;
    WriteSeed(root / "firefox", "entry", firefox.Bytes());
    firefox.version = 1;
    firefox.elements += std::string("alt-data\0" "1;5,javascript\0", 24);
    WriteSeed(root / "firefox", "alt-data", firefox.Bytes());

    BlockfileBuilder cache;
    const std::string record = ResponseRecord(0x80000003u, std::string("HTTP/1.1 200 OK\0\0", 17));
    cache.AddEntry("http://a.example/1", record, "one", BlockfileBuilder::Where::Data2, 1, kRequestMicroseconds);
    cache.AddEntry("http://a.example/2", record, std::string(300, 'b'), BlockfileBuilder::Where::External, 1);
    cache.AddEntry("http://a.example/" + std::string(1000, 'k'), record, "x", BlockfileBuilder::Where::Data3, 2, 0,
                   BlockfileBuilder::Where::Data2);
    WriteSeed(root / "blockfile", "cache", larkspool::fuzzing::JoinBlockfileInput(cache.Files()));

    // A body in two children: the first 2 KiB whole, of the second a full block and 100 bytes.
    BlockfileBuilder sparse;
    const std::string parentKey = "http://a.example/v.webm";
    const auto control = [&](std::int32_t lastBlock, std::int32_t lastLength, std::string bitmap) {
        return Le64(0x5e1f00d2c3b4a59ULL) + Le32(0xC103CAC3) + Le32(std::uint32_t(parentKey.size())) +
               Le32(std::uint32_t(lastBlock)) + Le32(std::uint32_t(lastLength)) + std::string(40, '\0') + bitmap;
    };
    std::string childMap(128, '\0');
    childMap[0] = 3;
    sparse.AddEntry("Range_" + parentKey + ":5e1f00d2c3b4a59:0", "", std::string(2048, 'v'),
                    BlockfileBuilder::Where::Data3, 2, 0, BlockfileBuilder::Where::Data1, control(-1, 0, childMap), 2);
    childMap[0] = 1;
    sparse.AddEntry("Range_" + parentKey + ":5e1f00d2c3b4a59:1", "", std::string(1124, 'w'),
                    BlockfileBuilder::Where::External, 2, 0, BlockfileBuilder::Where::Data1, control(1, 100, childMap), 2);
    sparse.AddEntry(parentKey,
                    ResponseRecord(0x3, std::string("HTTP/1.1 206 Partial\0Content-Length: 1049700\0\0", 46)), "",
                    BlockfileBuilder::Where::External, 1, 0, BlockfileBuilder::Where::Data1,
                    control(0, 0, std::string("\x03\0\0\0", 4)), 1);
    WriteSeed(root / "blockfile", "sparse", larkspool::fuzzing::JoinBlockfileInput(sparse.Files()));

    const Cache1Bytes firefox1 = MakeCache1({{"HTTP:http://a.example/1", "HTTP/1.1 200 OK\r\n", "one"},
                                             {"HTTP:id=1&uri=http://a.example/2", "HTTP/1.1 200 OK\r\n", ""}});
    WriteSeed(root / "firefox1", "cache",
              larkspool::fuzzing::JoinBlockfileInput({{"_CACHE_MAP_", firefox1.map}, {"_CACHE_001_", firefox1.blocks1}},
                                                     larkspool::fuzzing::kFirefoxCache1Names));
    // Without its map: the block file, and an entry whose metadata and body lie in separate files.
    const Cache1Item large{"HTTP:http://a.example/large", "HTTP/1.1 200 OK\r\n", std::string(20000, 'l')};
    const std::uint32_t largeHash = larkspool::browsercache::FirefoxHash(large.key);
    WriteSeed(root / "firefox1", "separate",
              larkspool::fuzzing::JoinBlockfileInput({{"_CACHE_001_", firefox1.blocks1}},
                                                     larkspool::fuzzing::kFirefoxCache1Names) +
                  larkspool::fuzzing::JoinSeparateFiles({{{0, largeHash}, Cache1EntryBytes(large)},
                                                         {{larkspool::fuzzing::kSeparateData, largeHash}, large.body}}));

    // A record of WebKitGTK's version and one of an older Safari's, a 301 and a body kept apart.
    WriteSeed(root / "cachestorage", "index", larkspool::testing::CacheStorageIndexFile({{"a", "d-a"}, {"b", "d-b"}}));
    const std::string response = larkspool::testing::CacheStorageRecord(
        200, {{"Content-Type", "text/html"}, {"Content-Encoding", "gzip"}});
    WriteSeed(root / "cachestorage", "response", response);
    simple.key = "https://example.org/a.html";
    simple.record = response;
    WriteSeed(root / "cachestorage", "entry", simple.Bytes());
    WebKitItem webkit{"https://a.example/", "", 200, "OK", {{"Content-Type", "text/html"}}, "<p>one</p>"};
    WriteSeed(root / "webkit", "record", WebKitRecordBytes(webkit));
    webkit.partition = "https://top.example";
    webkit.wideStrings = true;
    WriteSeed(root / "webkit", "safari", WebKitRecordBytes(webkit, {12, true, true, std::string(200, '\x30')}));
    WriteSeed(root / "webkit", "redirect",
              WebKitRecordBytes({"https://a.example/old", "", 301, "Moved", {{"Location", "/"}}, ""}));
    webkit.inlineBody = false;
    WriteSeed(root / "webkit", "blob", WebKitRecordBytes(webkit));

    // The body decoder's input: encoding number, CRC byte, stored bytes.
    const std::string page = "<html><title>seed</title>" + std::string(3000, 'p') + "</html>";
    const struct {
        char number;
        const char* encoding;
    } bodies[] = {{0, ""}, {2, "gzip"}, {3, "deflate"}, {4, "br"}, {5, "zstd"}, {6, "gzip, br"}};
    for (const auto& body : bodies)
        WriteSeed(root / "body", std::string("coding-") + char('0' + body.number),
                  std::string{body.number, 1} + Encoded(page, body.encoding));
    // The header itself from the input, as an entry may carry any.
    const struct {
        const char* header;
        const char* applied;
    } headers[] = {{"gzip", "gzip"}, {"identity, BR", "br"}, {"gzip, br", "gzip, br"}};
    for (const auto& seed : headers)
        WriteSeed(root / "body", "header-" + std::to_string(&seed - headers),
                  std::string("\x80\x00", 2) + seed.header + "\n" + Encoded(page, seed.applied));
    return 0;
}
