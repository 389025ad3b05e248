// Parent folder names and folder chain creation.
#include "files/file_helpers.h"

#include <sys/stat.h>
#include <unistd.h>

namespace larkspool {

std::string ParentFolderName(const std::string& path)
{
    const std::size_t lastSeparator = path.rfind('/');
    const std::string folderPart = lastSeparator == std::string::npos ? std::string() : path.substr(0, lastSeparator + 1);
    if (folderPart.size() <= 1)
        return folderPart;
    const std::size_t earlier = folderPart.rfind('/', folderPart.size() - 2);
    if (earlier == std::string::npos)
        return folderPart.substr(0, folderPart.size() - 1);
    return folderPart.substr(earlier + 1, folderPart.size() - earlier - 2);
}

namespace {

// Repeated and trailing separators name no folder of their own: "a//b/" is
// a/b, so the walk below never tries to make the same folder twice.
std::string WithoutEmptySteps(const std::string& path)
{
    std::string clean;
    clean.reserve(path.size());
    for (char c : path) {
        if (c != '/' || clean.empty() || clean.back() != '/')
            clean += c;
    }
    if (clean.size() > 1 && clean.back() == '/')
        clean.pop_back();
    return clean;
}

} // namespace

int CreateFolderPath(const std::string& folder)
{
    const std::string path = WithoutEmptySteps(folder);
    // Up to the nearest folder that exists (the path itself is not tested).
    std::string existing = path;
    for (;;) {
        const std::size_t cut = existing.rfind('/');
        if (cut == std::string::npos) {
            existing.clear();
            break;
        }
        existing.resize(cut);
        if (::access(existing.c_str(), F_OK) == 0)
            break;
    }
    // Down again, one folder at a time.
    std::string made = existing;
    while (made != path) {
        const std::size_t next = path.find('/', made.size() + 1);
        made = next == std::string::npos ? path : path.substr(0, next);
        if (::mkdir(made.c_str(), 0777) != 0)
            return -1;
    }
    return 0;
}

} // namespace larkspool
