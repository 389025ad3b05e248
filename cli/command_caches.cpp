// larkspool-cli caches: the caches found on this machine, one a line:
// folder, format, the number of entries it lists ("-" when unreadable).
#include "catalogue/machine_caches.h"
#include "cli/cli_context.h"

#include <cstdio>

namespace larkspool::cli {

int RunCaches(CliContext&, const std::vector<std::string>& args)
{
    CliArgs(args, {}, {}).RequirePositional(0, 0);
    for (const browsercache::CacheFolder& cache : FindMachineCaches()) {
        const auto count = CountCacheEntries(cache);
        std::printf("%s\t%s\t%s\n", cache.folder.string().c_str(), browsercache::CacheFormatName(cache.format),
                    count ? std::to_string(*count).c_str() : "-");
    }
    return 0;
}

} // namespace larkspool::cli
