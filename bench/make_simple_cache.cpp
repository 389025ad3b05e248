// Builds a synthetic Chromium simple cache for the benchmarks: the synthetic
// site as entry files laid out, named and hashed as Chromium lays them out
// (the layout the tests check against caches real Chromium wrote), pages
// gzip-encoded as servers send them, everything else as it is. The entries
// are fresh for a year from the moment they are made, so that Chromium
// itself serves them from the cache (the generator's own test checks that).
#include "bench/synthetic_site.h"
#include "cache/file_time.h"
#include "tests/browsercache/chromium_bytes.h"
#include "tests/browsercache/deflated_bytes.h"

#include <openssl/sha.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

using namespace larkspool;

// Microseconds from 1601 to 1970, Chromium's clock's origin.
constexpr std::uint64_t kUnixEpochMicroseconds = kUnixEpochTicks / 10;

std::string ContentType(const std::string& extension)
{
    if (extension == "html" || extension == "htm")
        return "text/html";
    if (extension == "gif")
        return "image/gif";
    if (extension == "jpg")
        return "image/jpeg";
    return extension == "css" ? "text/css" : "text/javascript";
}

// Chromium's key for a top-level load of url: its site (scheme and the
// synthetic site's registrable domain) as both frame and top-frame site.
std::string CacheKey(const std::string& url)
{
    const std::string site = url.substr(0, url.find("://")) + "://example.test";
    return "1/0/_dk_" + site + " " + site + " " + url;
}

// The entry file's name: the first 8 bytes of the key's SHA-1, read as a
// little-endian number, in hex, and the file's index.
std::string EntryFileName(const std::string& key)
{
    unsigned char digest[SHA_DIGEST_LENGTH];
    SHA1(reinterpret_cast<const unsigned char*>(key.data()), key.size(), digest);
    std::uint64_t hash = 0;
    for (int i = 7; i >= 0; --i)
        hash = (hash << 8) | digest[i];
    char name[32];
    std::snprintf(name, sizeof name, "%016llx_0", static_cast<unsigned long long>(hash));
    return name;
}

std::string KeySha256(const std::string& key)
{
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(key.data()), key.size(), digest);
    return std::string(reinterpret_cast<const char*>(digest), sizeof digest);
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-simple-cache N DIR\n");
        return 2;
    }
    const std::size_t count = std::strtoul(argv[1], nullptr, 10);
    const std::filesystem::path folder = argv[2];
    std::filesystem::create_directories(folder);
    // Chromium's 24-byte "index" beside the entries: the entry files' magic
    // number, the cache's version, zeros. Another magic number makes
    // Chromium take the folder for a cache it cannot read and empty it.
    std::ofstream(folder / "index", std::ios::binary)
        << testing::Le64(0xfcfb6d1ba7725c30ULL) << testing::Le32(9) << std::string(12, '\0');
    const std::uint64_t now = kUnixEpochMicroseconds + std::uint64_t(std::chrono::duration_cast<std::chrono::microseconds>(
                                                           std::chrono::system_clock::now().time_since_epoch())
                                                           .count());
    std::mt19937 random(20061205);
    for (std::size_t i = 0; i < count; ++i) {
        const bench::Entry entry = bench::MakeEntry(i, bench::HostCount(count), random);
        const bool page = ContentType(entry.extension) == "text/html";
        // Chromium keeps the head's lines NUL-ended, an empty line last.
        std::string head;
        for (const std::string& line :
             {std::string("HTTP/1.1 200 OK"), "Content-Type: " + ContentType(entry.extension),
              std::string("Cache-Control: max-age=31536000"), std::string("Last-Modified: Mon, 01 May 2006 10:20:30 GMT"),
              std::string(page ? "Content-Encoding: gzip" : "")})
            if (!line.empty())
                head += line + '\0';
        head += '\0';
        testing::SimpleEntry file;
        file.key = CacheKey(entry.url);
        file.keySha256 = KeySha256(file.key);
        file.body = page ? testing::Deflated(entry.content, 15 + 16) : entry.content;
        file.record = testing::ResponseRecord(0x80000003u, head, now);
        const std::filesystem::path path = folder / EntryFileName(file.key);
        std::ofstream out(path, std::ios::binary);
        out << file.Bytes();
        if (!out) {
            std::fprintf(stderr, "make-simple-cache: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
