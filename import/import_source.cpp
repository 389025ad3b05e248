// The import source walk: domain folders, the files below them, and the URL
// each file gets back (escapes decoded, ".asp.htm" pages named ".asp" again).
#include "import/import_source.h"

#include "cache/url_escapes.h"
#include "catalogue/cache_entry.h"
#include "export/file_copy.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace larkspool {

namespace fs = std::filesystem;

std::vector<std::string> FillDomainList(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        // Its own error: a broken link among the folders must not end the list.
        std::error_code kindError;
        if (it->is_directory(kindError))
            names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return CompareFolded(a, b) < 0; });
    return names;
}

int CollectImportFiles(const std::string& source, const std::string& relative, std::vector<ImportFileRecord>& list,
                       std::string& failure)
{
    const std::string folder = source + "/" + relative;
    std::error_code error;
    fs::directory_iterator it(folder, error);
    for (const fs::directory_iterator end; !error && it != end; it.increment(error)) {
        const std::string path = relative + "/" + it->path().filename().string();
        // The kinds come with the listing; only a link is looked at again.
        std::error_code kindError;
        const bool link = it->is_symlink(kindError);
        int result = 0;
        if (!link && it->is_directory(kindError))
            result = CollectImportFiles(source, path, list, failure);
        else if (it->is_directory(kindError) || it->is_other(kindError))
            continue;
        else
            result = AddImportFile(source, path, list, failure);
        if (result != 0)
            return -1;
    }
    if (!error)
        return 0;
    failure = folder + ": " + error.message();
    return -1;
}

int AddImportFile(const std::string& source, const std::string& relativePath, std::vector<ImportFileRecord>& list,
                  std::string& failure)
{
    ImportFileRecord record;
    // The "/" of the path are the URL's; a "\" byte (the second byte of
    // many Shift-JIS characters) stays what it is. The cache sees the URL up
    // to a decoded zero byte.
    record.Url = DecodePercentEscapes("http://" + relativePath);
    record.Url.resize(std::strlen(record.Url.c_str()));
    // The export names an .asp page cached as .htm "page.asp.htm".
    const std::size_t asp = record.Url.find(".asp.htm");
    if (asp != std::string::npos)
        record.Url.resize(asp + 4);
    record.LocalPath = source + "/" + relativePath;
    const std::string fileName = relativePath.substr(relativePath.rfind('/') + 1);
    const std::size_t dot = fileName.rfind('.');
    record.Extension = dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
    bool readableByAll = false;
    if (GetFileTimeAndSize(record.LocalPath, record.Modified, record.Size, &readableByAll) != 0) {
        failure = record.LocalPath + ": " + SystemReason(errno);
        return -1;
    }
    // Read now, not half-way through the import: a file that cannot be
    // opened stops the collection with its name. Bits that let everyone
    // read spare the question (a call per file).
    if (!readableByAll && ::faccessat(AT_FDCWD, record.LocalPath.c_str(), R_OK, AT_EACCESS) != 0) {
        failure = record.LocalPath + ": " + SystemReason(errno);
        return -1;
    }
    list.push_back(std::move(record));
    return 0;
}

int CollectDomains(const std::string& source, const std::vector<std::string>& domains,
                   std::vector<ImportFileRecord>& list, std::string* failure)
{
    list.clear();
    std::string reason;
    for (const std::string& domain : domains) {
        if (CollectImportFiles(source, domain, list, reason) != 0) {
            list.clear();
            if (failure)
                *failure = reason;
            return -1;
        }
    }
    return 0;
}

} // namespace larkspool
