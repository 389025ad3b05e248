// larkspool-cli report: one line per catalogue entry (or per entry of the
// given folders and paths) with what the cache knows of it and the SHA-256
// of its body, as CSV or JSON lines on standard output.
#include "catalogue/catalogue.h"
#include "cli/cli_context.h"
#include "cli/cli_time.h"
#include "cli/terminal_host.h"
#include "jobs/job_progress.h"
#include "report/entry_report.h"
#include "report/report_text.h"

#include <cstdio>

namespace larkspool::cli {

int RunReport(CliContext& context, const std::vector<std::string>& args)
{
    const CliArgs parsed(args, WithSelectionOptions({"--format", "--default-file"}), {"--recovered"});
    context.IncludeRecovered(parsed.Has("--recovered"));
    const std::string format = parsed.Value("--format").value_or("csv");
    if (format != "csv" && format != "jsonl")
        throw UsageError("--format is csv or jsonl, not " + format);
    UrlCache& cache = context.Cache();
    Catalogue catalogue(cache);
    RefreshCatalogue(catalogue, parsed);
    std::vector<TCacheEntry*> entries;
    if (!CollectJobList(catalogue, parsed.Positional(), entries))
        return 1;

    EntryReporter reporter(cache, [](std::uint64_t ticks) { return FormatUtcTime(MakeFileTime(ticks)); });
    const bool csv = format == "csv";
    if (csv)
        std::fputs(CsvHeaderLine().c_str(), stdout);
    // Hashing a large cache takes a while: the job's progress line, on a terminal only.
    TerminalHost host;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TCacheEntry* entry = entries[i];
        host.ShowProgress(ProgressPosition(i, entries.size()), RemainingCountText(entries.size() - i), entry->Name);
        const ReportRow row = reporter.Row(*entry);
        const std::string line = csv ? CsvLine(row) : JsonLine(row);
        if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size())
            return Stop("cannot write the report to standard output");
    }
    return std::fflush(stdout) == 0 ? 0 : Stop("cannot write the report to standard output");
}

} // namespace larkspool::cli
