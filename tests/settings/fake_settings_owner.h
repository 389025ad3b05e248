// Holds the settings the dialogs read and write, in place of the main window.
#pragma once

#include "settings/settings_owner.h"

namespace larkspool::testing {

class FakeSettingsOwner : public SettingsOwner {
public:
    std::string GetCopyDir() const override { return copyDir; }
    void SetCopyDir(const std::string& dir) override
    {
        copyDir = dir;
        ++copyDirStores;
    }
    DefaultFiles GetDefaultFiles() const override { return defFiles; }
    void SetDefaultFiles(const DefaultFiles& names) override
    {
        defFiles = names;
        ++defFilesStores;
    }

    std::string copyDir;
    DefaultFiles defFiles;
    int copyDirStores = 0;
    int defFilesStores = 0;
};

} // namespace larkspool::testing
