// A full refresh of a real index.dat cache: count, scan with name mapping and
// titles, catalogue order, numbering and the folder tree.
#include "cache/index_dat_cache.h"
#include "catalogue/catalogue.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

using namespace larkspool;

class SilentProgress : public RefreshProgress {
public:
    void SetProgressMaximum(int) override {}
    void SetProgressPosition(int) override {}
    void ProcessEvents() override {}
    void ShowMessage(const std::string&, const std::string&, int) override {}
};

// A cache of `count` entries over 20 hosts, a few folders each, pages with
// titles and images, some query variants that get numbered.
std::filesystem::path MakeCache(int count)
{
    const auto folder = std::filesystem::temp_directory_path() /
                        ("larkspool-bench-" + std::to_string(::getpid()) + "-" + std::to_string(count));
    std::filesystem::remove_all(folder);
    IndexDatCache cache(folder);
    for (int i = 0; i < count; ++i) {
        const bool page = i % 3 != 0;
        const std::string url = "http://host" + std::to_string(i % 20) + ".example/dir" + std::to_string(i % 7) +
                                "/sub" + std::to_string(i % 5) + "/" +
                                (page ? "page" + std::to_string(i / 4) + ".asp?v=" + std::to_string(i % 4)
                                      : "image" + std::to_string(i) + ".gif");
        const char* extension = page ? "htm" : "gif";
        char fileName[MAX_PATH] = {};
        if (!cache.CreateUrlCacheEntryA(url.c_str(), 0, extension, fileName, 0))
            continue;
        std::ofstream(fileName) << (page ? "<html><head><title>Page " + std::to_string(i) + "</title></head></html>"
                                         : std::string("GIF89a"));
        cache.CommitUrlCacheEntryA(url.c_str(), fileName, FILETIME{}, FILETIME{0, 30000000u + DWORD(i)}, 0, nullptr,
                                   0, extension, nullptr);
    }
    return folder;
}

void BM_RefreshCache(benchmark::State& state)
{
    const std::filesystem::path folder = MakeCache(int(state.range(0)));
    IndexDatCache cache(folder);
    Catalogue catalogue(cache);
    SilentProgress progress;
    for (auto _ : state) {
        catalogue.RefreshCache(progress);
        benchmark::DoNotOptimize(catalogue.CacheList().data());
    }
    state.counters["entries"] = double(catalogue.CacheList().size());
    state.SetItemsProcessed(state.iterations() * state.range(0));
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_RefreshCache)->Arg(500)->Arg(4000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
