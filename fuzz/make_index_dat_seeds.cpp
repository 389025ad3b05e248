// Writes the fuzzer's seed corpus: small caches made by the store itself, one
// empty, one with a few entries, one after deletes.
#include "cache/index_dat_cache.h"

#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const std::filesystem::path out = argv[1];
    const std::filesystem::path work = out / "work";
    std::filesystem::remove_all(work);
    std::filesystem::create_directories(out);
    const int counts[] = {0, 3, 12};
    for (int count : counts) {
        std::filesystem::remove_all(work);
        larkspool::IndexDatCache cache(work);
        cache.CommitUrlCacheEntryA("http://host/0.htm", nullptr, FILETIME{}, FILETIME{}, 0, nullptr, 0, nullptr, nullptr);
        for (int i = 1; i <= count; ++i) {
            const std::string url = "http://host/" + std::to_string(i) + ".htm";
            const char header[] = "HTTP/1.1 200 OK\r\n\r\n";
            cache.CommitUrlCacheEntryA(url.c_str(), nullptr, FILETIME{1, 2}, FILETIME{3, 4}, 0,
                                       reinterpret_cast<LPBYTE>(const_cast<char*>(header)), sizeof(header) - 1, "htm",
                                       nullptr);
            if (i % 4 == 0)
                cache.DeleteUrlCacheEntryA(url.c_str());
        }
        std::filesystem::copy_file(work / "index.dat", out / ("seed-" + std::to_string(count) + ".dat"),
                                   std::filesystem::copy_options::overwrite_existing);
    }
    std::filesystem::remove_all(work);
    return 0;
}
