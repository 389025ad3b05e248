// What every larkspool-cli command shares: the cache it works on and the
// way it reports to the terminal.
#pragma once

#include "cache/url_cache.h"
#include "catalogue/cache_location.h"
#include "cli/cli_args.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace larkspool {
class Catalogue;
struct TCacheEntry;
}

namespace larkspool::cli {

// The cache file exists but cannot be read: main prints the reason and exits with 2.
class CacheUnreadable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A write was asked of a read-only cache: main says so and exits with 1.
class CacheReadOnly : public std::runtime_error {
public:
    CacheReadOnly() : std::runtime_error(kReadOnlyCacheText) {}
};

class CliContext {
public:
    explicit CliContext(std::string cacheFolder);
    ~CliContext();

    // Opened on first use, its unreadable entries named on standard error
    // (those found later, while bodies were read, when the context ends);
    // throws CacheUnreadable.
    UrlCache& Cache();
    // The same for a command that writes; throws CacheReadOnly as well.
    UrlCache& WritableCache();
    // The folder asked for, or the default cache's.
    std::string CacheFolder() const;
    // How many entries have been found unreadable so far: left out of what
    // a command does.
    std::size_t UnreadableEntries() const { return m_problems ? m_problems().size() : 0; }
    // The most bytes one decoded body of a browser cache may have; to be set
    // before the cache is first used.
    void SetMaxBodySize(std::uint64_t bytes) { m_options.maxBodySize = bytes; }
    // Adds what the cache still holds beyond its live entries (--recovered);
    // to be set before the cache is first used.
    void IncludeRecovered(bool include) { m_options.recovered = include; }
    bool IncludesRecovered() const { return m_options.recovered; }

    // A message box of the windows, as one line "CAPTION: TEXT" on standard error.
    static void Message(const std::string& caption, const std::string& text);
    // One line on standard error, its line breaks turned into blanks.
    static void Line(const std::string& text);

private:
    void ReportProblems();

    std::string m_cacheFolder;
    std::unique_ptr<UrlCache> m_cache;
    std::function<std::vector<std::string>()> m_problems;
    std::size_t m_reportedProblems = 0;
    CacheOpenOptions m_options;
};

// One field of a table line, control bytes written as %XX so that no field
// can move the terminal's cursor or fake a column or a line.
std::string Printable(std::string_view text);

// A size field: the decimal bytes, and "+" after them when they are only a
// lower bound (the body was measured only so far).
std::string SizeField(std::uint64_t size, bool atLeast);

// "larkspool-cli: TEXT" on standard error; returns 1, the status of stopped work.
int Stop(const std::string& text);

// The options that narrow what list, tree, export and report take, after
// the given ones: valueOptions for a CliArgs.
std::vector<std::string> WithSelectionOptions(std::vector<std::string> valueOptions);
// The catalogue as the window builds it (--default-file), narrowed by them.
void RefreshCatalogue(Catalogue& catalogue, const CliArgs& args);
// The entries the window's command would take for each path: a folder of
// the tree takes all under it, a SitePath that entry. Empty paths: all.
// False, with the path named on standard error, when one names nothing.
bool CollectJobList(const Catalogue& catalogue, const std::vector<std::string>& paths,
                    std::vector<TCacheEntry*>& jobList);

using CommandFunction = int (*)(CliContext& context, const std::vector<std::string>& args);

int RunEntries(CliContext& context, const std::vector<std::string>& args);
int RunAdd(CliContext& context, const std::vector<std::string>& args);
int RunRemove(CliContext& context, const std::vector<std::string>& args);
int RunList(CliContext& context, const std::vector<std::string>& args);
int RunTree(CliContext& context, const std::vector<std::string>& args);
int RunExport(CliContext& context, const std::vector<std::string>& args);
int RunImport(CliContext& context, const std::vector<std::string>& args);
int RunRewrite(CliContext& context, const std::vector<std::string>& args);
int RunReport(CliContext& context, const std::vector<std::string>& args);
int RunTitle(CliContext& context, const std::vector<std::string>& args);
int RunCaches(CliContext& context, const std::vector<std::string>& args);

} // namespace larkspool::cli
