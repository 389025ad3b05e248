// Opening, mapping, locking and growing index.dat: POSIX (mmap, flock) and
// Windows (file mappings, LockFileEx). On POSIX the mapping lives as long as
// the object and is renewed when the length changes; on Windows a mapped file
// cannot be lengthened, so the view exists only while the lock is held.
#include "cache/index_dat_file.h"

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace larkspool {

namespace {

class RefusalCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "index.dat"; }
    std::string message(int refusal) const override
    {
        switch (IndexDatRefusal(refusal)) {
        case IndexDatRefusal::NotRegularFile: return "not a regular file (a FIFO, a device or a folder)";
        case IndexDatRefusal::LinkToNothing: return "a symbolic link to nothing";
        case IndexDatRefusal::Link: return "a symbolic link, read but never written through";
        }
        return "refused";
    }
};

} // namespace

std::error_code MakeErrorCode(IndexDatRefusal refusal)
{
    static const RefusalCategory category;
    return {int(refusal), category};
}

DWORD IndexDatFile::Lock()
{
    m_cause.clear();
    if (m_locked) {
        // Kept by a hold, nobody else can have changed the file; after a long
        // pause between calls it is taken anew, as others may be waiting.
        if (std::chrono::steady_clock::now() - m_lockedSince < kLongestHold)
            return Damaged() ? Map() : ERROR_SUCCESS;
        m_locked = false;
        ReleaseLock();
    }
    const DWORD error = TakeLock();
    if (error == ERROR_SUCCESS) {
        m_locked = true;
        m_lockedSince = std::chrono::steady_clock::now();
        ++m_takings;
    }
    return error;
}

void IndexDatFile::Unlock()
{
    if (m_holds > 0 && std::chrono::steady_clock::now() - m_lockedSince < kLongestHold)
        return;
    m_locked = false;
    ReleaseLock();
}

void IndexDatFile::EndHold()
{
    if (--m_holds == 0 && m_locked) {
        m_locked = false;
        ReleaseLock();
    }
}

#ifdef _WIN32

namespace {
// A byte far past any real length: locking it never stops a reader's I/O.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;
} // namespace

IndexDatFile::~IndexDatFile()
{
    Unmap();
    if (m_file != INVALID_HANDLE_VALUE)
        CloseHandle(m_file);
}

bool IndexDatFile::IsOpen() const { return m_file != INVALID_HANDLE_VALUE; }

DWORD IndexDatFile::Open(const std::filesystem::path& path, bool create)
{
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const DWORD disposition = create ? OPEN_ALWAYS : OPEN_EXISTING;
    m_file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, disposition, 0, nullptr);
    m_writable = m_file != INVALID_HANDLE_VALUE;
    if (!m_writable && !create)
        m_file = CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    return m_file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
}

DWORD IndexDatFile::TakeLock()
{
    OVERLAPPED at{};
    at.OffsetHigh = kLockOffsetHigh;
    if (!LockFileEx(m_file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at))
        return GetLastError();
    const DWORD error = Map();
    if (error != ERROR_SUCCESS)
        ReleaseLock();
    return error;
}

void IndexDatFile::ReleaseLock()
{
    Unmap();
    OVERLAPPED at{};
    at.OffsetHigh = kLockOffsetHigh;
    UnlockFileEx(m_file, 0, 1, 0, &at);
}

DWORD IndexDatFile::Map()
{
    LARGE_INTEGER length{};
    if (!GetFileSizeEx(m_file, &length))
        return GetLastError();
    if (length.QuadPart == 0)
        return ERROR_SUCCESS;
    m_mapping = CreateFileMappingW(m_file, nullptr, m_writable ? PAGE_READWRITE : PAGE_READONLY, 0, 0, nullptr);
    if (!m_mapping)
        return GetLastError();
    m_data = static_cast<std::uint8_t*>(MapViewOfFile(m_mapping, m_writable ? FILE_MAP_WRITE : FILE_MAP_READ, 0, 0, 0));
    if (!m_data) {
        const DWORD error = GetLastError();
        Unmap();
        return error;
    }
    m_size = std::size_t(length.QuadPart);
    return ERROR_SUCCESS;
}

void IndexDatFile::Unmap()
{
    if (m_data)
        UnmapViewOfFile(m_data);
    if (m_mapping)
        CloseHandle(m_mapping);
    m_data = nullptr;
    m_mapping = nullptr;
    m_size = 0;
}

DWORD CreateNewFile(const std::string& path, std::error_code& /*cause*/, int* keptOpen)
{
    if (keptOpen)
        *keptOpen = -1;
    HANDLE file =
        CreateFileW(std::filesystem::path(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : error;
    }
    CloseHandle(file);
    return ERROR_SUCCESS;
}

void CloseKeptFile(int /*fd*/) {}

bool IndexDatFile::Damaged() const { return false; }

DWORD IndexDatFile::Extend(std::uint64_t size)
{
    LARGE_INTEGER length{};
    if (!GetFileSizeEx(m_file, &length))
        return GetLastError();
    if (size <= std::uint64_t(length.QuadPart))
        return ERROR_SUCCESS;
    Unmap();
    LARGE_INTEGER at{};
    at.QuadPart = LONGLONG(size);
    if (!SetFilePointerEx(m_file, at, nullptr, FILE_BEGIN) || !SetEndOfFile(m_file)) {
        const DWORD error = GetLastError();
        Map();
        return error;
    }
    return Map();
}

#else

namespace {
DWORD ErrnoToWin32(int error)
{
    switch (error) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return ERROR_DISK_FULL;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    default: return ERROR_WRITE_FAULT;
    }
}
} // namespace

