// Feeds arbitrary bytes to the index.dat reader as a cache's index.dat and
// runs every read path and one write over it.
#include "cache/index_dat_cache.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("larkspool-fuzz-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "index.dat", std::ios::binary).write(reinterpret_cast<const char*>(data), std::streamsize(size));

    larkspool::IndexDatCache cache(folder);
    (void)cache.LoadError();
    larkspool::CacheEntryBuffer buffer;
    DWORD bytes = buffer.size();
    if (larkspool::CacheEnumHandle handle = cache.FindFirstUrlCacheEntryA("", buffer.info(), &bytes)) {
        for (int n = 0; n < 100000; ++n) {
            bytes = buffer.size();
            if (!cache.FindNextUrlCacheEntryA(handle, buffer.info(), &bytes) &&
                cache.LastError() != ERROR_INSUFFICIENT_BUFFER)
                break;
        }
        cache.FindCloseUrlCache(handle);
    }
    bytes = buffer.size();
    cache.GetUrlCacheEntryInfoA("http://host/1.htm", buffer.info(), &bytes);
    cache.DeleteUrlCacheEntryA("http://host/2.htm");
    cache.CommitUrlCacheEntryA("http://host/3.htm", nullptr, FILETIME{}, FILETIME{}, 0, nullptr, 0, "htm", nullptr);
    return 0;
}
