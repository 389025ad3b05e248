// wininet_probe: reads and writes the Windows user's URL cache through WinINet
// alone, so the interop tests can check what our own store writes against the
// real API and the other way round. Its lines match larkspool-cli's `entries`:
// URL, local file, type as 8 hex digits, size, last-modified and last-access
// times (UTC, "-" for none), separated by tabs.
//
//   wininet_probe add URL FILE [--modified YYYY-MM-DDThh:mm:ssZ]
//   wininet_probe list
//   wininet_probe get URL
//   wininet_probe remove URL
#include <windows.h>
#include <wininet.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string TimeText(FILETIME time)
{
    SYSTEMTIME utc;
    if ((time.dwLowDateTime == 0 && time.dwHighDateTime == 0) || !FileTimeToSystemTime(&time, &utc))
        return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02uZ", utc.wYear, utc.wMonth, utc.wDay, utc.wHour,
                  utc.wMinute, utc.wSecond);
    return text;
}

bool ParseTime(const char* text, FILETIME& time)
{
    SYSTEMTIME utc{};
    unsigned year, month, day, hour, minute, second;
    char zone = 0;
    if (std::sscanf(text, "%4u-%2u-%2uT%2u:%2u:%2u%c", &year, &month, &day, &hour, &minute, &second, &zone) != 7 ||
        zone != 'Z')
        return false;
    utc.wYear = WORD(year);
    utc.wMonth = WORD(month);
    utc.wDay = WORD(day);
    utc.wHour = WORD(hour);
    utc.wMinute = WORD(minute);
    utc.wSecond = WORD(second);
    return SystemTimeToFileTime(&utc, &time);
}

void PrintEntry(const INTERNET_CACHE_ENTRY_INFOA& info)
{
    const std::uint64_t size = (std::uint64_t(info.dwSizeHigh) << 32) | info.dwSizeLow;
    std::printf("%s\t%s\t%08lx\t%llu\t%s\t%s\n", info.lpszSourceUrlName,
                info.lpszLocalFileName ? info.lpszLocalFileName : "", static_cast<unsigned long>(info.CacheEntryType),
                static_cast<unsigned long long>(size), TimeText(info.LastModifiedTime).c_str(),
                TimeText(info.LastAccessTime).c_str());
}

// An entry buffer of 4096 bytes that grows when an entry asks for more.
struct EntryBuffer {
    std::vector<std::uint64_t> words = std::vector<std::uint64_t>(4096 / 8);
    DWORD size = 4096;

    INTERNET_CACHE_ENTRY_INFOA* info() { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(words.data()); }
    bool Grow(DWORD needed)
    {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= words.size() * 8)
            return false;
        words.resize((needed + 7) / 8);
        return true;
    }
    DWORD* Reset()
    {
        size = DWORD(words.size() * 8);
        return &size;
    }
};

int Fail(const char* what)
{
    std::fprintf(stderr, "wininet_probe: %s failed, error %lu\n", what, GetLastError());
    return 1;
}

int Add(const char* url, const char* file, const char* modifiedText)
{
    FILETIME modified{};
    if (modifiedText && !ParseTime(modifiedText, modified)) {
        std::fprintf(stderr, "wininet_probe: bad time %s\n", modifiedText);
        return 2;
    }
    if (!modifiedText) {
        HANDLE source = CreateFileA(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (source == INVALID_HANDLE_VALUE)
            return Fail("opening the file");
        const BOOL known = GetFileTime(source, nullptr, nullptr, &modified);
        CloseHandle(source);
        if (!known)
            return Fail("GetFileTime");
    }
    const char* name = std::strrchr(file, '\\');
    const char* dot = std::strrchr(name ? name : file, '.');
    const std::string extension = dot ? dot + 1 : "";

    while (DeleteUrlCacheEntryA(url)) {
    }
    char local[MAX_PATH] = {};
    if (!CreateUrlCacheEntryA(url, 0, extension.c_str(), local, 0))
        return Fail("CreateUrlCacheEntryA");
    if (!CopyFileA(file, local, FALSE))
        return Fail("CopyFileA");
    if (!CommitUrlCacheEntryA(url, local, FILETIME{}, modified, 0, nullptr, 0, extension.c_str(), nullptr))
        return Fail("CommitUrlCacheEntryA");
    std::printf("%s\n", local);
    return 0;
}

int List()
{
    EntryBuffer buffer;
    HANDLE handle;
    while (!(handle = FindFirstUrlCacheEntryA("", buffer.info(), buffer.Reset()))) {
        if (GetLastError() == ERROR_NO_MORE_ITEMS)
            return 0;
        if (!buffer.Grow(buffer.size))
            return Fail("FindFirstUrlCacheEntryA");
    }
    for (;;) {
        PrintEntry(*buffer.info());
        while (!FindNextUrlCacheEntryA(handle, buffer.info(), buffer.Reset())) {
            if (GetLastError() == ERROR_NO_MORE_ITEMS) {
                FindCloseUrlCache(handle);
                return 0;
            }
            if (!buffer.Grow(buffer.size))
                return Fail("FindNextUrlCacheEntryA");
        }
    }
}

int Get(const char* url)
{
    EntryBuffer buffer;
    while (!GetUrlCacheEntryInfoA(url, buffer.info(), buffer.Reset())) {
        if (!buffer.Grow(buffer.size))
            return Fail("GetUrlCacheEntryInfoA");
    }
    PrintEntry(*buffer.info());
    return 0;
}

int Remove(const char* url)
{
    int removed = 0;
    while (DeleteUrlCacheEntryA(url))
        ++removed;
    return removed > 0 ? 0 : Fail("DeleteUrlCacheEntryA");
}

} // namespace

int main(int argc, char* argv[])
{
    _setmode(_fileno(stdout), _O_BINARY); // lines end in LF, as on the native side
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "add" && argc == 4)
        return Add(argv[2], argv[3], nullptr);
    if (command == "add" && argc == 6 && std::strcmp(argv[4], "--modified") == 0)
        return Add(argv[2], argv[3], argv[5]);
    if (command == "list" && argc == 2)
        return List();
    if (command == "get" && argc == 3)
        return Get(argv[2]);
    if (command == "remove" && argc == 3)
        return Remove(argv[2]);
    std::fputs("usage: wininet_probe add URL FILE [--modified TIME] | list | get URL | remove URL\n", stderr);
    return 2;
}
