// Opening a file to read as input, whatever stands at its path now: a FIFO
// or a device put where a file was expected is refused at once, never waited
// on nor read without end, and so is anything else but a regular file. The
// size is the one the file had when opened: a file that grows meanwhile is
// read to that size.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace larkspool {

class InputFile {
public:
    // Opens path for reading; a link at path is followed (the user named it).
    explicit InputFile(const char* path);
#ifndef _WIN32
    // Opens name in the folder open as folderFd, never through a symbolic link.
    InputFile(int folderFd, const char* name);
#endif
    // A file not opened, for the reason given.
    static InputFile Refused(std::string reason);
    ~InputFile();
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    std::uint64_t Size() const { return m_size; }
    std::uint64_t WriteTicks() const { return m_writeTicks; } // FILETIME ticks (UTC)
    // Why the file could not be opened, in a few words ("is a FIFO", "is a
    // symbolic link", "No such file or directory"); empty when open.
    const std::string& Error() const { return m_error; }
    // Nothing at all stands at the path.
    bool Missing() const { return m_missing; }
    // Hands the descriptor over; this object is closed afterwards.
    int Release();

private:
    InputFile() = default;
    void Check();

    int m_fd = -1;
    std::uint64_t m_size = 0;
    std::uint64_t m_writeTicks = 0;
    std::string m_error;
    bool m_missing = false;
};

// An InputFile as a stdio stream ("rb"); nullptr with error saying why.
std::FILE* OpenInputStream(const std::string& path, std::string& error);

} // namespace larkspool
