// Filling the entry buffers that enumeration and lookup hand back.
#include "cache/cache_entry_info.h"

#include <cstring>

namespace larkspool {
namespace {

FILETIME ToFileTime(std::uint64_t ticks)
{
    return FILETIME{DWORD(ticks), DWORD(ticks >> 32)};
}

} // namespace

DWORD CopyEntryInfo(const indexdat::UrlRecord& record, const std::optional<std::string>& localPath,
                    INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size)
{
    using indexdat::Align4;
    // Where each part goes, measured before anything is written.
    std::uint64_t needed = sizeof(INTERNET_CACHE_ENTRY_INFOA);
    const std::uint64_t urlAt = needed;
    needed = Align4(std::uint32_t(needed + record.url.size() + 1));
    const std::uint64_t pathAt = needed;
    if (localPath)
        needed = Align4(std::uint32_t(needed + localPath->size() + 1));
    const std::uint64_t headerAt = needed;
    if (record.headerInfo)
        needed = Align4(std::uint32_t(needed + record.headerInfo->size()));
    const std::uint64_t extensionAt = needed;
    if (record.extension)
        needed = Align4(std::uint32_t(needed + record.extension->size() + 1));

    const DWORD available = *size;
    *size = DWORD(needed);
    if (!info || available < needed)
        return ERROR_INSUFFICIENT_BUFFER;

    auto* base = reinterpret_cast<char*>(info);
    std::memset(base, 0, std::size_t(needed));
    const auto put = [base](std::uint64_t at, const std::string& text, bool terminate) {
        std::memcpy(base + at, text.data(), text.size());
        if (terminate)
            base[at + text.size()] = '\0';
        return base + at;
    };
    info->dwStructSize = sizeof(INTERNET_CACHE_ENTRY_INFOA);
    info->lpszSourceUrlName = put(urlAt, record.url, true);
    info->lpszLocalFileName = localPath ? put(pathAt, *localPath, true) : nullptr;
    info->CacheEntryType = record.entryType;
    info->dwUseCount = record.useCount;
    info->dwHitRate = record.hitRate;
    info->dwSizeLow = DWORD(record.fileSize);
    info->dwSizeHigh = DWORD(record.fileSize >> 32);
    info->LastModifiedTime = ToFileTime(record.modified);
    info->ExpireTime = ToFileTime(indexdat::DosToFileTime(record.expireDos));
    info->LastAccessTime = ToFileTime(record.accessed);
    info->LastSyncTime = ToFileTime(indexdat::DosToFileTime(record.syncDos));
    info->lpHeaderInfo = record.headerInfo ? put(headerAt, *record.headerInfo, false) : nullptr;
    info->dwHeaderInfoSize = record.headerInfo ? DWORD(record.headerInfo->size()) : 0;
    info->lpszFileExtension = record.extension ? put(extensionAt, *record.extension, true) : nullptr;
    info->dwExemptDelta = record.exemptDelta;
    return ERROR_SUCCESS;
}

} // namespace larkspool
