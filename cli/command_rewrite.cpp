// larkspool-cli rewrite and title: the link rewriter on one file, and the
// page title the catalogue would show.
#include "catalogue/default_files.h"
#include "cli/cli_context.h"
#include "html/html_rewriter.h"

#include <cstdio>

namespace larkspool::cli {

int RunRewrite(CliContext&, const std::vector<std::string>& args)
{
    const CliArgs parsed(args, {"--export", "--import", "--default-file"}, {});
    parsed.RequirePositional(2, 2);
    const auto pageLocation = parsed.Value("--export");
    const auto baseFolder = parsed.Value("--import");
    if (pageLocation.has_value() == baseFolder.has_value())
        throw UsageError("give either --export PAGE-LOCATION or --import BASE-FOLDER");
    if (baseFolder && parsed.Has("--default-file"))
        throw UsageError("--default-file goes with --export");

    HtmlReader reader;
    std::string openError;
    const RewriteMode mode = pageLocation ? RewriteMode::Export : RewriteMode::Import;
    const int result =
        RewriteHtmlFile(reader, parsed.Positional()[0], pageLocation.value_or(""),
                        parsed.Value("--default-file").value_or(kDefaultFile1), mode,
                        parsed.Positional()[1], baseFolder.value_or(""), &openError);
    if (result == 0)
        return 0;
    if (!openError.empty()) {
        std::fprintf(stderr, "larkspool-cli: cannot open %s (%d)\n", openError.c_str(), result);
        return 1;
    }
    const char* reason = result == -1 ? "read error on the source"
                         : result == -3 ? "the source or the target cannot be opened"
                         : result == -4 ? "write error on the target"
                                        : "the rewrite failed";
    std::fprintf(stderr, "larkspool-cli: %s (%d)\n", reason, result);
    return 1;
}

int RunTitle(CliContext&, const std::vector<std::string>& args)
{
    const CliArgs parsed(args, {}, {});
    parsed.RequirePositional(1, 1);

    HtmlReader reader;
    std::string title, openError;
    const int result = ExtractHtmlTitle(reader, parsed.Positional()[0], title, &openError);
    if (result != 0) {
        std::fprintf(stderr, "larkspool-cli: cannot read %s%s%s\n", parsed.Positional()[0].c_str(),
                     openError.empty() ? "" : ": ", openError.c_str());
        return 1;
    }
    if (!title.empty())
        std::printf("%s\n", title.c_str());
    return 0;
}

} // namespace larkspool::cli
