// A full refresh of a real index.dat cache: count, scan with name mapping and
// titles, catalogue order, numbering and the folder tree.
#include "bench/bench_args.h"
#include "bench/bench_cache.h"
#include "catalogue/catalogue.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>

namespace {

using namespace larkspool;

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
        bench::AddCachedFile(cache, url, page ? "htm" : "gif",
                             page ? "<html><head><title>Page " + std::to_string(i) + "</title></head></html>"
                                  : std::string("GIF89a"),
                             (std::uint64_t(30000000u + i) << 32));
    }
    return folder;
}

// A refresh of the catalogue over the cache in folder.
void RunRefresh(benchmark::State& state, const std::filesystem::path& folder)
{
    IndexDatCache cache(folder);
    Catalogue catalogue(cache);
    SilentRefreshProgress progress;
    for (auto _ : state) {
        catalogue.RefreshCache(progress);
        benchmark::DoNotOptimize(catalogue.CacheList().data());
    }
    state.counters["entries"] = double(catalogue.CacheList().size());
    state.SetItemsProcessed(state.iterations() * std::int64_t(catalogue.CacheList().size()));
}

void BM_RefreshCache(benchmark::State& state)
{
    const std::filesystem::path folder = MakeCache(int(state.range(0)));
    RunRefresh(state, folder);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_RefreshCache)->Arg(4000)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", bench::Minimum);

} // namespace

// --cache=DIR (repeatable): also refreshes the cache in DIR, such as one
// built by bench/make-cache.
int main(int argc, char** argv)
{
    for (const std::string& folder : bench::TakeOption(argc, argv, "--cache")) {
        const std::string name = "BM_RefreshBenchCache/" + std::filesystem::path(folder).filename().string();
        benchmark::RegisterBenchmark(name.c_str(), [folder](benchmark::State& state) { RunRefresh(state, folder); })
            ->Unit(benchmark::kMillisecond)
            ->ComputeStatistics("min", bench::Minimum);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
