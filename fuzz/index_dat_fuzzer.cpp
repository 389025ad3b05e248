// Feeds arbitrary bytes to the index.dat store as a cache's index.dat, runs
// every read path (the scan for recovered records, each looked up and
// refused a delete, included), then writes: an add and a remove. A write that fails must
// leave the file byte for byte as it was; one that succeeds must keep every
// URL listed before (but the removed one), plus the added one.
#include "cache/cache_enumeration.h"
#include "cache/index_dat_cache.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kAdded = "http://fuzz/added.htm";

std::string Contents(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::set<std::string> Listed(const std::filesystem::path& folder)
{
    larkspool::IndexDatCache cache(folder);
    std::set<std::string> urls;
    larkspool::ForEachCacheEntry(cache, "", [&](const INTERNET_CACHE_ENTRY_INFOA& info) {
        urls.insert(info.lpszSourceUrlName ? info.lpszSourceUrlName : "");
    });
    return urls;
}

void Require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "index.dat write check failed: %s\n", what);
        std::abort();
    }
}

// Runs write on a fresh store and checks the file against it.
template <typename Write>
void CheckedWrite(const std::filesystem::path& folder, std::set<std::string> expected, Write write)
{
    const std::filesystem::path index = folder / "index.dat";
    const std::string before = Contents(index);
    bool written = false;
    {
        larkspool::IndexDatCache cache(folder);
        written = write(cache);
    }
    if (!written) {
        Require(Contents(index) == before, "a refused write changed the file");
        return;
    }
    const auto after = Listed(folder);
    Require(std::includes(after.begin(), after.end(), expected.begin(), expected.end()),
            "a write lost a listed entry");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("larkspool-fuzz-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "index.dat", std::ios::binary).write(reinterpret_cast<const char*>(data), std::streamsize(size));

    {
        larkspool::IndexDatCache cache(folder);
        (void)cache.LoadError();
        larkspool::CacheEntryBuffer buffer;
        DWORD bytes = buffer.size();
        cache.GetUrlCacheEntryInfoA("http://host/1.htm", buffer.info(), &bytes);
    }
    {
        const std::string before = Contents(folder / "index.dat");
        larkspool::IndexDatCache cache(folder, larkspool::NowTicks, {.recovered = true});
        std::vector<std::string> keys;
        larkspool::ForEachCacheEntry(cache, "", [&](const INTERNET_CACHE_ENTRY_INFOA& info) {
            if (const std::string key = cache.EntryKey(info); key != info.lpszSourceUrlName)
                keys.push_back(key);
        });
        for (const std::string& key : keys) {
            larkspool::CacheEntryBuffer buffer;
            DWORD bytes = buffer.size();
            Require(cache.GetUrlCacheEntryInfoA(key.c_str(), buffer.info(), &bytes) ||
                        cache.LastError() == ERROR_INSUFFICIENT_BUFFER,
                    "a recovered record listed cannot be looked up");
            Require(!cache.DeleteUrlCacheEntryA(key.c_str()), "a recovered record was deleted");
        }
        Require(Contents(folder / "index.dat") == before, "a read with recovered records changed the file");
    }

    std::set<std::string> listed = Listed(folder);
    std::set<std::string> withAdded = listed;
    withAdded.insert(kAdded);
    CheckedWrite(folder, withAdded, [](larkspool::IndexDatCache& cache) {
        return cache.CommitUrlCacheEntryA(kAdded, nullptr, FILETIME{}, FILETIME{}, 0, nullptr, 0, "htm", nullptr);
    });

    listed = Listed(folder);
    if (!listed.empty()) {
        const std::string removed = *listed.begin();
        listed.erase(removed);
        CheckedWrite(folder, listed,
                     [&](larkspool::IndexDatCache& cache) { return cache.DeleteUrlCacheEntryA(removed.c_str()); });
    }
    return 0;
}
