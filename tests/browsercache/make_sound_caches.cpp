// Writes a small sound cache of each browser format (a service worker's
// CacheStorage among them), twice with the same layout:
// FOLDER/sound/KIND, whose bodies read "sound!-KIND-N", and
// FOLDER/outside/KIND, whose bodies read "MARKER-KIND-N", for a test that
// puts links from the one into the other. FOLDER/manifest.tsv names, for
// each file and folder of a sound cache, the one body that is lost when it
// is (an entry file; the bodies of a folder, blank between them), or "*"
// when it is shared by several. FOLDER/crafted.tsv names files of crafted
// bytes in FOLDER/crafted, each to be put in a sound cache's place: what it
// replaces, the bodies lost with it and what the reader must say.
// Usage: make_sound_caches FOLDER
#include "browsercache/crc32.h"
#include "tests/browsercache/blockfile_builder.h"
#include "tests/browsercache/chromium_bytes.h"
#include "tests/browsercache/firefox_cache1_bytes.h"
#include "tests/browsercache/firefox_entry_bytes.h"
#include "tests/browsercache/webkit_bytes.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace larkspool::testing;

void Write(const fs::path& file, const std::string& bytes)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

std::string Body(const std::string& prefix, const std::string& kind, int n)
{
    return prefix + "-" + kind + "-" + std::to_string(n);
}

void WriteSimple(const fs::path& folder, const std::string& prefix, std::ofstream* manifest)
{
    const std::string payload = Le64(0x656e74657220796fULL) + Le32(9) + Le64(0) + Le64(0) + Le32(0);
    Write(folder / "index", Le64(0));
    Write(folder / "index-dir" / "the-real-index",
          Le32(std::uint32_t(payload.size())) + Le32(larkspool::browsercache::Crc32(payload)) + payload);
    for (int n = 1; n <= 3; ++n) {
        SimpleEntry entry;
        entry.key = "1/0/_dk_http://s.example http://s.example http://s.example/" + std::to_string(n) + ".html";
        entry.body = Body(prefix, "simple", n);
        const std::string name = "000000000000000" + std::to_string(n) + "_0";
        Write(folder / name, entry.Bytes());
        if (manifest)
            *manifest << "simple\t" << name << "\t" << entry.body << "\n";
    }
    if (manifest)
        *manifest << "simple\tindex\t*\nsimple\tindex-dir\t*\nsimple\tindex-dir/the-real-index\t*\n";
}

void WriteFirefox(const fs::path& folder, const std::string& prefix, std::ofstream* manifest)
{
    Write(folder / "index", std::string(12, '\0'));
    for (int n = 1; n <= 3; ++n) {
        FirefoxEntry entry;
        entry.key = "a,:http://f.example/" + std::to_string(n) + ".html";
        entry.body = Body(prefix, "firefox", n);
        const std::string name = std::string(39, 'A') + std::to_string(n);
        Write(folder / "entries" / name, entry.Bytes());
        if (manifest)
            *manifest << "firefox\tentries/" << name << "\t" << entry.body << "\n";
    }
    if (manifest)
        *manifest << "firefox\tindex\t*\nfirefox\tentries\t*\n";
}

void WriteBlockfile(const fs::path& folder, const std::string& prefix, std::ofstream* manifest)
{
    BlockfileBuilder cache;
    const std::string record = ResponseRecord(0x80000003u, std::string("HTTP/1.1 200 OK\0Content-Type: text/html\0\0", 41));
    cache.AddEntry("http://b.example/1.html", record, Body(prefix, "blockfile", 1), BlockfileBuilder::Where::Data2, 1);
    cache.AddEntry("http://b.example/2.html", record, Body(prefix, "blockfile", 2), BlockfileBuilder::Where::External, 2);
    cache.AddEntry("http://b.example/3.html", record, Body(prefix, "blockfile", 3), BlockfileBuilder::Where::External, 3);
    fs::create_directories(folder);
    cache.WriteTo(folder);
    if (manifest)
        *manifest << "blockfile\tindex\t*\nblockfile\tdata_0\t*\nblockfile\tdata_1\t*\nblockfile\tdata_2\t*\n"
                     "blockfile\tdata_3\t*\nblockfile\tf_000001\t" << Body(prefix, "blockfile", 2)
                  << "\nblockfile\tf_000002\t" << Body(prefix, "blockfile", 3) << "\n";
}