DWORD IndexDatFile::Failed(int error)
{
    m_cause.assign(error, std::generic_category());
    return ErrnoToWin32(error);
}

IndexDatFile::~IndexDatFile()
{
    Unmap();
    if (m_fd >= 0)
        close(m_fd);
}

bool IndexDatFile::IsOpen() const { return m_fd >= 0; }

DWORD IndexDatFile::Open(const std::filesystem::path& path, bool create)
{
    m_cause.clear();
    m_readOnlyCause.clear();
    // Written only as the file itself: never through a link into another
    // cache or onto a file outside one. O_NONBLOCK keeps a FIFO from waiting
    // for a writer before it is refused; a regular file ignores it.
    constexpr int kFlags = O_CLOEXEC | O_NONBLOCK;
    m_fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | kFlags | (create ? O_CREAT : 0), 0644);
    int error = errno;
    m_writable = m_fd >= 0;
    if (!m_writable && error == ELOOP)
        m_readOnlyCause = MakeErrorCode(IndexDatRefusal::Link);
    else if (!m_writable && (error == EACCES || error == EROFS))
        m_readOnlyCause.assign(error, std::generic_category());
    if (!m_writable && create && error == ELOOP) {
        m_cause = m_readOnlyCause;
        return ERROR_ACCESS_DENIED;
    }
    if (!m_writable && !create && m_readOnlyCause) {
        m_fd = ::open(path.c_str(), O_RDONLY | kFlags);
        error = errno;
        if (m_fd < 0 && error == ENOENT && m_readOnlyCause == MakeErrorCode(IndexDatRefusal::Link)) {
            m_cause = MakeErrorCode(IndexDatRefusal::LinkToNothing);
            return ERROR_FILE_NOT_FOUND;
        }
    }
    if (m_fd < 0)
        return Failed(error);
    struct stat info {};
    DWORD refused = ERROR_SUCCESS;
    if (fstat(m_fd, &info) != 0) {
        refused = Failed(errno);
    } else if (!S_ISREG(info.st_mode)) {
        m_cause = MakeErrorCode(IndexDatRefusal::NotRegularFile);
        refused = ERROR_FILE_INVALID;
    }
    if (refused != ERROR_SUCCESS) {
        close(m_fd);
        m_fd = -1;
        m_writable = false;
    }
    return refused;
}

bool IndexDatFile::Damaged() const { return m_guard.Faults() != 0; }

DWORD IndexDatFile::TakeLock()
{
    while (flock(m_fd, LOCK_EX) != 0) {
        if (errno != EINTR)
            return Failed(errno);
    }
    const DWORD error = Map();
    if (error != ERROR_SUCCESS)
        ReleaseLock();
    return error;
}

void IndexDatFile::ReleaseLock() { flock(m_fd, LOCK_UN); }

DWORD IndexDatFile::Map()
{
    struct stat info {};
    if (fstat(m_fd, &info) != 0)
        return Failed(errno);
    const auto length = std::size_t(info.st_size);
    // After a fault part of the mapping is anonymous zeros: map it anew.
    if (length == m_size && !Damaged())
        return ERROR_SUCCESS;
    Unmap();
    if (length == 0)
        return ERROR_SUCCESS;
    void* data = mmap(nullptr, length, PROT_READ | (m_writable ? PROT_WRITE : 0), MAP_SHARED, m_fd, 0);
    if (data == MAP_FAILED)
        return Failed(errno);
    m_data = static_cast<std::uint8_t*>(data);
    m_size = length;
    m_guard.Watch(m_data, m_size);
    return ERROR_SUCCESS;
}

void IndexDatFile::Unmap()
{
    m_guard.Unwatch();
    if (m_data)
        munmap(m_data, m_size);
    m_data = nullptr;
    m_size = 0;
}

DWORD CreateNewFile(const std::string& path, std::error_code& cause, int* keptOpen)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (errno == EEXIST)
            return ERROR_FILE_EXISTS;
        cause.assign(errno, std::generic_category());
        return ErrnoToWin32(errno);
    }
    if (keptOpen)
        *keptOpen = fd;
    else
        close(fd);
    return ERROR_SUCCESS;
}

void CloseKeptFile(int fd)
{
    if (fd >= 0)
        close(fd);
}

DWORD IndexDatFile::Extend(std::uint64_t size)
{
    struct stat info {};
    if (fstat(m_fd, &info) != 0)
        return Failed(errno);
    if (size <= std::uint64_t(info.st_size))
        return Map();
    // Reserving the space first means a full disk is an error here, not a
    // SIGBUS at the first store into a page the file system cannot back.
    int error = posix_fallocate(m_fd, info.st_size, off_t(size - std::uint64_t(info.st_size)));
    if (error == EOPNOTSUPP || error == EINVAL)
        error = ftruncate(m_fd, off_t(size)) == 0 ? 0 : errno;
    if (error != 0)
        return Failed(error);
    return Map();
}

#endif

} // namespace larkspool
