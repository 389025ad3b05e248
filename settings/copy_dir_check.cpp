// Where the destination folder dialog opens and what a typed folder needs
// before it is stored. There are no drive letters here: the folder list
// starts at the root, and the program's current folder stands in for the
// drive of the program.
#include "settings/copy_dir_check.h"

#include "catalogue/cache_entry.h"
#include "files/file_helpers.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace larkspool {
namespace {

namespace fs = std::filesystem;

bool IsFolder(const std::string& path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

// Names directly in folder whose kind matches wantFolders, hidden ones left
// out, sorted.
std::vector<std::string> Names(const std::string& folder, bool wantFolders)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        std::error_code kindError;
        if (name.empty() || name[0] == '.' || it->is_directory(kindError) != wantFolders || kindError)
            continue;
        names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return CompareFolded(a, b) < 0; });
    return names;
}

} // namespace

bool PathExists(const std::string& path)
{
    return !path.empty() && ::access(path.c_str(), F_OK) == 0;
}

std::string SelDirStartFolder(const std::string& copyDir, const std::string& fallback)
{
    if (!copyDir.empty() && !PathExists(copyDir))
        CreateCopyDir(copyDir);
    if (!PathExists(copyDir))
        return fallback;
    std::error_code error;
    fs::path folder = fs::absolute(copyDir, error).lexically_normal();
    if (!IsFolder(folder.string()))
        folder = folder.parent_path();
    std::string text = folder.string();
    if (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

int CreateCopyDir(const std::string& typed)
{
    // The chain is made one separator at a time: a doubled or final one would
    // name a folder just made, which must not count as a failure.
    std::string path;
    for (char c : typed) {
        if (c != '/' || path.empty() || path.back() != '/')
            path += c;
    }
    if (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path.empty() || PathExists(path))
        return path.empty() ? -1 : 0;
    return CreateFolderPath(path);
}

std::vector<DirectoryRow> DirectoryRows(const std::string& folder)
{
    std::vector<DirectoryRow> rows;
    const fs::path open = fs::path(folder).lexically_normal();
    fs::path walked;
    for (const fs::path& step : open) {
        if (step.empty())
            continue;
        walked /= step;
        rows.push_back({walked.string(), step.string(), true});
    }
    const std::string openPath = rows.empty() ? folder : rows.back().path;
    for (std::string& name : Names(openPath, true))
        rows.push_back({(fs::path(openPath) / name).string(), std::move(name), false});
    return rows;
}

std::vector<std::string> FileNames(const std::string& folder)
{
    return Names(folder, false);
}

} // namespace larkspool
