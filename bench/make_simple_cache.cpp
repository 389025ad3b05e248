// Builds a synthetic Chromium simple cache for the benchmarks: the synthetic
// site as entry files laid out as Chromium lays them out (the layout the
// tests check against caches real Chromium wrote), pages gzip-encoded as
// servers send them, everything else as it is.
#include "bench/synthetic_site.h"
#include "tests/browsercache/chromium_bytes.h"
#include "tests/browsercache/deflated_bytes.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

using namespace larkspool;

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
    std::ofstream(folder / "index", std::ios::binary) << testing::Le64(0x656e74657220796fULL) << testing::Le32(9)
                                                      << testing::Le64(0); // magic, version, no entries
    std::mt19937 random(20061205);
    for (std::size_t i = 0; i < count; ++i) {
        const bench::Entry entry = bench::MakeEntry(i, bench::HostCount(count), random);
        const bool page = ContentType(entry.extension) == "text/html";
        // Chromium keeps the head's lines NUL-ended, an empty line last.
        std::string head;
        for (const std::string& line : {std::string("HTTP/1.1 200 OK"), "Content-Type: " + ContentType(entry.extension),
                                        std::string("Last-Modified: Mon, 01 May 2006 10:20:30 GMT"),
                                        std::string(page ? "Content-Encoding: gzip" : "")})
            if (!line.empty())
                head += line + '\0';
        head += '\0';
        testing::SimpleEntry file;
        file.key = "1/0/_dk_http://example.test http://example.test " + entry.url;
        file.body = page ? testing::Deflated(entry.content, 15 + 16) : entry.content;
        file.record = testing::ResponseRecord(0x80000003u, head);
        char name[32];
        std::snprintf(name, sizeof name, "%016zx_0", i * 0x9e3779b97f4a7c15ULL);
        std::ofstream out(folder / name, std::ios::binary);
        out << file.Bytes();
        if (!out) {
            std::fprintf(stderr, "make-simple-cache: cannot write %s\n", (folder / name).c_str());
            return 1;
        }
    }
    return 0;
}
