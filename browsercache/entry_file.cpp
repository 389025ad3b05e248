// Listing the entry files of a cache folder.
#include "browsercache/entry_file.h"

#include "browsercache/body_decoding.h"
#include "browsercache/crc32.h"
#include "browsercache/http_response_head.h"
#include "browsercache/inside_cache.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace larkspool::browsercache {

namespace {

// The folders directly in folder when folders is set, else everything else.
std::vector<std::filesystem::path> ListFolder(const std::filesystem::path& cacheFolder,
                                              const std::filesystem::path& folder, bool folders, std::string& error)
{
    std::vector<std::filesystem::path> files;
    const int fd = OpenFolderInsideCache(cacheFolder, folder, error);
    DIR* listing = fd < 0 ? nullptr : ::fdopendir(fd);
    if (!listing) {
        if (fd >= 0) {
            error = std::strerror(errno);
            ::close(fd);
        }
        error = "cannot list " + folder.string() + ": " + error;
        return {};
    }
    const std::unique_ptr<DIR, int (*)(DIR*)> closer(listing, ::closedir);
    while (const dirent* found = ::readdir(listing)) {
        const std::string_view name = found->d_name;
        if (name == "." || name == "..")
            continue;
        // A name the file system does not type is looked at without following it.
        struct stat status{};
        const bool isFolder = found->d_type == DT_UNKNOWN
                                  ? ::fstatat(fd, found->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
                                        S_ISDIR(status.st_mode)
                                  : found->d_type == DT_DIR;
        if (isFolder == folders)
            files.push_back(folder / name);
    }
    // All in one folder: their whole strings order as their names do, and
    // compare much faster than paths element by element.
    std::sort(files.begin(), files.end(),
              [](const std::filesystem::path& a, const std::filesystem::path& b) { return a.native() < b.native(); });
    return files;
}

} // namespace

std::vector<std::filesystem::path> ListEntryFiles(const std::filesystem::path& cacheFolder,
                                                  const std::filesystem::path& folder, std::string& error)
{
    return ListFolder(cacheFolder, folder, false, error);
}

std::vector<std::filesystem::path> ListSubfolders(const std::filesystem::path& cacheFolder,
                                                  const std::filesystem::path& folder, std::string& error)
{
    return ListFolder(cacheFolder, folder, true, error);
}

void MarkDamaged(BrowserCacheRecord& record, const std::string& error)
{
    BrowserCacheRecord named;
    named.key = std::move(record.key);
    named.url = std::move(record.url);
    named.body.file = record.body.file;
    named.error = named.body.file.filename().string() + ": " + error;
    record = std::move(named);
}

void CountDecodedSize(const ByteSource& bytes, BrowserCacheRecord& record)
{
    const BodyLocation& body = record.body;
    const std::optional<std::string_view> whole = bytes.Whole();
    if (!whole || !bytes.Contains(body.offset, body.length))
        return;
    const std::string encoding = body.decoded ? "" : HeaderValue(record.responseHead, "Content-Encoding").value_or("");
    if (!NeedsDecoding(encoding)) {
        if (body.hasCrc32 && Crc32(whole->substr(std::size_t(body.offset), std::size_t(body.length))) != body.crc32)
            MarkDamaged(record, kBodyChecksumMismatch);
        else
            record.decodedSize = DecodedSize{body.length};
        return;
    }
    BodyDecoder decoder(whole->substr(std::size_t(body.offset), std::size_t(body.length)),
                        body.hasCrc32 ? std::optional(body.crc32) : std::nullopt, encoding);
    DecodedSize counted;
    if (CountDecodedBytes(decoder, kListedDecodeLimit, counted).empty())
        record.decodedSize = counted;
}

} // namespace larkspool::browsercache
