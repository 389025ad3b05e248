// The WinINet types, flags and error codes the URL cache interface speaks in.
// On Windows they come from the system headers; elsewhere they are defined here
// with the same names, sizes and values, so callers read the same either way.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#include <wininet.h>
#else

using BOOL = int;
using DWORD = std::uint32_t;
using LPSTR = char*;
using LPCSTR = const char*;
using LPBYTE = unsigned char*;
using LPDWORD = DWORD*;
using LPVOID = void*;
using HANDLE = void*;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

// 100 ns ticks since 1601-01-01 UTC, split in two halves as on Windows.
struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct INTERNET_CACHE_ENTRY_INFOA {
    DWORD dwStructSize;
    LPSTR lpszSourceUrlName;
    LPSTR lpszLocalFileName;
    DWORD CacheEntryType;
    DWORD dwUseCount;
    DWORD dwHitRate;
    DWORD dwSizeLow;
    DWORD dwSizeHigh;
    FILETIME LastModifiedTime;
    FILETIME ExpireTime;
    FILETIME LastAccessTime;
    FILETIME LastSyncTime;
    LPSTR lpHeaderInfo;
    DWORD dwHeaderInfoSize;
    LPSTR lpszFileExtension;
    union {
        DWORD dwReserved;
        DWORD dwExemptDelta;
    };
};
using LPINTERNET_CACHE_ENTRY_INFOA = INTERNET_CACHE_ENTRY_INFOA*;

inline constexpr DWORD MAX_PATH = 260;

inline constexpr DWORD NORMAL_CACHE_ENTRY = 0x00000001;
inline constexpr DWORD STICKY_CACHE_ENTRY = 0x00000004;
inline constexpr DWORD EDITED_CACHE_ENTRY = 0x00000008;
inline constexpr DWORD TRACK_OFFLINE_CACHE_ENTRY = 0x00000010;
inline constexpr DWORD TRACK_ONLINE_CACHE_ENTRY = 0x00000020;
inline constexpr DWORD SPARSE_CACHE_ENTRY = 0x00010000;
inline constexpr DWORD COOKIE_CACHE_ENTRY = 0x00100000;
inline constexpr DWORD URLHISTORY_CACHE_ENTRY = 0x00200000;

inline constexpr DWORD ICU_NO_ENCODE = 0x20000000;
inline constexpr DWORD ICU_DECODE = 0x10000000;

inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
inline constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
inline constexpr DWORD ERROR_ACCESS_DENIED = 5;
inline constexpr DWORD ERROR_INVALID_HANDLE = 6;
inline constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr DWORD ERROR_WRITE_FAULT = 29;
inline constexpr DWORD ERROR_SHARING_VIOLATION = 32;
inline constexpr DWORD ERROR_FILE_EXISTS = 80;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_DISK_FULL = 112;
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr DWORD ERROR_BAD_PATHNAME = 161;
inline constexpr DWORD ERROR_ALREADY_EXISTS = 183;
inline constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
inline constexpr DWORD ERROR_FILE_INVALID = 1006;
inline constexpr DWORD ERROR_FILE_CORRUPT = 1392;
#endif

// The entry's size from its two halves.
inline std::uint64_t EntrySize(const INTERNET_CACHE_ENTRY_INFOA& info)
{
    return std::uint64_t(info.dwSizeHigh) << 32 | info.dwSizeLow;
}
