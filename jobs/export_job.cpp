// The run of the export job. Each item: show progress and let the cancel
// button through, then (copy, move) create its folder, settle a conflict,
// write the file or rewrite the page, give it the entry's time, and (move,
// delete) remove the entry from the cache. An error or a cancel at the
// question stops before the entry is removed, so a failed item of a move
// stays in the cache. What is wrong with one entry only (its body cannot be
// read, its path cannot be written, its target is a file of the cache
// itself) skips that item with its reason, and the job goes on.
#include "jobs/export_job.h"

#include "base/path_text.h"
#include "cache/file_time.h"
#include "cache/input_file.h"
#include "cache/url_cache.h"
#include "catalogue/site_map.h"
#include "catalogue/translated_text.h"
#include "jobs/cache_files.h"
#include "jobs/destination_folders.h"
#include "jobs/destination_path.h"
#include "jobs/duplicate_entries.h"
#include "files/file_copy.h"
#include "files/file_helpers.h"
#include "files/file_times.h"
#include "jobs/job_host.h"
#include "jobs/job_progress.h"
#include "jobs/overwrite_question.h"
#include "jobs/redirect_page.h"
#include "html/html_rewriter.h"
#include "html/stylesheet_rewriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <utility>

namespace larkspool {
namespace {

constexpr const char* kCannotCopy = "cannot copy to";
constexpr const char* kCannotRedirect = "cannot write the redirect page";
constexpr const char* kSkipped = "skipped";

// The URL of the page pageName beside url: http://h/d/?q gives http://h/d/pageName.
std::string SiblingUrl(const std::string& url, const std::string& pageName)
{
    const std::string withoutQuery = url.substr(0, url.find('?'));
    const std::size_t slash = withoutQuery.rfind('/');
    return slash == std::string::npos ? std::string() : withoutQuery.substr(0, slash + 1) + pageName;
}

class FileCloser {
public:
    explicit FileCloser(int fd) : m_fd(fd) {}
    ~FileCloser()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// What an item is written from: the descriptor of its local file, or the
// body stream of a cache that makes files on demand.
class ItemSource {
public:
    ItemSource(int fd, std::FILE* stream) : m_fd(fd), m_stream(stream) {}
    ~ItemSource()
    {
        if (m_stream)
            std::fclose(m_stream);
    }
    ItemSource(const ItemSource&) = delete;
    ItemSource& operator=(const ItemSource&) = delete;
    bool IsOpen() const { return m_fd.get() >= 0 || m_stream; }
    // After a failed CopyTo: true when reading the body failed.
    bool ReadFailed() const { return m_stream && std::ferror(m_stream); }
    // The stream, for the caller to close.
    std::FILE* ReleaseStream() { return std::exchange(m_stream, nullptr); }
    int CopyTo(int target) const { return m_stream ? CopyStreamData(m_stream, target) : CopyFileData(m_fd.get(), target); }

private:
    FileCloser m_fd;
    std::FILE* m_stream;
};

} // namespace

std::string ExportCaption(int opKind)
{
    switch (opKind) {
    case kOpCopy:
        return Translated("ExportJob", "ｷｬｯｼｭからｺﾋﾟｰしています...");
    case kOpDelete:
        return Translated("ExportJob", "ｷｬｯｼｭから削除しています...");
    case kOpMove:
        return Translated("ExportJob", "ｷｬｯｼｭから移動しています...");
    default:
        return {};
    }
}

ExportJob::ExportJob(UrlCache& cache, JobHost& host, const CommandState& command,
                     const std::vector<TCacheEntry*>& catalogueEntries)
    : m_cache(cache), m_host(host), m_command(command), m_catalogueEntries(catalogueEntries)
{
}

void ExportJob::Run()
{
    HtmlReader reader;
    const CacheFiles cacheFiles(Writes() ? m_cache.FilesFolders() : std::vector<std::filesystem::path>());
    m_cacheFiles = &cacheFiles;
    DestinationFolders folders(m_command.copyDir, &cacheFiles);
    static const std::vector<TCacheEntry*> kNoEntries;
    const SiteMap siteMap(Writes() ? m_catalogueEntries : kNoEntries);
    const std::vector<TCacheEntry*>& jobList = m_command.jobList;
    m_jobResult = 0;
    m_cancelled = false;
    m_skipped = 0;
    m_jobSitePaths.clear();
    for (const TCacheEntry* entry : jobList)
        m_jobSitePaths.insert(entry->SitePath);
    OverwriteMode mode = OverwriteMode::None;
    if (Removes() && m_cache.Kind().readOnly) {
        Stop({ExportCaption(m_command.opKind), kReadOnlyCacheText,
              std::string("cannot remove entries: ") + kReadOnlyCacheText});
        return;
    }
    // Recovered records and redirects are evidence, and a read-only member of
    // several caches keeps its entries: a move must not turn into a copy half
    // way, so none is begun. Only a recovered record or a member's entry has
    // a key of its own, and only a record without a file can be a redirect.
    for (std::size_t i = 0; Removes() && i < jobList.size(); ++i) {
        const TCacheEntry& entry = *jobList[i];
        if (!entry.CacheName.empty() && m_cache.EntryKind(entry.CacheKey()).readOnly) {
            const std::string why = entry.SourceUrl + " (" + entry.CacheName + "): " + kReadOnlyCacheText;
            Stop({ExportCaption(m_command.opKind), why, "cannot remove entries: " + why});
            return;
        }
        if (entry.RecordKey.empty() && !entry.LocalFile.empty())
            continue;
        const auto origin = m_cache.EntryOrigin(entry.CacheKey());
        if (origin && (origin->recovered || origin->urlOnly)) {
            const std::string why =
                entry.SourceUrl + ": " + (origin->recovered ? kRecoveredRecordText : kRedirectRecordText);
            Stop({ExportCaption(m_command.opKind), why, "cannot remove entries: " + why});
            return;
        }
    }
    if (const std::filesystem::path* cacheFolder = Writes() ? cacheFiles.Containing(m_command.copyDir) : nullptr) {
        Stop(PathFailure(kCopyFailedCaption, kCannotCopy, m_command.copyDir,
                         "it lies in the cache folder being read (" + cacheFolder->string() +
                             "), whose files the export never writes"));
        return;
    }
    const std::unordered_map<const TCacheEntry*, const TCacheEntry*> outdated =
        Writes() ? OutdatedDuplicates(jobList) : decltype(outdated)();
    for (std::size_t i = 0; i < jobList.size(); ++i) {
        const TCacheEntry& entry = *jobList[i];
        const std::string destPath = DestinationPath(m_command.copyDir, entry.SitePath);
        ShowItem(i, jobList.size(), destPath);
        m_itemSkipped = false;
        if (const auto newer = outdated.find(&entry); newer != outdated.end())
            Skip(PathFailure(kCopyFailedCaption, kCannotCopy, destPath,
                             entry.SourceUrl + " (" + entry.CacheName + "): a duplicate of the newer entry of " +
                                 newer->second->CacheName + ", which is written instead"));
        else if (Writes() && !WriteItem({entry, destPath, mode, reader, folders, &siteMap}))
            break;
        // Also when nothing was written: a finished move has removed every
        // entry. Not a skipped one: its body is still only in the cache.
        if (Removes() && !m_itemSkipped && !RemoveFromCache(entry))
            break;
        if (m_cancelled)
            break;
    }
    m_currentEntry = nullptr;
    m_currentPath.clear();
    m_cacheFiles = nullptr;
}

void ExportJob::ShowItem(std::size_t i, std::size_t n, const std::string& destPath)
{
    m_host.ShowProgress(ProgressPosition(i, n), RemainingCountText(n - i), FileNameOf(destPath));
    m_host.ShowFolders(Writes() ? FillIn(Translated("ExportJob", "'%1' から '%2' へ"),
                                         {m_cache.Kind().name, ParentFolderName(destPath)})
                                : FillIn(Translated("ExportJob", "'%1' から "), {m_cache.Kind().name}));
    m_host.ProcessEvents();
    if (m_host.CancelRequested()) {
        m_cancelled = true;
        m_jobResult = -1;
    }
}

// False when the job must stop here, the entry staying in the cache.
bool ExportJob::WriteItem(const Item& item)
{
    const std::string& destPath = item.destPath;
    std::error_code absent;
    // A browser cache gives the body straight from where it keeps it.
    const bool onDemand = m_cache.EntryKind(item.entry.CacheKey()).filesOnDemand;
    // A body gone since the listing, or listed as gone, is that entry's
    // problem only.
    if (!onDemand &&
        std::filesystem::symlink_status(item.entry.LocalFile, absent).type() == std::filesystem::file_type::not_found)
        return Skip(PathFailure(kCopyFailedCaption, kCannotCopy, destPath,
                                item.entry.SourceUrl + ": missing body: " +
                                    (item.entry.LocalFile.empty()
                                         ? std::string("its record names no file")
                                         : "the cache folder no longer holds " + item.entry.LocalFile)));
    if (!IsSafeDestination(m_command.copyDir, destPath))
        return Skip(PathFailure(kCopyFailedCaption, kCannotCopy, destPath,
                                "not a path inside the destination folder, or longer than 259 bytes"));
    std::string failure;
    const int folder = item.folders.Open(FolderOf(destPath.substr(m_command.copyDir.size() + 1)), failure);
    if (folder < 0 && item.folders.Fenced())
        return Skip(PathFailure(kCopyFailedCaption, kCannotCopy, destPath, failure));
    if (folder < 0)
        return Stop({Translated("ExportJob", kFolderFailedCaption),
                     FillIn(Translated("ExportJob", "'%1'ﾌｫﾙﾀﾞが作成できませんでした。\n%2"), {FolderOf(destPath), failure}),
                     "cannot make the folder " + failure});
    const std::string name = FileNameOf(destPath);
    std::FILE* body = onDemand ? m_cache.OpenUrlCacheEntryBody(item.entry.CacheKey()) : nullptr;
    if (onDemand && !body)
        return Skip(PathFailure(kCopyFailedCaption, kCannotCopy, destPath,
                                item.entry.SourceUrl + ": " + m_cache.LastErrorText()));
    // The source is opened first so that a vanished cached file leaves no
    // empty file behind; its error counts only if something is to be written.
    // A page or a stylesheet is read as a stream. Either way a FIFO or a
    // device put where the cached file was is refused, never waited on.
    const bool page = IsHtmlPageName(item.entry.LocalFile);
    const bool rewritten = page || IsStylesheetName(item.entry.LocalFile) || IsStylesheetName(item.entry.SitePath);
    std::string sourceReason;
    if (!onDemand && rewritten)
        body = OpenInputStream(item.entry.LocalFile, sourceReason);
    InputFile input = onDemand || rewritten ? InputFile::Refused({}) : InputFile(item.entry.LocalFile.c_str());
    if (!onDemand && !rewritten)
        sourceReason = input.Error();
    ItemSource source(input.Release(), body);
    int target = -1;
    int targetError = 0;
    if (source.IsOpen()) {
        target = OpenTargetFile(folder, name, O_EXCL);
        targetError = errno;
    }
    if (target < 0) {
        struct stat existing{};
        if (::fstatat(folder, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
            bool write = false;
            if (!SettleConflict(item, folder, existing, write))
                return false;
            if (!write)
                return true;
        } else if (source.IsOpen()) {
            return Stop(PathFailure(kCopyFailedCaption, kCannotCopy, destPath, TargetReason(folder, name, targetError)));
        }
        if (!source.IsOpen())
            return Skip(PathFailure(kCopyFailedCaption, kCannotCopy, destPath,
                                    item.entry.LocalFile + ": " + sourceReason));
        target = OpenTargetFile(folder, name, O_TRUNC);
        if (target < 0)
            return Stop(PathFailure(kCopyFailedCaption, kCannotCopy, destPath, TargetReason(folder, name, errno)));
    }
    if (rewritten)
        return ExportRewritten(item, source.ReleaseStream(), target, folder, page);
    FileCloser written(target);
    if (const int error = source.CopyTo(written.get())) {
        // A half-written file would pass for the entry's body.
        ::unlinkat(folder, name.c_str(), 0);
        const JobMessage message = PathFailure(kCopyFailedCaption, kCannotCopy, destPath,
                                               (source.ReadFailed() ? item.entry.SourceUrl + ": " : "") +
                                                   SystemReason(error));
        return source.ReadFailed() ? Skip(message) : Stop(message);
    }
    return FinishFile(item, written.release());
}

// Gives the written file the entry's time and closes it.
bool ExportJob::FinishFile(const Item& item, int target)
{
    const bool timed = SetFileTimeUtc(target, item.entry.ModifiedUtc) == 0;
    const int timeError = errno;
    if (::close(target) != 0 && timed)
        return Stop(PathFailure(kCopyFailedCaption, kCannotCopy, item.destPath, SystemReason(errno)));
    return timed ||
           Stop(PathFailure(kTimeFailedCaption, "cannot set the time of", item.destPath, SystemReason(timeError)));
}

// Something lies at the item's path: a plain file goes to the question and
// the standing answer; anything else is never opened. False when the job
// stops; write says whether to write over the file.
bool ExportJob::SettleConflict(const Item& item, int folder, const struct stat& existing, bool& write)
{
    if (!S_ISREG(existing.st_mode))
        return Stop(PathFailure(kCopyFailedCaption, kCannotCopy, item.destPath,
                                TargetReason(folder, FileNameOf(item.destPath), EISDIR)));
    if (const std::filesystem::path* cacheFolder = m_cacheFiles->FileHolding(existing)) {
        write = false;
        return Skip(PathFailure(kCopyFailedCaption, kCannotCopy, item.destPath,
                                "a file of the cache being read (" + cacheFolder->string() +
                                    "), never written"));
    }
    m_currentEntry = &item.entry;
    m_currentPath = item.destPath;
    const ConflictRule rule = DecideConflict(
        item.mode, [&] { return m_host.AskOverwrite(MakeExportQuestion(item.entry, item.destPath)); });
    if (rule == ConflictRule::Stop) {
        m_cancelled = true;
        m_jobResult = -1;
        return false;
    }
    // The newer rule: write only over a file strictly older than the entry.
    write = rule == ConflictRule::Write ||
            (rule == ConflictRule::WriteIfNewer && TimespecTicks(existing.st_mtim) < item.entry.ModifiedUtc);
    return true;
}

// A page or a stylesheet with its links rewritten. Takes the source (nullptr:
// it could not be had) and the target. The page gets its time before the
// redirect pages beside it are written.
bool ExportJob::ExportRewritten(const Item& item, std::FILE* in, int target, int folder, bool page)
{
    std::FILE* out = in ? OpenWriteStream(target) : nullptr;
    const PageLinks links = PageLinks::ForExport(PageLocation(item.entry.SitePath), m_command.defaultFiles.DefFile1,
                                                 {item.entry.SourceUrl, item.entry.SitePath, item.siteMap});
    const int result = !out ? kRewriteOpenError
                       : page ? RewriteHtmlStream(item.reader, in, links, out)
                              : RewriteStylesheetStream(in, links, out);
    const int error = errno;
    if (in)
        std::fclose(in);
    if (out)
        std::fclose(out); // unbuffered: everything is written already; target stays open
    if (result != kRewriteOk) {
        ::close(target);
        ::unlinkat(folder, FileNameOf(item.destPath).c_str(), 0); // a half-written page
        if (result == kRewriteReadError)
            return Skip(PathFailure(kCopyFailedCaption, kCannotCopy, item.destPath,
                                    item.entry.SourceUrl + ": " + SystemReason(error)));
        return Stop(PathFailure(kCopyFailedCaption, kCannotCopy, item.destPath, SystemReason(error)));
    }
    if (!FinishFile(item, target))
        return false;
    if (!page)
        return true;
    const std::string& sitePath = item.entry.SitePath;
    const std::size_t slash = sitePath.rfind('/');
    if (slash == std::string::npos || !EqualFolded(sitePath.substr(slash + 1), m_command.defaultFiles.DefFile1))
        return true;
    if (m_command.defaultFiles.DefFileFlag2 && !WriteRedirect(item, folder, m_command.defaultFiles.DefFile2))
        return false;
    if (m_command.defaultFiles.DefFileFlag3 && !WriteRedirect(item, folder, m_command.defaultFiles.DefFile3))
        return false;
    return true;
}

// A real page of that name wins over the redirect: the page itself, one of
// this job, or one the cache holds beside the page.
bool ExportJob::IsRealPage(const TCacheEntry& entry, const std::string& pageName)
{
    if (EqualFolded(pageName, m_command.defaultFiles.DefFile1))
        return true;
    const std::string sitePath = entry.SitePath.substr(0, entry.SitePath.rfind('/') + 1) + pageName;
    if (m_jobSitePaths.count(sitePath) != 0)
        return true;
    const std::string url = SiblingUrl(entry.SourceUrl, pageName);
    CacheEntryBuffer block;
    DWORD size = block.size();
    return !url.empty() && (m_cache.GetUrlCacheEntryInfoA(url.c_str(), block.info(), &size) ||
                            m_cache.LastError() == ERROR_INSUFFICIENT_BUFFER);
}

bool ExportJob::WriteRedirect(const Item& item, int folder, const std::string& pageName)
{
    if (IsRealPage(item.entry, pageName))
        return true;
    const std::string pagePath = RedirectPagePath(item.destPath, pageName);
    if (!IsSafeDestination(m_command.copyDir, pagePath) || pageName.find('/') != std::string::npos)
        return Stop(PathFailure(kRedirectFailedCaption, kCannotRedirect, pagePath,
                                "not a file name inside the destination folder"));
    if (const int error = WriteRedirectPage(folder, pageName, m_command.defaultFiles.DefFile1))
        return Stop(PathFailure(kRedirectFailedCaption, kCannotRedirect, pagePath, TargetReason(folder, pageName, error)));
    return true;
}

// An entry that cannot be deleted (a read-only cache) stops the job: a move
// must not quietly turn into a copy.
bool ExportJob::RemoveFromCache(const TCacheEntry& entry)
{
    if (m_cache.DeleteUrlCacheEntryA(entry.CacheKey()) || m_cache.LastError() == ERROR_FILE_NOT_FOUND)
        return true;
    const std::string reason = m_cache.LastErrorText();
    return Stop({"DeleteUrlCacheEntry", entry.SourceUrl + ": " + reason,
                 "cannot remove from the cache " + entry.SourceUrl + ": " + reason});
}

bool ExportJob::Skip(const JobMessage& message)
{
    m_host.Report({message.caption, message.text, kSkipped + (": " + message.line)}, kMessageExclamation);
    ++m_skipped;
    m_itemSkipped = true;
    return true;
}

bool ExportJob::Stop(const JobMessage& message)
{
    m_host.Report(message, kMessageStop);
    m_cancelled = true;
    m_jobResult = -1;
    return false;
}

} // namespace larkspool
