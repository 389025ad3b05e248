// larkspool-cli entries: the raw enumeration, in the order the cache gives it.
#include "cache/cache_enumeration.h"
#include "cache/recovered_key.h"
#include "cli/cli_context.h"
#include "cli/cli_time.h"
#include "report/entry_report.h"

#include <cinttypes>
#include <cstdio>
#include <string>

namespace larkspool::cli {
namespace {

// The seventh field: whether the cache still lists the entry, or, as the
// report says it, that its body is kept with gaps.
std::string StateField(UrlCache& cache, const std::string& key, const std::string& url, std::uint64_t size)
{
    if (const auto origin = cache.EntryOrigin(key.c_str()); origin && origin->heldBytes)
        return kStatePartialPrefix + std::to_string(*origin->heldBytes) + " of " + std::to_string(size) + " bytes";
    return OwnKey(key) == url ? "live" : LeftoverKeyNumber(key) ? "leftover" : "recovered";
}

void PrintEntry(UrlCache& cache, const INTERNET_CACHE_ENTRY_INFOA& info, bool withState)
{
    const std::uint64_t size = EntrySize(info);
    const std::string url = info.lpszSourceUrlName ? info.lpszSourceUrlName : "";
    // Only what the cache no longer lists has a key of its own.
    const std::string key = withState ? cache.EntryKey(info) : url;
    const std::string state = withState ? "\t" + StateField(cache, key, url, size) : "";
    std::printf("%s\t%s\t%08" PRIx32 "\t%s\t%s\t%s%s\n", Printable(url).c_str(),
                Printable(info.lpszLocalFileName ? info.lpszLocalFileName : "").c_str(), std::uint32_t(info.CacheEntryType),
                SizeField(size, cache.SizeIsLowerBound(url.c_str())).c_str(), FormatUtcTime(info.LastModifiedTime).c_str(),
                FormatUtcTime(info.LastAccessTime).c_str(), state.c_str());
}

} // namespace

int RunEntries(CliContext& context, const std::vector<std::string>& args)
{
    const CliArgs parsed(args, {}, {"--recovered"});
    parsed.RequirePositional(0, 0);
    const bool withState = parsed.Has("--recovered");
    context.IncludeRecovered(withState);
    UrlCache& cache = context.Cache();
    if (const DWORD error = ForEachCacheEntry(
            cache, "", [&](const INTERNET_CACHE_ENTRY_INFOA& info) { PrintEntry(cache, info, withState); });
        error != ERROR_SUCCESS)
        return Stop("the cache could not be read to its end: " + context.Cache().LastErrorText());
    return 0;
}

} // namespace larkspool::cli
