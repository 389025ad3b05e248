// The cache a command works on and the terminal form of message boxes.
#include "cli/cli_context.h"

#include "cache/url_cache.h"
#include "catalogue/cache_location.h"

#include <cstdio>

namespace larkspool::cli {

CliContext::CliContext(std::string cacheFolder) : m_cacheFolder(std::move(cacheFolder)) {}

CliContext::~CliContext() = default;

UrlCache& CliContext::Cache()
{
    if (!m_cache) {
        OpenedCache opened = OpenUrlCache(m_cacheFolder);
        if (!opened.cache)
            throw CacheUnreadable(opened.error);
        m_cache = std::move(opened.cache);
        for (const std::string& problem : opened.problems)
            std::fprintf(stderr, "larkspool-cli: cannot read %s\n", problem.c_str());
    }
    return *m_cache;
}

UrlCache& CliContext::WritableCache()
{
    UrlCache& cache = Cache();
    if (cache.Kind().readOnly)
        throw CacheReadOnly();
    return cache;
}

void CliContext::Message(const std::string& caption, const std::string& text)
{
    std::string line = caption + ": " + text;
    for (char& c : line) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    std::fprintf(stderr, "%s\n", line.c_str());
}

} // namespace larkspool::cli
