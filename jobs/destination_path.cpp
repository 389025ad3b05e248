// Destination paths of the export and their safety check. A SitePath comes
// from a URL someone else wrote, so "host/../../x" must not climb out.
#include "jobs/destination_path.h"

namespace larkspool {

std::string DestinationPath(const std::string& copyDir, const std::string& sitePath)
{
    return copyDir + "/" + sitePath;
}

bool IsSafeDestination(const std::string& copyDir, const std::string& path)
{
    if (copyDir.empty() || path.size() > kMaxPathLength || path.size() <= copyDir.size() + 1 ||
        path.compare(0, copyDir.size(), copyDir) != 0 || path[copyDir.size()] != '/')
        return false;
    const std::string relative = path.substr(copyDir.size() + 1);
    if (relative.back() == '/')
        return false;
    std::size_t begin = 0;
    while (begin <= relative.size()) {
        std::size_t end = relative.find('/', begin);
        if (end == std::string::npos)
            end = relative.size();
        const std::string step = relative.substr(begin, end - begin);
        if (step == "." || step == "..")
            return false;
        begin = end + 1;
    }
    return true;
}

} // namespace larkspool
