// The window that holds the settings between start and close (the main
// window), as the settings dialogs see it.
#pragma once

#include <string>

namespace larkspool {

// The default file names: the required one and the two optional redirect
// names with their switches.
struct DefFiles {
    std::string defFile1;
    std::string defFile2;
    std::string defFile3;
    bool defFileFlag2 = false;
    bool defFileFlag3 = false;
};

class SettingsOwner {
public:
    virtual ~SettingsOwner() = default;

    // The destination folder; empty when none is set.
    virtual std::string GetCopyDir() const = 0;
    virtual void SetCopyDir(const std::string& dir) = 0;
    virtual DefFiles GetDefFiles() const = 0;
    virtual void SetDefFiles(const DefFiles& names) = 0;
};

} // namespace larkspool
