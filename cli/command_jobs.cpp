// larkspool-cli export and import: the jobs of the window's copy, move and
// delete commands and of its import dialog, run on the terminal.
#include "catalogue/cache_location.h"
#include "catalogue/catalogue.h"
#include "cli/cli_context.h"
#include "cli/terminal_host.h"
#include "jobs/export_job.h"
#include "jobs/job_progress.h"
#include "jobs/move_delete_question.h"
#include "jobs/import_job.h"
#include "jobs/import_source.h"
#include "report/entry_wacz.h"

#include <cstdio>
#include <filesystem>

namespace larkspool::cli {

namespace {

OverwriteChoice OverwriteOption(const CliArgs& args)
{
    const auto text = args.Value("--overwrite");
    return ParseOverwriteChoice(text ? &*text : nullptr);
}

int OpKindOption(const CliArgs& args)
{
    const int given = int(args.Has("--copy")) + int(args.Has("--move")) + int(args.Has("--delete"));
    if (given > 1)
        throw UsageError("give one of --copy, --move and --delete");
    return args.Has("--move") ? kOpMove : args.Has("--delete") ? kOpDelete : kOpCopy;
}

} // namespace

bool CollectJobList(const Catalogue& catalogue, const std::vector<std::string>& paths,
                    std::vector<TCacheEntry*>& jobList)
{
    if (paths.empty()) {
        jobList = catalogue.CacheList();
        return true;
    }
    for (const std::string& path : paths) {
        if (catalogue.FindFolderNode(path) > 0) {
            const auto under = catalogue.CollectEntriesUnder(path);
            jobList.insert(jobList.end(), under.begin(), under.end());
            continue;
        }
        const auto& entries = catalogue.CacheList();
        const auto entry = std::find_if(entries.begin(), entries.end(),
                                        [&](const TCacheEntry* e) { return EqualFolded(e->SitePath, path); });
        if (entry == entries.end()) {
            Stop("no folder or entry " + path + " in the catalogue");
            return false;
        }
        jobList.push_back(*entry);
    }
    return true;
}

namespace {

DefaultFiles DefaultFilesOption(const CliArgs& args)
{
    DefaultFiles names;
    if (const auto name = args.Value("--default-file"))
        names.DefFile1 = *name;
    const auto redirects = args.Values("--redirect");
    if (redirects.size() > 2)
        throw UsageError("--redirect is given at most twice");
    if (!redirects.empty()) {
        names.DefFile2 = redirects[0];
        names.DefFileFlag2 = true;
    }
    if (redirects.size() == 2) {
        names.DefFile3 = redirects[1];
        names.DefFileFlag3 = true;
    }
    return names;
}

// An entry the listing could not read is left out as surely as a skipped one.
int UnreadableStop(const CliContext& context)
{
    if (const std::size_t unreadable = context.UnreadableEntries(); unreadable > 0)
        return Stop(std::to_string(unreadable) + " entries of the cache could not be read and were left out, the rest done");
    return 0;
}

using ArchiveWriter = std::function<WarcExport(UrlCache&, const std::string&, const std::vector<TCacheEntry*>&,
                                               const std::string&, const std::function<void(std::size_t)>&)>;

// The archive of the entries (a WARC or a WACZ); 0 when every entry has its
// record.
int WriteArchive(ArchiveWriter write, CliContext& context, UrlCache& cache, const std::vector<TCacheEntry*>& entries,
                 const std::string& path)
{
    TerminalHost host;
    const WarcExport result = write(
        cache, std::filesystem::absolute(context.CacheFolder()).lexically_normal().string(), entries, path,
        [&](std::size_t i) {
            host.ShowProgress(ProgressPosition(i, entries.size()), RemainingCountText(entries.size() - i),
                              entries[i]->Name);
        });
    if (!result.error.empty())
        return Stop(result.error);
    if (result.leftOut.empty())
        return 0;
    std::string reasons;
    for (const auto& [reason, count] : result.leftOut)
        reasons += (reasons.empty() ? "" : ", ") + std::to_string(count) + " " + reason;
    return Stop(std::to_string(entries.size() - result.written) + " of " + std::to_string(entries.size()) +
                " entries left out of the archive " + path + " (" + reasons + "), the rest written");
}

} // namespace

int RunExport(CliContext& context, const std::vector<std::string>& args)
{
    const CliArgs parsed(args,
                         WithSelectionOptions(
                             {"--to", "--warc", "--wacz", "--overwrite", "--default-file", "--redirect", "--max-body-size"}),
                         {"--copy", "--move", "--delete", "--yes", "--recovered"});
    context.IncludeRecovered(parsed.Has("--recovered"));
    context.SetMaxBodySize(parsed.ByteCount("--max-body-size", browsercache::kDefaultMaxBodySize));
    const auto copyDir = parsed.Value("--to");
    const auto warc = parsed.Value("--warc");
    const auto wacz = parsed.Value("--wacz");
    if (!copyDir && !warc && !wacz)
        throw UsageError("export needs --to DIR, --warc FILE or --wacz FILE");
    CommandState command;
    command.opKind = OpKindOption(parsed);
    if (!copyDir && command.opKind != kOpCopy)
        throw UsageError("--move and --delete apply only with --to");
    command.defaultFiles = DefaultFilesOption(parsed);
    TerminalHost host(OverwriteOption(parsed));

    UrlCache& cache = command.opKind == kOpCopy ? context.Cache() : context.WritableCache();
    Catalogue catalogue(cache);
    // A WACZ lists its pages with their titles.
    catalogue.SetReadTitles(wacz.has_value());
    RefreshCatalogue(catalogue, parsed);
    std::vector<TCacheEntry*>& jobList = command.jobList;
    if (!CollectJobList(catalogue, parsed.Positional(), jobList))
        return 1;
    if (jobList.empty())
        return Stop("nothing to export");
    // The archives first: a move takes the entries out of the cache.
    const auto warcWriter = [](auto&&... arguments) { return ExportWarc(arguments...); };
    int archived = warc ? WriteArchive(warcWriter, context, cache, jobList, *warc) : 0;
    if (wacz && archived == 0)
        archived = WriteArchive(ExportWacz, context, cache, jobList, *wacz);
    if (!copyDir || archived != 0)
        return archived != 0 ? archived : UnreadableStop(context);
    if (command.opKind != kOpCopy && !parsed.Has("--yes")) {
        const MoveDeleteQuestion question = MakeMoveDeleteQuestion(command.opKind, jobList);
        if (!InputIsTerminal())
            return Stop(question.Caption + ": not confirmed: standard input is no terminal; give --yes to go ahead");
        if (!AskYesNo(question.Caption, question.Text))
            return Stop(question.Caption + ": not confirmed, nothing done");
    }

    command.copyDir = std::filesystem::absolute(*copyDir).lexically_normal().string();
    ExportJob job(cache, host, command, catalogue.AllEntries());
    job.Run();
    if (job.GetJobResult() != 0)
        return 1;
    if (job.Skipped() > 0)
        return Stop(std::to_string(job.Skipped()) + " of " + std::to_string(jobList.size()) +
                    " entries skipped, the rest done");
    return UnreadableStop(context);
}

int RunImport(CliContext& context, const std::vector<std::string>& args)
{
    const CliArgs parsed(args, {"--from", "--base", "--domain", "--overwrite", "--default-file"}, {});
    parsed.RequirePositional(0, 0);
    const auto from = parsed.Value("--from");
    if (!from)
        throw UsageError("import needs --from DIR");
    const std::string source = std::filesystem::absolute(*from).lexically_normal().string();
    const std::string base = std::filesystem::absolute(parsed.Value("--base").value_or(*from)).lexically_normal().string();
    TerminalHost host(OverwriteOption(parsed));
    UrlCache& cache = context.WritableCache();

    std::vector<std::string> domains = parsed.Values("--domain");
    if (domains.empty())
        domains = FillDomainList(source);
    if (domains.empty())
        return Stop("no domain folders in " + source);
    std::vector<ImportFileRecord> files;
    std::string failure;
    if (CollectDomains(source, domains, files, &failure) != 0)
        return Stop("cannot read the folders to import from " + source + ": " + failure);
    if (files.empty())
        return Stop("no files to import in " + source);

    ImportJob job(cache, host);
    job.SetImportList(files);
    job.SetBaseFolder(base);
    DefaultFiles names;
    names.DefFile1 = parsed.Value("--default-file").value_or(names.DefFile1);
    job.SetDefFiles(names);
    job.Run();
    return job.GetJobResult() == 0 ? 0 : 1;
}

} // namespace larkspool::cli
