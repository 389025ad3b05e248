// The cache a command works on and the terminal form of message boxes.
#include "cli/cli_context.h"

#include "cache/url_cache.h"
#include "cache/url_escapes.h"
#include "catalogue/cache_location.h"

#include <cstdio>

namespace larkspool::cli {

CliContext::CliContext(std::string cacheFolder) : m_cacheFolder(std::move(cacheFolder)) {}

CliContext::~CliContext() { ReportProblems(); }

void CliContext::ReportProblems()
{
    if (!m_problems)
        return;
    const std::vector<std::string> problems = m_problems();
    for (; m_reportedProblems < problems.size(); ++m_reportedProblems)
        std::fprintf(stderr, "larkspool-cli: cannot read %s\n", Printable(problems[m_reportedProblems]).c_str());
}

std::string CliContext::CacheFolder() const { return m_cacheFolder.empty() ? DefaultCacheFolder() : m_cacheFolder; }

UrlCache& CliContext::Cache()
{
    if (!m_cache) {
        OpenedCache opened = OpenUrlCache(m_cacheFolder, m_options);
        if (!opened.cache)
            throw CacheUnreadable(opened.error);
        m_cache = std::move(opened.cache);
        m_problems = std::move(opened.problems);
        ReportProblems();
    }
    return *m_cache;
}

std::string Printable(std::string_view text)
{
    return PercentEscape(text, [](unsigned char byte) { return byte < 0x20 || byte == 0x7F; });
}

std::string SizeField(std::uint64_t size, bool atLeast) { return std::to_string(size) + (atLeast ? "+" : ""); }

int Stop(const std::string& text)
{
    std::fprintf(stderr, "larkspool-cli: %s\n", Printable(text).c_str());
    return 1;
}

UrlCache& CliContext::WritableCache()
{
    UrlCache& cache = Cache();
    if (cache.Kind().readOnly)
        throw CacheReadOnly();
    return cache;
}

void CliContext::Message(const std::string& caption, const std::string& text) { Line(caption + ": " + text); }

void CliContext::Line(const std::string& text)
{
    std::string line = text;
    for (char& c : line) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    std::fprintf(stderr, "%s\n", line.c_str());
}

} // namespace larkspool::cli
