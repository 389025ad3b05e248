// The name mapping of a cache entry. SitePath is host/dir/file: the URL
// without scheme and query, its tail rebuilt into a file name with the
// extension of the cached file where the URL's says nothing useful, decoded,
// and escaped so that every byte can stand in a Windows file name:
//   http://host/dir/              .htm  ->  host/dir/index.html
//   http://host/dir/?x=1          .htm  ->  host/dir/index.htm
//   http://host/page.asp          .htm  ->  host/page.asp.htm
//   http://host:8080/a%20b/c.gif  .gif  ->  host%3a8080/a b/c.gif
// A path always stays inside the folder it is exported to: no segment is
// "." or "..", and no control byte is left.
#include "catalogue/make_cache_entry.h"

#include "browsercache/http_response_head.h"
#include "cache/recovered_key.h"
#include "catalogue/size_date_texts.h"
#include "html/html_rewriter.h"

#include <QLoggingCategory>

#include <algorithm>
#include <cstdio>
#include <filesystem>

Q_LOGGING_CATEGORY(lcCatalogue, "larkspool.catalogue", QtInfoMsg)

namespace larkspool {
namespace {

// Extensions kept from the URL even when the cached file has another one.
constexpr const char* kKeptExtensions[] = {".html", ".shtml", ".shtm", ".jpeg", ".jpg"};

bool IsKeptExtension(const std::string& extension)
{
    for (const char* kept : kKeptExtensions)
        if (EqualFolded(extension, kept))
            return true;
    return false;
}

bool MustEscape(unsigned char byte)
{
    switch (byte) {
    case '\\': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
        return true;
    default:
        return byte < 0x20 || byte == 0x7f;
    }
}

// Escapes the bytes no file name may hold as %xx, and the dots of a "." or
// ".." segment as %2e.
std::string EscapeForFileSystem(const std::string& path)
{
    std::string out;
    out.reserve(path.size());
    std::size_t segmentStart = 0;
    while (segmentStart <= path.size()) {
        std::size_t segmentEnd = path.find('/', segmentStart);
        if (segmentEnd == std::string::npos)
            segmentEnd = path.size();
        const std::string_view segment(path.data() + segmentStart, segmentEnd - segmentStart);
        const bool dotsOnly = segment == "." || segment == "..";
        for (const char c : segment) {
            const unsigned char byte = static_cast<unsigned char>(c);
            if (MustEscape(byte) || dotsOnly) {
                char escape[4];
                std::snprintf(escape, sizeof escape, "%%%02x", byte);
                out += escape;
            } else {
                out += c;
            }
        }
        if (segmentEnd < path.size())
            out += '/';
        segmentStart = segmentEnd + 1;
    }
    return out;
}

// The cache's decoding ends the text at a decoded NUL; "%00" is turned into
// "%2500" first, so that it decodes to the escape the name mapping wants.
std::string ProtectEscapedNul(const std::string& path)
{
    std::string out;
    out.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        out += path[i];
        if (path.compare(i, 3, "%00") == 0)
            out += "25";
    }
    return out;
}

// The %XX escapes decoded by the cache; path unchanged when that fails.
std::string Decoded(UrlCache& cache, const std::string& path)
{
    const std::string protectedPath = ProtectEscapedNul(path);
    std::string buffer(protectedPath.size() + 1, '\0');
    DWORD length = static_cast<DWORD>(buffer.size());
    if (!cache.InternetCanonicalizeUrlA(protectedPath.c_str(), buffer.data(), &length, ICU_DECODE | ICU_NO_ENCODE))
        return path;
    buffer.resize(std::min<std::size_t>(length, protectedPath.size()));
    return buffer;
}

bool IsExistingFile(const char* path)
{
    std::error_code error;
    return path && std::filesystem::is_regular_file(path, error);
}

// Where a page's title can be, for a page read from a stream.
constexpr std::uint64_t kTitleReadLimit = 8 * 1024 * 1024;

} // namespace

