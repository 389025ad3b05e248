// The run of the import job. Each file: settle a conflict with the entry
// already cached under its URL, delete the old entries, create a cache file,
// fill it (pages through the rewriter, which turns file:// links under the
// base folder back into web links), give it the local file's time and commit
// it. What was committed before a stop stays.
#include "jobs/import_job.h"

#include "base/path_text.h"
#include "cache/input_file.h"
#include "cache/file_ptr.h"
#include "cache/url_cache.h"
#include "catalogue/translated_text.h"
#include "jobs/destination_path.h"
#include "files/file_copy.h"
#include "files/file_helpers.h"
#include "files/file_times.h"
#include "jobs/job_host.h"
#include "jobs/job_progress.h"
#include "html/html_rewriter.h"
#include "html/stylesheet_rewriter.h"
#include "jobs/import_question.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <memory>
#include <string_view>
#include <unordered_map>

namespace larkspool {
namespace {

constexpr const char* kCannotCopy = "cannot copy to";

// What went wrong filling a cache file: errno, whether it was the time, and
// why the local file could not be read when that was it.
struct FillFailure {
    int error = 0;
    bool atTime = false;
    std::string sourceReason;
};

// Fills the file the cache has just made (empty, open as file, or -1 to open
// it by name) through fill and gives it the time modified. Opened without
// O_TRUNC: ext4 writes a file truncated to nothing back to disk as soon as it
// is closed, which made every imported file wait for the disk. The file keeps
// the usual permissions of a new file, whatever the source's.
FillFailure FillCacheFile(int file, const std::string& cacheFile, FileTicks modified,
                          const std::function<int(int, std::string&)>& fill)
{
    if (file < 0)
        file = ::open(cacheFile.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (file < 0)
        return {errno};
    FillFailure failure;
    failure.error = fill(file, failure.sourceReason);
    if (failure.error == 0 && SetFileTimeUtc(file, modified) != 0)
        failure = {errno, true};
    if (::close(file) != 0 && failure.error == 0)
        failure.error = errno;
    return failure;
}

FillFailure CopyToCacheFile(const ImportFileRecord& record, int file, const std::string& cacheFile)
{
    return FillCacheFile(file, cacheFile, record.Modified, [&](int out, std::string& sourceReason) {
        // A FIFO or device put where the listed file was is refused, never waited on.
        const InputFile in(record.LocalPath.c_str());
        if (!in.IsOpen()) {
            sourceReason = record.LocalPath + ": " + in.Error();
            return EIO;
        }
        return CopyFileData(in.Fd(), out);
    });
}

// The page or stylesheet with its file:// links under baseFolder turned back
// into web links.
FillFailure RewriteToCacheFile(HtmlReader& reader, const ImportFileRecord& record, const PageLinks& links,
                               bool page, int file, const std::string& cacheFile)
{
    return FillCacheFile(file, cacheFile, record.Modified, [&](int target, std::string& sourceReason) {
        const FilePtr in(OpenInputStream(record.LocalPath, sourceReason));
        if (!in) {
            sourceReason = record.LocalPath + ": " + sourceReason;
            return EIO;
        }
        const FilePtr out(OpenWriteStream(target));
        if (!out)
            return errno;
        errno = 0;
        if ((page ? RewriteHtmlStream(reader, in.get(), links, out.get())
                  : RewriteStylesheetStream(in.get(), links, out.get())) == kRewriteOk)
            return 0;
        return errno ? errno : EIO;
    });
}

} // namespace

ImportJob::ImportJob(UrlCache& cache, JobHost& host) : m_cache(cache), m_host(host) {}

void ImportJob::Run()
{
    ImportAll();
    m_lockHold.reset();
}

void ImportJob::ImportAll()
{
    HtmlReader reader;
    OverwriteMode mode = OverwriteMode::None;
    // URL -> the record that took it; views into the list, which the job keeps.
    std::unordered_map<std::string_view, const ImportFileRecord*> imported;
    m_jobResult = 0;
    const std::size_t n = m_importList ? m_importList->size() : 0;
    imported.reserve(n);
    m_hostFolders.clear();
    for (std::size_t i = 0; i < n; ++i) {
        const std::string& tree = (*m_importList)[i].TreePath;
        m_hostFolders.insert(tree.substr(0, tree.find('/')));
    }
    if (n > 0 && m_cache.Kind().readOnly) {
        Stop({Translated("ImportJob", kImportCaption), kReadOnlyCacheText,
              std::string("cannot import: ") + kReadOnlyCacheText});
        return;
    }
    for (std::size_t i = 0; i < n; ++i) {
        const ImportFileRecord& record = (*m_importList)[i];
        m_host.ShowProgress(ProgressPosition(i, n), RemainingCountText(n - i), FileNameOf(record.LocalPath));
        if (!m_lockHold)
            m_lockHold.emplace(m_cache);
        // Two names that decode to one URL: the first file keeps it.
        const auto [first, added] = imported.emplace(record.Url, &record);
        const int check = added ? CheckExistingEntry(record, mode) : 1;
        if (!added)
            Tell({Translated("ImportJob", kDuplicateUrlCaption),
                  FillIn(Translated("ImportJob", "'%1' は '%2' と同じ URL (%3) になるため、ｺﾋﾟｰしませんでした。"),
                         {record.LocalPath, first->second->LocalPath, record.Url}),
                  "not imported " + record.LocalPath + ": the same URL (" + record.Url + ") as " +
                      first->second->LocalPath},
                 kMessageExclamation);
        if ((check == kImportOver || check == kImportNew) && !ImportFile(record, reader, check == kImportOver))
            return;
        m_host.ProcessEvents();
        if (check == -1 || m_host.CancelRequested()) {
            m_jobResult = -1;
            return;
        }
    }
}

// False when the job must stop.
bool ImportJob::ImportFile(const ImportFileRecord& record, HtmlReader& reader, bool replaces)
{
    if (replaces && DeleteCacheEntryAll(record.Url) != 0)
        return Stop({"Delete cache file is fails", record.Url,
                     "cannot remove from the cache " + record.Url + ": " + m_cache.LastErrorText()});
    char created[MAX_PATH + 1] = {};
    if (!m_cache.CreateUrlCacheEntryA(record.Url.c_str(), record.Size, record.Extension.c_str(), created, 0)) {
        // One file is skipped; a cache that cannot be written at all would
        // skip every file without a word, so that stops the job.
        const DWORD error = m_cache.LastError();
        if (error == ERROR_ACCESS_DENIED || error == ERROR_DISK_FULL || error == ERROR_FILE_CORRUPT)
            return Stop({"CreateUrlCacheEntry fails", record.Url + ": " + m_cache.LastErrorText(),
                         "cannot make a cache file for " + record.Url + ": " + m_cache.LastErrorText()});
        return true;
    }
    const std::string cacheFile = created;
    m_host.ShowFolders(FillIn(Translated("ImportJob", "'%1' から '%2' へ"),
                              {ParentFolderName(record.LocalPath), ParentFolderName(cacheFile)}));
    const int file = m_cache.TakeCreatedFile(created);
    const FillFailure failure =
        IsHtmlPageName(record.LocalPath) || IsStylesheetName(record.LocalPath)
            ? RewriteToCacheFile(reader, record,
                                 PageLinks::ForImport(ConvertBaseFolder(m_baseFolder), record.TreePath, &m_hostFolders),
                                 IsHtmlPageName(record.LocalPath), file, cacheFile)
            : CopyToCacheFile(record, file, cacheFile);
    if (failure.atTime)
        return Stop(PathFailure("SetLocalFileTime fails", "cannot set the time of", cacheFile,
                                SystemReason(failure.error)));
    if (failure.error != 0)
        return Stop(PathFailure("CopyFile fails", kCannotCopy, cacheFile,
                                failure.sourceReason.empty() ? SystemReason(failure.error) : failure.sourceReason));
    if (!m_cache.CommitUrlCacheEntryA(record.Url.c_str(), cacheFile.c_str(), FILETIME{0, 0},
                                      MakeFileTime(record.Modified), 0, nullptr, 0, record.Extension.c_str(),
                                      nullptr))
        return Stop({"error", "CommitUrlCacheEntry fails",
                     "cannot commit " + record.Url + ": " + CacheErrorText(m_cache.LastError())});
    return true;
}

int ImportJob::CheckExistingEntry(const ImportFileRecord& record, OverwriteMode& mode)
{
    if (mode == OverwriteMode::All)
        return kImportOver;
    CacheEntryBuffer& block = m_lookup;
    DWORD size = block.size();
    BOOL found = m_cache.GetUrlCacheEntryInfoA(record.Url.c_str(), block.info(), &size);
    // An entry too large for the usual block is looked up again in one that fits.
    if (!found && m_cache.LastError() == ERROR_INSUFFICIENT_BUFFER && size > block.size()) {
        block.resize(size);
        size = block.size();
        found = m_cache.GetUrlCacheEntryInfoA(record.Url.c_str(), block.info(), &size);
    }
    if (!found) {
        if (m_cache.LastError() == ERROR_FILE_NOT_FOUND)
            return kImportNew;
        Tell({"GetUrlCacheEntryInfo", Translated("ImportJob", "不明なｴﾗｰが発生しました。"),
              "cannot look up " + record.Url + ": " + CacheErrorText(m_cache.LastError())},
             kMessageStop);
        return -1;
    }
    if (mode == OverwriteMode::NoneAll)
        return 1;
    INTERNET_CACHE_ENTRY_INFOA& info = *block.info();
    if (FileTimeTicks(info.LastModifiedTime) == 0)
        info.LastModifiedTime = info.LastAccessTime;
    const bool localIsNewer = record.Modified > FileTimeTicks(info.LastModifiedTime);
    const ConflictRule rule =
        DecideConflict(mode, [&] {
            m_lockHold.reset();
            return m_host.AskOverwrite(MakeImportQuestion(info, record.LocalPath));
        });
    switch (rule) {
    case ConflictRule::Write:
        return kImportOver;
    case ConflictRule::WriteIfNewer:
        return localIsNewer ? kImportOver : 1;
    case ConflictRule::Stop:
        return -1;
    default:
        return 1;
    }
}

int ImportJob::DeleteCacheEntryAll(const std::string& url)
{
    while (m_cache.DeleteUrlCacheEntryA(url.c_str())) {
    }
    return m_cache.LastError() == ERROR_FILE_NOT_FOUND ? 0 : -1;
}

bool ImportJob::Stop(const JobMessage& message)
{
    Tell(message, kMessageStop);
    m_jobResult = -1;
    return false;
}

void ImportJob::Tell(const JobMessage& message, unsigned flags)
{
    m_lockHold.reset();
    m_host.Report(message, flags);
}

} // namespace larkspool
