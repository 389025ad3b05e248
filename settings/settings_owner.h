// The window that holds the settings between start and close (the main
// window), as the settings dialogs see it.
#pragma once

#include "catalogue/default_files.h"

#include <string>

namespace larkspool {

class SettingsOwner {
public:
    virtual ~SettingsOwner() = default;

    // The destination folder; empty when none is set.
    virtual std::string GetCopyDir() const = 0;
    virtual void SetCopyDir(const std::string& dir) = 0;
    virtual DefaultFiles GetDefaultFiles() const = 0;
    virtual void SetDefaultFiles(const DefaultFiles& names) = 0;
};

} // namespace larkspool