void WriteFirefox1(const fs::path& folder, const std::string& prefix, std::ofstream* manifest)
{
    std::vector<Cache1Item> items;
    for (int n = 1; n <= 3; ++n)
        items.push_back({"HTTP:http://o.example/" + std::to_string(n) + ".html",
                         "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n", Body(prefix, "firefox1", n)});
    const Cache1Bytes cache = MakeCache1(items);
    Write(folder / "_CACHE_MAP_", cache.map);
    Write(folder / "_CACHE_001_", cache.blocks1);
    if (manifest)
        *manifest << "firefox1\t_CACHE_MAP_\t*\nfirefox1\t_CACHE_001_\t*\n";
}

// The first record's body inline, the others' in blobs: a blob's link and
// its file in Blobs/ each stand in for the other, so neither alone is lost.
void WriteWebKit(const fs::path& folder, const std::string& prefix, std::ofstream* manifest)
{
    std::vector<WebKitItem> items;
    for (int n = 1; n <= 3; ++n) {
        items.push_back({"http://w.example/" + std::to_string(n) + ".html", "", 200, "OK",
                         {{"Content-Type", "text/html"}}, Body(prefix, "webkit", n)});
        items.back().inlineBody = n == 1;
    }
    WriteWebKitVersion(folder / "Version 17", items);
    if (!manifest)
        return;
    *manifest << "webkit\tVersion 17\t*\nwebkit\tVersion 17/salt\t*\nwebkit\tVersion 17/Records\t*\n"
                 "webkit\tVersion 17/Blobs\t*\n";
    for (const WebKitItem& item : items) {
        const fs::path record = fs::path("Version 17") / WebKitRecordPath(item);
        *manifest << "webkit\t" << record.parent_path().parent_path().string() << "\t*\n";
        *manifest << "webkit\t" << record.parent_path().string() << "\t*\n";
        *manifest << "webkit\t" << record.string() << "\t" << item.body << "\n";
        if (!item.inlineBody)
            *manifest << "webkit\t" << record.string() << "-blob\t*\nwebkit\tVersion 17/Blobs/"
                      << WebKitHex(WebKitHash(item.body)) << "\t*\n";
    }
}

// A service worker's CacheStorage: index.txt naming two caches, each a
// simple cache of entries keyed by their plain URLs.
void WriteCacheStorage(const fs::path& folder, const std::string& prefix, std::ofstream* manifest)
{
    const std::string origin = "0d1e0abb8cd967cfa206338e5018d3992efd1327";
    Write(folder / origin / "index.txt", CacheStorageIndexFile({{"a", "d-a"}, {"b", "d-b"}}));
    for (int n = 1; n <= 3; ++n) {
        SimpleEntry entry;
        entry.key = "https://w.example/" + std::to_string(n) + ".html";
        entry.body = Body(prefix, "cachestorage", n);
        entry.record = CacheStorageRecord(200, {{"Content-Type", "text/html"}}, entry.key);
        const std::string name = origin + (n < 3 ? "/d-a/" : "/d-b/") + "000000000000000" + std::to_string(n) + "_0";
        Write(folder / name, entry.Bytes());
        if (manifest)
            *manifest << "cachestorage\t" << name << "\t" << entry.body << "\n";
    }
    if (manifest)
        *manifest << "cachestorage\t" << origin << "\t*\ncachestorage\t" << origin << "/index.txt\t*\n"
                  << "cachestorage\t" << origin << "/d-a\t" << Body(prefix, "cachestorage", 1) << " "
                  << Body(prefix, "cachestorage", 2) << "\ncachestorage\t" << origin << "/d-b\t"
                  << Body(prefix, "cachestorage", 3) << "\n";
}

