// The run of the export job. Each item: show progress and let the cancel
// button through, then (copy, move) create its folder, settle a conflict,
// write the file or rewrite the page, give it the entry's time, and (move,
// delete) remove the entry from the cache. An error or a cancel at the
// question stops before the entry is removed, so a failed item of a move
// stays in the cache.
#include "export/export_job.h"

#include "cache/url_cache.h"
#include "export/destination_path.h"
#include "export/file_helpers.h"
#include "export/file_times.h"
#include "export/job_host.h"
#include "export/job_progress.h"
#include "export/overwrite_question.h"
#include "export/redirect_page.h"
#include "html/html_rewriter.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace larkspool {
namespace {

bool Exists(const std::string& path)
{
    return ::access(path.c_str(), F_OK) == 0;
}

// Pages go through the rewriter by the cached file's extension.
bool IsHtmlFile(const std::string& localFile)
{
    const std::string name = FileNameOf(localFile);
    const std::size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    return EqualFolded(extension, ".htm") || EqualFolded(extension, ".html");
}

// The page's folder in the exported tree, ending in "/": host/docs/index.html
// gives host/docs/.
std::string SiteFolder(const std::string& sitePath)
{
    const std::size_t scheme = sitePath.find("//");
    std::string folder = scheme == std::string::npos ? sitePath : sitePath.substr(scheme + 2);
    const std::size_t slash = folder.rfind('/');
    if (slash != std::string::npos)
        folder.resize(slash + 1);
    return folder;
}

// The newer rule: write only over a file strictly older than the entry. A
// file whose time cannot be read is kept.
bool ExistingIsOlder(const std::string& path, FileTicks modified)
{
    FileTicks existing = 0;
    return GetLocalFileTime(path, existing) == 0 && existing < modified;
}

} // namespace

const char* ExportCaption(int opKind)
{
    switch (opKind) {
    case kOpCopy:
        return "ｷｬｯｼｭからｺﾋﾟｰしています...";
    case kOpDelete:
        return "ｷｬｯｼｭから削除しています...";
    case kOpMove:
        return "ｷｬｯｼｭから移動しています...";
    default:
        return nullptr;
    }
}

ExportJob::ExportJob(UrlCache& cache, JobHost& host) : m_cache(cache), m_host(host) {}

void ExportJob::Run()
{
    HtmlReader reader;
    m_jobResult = 0;
    m_cancelled = false;
    OverwriteMode mode = OverwriteMode::None;
    if (Removes() && m_cache.Kind().readOnly) {
        Stop(kReadOnlyCacheText, ExportCaption(m_opKind));
        return;
    }
    for (std::size_t i = 0; m_jobList && i < m_jobList->size(); ++i) {
        const TCacheEntry& entry = *(*m_jobList)[i];
        const std::string destPath = DestinationPath(m_copyDir, entry.SitePath);
        ShowItem(i, m_jobList->size(), destPath);
        if (Writes() && !WriteItem(entry, destPath, mode, reader))
            break;
        // Also when nothing was written: a finished move has removed every entry.
        if (Removes())
            m_cache.DeleteUrlCacheEntryA(entry.SourceUrl.c_str());
        if (m_cancelled)
            break;
    }
    m_currentEntry = nullptr;
    m_currentPath.clear();
}

void ExportJob::ShowItem(std::size_t i, std::size_t n, const std::string& destPath)
{
    m_host.ShowProgress(ProgressPosition(i, n), RemainingCountText(n - i), FileNameOf(destPath));
    std::string folders = std::string("'") + m_cache.Kind().name + "' から ";
    if (Writes())
        folders += "'" + ParentFolderName(destPath) + "' へ";
    m_host.ShowFolders(folders);
    m_host.ProcessEvents();
    if (m_host.CancelRequested()) {
        m_cancelled = true;
        m_jobResult = -1;
    }
}

// False when the job must stop here, the entry staying in the cache.
bool ExportJob::WriteItem(const TCacheEntry& entry, const std::string& destPath, OverwriteMode& mode,
                          HtmlReader& reader)
{
    if (!IsSafeDestination(m_copyDir, destPath))
        return Stop(destPath, kCopyFailedCaption);
    const std::string folder = FolderOf(destPath);
    if (!Exists(folder) && CreateFolderPath(folder) != 0)
        return Stop("'" + folder + "'ﾌｫﾙﾀﾞが作成できませんでした。", kFolderFailedCaption);
    if (Exists(destPath)) {
        m_currentEntry = &entry;
        m_currentPath = destPath;
        const ConflictRule rule =
            DecideConflict(mode, [&] { return m_host.AskOverwrite(MakeExportQuestion(entry, destPath)); });
        if (rule == ConflictRule::Stop) {
            m_cancelled = true;
            m_jobResult = -1;
            return false;
        }
        if (rule == ConflictRule::Keep || (rule == ConflictRule::WriteIfNewer && !ExistingIsOlder(destPath, entry.Modified)))
            return true;
    }
    if (m_cache.Kind().filesOnDemand && !m_cache.RetrieveUrlCacheEntryFileA(entry.SourceUrl.c_str(), nullptr, nullptr, 0))
        return Stop(destPath, kCopyFailedCaption);
    if (IsHtmlFile(entry.LocalFile)) {
        if (!ExportPage(entry, destPath, reader))
            return false;
    } else {
        std::error_code error;
        std::filesystem::copy_file(entry.LocalFile, destPath, std::filesystem::copy_options::overwrite_existing,
                                   error);
        if (error)
            return Stop(destPath, kCopyFailedCaption);
    }
    if (SetLocalFileTime(destPath, entry.Modified) != 0)
        return Stop(destPath, kTimeFailedCaption);
    return true;
}

bool ExportJob::ExportPage(const TCacheEntry& entry, const std::string& destPath, HtmlReader& reader)
{
    if (RewriteHtmlFile(reader, entry.LocalFile, SiteFolder(entry.SitePath), m_defFiles.DefFile1, kExportMode,
                        destPath, m_copyDir) != kRewriteOk)
        return Stop(destPath, kCopyFailedCaption);
    const std::size_t slash = entry.SitePath.rfind('/');
    if (slash == std::string::npos || !EqualFolded(entry.SitePath.substr(slash + 1), m_defFiles.DefFile1))
        return true;
    if (m_defFiles.DefFileFlag2 && !WriteRedirect(destPath, m_defFiles.DefFile2))
        return false;
    if (m_defFiles.DefFileFlag3 && !WriteRedirect(destPath, m_defFiles.DefFile3))
        return false;
    return true;
}

bool ExportJob::WriteRedirect(const std::string& destPath, const std::string& pageName)
{
    const std::string pagePath = RedirectPagePath(destPath, pageName);
    if (!IsSafeDestination(m_copyDir, pagePath) || WriteRedirectPage(destPath, pageName, m_defFiles.DefFile1) != 0)
        return Stop(pagePath, kRedirectFailedCaption);
    return true;
}

bool ExportJob::Stop(const std::string& text, const std::string& caption)
{
    m_host.Report(text, caption, kMessageStop);
    m_cancelled = true;
    m_jobResult = -1;
    return false;
}

} // namespace larkspool
