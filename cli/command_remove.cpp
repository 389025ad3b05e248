// larkspool-cli remove: deletes every entry of one URL.
#include "cache/url_cache.h"
#include "cli/cli_context.h"

#include <cstdio>

namespace larkspool::cli {

int RunRemove(CliContext& context, const std::vector<std::string>& args)
{
    const CliArgs parsed(args, {}, {});
    parsed.RequirePositional(1, 1);
    const std::string& url = parsed.Positional()[0];

    UrlCache& cache = context.WritableCache();
    int removed = 0;
    while (cache.DeleteUrlCacheEntryA(url.c_str()))
        ++removed;
    if (cache.LastError() != ERROR_FILE_NOT_FOUND)
        return Stop("cannot remove " + url + ": " + cache.LastErrorText());
    if (removed == 0)
        return Stop("no entry for " + url);
    return 0;
}

} // namespace larkspool::cli
