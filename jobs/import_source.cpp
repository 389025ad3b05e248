// The import source walk: domain folders, the files below them, and the URL
// each file gets back (escapes decoded, ".asp.htm" pages named ".asp" again).
#include "jobs/import_source.h"

#include "cache/url_escapes.h"
#include "catalogue/cache_entry.h"
#include "files/file_copy.h"
#include "files/file_times.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string_view>
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

namespace {

// Appends the record of the file name in the open folder (source/relative),
// stat's status of it at hand. Its URL comes from the path; the file must
// be readable now, not half-way through the import, so that one that is not
// stops the collection with its name.
int AddImportFile(const std::string& source, const std::string& relativePath, int folder, const char* name,
                  const struct stat& status, std::vector<ImportFileRecord>& list, std::string& failure)
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
    record.TreePath = relativePath;
    const std::string_view fileName(name);
    const std::size_t dot = fileName.rfind('.');
    record.Extension = dot == std::string_view::npos ? std::string() : std::string(fileName.substr(dot + 1));
    constexpr mode_t kEveryoneReads = S_IRUSR | S_IRGRP | S_IROTH;
    // Bits that let everyone read spare the question (a call per file).
    if (TimeAndSizeOf(status, record.Modified, &record.Size) != 0 ||
        ((status.st_mode & kEveryoneReads) != kEveryoneReads && ::faccessat(folder, name, R_OK, AT_EACCESS) != 0)) {
        failure = record.LocalPath + ": " + SystemReason(errno);
        return -1;
    }
    list.push_back(std::move(record));
    return 0;
}

// Walks source/relative depth first and appends a record for every file.
// Symbolic links to folders are not followed; other special files (pipes,
// sockets, devices) are passed over. Each folder is read through one open
// descriptor, and its entries are looked at relative to it.
int CollectImportFiles(const std::string& source, const std::string& relative, std::vector<ImportFileRecord>& list,
                       std::string& failure)
{
    const std::string path = source + "/" + relative;
    const std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(path.c_str()), ::closedir);
    if (!folder) {
        failure = path + ": " + SystemReason(errno);
        return -1;
    }
    const int fd = ::dirfd(folder.get());
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(folder.get());
        if (!entry)
            break;
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        const std::string child = relative + "/" + name;
        // The kind comes with the listing; it is looked at only where the
        // file system did not give it.
        struct stat status{};
        const bool isFolder = entry->d_type == DT_DIR ||
                              (entry->d_type == DT_UNKNOWN && ::fstatat(fd, name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
                               S_ISDIR(status.st_mode));
        if (isFolder) {
            if (CollectImportFiles(source, child, list, failure) != 0)
                return -1;
            continue;
        }
        if (entry->d_type != DT_REG && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
            continue;
        // Followed: a link to a file is that file.
        if (::fstatat(fd, name, &status, 0) != 0) {
            failure = path + "/" + name + ": " + SystemReason(errno);
            return -1;
        }
        if (!S_ISREG(status.st_mode))
            continue;
        if (AddImportFile(source, child, fd, name, status, list, failure) != 0)
            return -1;
    }
    if (errno == 0)
        return 0;
    failure = path + ": " + SystemReason(errno);
    return -1;
}

} // namespace

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
