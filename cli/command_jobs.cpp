// larkspool-cli export and import: the jobs of the window's copy, move and
// delete commands and of its import dialog, run on the terminal.
#include "catalogue/cache_location.h"
#include "catalogue/catalogue.h"
#include "cli/cli_context.h"
#include "cli/terminal_host.h"
#include "export/export_job.h"
#include "export/move_delete_question.h"
#include "import/import_job.h"
#include "import/import_source.h"

#include <cstdio>
#include <filesystem>

namespace larkspool::cli {

void RefreshCatalogue(Catalogue& catalogue, const CliArgs& args);

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

// The entries the window's command would take for each path: a folder of
// the tree takes all under it, a SitePath that entry. Empty paths: all.
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

} // namespace

int RunExport(CliContext& context, const std::vector<std::string>& args)
{
    const CliArgs parsed(args, {"--to", "--overwrite", "--default-file", "--redirect", "--max-body-size"},
                         {"--copy", "--move", "--delete", "--yes"});
    context.SetMaxBodySize(parsed.ByteCount("--max-body-size", browsercache::kDefaultMaxBodySize));
    const auto copyDir = parsed.Value("--to");
    if (!copyDir)
        throw UsageError("export needs --to DIR");
    const int opKind = OpKindOption(parsed);
    const DefaultFiles names = DefaultFilesOption(parsed);
    TerminalHost host(OverwriteOption(parsed));

    UrlCache& cache = opKind == kOpCopy ? context.Cache() : context.WritableCache();
    Catalogue catalogue(cache);
    catalogue.SetReadTitles(false);
    RefreshCatalogue(catalogue, parsed);
    std::vector<TCacheEntry*> jobList;
    if (!CollectJobList(catalogue, parsed.Positional(), jobList))
        return 1;
    if (jobList.empty())
        return Stop("nothing to export");
    if (opKind != kOpCopy && !parsed.Has("--yes")) {
        const MoveDeleteQuestion question = MakeMoveDeleteQuestion(opKind, jobList);
        if (!InputIsTerminal())
            return Stop(question.Caption + ": not confirmed: standard input is no terminal; give --yes to go ahead");
        if (!AskYesNo(question.Caption, question.Text))
            return Stop(question.Caption + ": not confirmed, nothing done");
    }

    ExportJob job(cache, host);
    job.SetOpKind(opKind);
    job.SetJobList(jobList);
    job.SetCatalogueEntries(catalogue.AllEntries());
    job.SetCopyDir(std::filesystem::absolute(*copyDir).lexically_normal().string());
    job.SetDefFiles(names);
    job.Run();
    if (job.GetJobResult() != 0)
        return 1;
    if (job.Skipped() > 0)
        return Stop(std::to_string(job.Skipped()) + " of " + std::to_string(jobList.size()) +
                    " entries skipped, the rest done");
    // An entry the listing could not read is left out as surely as a skipped one.
    if (const std::size_t unreadable = context.UnreadableEntries(); unreadable > 0)
        return Stop(std::to_string(unreadable) + " entries of the cache could not be read and were left out, the rest done");
    return 0;
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
