// larkspool-cli add: puts one local file into the cache under a URL: a new
// cache file is made and filled first, and the commit replaces the old
// entries, so a failure anywhere leaves them as they were (FILE may well be
// the old entry's own cache file).
#include "cache/file_time.h"
#include "cache/url_cache.h"
#include "cli/cli_context.h"
#include "cli/cli_time.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace larkspool::cli {
namespace {

namespace fs = std::filesystem;

std::optional<FILETIME> LastWriteTime(const fs::path& file)
{
    std::error_code error;
    const auto written = fs::last_write_time(file, error);
    if (error)
        return std::nullopt;
    const auto sinceEpoch = std::chrono::file_clock::to_sys(written).time_since_epoch();
    const auto ticks = std::chrono::duration_cast<std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>>(
                           sinceEpoch)
                           .count() +
                       std::int64_t(kUnixEpochTicks);
    if (ticks <= 0)
        return std::nullopt;
    return MakeFileTime(std::uint64_t(ticks));
}

// The extension without its dot, as the cache wants it.
std::string ExtensionOf(const fs::path& file)
{
    const std::string extension = file.extension().string();
    return extension.empty() ? extension : extension.substr(1);
}

} // namespace

int RunAdd(CliContext& context, const std::vector<std::string>& args)
{
    const CliArgs parsed(args, {"--modified"}, {});
    parsed.RequirePositional(2, 2);
    const std::string& url = parsed.Positional()[0];
    const fs::path file = parsed.Positional()[1];

    std::optional<FILETIME> modified;
    if (const auto text = parsed.Value("--modified")) {
        modified = ParseUtcTime(*text);
        if (!modified)
            throw UsageError("--modified wants YYYY-MM-DDThh:mm:ssZ, not " + *text);
    }
    std::error_code error;
    if (!fs::is_regular_file(file, error))
        return Stop("not a file: " + file.string());
    const auto size = fs::file_size(file, error);
    if (!modified)
        modified = LastWriteTime(file);
    if (error || !modified)
        return Stop("cannot read " + file.string() + ": " + error.message());

    UrlCache& cache = context.WritableCache();
    const std::string extension = ExtensionOf(file);
    char cacheFile[MAX_PATH + 1] = {};
    if (!cache.CreateUrlCacheEntryA(url.c_str(), DWORD(size), extension.c_str(), cacheFile, 0))
        return Stop("cannot create a cache file for " + url + ": " + cache.LastErrorText());
    if (!fs::copy_file(file, cacheFile, fs::copy_options::overwrite_existing, error)) {
        const std::string why = error.message();
        fs::remove(cacheFile, error);
        return Stop("cannot copy " + file.string() + " to " + cacheFile + ": " + why);
    }
    if (!cache.CommitUrlCacheEntryA(url.c_str(), cacheFile, FILETIME{0, 0}, *modified, 0, nullptr, 0,
                                    extension.c_str(), nullptr)) {
        const std::string why = cache.LastErrorText();
        fs::remove(cacheFile, error);
        return Stop("cannot commit " + url + ": " + why);
    }
    std::printf("%s\n", cacheFile);
    return 0;
}

} // namespace larkspool::cli
