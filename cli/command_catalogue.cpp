// larkspool-cli list and tree: the catalogue as the window builds it, in
// catalogue order and as the folder tree.
#include "catalogue/catalogue.h"
#include "cli/cli_context.h"
#include "cli/cli_time.h"
#include "cli/terminal_host.h"

#include <cstdio>

namespace larkspool::cli {

namespace {

std::optional<FileTicks> TimeOption(const CliArgs& args, const std::string& option)
{
    const auto text = args.Value(option);
    if (!text)
        return std::nullopt;
    const auto time = ParseUtcTime(*text);
    if (!time)
        throw UsageError(option + " takes a UTC time such as 2006-05-14T09:30:00Z, not " + *text);
    return FileTimeTicks(*time);
}

EntryFilter SelectionOptions(const CliArgs& args)
{
    EntryFilter filter;
    filter.text = args.Value("--find").value_or("");
    if (const auto type = args.Value("--type")) {
        filter.type = ParseEntryTypeGroup(*type);
        if (!filter.type)
            throw UsageError("--type is pages, images, scripts, styles, media or other, not " + *type);
    }
    filter.largerThan = args.Bytes("--larger");
    filter.smallerThan = args.Bytes("--smaller");
    filter.since = TimeOption(args, "--since");
    filter.until = TimeOption(args, "--until");
    return filter;
}

} // namespace

std::vector<std::string> WithSelectionOptions(std::vector<std::string> valueOptions)
{
    for (const char* option : {"--find", "--type", "--larger", "--smaller", "--since", "--until"})
        valueOptions.emplace_back(option);
    return valueOptions;
}

void RefreshCatalogue(Catalogue& catalogue, const CliArgs& args)
{
    const EntryFilter filter = SelectionOptions(args); // bad usage before the cache is read
    if (const auto name = args.Value("--default-file"))
        catalogue.SetDefFile1(*name);
    TerminalHost host;
    catalogue.RefreshCache(host);
    if (!filter.SelectsAll())
        catalogue.StartFind(filter);
}

int RunList(CliContext& context, const std::vector<std::string>& args)
{
    const CliArgs parsed(args, WithSelectionOptions({"--default-file"}), {"--recovered"});
    parsed.RequirePositional(0, 0);
    context.IncludeRecovered(parsed.Has("--recovered"));
    Catalogue catalogue(context.Cache());
    RefreshCatalogue(catalogue, parsed);

    for (const TCacheEntry* entry : catalogue.CacheList()) {
        const std::uint64_t size = entry->Size();
        std::printf("%s\t%s\t%s\t%s\t%s\t%s\n", Printable(entry->SitePath).c_str(),
                    Printable(entry->Name).c_str(), Printable(entry->SourceUrl).c_str(),
                    SizeField(size, entry->SizeAtLeast).c_str(),
                    FormatLocalTicks(entry->Modified).c_str(), Printable(entry->Title).c_str());
    }
    return 0;
}

int RunTree(CliContext& context, const std::vector<std::string>& args)
{
    const CliArgs parsed(args, WithSelectionOptions({"--default-file"}), {"--recovered"});
    parsed.RequirePositional(0, 0);
    context.IncludeRecovered(parsed.Has("--recovered"));
    Catalogue catalogue(context.Cache());
    RefreshCatalogue(catalogue, parsed);

    catalogue.WalkTree([](const TreeNode& node, int depth, int directCount) {
        std::printf("%s%s\t%d\n", std::string(std::size_t(depth) * 2, ' ').c_str(), Printable(node.Text).c_str(),
                    directCount);
    });
    return 0;
}

} // namespace larkspool::cli
