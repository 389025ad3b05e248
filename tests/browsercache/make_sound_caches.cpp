// Writes a small sound cache of each browser format (a service worker's
// CacheStorage among them), twice with the same layout:
// FOLDER/sound/KIND, whose bodies read "sound!-KIND-N", and
// FOLDER/outside/KIND, whose bodies read "MARKER-KIND-N", for a test that
// puts links from the one into the other. FOLDER/manifest.tsv names, for
// each file and folder of a sound cache, the one body that is lost when it
// is (an entry file), or "*" when it is shared by several.
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
        for (const char* shared : {"", "/index.txt", "/d-a", "/d-b"})
            *manifest << "cachestorage\t" << origin << shared << "\t*\n";
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
    return 0;
}