int MakeCacheEntry(UrlCache& cache, HtmlReader* titles, const std::string& defFile1,
                   const INTERNET_CACHE_ENTRY_INFOA& info, TCacheEntry& record, ListDateTexts* dateTexts)
{
    if (!info.lpszSourceUrlName)
        return -1;
    const std::string url = info.lpszSourceUrlName;
    const std::string key = cache.EntryKey(info);
    const UrlCacheKind kind = cache.EntryKind(key.c_str());
    // A record that names no file at all (a redirect) is listed only by a
    // cache opened to see all it holds.
    if (!info.lpszLocalFileName && !kind.listsMissingBodies)
        return -1;
    // A recovered record is listed without its file too, and so is every
    // record of a cache opened to see all it holds: what is missing is part
    // of what the disk tells.
    if (!(kind.filesOnDemand || kind.listsMissingBodies || IsExistingFile(info.lpszLocalFileName) || OwnKey(key) != url))
        return -1;
    const std::size_t query = url.find('?');
    const bool hadQuery = query != std::string::npos;
    const std::string withoutQuery = url.substr(0, query);
    const std::size_t scheme = withoutQuery.find("//");
    std::string sitePath;
    if (url.empty() && LeftoverKeyNumber(key)) {
        // A file no record names has no URL: it stands in a folder of its
        // own, under its sub-folder's name.
        const std::filesystem::path file(info.lpszLocalFileName);
        sitePath = std::string(kUnindexedFolder) + "/" + file.parent_path().filename().string() + "/" +
                   file.filename().string();
    } else if (scheme != std::string::npos) {
        sitePath = withoutQuery.substr(scheme + 2);
    } else {
        return -1;
    }
    if (sitePath.size() > kMaxSitePath)
        return -1;
    // A URL that ends at its host is its host's root.
    if (sitePath.find('/') == std::string::npos)
        sitePath += '/';

    const std::string localFile = info.lpszLocalFileName ? info.lpszLocalFileName : "";
    FILETIME modified = info.LastModifiedTime;
    if (modified.dwLowDateTime == 0 && modified.dwHighDateTime == 0)
        modified = info.LastAccessTime;

    std::string name;
    std::string extension;
    const std::size_t tail = SplitUrlTail(sitePath, name, extension);
    std::string fileName;
    std::string fileExtension;
    SplitUrlTail(localFile, fileName, fileExtension);

    if (hadQuery)
        extension = fileExtension;
    if (name.empty()) {
        const std::size_t dot = defFile1.find('.');
        name = defFile1.substr(0, dot);
        if (dot == std::string::npos)
            extension = ".html";
        else if (extension.empty())
            extension = defFile1.substr(dot);
    } else if (extension.empty() && !fileExtension.empty()) {
        extension = fileExtension;
    }
    if (!EqualFolded(extension, fileExtension) && !IsKeptExtension(extension)) {
        qCDebug(lcCatalogue, "UrlExt[%s] FileExt[%s]", extension.c_str(), fileExtension.c_str());
        extension += fileExtension;
    }
    sitePath.replace(tail, std::string::npos, name + extension);
    sitePath = EscapeForFileSystem(Decoded(cache, sitePath));
    if (sitePath.size() > kMaxSitePath)
        return -1;

    record.Kind = 'C';
    record.Selected = false;
    record.SourceUrl = url;
    record.RecordKey = key == url ? std::string() : key;
    record.SitePath = sitePath;
    record.CacheName = cache.EntryCacheName(key.c_str());
    record.LocalFile = localFile;
    record.SizeLow = info.dwSizeLow;
    record.SizeHigh = info.dwSizeHigh;
    record.SizeAtLeast = kind.filesOnDemand && cache.SizeIsLowerBound(key.c_str());
    record.SizeText = FormatSizeText(info.dwSizeLow, info.dwSizeHigh, record.SizeAtLeast);
    record.ModifiedUtc = FileSystemTicks(FileTimeTicks(modified));
    record.Modified = FileTimeToLocalFileTime(record.ModifiedUtc);
    record.DateText =
        (dateTexts ? dateTexts->Format(record.Modified) : FormatListDateText(record.Modified)).substr(0, kMaxDateText);
    record.Name = sitePath.substr(SplitUrlTail(sitePath, name, extension));
    const std::string_view head = info.lpHeaderInfo ? std::string_view(info.lpHeaderInfo, info.dwHeaderInfoSize)
                                                    : std::string_view();
    record.ContentType = browsercache::HeaderValue(head, "Content-Type").value_or("");
    record.LastAccessUtc = FileSystemTicks(FileTimeTicks(info.LastAccessTime));
    record.Partition.clear();
    // Only a browser's cache keys entries under a site; asking costs an index.dat a look into its file.
    if (kind.filesOnDemand)
        if (const auto origin = cache.EntryOrigin(key.c_str()))
            record.Partition = origin->partition;
    record.Title.clear();
    if (titles && IsHtmlPageName(extension)) {
        // A cache that makes files on demand gives the page as a stream,
        // so that listing makes no file, and no more of it than a title
        // could be in: a body may decode to gigabytes.
        if (kind.filesOnDemand) {
            std::FILE* page = cache.OpenUrlCacheEntryStart(key.c_str(), kTitleReadLimit);
            if (!page)
                return -1;
            ExtractHtmlTitle(*titles, page, record.Title);
            std::fclose(page);
        } else {
            ExtractHtmlTitle(*titles, localFile, record.Title);
        }
        if (record.Title.size() > kMaxTitle)
            record.Title.resize(kMaxTitle);
    }
    record.TypeIndex = -1;
    record.FolderId = 0;
    return 0;
}

} // namespace larkspool
