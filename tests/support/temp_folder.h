// A folder of its own under the system's temporary folder for one test,
// removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <fstream>
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
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string Under(const std::string& relative) const { return (m_path / relative).string(); }

    // Writes a file (and the folders above it) and returns its path.
    std::string Write(const std::string& relative, const std::string& content = "x") const
    {
        const std::filesystem::path file = m_path / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
        return file.string();
    }

private:
    std::filesystem::path m_path;
};

} // namespace larkspool::testing
