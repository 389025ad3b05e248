// The private folder a browser cache decodes its bodies into: made in the
// caller's folder, held by a lock while the cache is open, removed at the
// end. Folders that a process killed on its way left behind hold no lock and
// are removed by the next one.
#pragma once

#include <filesystem>

namespace larkspool::browsercache {

class ScratchFolder {
public:
    explicit ScratchFolder(const std::filesystem::path& parent);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Empty when the folder could not be made.
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
    int m_lock = -1;
};

} // namespace larkspool::browsercache
