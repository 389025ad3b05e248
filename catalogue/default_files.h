// The default file names, as the settings hold them and the jobs use them.
#pragma once

#include <string>

namespace larkspool {

inline constexpr const char* kDefaultFile1 = "index.html";

// The first is what links ending in "/" get (and the name a folder URL's page
// takes in the catalogue); the other two, when switched on, become redirect
// pages beside it.
struct DefaultFiles {
    std::string DefFile1 = kDefaultFile1;
    std::string DefFile2;
    std::string DefFile3;
    bool DefFileFlag2 = false;
    bool DefFileFlag3 = false;

    bool operator==(const DefaultFiles&) const = default;
};

} // namespace larkspool