// CacheStorage's index and response records cut short or claiming more
// bytes than there are: a damaged index loses its origin, a damaged record
// its entry only.
void WriteCraftedCacheStorage(const fs::path& folder, std::ofstream& manifest)
{
    const std::string origin = "0d1e0abb8cd967cfa206338e5018d3992efd1327/";
    const std::string index = CacheStorageIndexFile({{"a", "d-a"}, {"b", "d-b"}});
    const std::string huge = ProtoVarint(std::uint64_t(1) << 63);
    const std::string cache = ProtoBytes(1, "a") + ProtoBytes(2, "d-a");
    const std::pair<const char*, std::string> indexes[] = {
        {"index-cut-in-a-key", index.substr(0, 1)},
        {"index-cut-in-a-name", index.substr(0, 5)},
        {"index-cut-in-the-origin", index.substr(0, index.size() - 10)},
        {"index-length-past-the-end", "\x0a" + ProtoVarint(index.size()) + index.substr(2)},
        {"index-length-of-2^63", "\x0a" + huge + cache},
        {"index-varint-of-eleven-bytes", "\x20" + std::string(10, '\xff') + "\x01" + index},
    };
    for (const auto& [name, bytes] : indexes) {
        Write(folder / name, bytes);
        manifest << name << "\tcachestorage\t" << origin << "index.txt\t*\tindex.txt is damaged\n";
    }
    Write(folder / "index-cache-length-of-2^63", ProtoBytes(1, "\x0a" + huge + "a") + index);
    manifest << "index-cache-length-of-2^63\tcachestorage\t" << origin
             << "index.txt\t*\ta cache's record in index.txt is damaged\n";

    const std::string request = ProtoBytes(1, ProtoBytes(1, "GET"));
    const std::string status = ProtoNumber(1, 200);
    const std::pair<const char*, std::string> records[] = {
        {"record-cut-short", CacheStorageRecord(200, {{"Content-Type", "text/html"}}).substr(0, 30)},
        {"record-response-past-the-end", request + "\x12" + ProtoVarint(1000) + status},
        {"record-response-of-2^63", request + "\x12" + huge + status},
        {"record-header-past-the-response", request + ProtoBytes(2, status + "\x22" + ProtoVarint(100) + "x")},
        {"record-header-name-of-2^63",
         request + ProtoBytes(2, status + ProtoBytes(4, "\x0a" + huge + "Content-Type"))},
    };
    for (const auto& [name, record] : records) {
        SimpleEntry entry;
        entry.key = "https://w.example/1.html";
        entry.body = Body("sound!", "cachestorage", 1);
        entry.record = record;
        Write(folder / name, entry.Bytes());
        manifest << name << "\tcachestorage\t" << origin << "d-a/0000000000000001_0\t" << entry.body
                 << "\t0000000000000001_0: " << (name == std::string("record-header-name-of-2^63")
                                                      ? "a header of the response record is damaged"
                                                      : "the response record is damaged")
                 << "\n";
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const fs::path root = argv[1];
    fs::create_directories(root);
    std::ofstream manifest(root / "manifest.tsv");
    for (const char* prefix : {"sound!", "MARKER"}) {
        const fs::path folder = root / (prefix == std::string("sound!") ? "sound" : "outside");
        std::ofstream* list = prefix == std::string("sound!") ? &manifest : nullptr;
        WriteSimple(folder / "simple", prefix, list);
        WriteFirefox(folder / "firefox" / "cache2", prefix, list);
        WriteBlockfile(folder / "blockfile", prefix, list);
        WriteFirefox1(folder / "firefox1", prefix, list);
        WriteWebKit(folder / "webkit" / "WebKitCache", prefix, list);
        WriteCacheStorage(folder / "cachestorage" / "Service Worker" / "CacheStorage", prefix, list);
    }
    std::ofstream crafted(root / "crafted.tsv");
    WriteCraftedCacheStorage(root / "crafted", crafted);
    return 0;
}
