// A folder of its own under the system's temporary folder for one test,
// removed with everything in it when the test ends, read-only parts too.
#pragma once

#include "tests/support/files.h"

#include <filesystem>
#include <random>
#include <string>

namespace larkspool::testing {

class TempFolder {
public:
    TempFolder()
    {
        // Random, so that test processes running side by side never meet.
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() /
                 ("larkspool-test-" + std::to_string(random()) + "-" + std::to_string(random()));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder()
    {
        namespace fs = std::filesystem;
        std::error_code ignored;
        for (const auto& item : fs::recursive_directory_iterator(m_path, ignored))
            fs::permissions(item.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string Under(const std::string& relative) const { return (m_path / relative).string(); }

    // Writes a file (and the folders above it) and returns its path.
    std::string Write(const std::string& relative, const std::string& content = "x") const
    {
        WriteFile(m_path / relative, content);
        return Under(relative);
    }

private:
    std::filesystem::path m_path;
};

} // namespace larkspool::testing
