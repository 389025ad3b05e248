// larkspool-cli entries: the raw enumeration, in the order the cache gives it.
#include "cache/cache_enumeration.h"
#include "cli/cli_context.h"
#include "cli/cli_time.h"

#include <cinttypes>
#include <cstdio>

namespace larkspool::cli {
namespace {

void PrintEntry(const INTERNET_CACHE_ENTRY_INFOA& info)
{
    const std::uint64_t size = (std::uint64_t(info.dwSizeHigh) << 32) | info.dwSizeLow;
    std::printf("%s\t%s\t%08" PRIx32 "\t%" PRIu64 "\t%s\t%s\n", info.lpszSourceUrlName ? info.lpszSourceUrlName : "",
                info.lpszLocalFileName ? info.lpszLocalFileName : "", std::uint32_t(info.CacheEntryType), size,
                FormatUtcTime(info.LastModifiedTime).c_str(), FormatUtcTime(info.LastAccessTime).c_str());
}

} // namespace

int RunEntries(CliContext& context, const std::vector<std::string>& args)
{
    CliArgs(args, {}, {}).RequirePositional(0, 0);
    ForEachCacheEntry(context.Cache(), "", PrintEntry);
    return 0;
}

} // namespace larkspool::cli
