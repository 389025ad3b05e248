// The folders of an export below its destination folder, opened one step at
// a time from the destination itself and never through a symbolic link, so
// that a link already lying there (dest/host -> ../elsewhere) is not written
// through. The chain of the last folder stays open: entries in catalogue
// order reach each folder once, and a folder is made only when missing.
#pragma once

#include <string>
#include <vector>

namespace larkspool {

class CacheFiles;

class DestinationFolders {
public:
    // No folder of fence, when given, is entered.
    explicit DestinationFolders(std::string copyDir, const CacheFiles* fence = nullptr);
    ~DestinationFolders();
    DestinationFolders(const DestinationFolders&) = delete;
    DestinationFolders& operator=(const DestinationFolders&) = delete;

    // The open folder copyDir/relative ("" is copyDir itself; steps
    // separated by "/"), each missing step made. Valid until the next call.
    // -1 when a step cannot be made or opened, or is not a plain folder;
    // failure then says which step and why.
    int Open(const std::string& relative, std::string& failure);
    // True when the last Open failed at a folder of the fence.
    bool Fenced() const { return m_fenced; }

private:
    bool OpenCopyDir(std::string& failure);
    bool OpenStep(const std::string& step, std::string& failure);
    void CloseBelow(std::size_t depth);
    std::string StepPath() const;

    std::string m_copyDir;
    const CacheFiles* m_fence;
    bool m_fenced = false;
    // m_fds[0] is copyDir, m_fds[k] the folder m_steps[0] / ... / m_steps[k-1];
    // m_made[k] is true when this object made that folder, so that nothing
    // below it can exist yet.
    std::vector<std::string> m_steps;
    std::vector<int> m_fds;
    std::vector<bool> m_made;
};

} // namespace larkspool
