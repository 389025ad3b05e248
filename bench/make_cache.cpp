// Builds a synthetic index.dat cache for the benchmarks: the synthetic site,
// every cached file on disk.
#include "bench/bench_cache.h"
#include "bench/synthetic_site.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

using namespace larkspool;
using namespace larkspool::bench;

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-cache N DIR\n");
        return 2;
    }
    const std::size_t count = std::strtoul(argv[1], nullptr, 10);
    const std::size_t hosts = HostCount(count);
    IndexDatCache cache(argv[2]);
    if (!cache.LoadError().empty()) {
        std::fprintf(stderr, "make-cache: %s\n", cache.LoadError().c_str());
        return 2;
    }

    std::mt19937 random(20061205);
    const std::uint64_t firstTime = kUnixEpochTicks + 1136073600ULL * kTicksPerSecond; // 2006-01-01
    for (std::size_t i = 0; i < count; ++i) {
        const Entry entry = MakeEntry(i, hosts, random);
        const std::uint64_t modified = firstTime + (i * 7919 % 10000000) * kTicksPerSecond;
        const DWORD error = bench::AddCachedFile(cache, entry.url, entry.extension, entry.content, modified);
        if (error == ERROR_DISK_FULL) {
            // One index.dat holds at most 126,336 blocks of 128 bytes: about
            // 60,800 of these entries. A full disk says the same.
            std::fprintf(stderr, "make-cache: index.dat is full (or the disk): %zu of %zu entries added\n", i,
                         count);
            return 1;
        }
        if (error != ERROR_SUCCESS) {
            std::fprintf(stderr, "make-cache: cannot add %s (error %lu)\n", entry.url.c_str(),
                         static_cast<unsigned long>(error));
            return 1;
        }
    }
    return 0;
}
