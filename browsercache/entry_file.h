// The formats that keep one file per entry (Chromium's simple cache,
// Firefox's cache2): listing the folder, and reading one entry file with a
// format's reader. On failure the record keeps only its file, the key and
// URL when they were read (so that the entry can be named), and the reason
// led by the file's name; a damaged entry never hands on a half-read head
// or body.
#pragma once

#include "browsercache/browser_cache_record.h"
#include "browsercache/byte_source.h"
#include "browsercache/inside_cache.h"

#include <filesystem>
#include <new>
#include <string>
#include <vector>

namespace larkspool::browsercache {

// Leaves of a record that could not be read only what names the entry (its
// key and URL, when they were read, and its file) and the reason.
void MarkDamaged(BrowserCacheRecord& record, const std::string& error);

// read fills the record from the bytes and returns the reason it could not.
template <typename Reader>
BrowserCacheRecord ReadEntryFile(const ByteSource& bytes, const std::filesystem::path& file, Reader read)
{
    BrowserCacheRecord record;
    record.body.file = file;
    std::string error;
    try {
        error = read(bytes, record);
    } catch (const std::bad_alloc&) {
        error = "too large to read (out of memory)"; // one entry's damage, not the end of the scan
    }
    if (!error.empty())
        MarkDamaged(record, error);
    return record;
}

// Everything but folders directly in folder (cacheFolder or a folder below
// it), ordered by name; error says why when the folder cannot be listed. A
// link or a FIFO is listed too, so that its reader can say why it is not
// read.
std::vector<std::filesystem::path> ListEntryFiles(const std::filesystem::path& cacheFolder,
                                                  const std::filesystem::path& folder, std::string& error);

// The folders directly in folder, ordered by name, by the same rule: a link
// to a folder is no folder.
std::vector<std::filesystem::path> ListSubfolders(const std::filesystem::path& cacheFolder,
                                                  const std::filesystem::path& folder, std::string& error);

// Sets the record's decoded size when its stored body is among bytes held
// in memory, so that the body need not be read again to be measured; the
// count stops at kListedDecodeLimit. A plain body there that does not match
// its CRC-32 marks the record damaged, as an encoded one is when decoded, so
// that listing and export agree on what the cache holds.
void CountDecodedSize(const ByteSource& bytes, BrowserCacheRecord& record);

// As ReadEntryFile on the file below cacheFolder; fileTicks, when given,
// receives the file's last-write time (0 when it cannot be opened).
template <typename Reader>
BrowserCacheRecord ReadEntryFileAt(const OpenedCacheFolder& cacheFolder, const std::filesystem::path& file,
                                   Reader read, std::uint64_t* fileTicks = nullptr)
{
    const FileBytes bytes(cacheFolder, file);
    if (fileTicks)
        *fileTicks = bytes.WriteTicks();
    if (bytes.IsOpen()) {
        BrowserCacheRecord record = ReadEntryFile(bytes, file, read);
        record.body.cacheFolder = cacheFolder.Path();
        if (record.error.empty() && record.body.file == file) // not a body in a file of its own
            CountDecodedSize(bytes, record);
        return record;
    }
    BrowserCacheRecord record;
    record.body.file = file;
    record.error = file.filename().string() + ": " + bytes.Error();
    return record;
}

} // namespace larkspool::browsercache
