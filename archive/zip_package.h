// A ZIP file of stored (not deflated) members, written whole or not at all:
// libzip builds it beside its name and renames it into place when done, and
// turns to ZIP64 by itself when a member or the file passes 4 GiB.
#pragma once

#include <string>
#include <vector>

namespace larkspool::archive {

struct ZipMember {
    std::string name;   // the path inside the ZIP, "/"-separated
    std::string file;   // a file to take the bytes from; empty: text
    std::string text;
};

// false when the ZIP cannot be made, with error saying why; a file of that
// name is then left as it was.
bool WriteStoredZip(const std::string& path, const std::vector<ZipMember>& members, std::string& error);

} // namespace larkspool::archive
