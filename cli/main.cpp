// larkspool-cli: the cache, catalogue and jobs without a window. Global
// options, then one command; exit 0 done, 1 the work stopped, 2 bad usage or
// an unreadable cache file.
#include "cli/cli_context.h"

#include "catalogue/program_language.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <exception>

namespace {

using namespace larkspool::cli;

struct Command {
    const char* name;
    const char* synopsis;
    CommandFunction run;
};

constexpr Command kCommands[] = {
    {"entries",
     "entries [--recovered]         every cache entry, as the cache enumerates them;\n"
     "                                --recovered: also what the cache no longer lists (old\n"
     "                                index.dat records, Firefox's doomed entries) and\n"
     "                                index.dat's redirects, each line ending in live,\n"
     "                                recovered, leftover or, for a body kept with gaps,\n"
     "                                partial: N of M bytes",
     RunEntries},
    {"add", "add URL FILE [--modified TIME] put FILE into the cache under URL", RunAdd},
    {"remove", "remove URL                    delete every entry of URL", RunRemove},
    {"list", "list [--default-file NAME] [--recovered] [SELECTION]\n"
             "                                the catalogue, in catalogue order", RunList},
    {"tree", "tree [--default-file NAME] [--recovered] [SELECTION]\n"
             "                                the folder tree with each folder's entry count", RunTree},
    {"export",
     "export [--to DIR] [--warc FILE] [--wacz FILE] [--copy | --move | --delete] [--overwrite ask|all|newer|none]\n"
     "       [--default-file NAME] [--redirect NAME]... [--max-body-size N] [--recovered] [--yes]\n"
     "       [SELECTION] [PATH ...]\n"
     "                                copy, move or delete entries into DIR; a browser\n"
     "                                cache's body that decodes to more than N bytes\n"
     "                                (default 4G; K, M, G, T allowed) is not exported;\n"
     "                                --warc: the entries as a WARC 1.1 file (gzip\n"
     "                                members when FILE ends in .gz), the cache unchanged;\n"
     "                                --wacz: the same WARC with its index and pages\n"
     "                                in a WACZ 1.1.1 file for replay tools",
     RunExport},
    {"import",
     "import --from DIR [--base DIR] [--domain NAME ...] [--overwrite ask|all|newer|none]\n"
     "       [--default-file NAME]   put a folder of domain folders into the cache",
     RunImport},
    {"rewrite",
     "rewrite (--export PAGE-LOCATION [--default-file NAME] | --import BASE-FOLDER) IN OUT\n"
     "                                rewrite the links of one HTML file",
     RunRewrite},
    {"report",
     "report [--format csv|jsonl] [--default-file NAME] [--recovered] [SELECTION] [PATH ...]\n"
     "                                every entry with its response head, sizes, times and\n"
     "                                the SHA-256 of its body; PATH as for export",
     RunReport},
    {"title", "title FILE                    the page title the catalogue would show", RunTitle},
    {"caches", "caches                        the caches found on this machine: folder, format, entries", RunCaches},
};

void PrintUsage(std::FILE* to)
{
    std::fputs("usage: larkspool-cli [--cache DIR] COMMAND [OPTIONS] [ARGS]\n"
               "       larkspool-cli --help | --version\n\n"
               "--cache DIR  the cache folder: index.dat, a Chromium (HTTP or service workers'\n"
               "             CacheStorage), Firefox or WebKit cache, or a folder above one (a\n"
               "             profile); default $LARKSPOOL_CACHE, else the\n"
               "             platform's cache folder. Browsers' own caches are read-only;\n"
               "             their bodies are decoded into files that last while the command runs.\n\n"
               "commands:\n",
               to);
    for (const Command& command : kCommands)
        std::fprintf(to, "  %s\n", command.synopsis);
    std::fputs("\nSELECTION narrows the entries, each option and every PATH together:\n"
               "  --find TEXT                   in the URL, name or title (ASCII case ignored)\n"
               "  --type pages|images|scripts|styles|media|other\n"
               "  --larger N, --smaller N       the decoded size in bytes (K, M, G, T allowed)\n"
               "  --since TIME, --until TIME    the modified time, both ends included\n"
               "\ntimes are UTC, written YYYY-MM-DDThh:mm:ssZ\n",
               to);
}

int UsageFailure(const std::string& reason)
{
    std::fprintf(stderr, "larkspool-cli: %s (see larkspool-cli --help)\n", reason.c_str());
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Larkspool"));
    QCoreApplication::setOrganizationName(QStringLiteral("Studio Vesprane"));
    // The lines stay English; the texts the jobs share with the windows follow the user.
    larkspool::UseUiLanguage(larkspool::UsersUiLanguage(),
                             larkspool::TranslationsFolderOf(QCoreApplication::applicationDirPath()));

    std::string cacheFolder;
    int next = 1;
    for (; next < argc; ++next) {
        const std::string arg = argv[next];
        if (arg == "--help") {
            PrintUsage(stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("larkspool-cli %s\n", LARKSPOOL_VERSION);
            return 0;
        }
        if (arg != "--cache")
            break;
        if (next + 1 >= argc)
            return UsageFailure("--cache needs a folder");
        cacheFolder = argv[++next];
    }
    if (next >= argc)
        return UsageFailure("no command");

    const Command* command = nullptr;
    for (const Command& candidate : kCommands) {
        if (std::strcmp(candidate.name, argv[next]) == 0)
            command = &candidate;
    }
    if (!command)
        return UsageFailure(std::string("unknown command ") + argv[next]);

    CliContext context(cacheFolder);
    try {
        return command->run(context, std::vector<std::string>(argv + next + 1, argv + argc));
    } catch (const UsageError& error) {
        return UsageFailure(error.what());
    } catch (const CacheUnreadable& error) {
        std::fprintf(stderr, "larkspool-cli: cannot read the cache: %s\n", error.what());
        return 2;
    } catch (const CacheReadOnly& error) {
        std::fprintf(stderr, "larkspool-cli: %s\n", error.what());
        return 1;
    }
}
