// index.dat as shared memory: the file opened once, mapped, and locked against
// other processes for the length of each operation, or of a hold spanning
// many. Other writers may grow the file between two locks; Lock() maps it
// anew when its size has changed.
// A program that ignores the lock may still cut the file short while it is
// mapped: the pages past the new end then read as zeros instead of killing
// the process, and Damaged() says so until the next Lock().
#pragma once

#include "cache/mapping_guard.h"
#include "cache/wininet_types.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <system_error>

namespace larkspool {

// Why index.dat was refused where the system's own words do not say it;
// Cause() and ReadOnlyCause() give these as std::error_code.
enum class IndexDatRefusal {
    NotRegularFile = 1, // a FIFO, a device or a folder: nothing a cache file can be
    LinkToNothing,      // a symbolic link whose target does not exist
    Link,               // a symbolic link: read, but never written through
};
std::error_code MakeErrorCode(IndexDatRefusal refusal);

class IndexDatFile {
public:
    IndexDatFile() = default;
    ~IndexDatFile();
    IndexDatFile(const IndexDatFile&) = delete;
    IndexDatFile& operator=(const IndexDatFile&) = delete;

    // Opens path read-write (read-only when writing is not allowed), creating
    // an empty file when create is set. Returns a Win32 error code. Only a
    // regular file is opened; a symbolic link is followed for reading only.
    DWORD Open(const std::filesystem::path& path, bool create);
    bool IsOpen() const;
    bool Writable() const { return m_writable; }

    // Takes the advisory lock and maps the file's current length. Inside a
    // hold the lock is kept from one Lock() to the next: Unlock() lets it go
    // only once it has been held for kLongestHold, and EndHold() at the end.
    DWORD Lock();
    void Unlock();
    void BeginHold() { ++m_holds; }
    void EndHold();
    // Counts the times the lock was taken: what was learnt about the cache
    // folder under one taking may be trusted until the next.
    std::uint64_t Takings() const { return m_takings; }

    // The mapped bytes; valid between Lock() and Unlock() and after Resize().
    std::span<std::uint8_t> Bytes() { return {m_data, m_size}; }
    std::span<const std::uint8_t> Bytes() const { return {m_data, m_size}; }

    // Lengthens the file to size, its new bytes zeros and their disk space
    // reserved, and maps it again; a file never gets shorter.
    DWORD Extend(std::uint64_t size);

    // True when the file shrank under the mapping since Lock().
    bool Damaged() const;

    // How long a hold keeps other processes waiting at most (plus the one
    // call in hand): short beside what a user notices, long enough for a few
    // dozen imported files or hundreds of enumeration steps per lock, so
    // that the lock's own calls cost nothing next to the work.
    static constexpr std::chrono::milliseconds kLongestHold{10};
    // The system's reason for the last call that failed since Lock() (or,
    // before the first lock, since Open()), and the one that kept Open()
    // from opening it for writing; empty where no reason is known.
    const std::error_code& Cause() const { return m_cause; }
    const std::error_code& ReadOnlyCause() const { return m_readOnlyCause; }

private:
    DWORD TakeLock();
    void ReleaseLock();
    DWORD Map();
    void Unmap();

#ifdef _WIN32
    HANDLE m_file = INVALID_HANDLE_VALUE;
    HANDLE m_mapping = nullptr;
#else
    // Keeps errno value error as Cause() and returns its Win32 code.
    DWORD Failed(int error);
    int m_fd = -1;
#endif
    std::uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
    bool m_writable = false;
    bool m_locked = false;
    int m_holds = 0;
    std::uint64_t m_takings = 0;
    std::chrono::steady_clock::time_point m_lockedSince;
    MappingGuard m_guard;
    std::error_code m_cause;
    std::error_code m_readOnlyCause;
};

// Creates path as a new empty file. Returns a Win32 error code,
// ERROR_FILE_EXISTS when there is one, and sets cause to the system's reason
// where it is known. With keptOpen, the new file is left open for writing
// there (-1 where the platform keeps none).
DWORD CreateNewFile(const std::string& path, std::error_code& cause, int* keptOpen = nullptr);
// Closes a file CreateNewFile left open; nothing for -1.
void CloseKeptFile(int fd);

// Holds the file's lock for one scope.
class IndexDatLock {
public:
    explicit IndexDatLock(IndexDatFile& file) : m_file(file), m_error(file.Lock()) {}
    ~IndexDatLock()
    {
        if (m_error == ERROR_SUCCESS)
            m_file.Unlock();
    }
    IndexDatLock(const IndexDatLock&) = delete;
    IndexDatLock& operator=(const IndexDatLock&) = delete;
    DWORD Error() const { return m_error; }

private:
    IndexDatFile& m_file;
    DWORD m_error;
};

} // namespace larkspool
