// Listing the entry files of a cache folder.
#include "browsercache/entry_file.h"

#include <algorithm>

namespace larkspool::browsercache {

std::vector<std::filesystem::path> ListEntryFiles(const std::filesystem::path& folder, std::string& error)
{
    std::vector<std::filesystem::path> files;
    std::error_code listing;
    for (std::filesystem::directory_iterator it(folder, listing), end; !listing && it != end; it.increment(listing)) {
        // One entry that cannot be looked at is not a reason to stop listing.
        std::error_code ignored;
        if (it->is_regular_file(ignored))
            files.push_back(it->path());
    }
    if (listing) {
        error = "cannot list " + folder.string() + ": " + listing.message();
        return {};
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace larkspool::browsercache
