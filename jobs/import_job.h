// The import job: puts collected local files into the URL cache one by one,
// asking through its host before it replaces an entry.
#pragma once

#include "cache/url_cache.h"
#include "jobs/export_job.h"
#include "jobs/overwrite_mode.h"
#include "jobs/import_file_record.h"

#include <QtGlobal>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace larkspool {

class HtmlReader;
class JobHost;
struct JobMessage;

inline constexpr const char* kImportCaption = QT_TRANSLATE_NOOP("ImportJob", "ｷｬｯｼｭへｺﾋﾟｰしています...");
inline constexpr const char* kDuplicateUrlCaption = QT_TRANSLATE_NOOP("ImportJob", "同じ URL のﾌｧｲﾙ");

inline constexpr int kImportOver = 0;
inline constexpr int kImportNew = 2;

class ImportJob {
public:
    ImportJob(UrlCache& cache, JobHost& host);

    // The list is kept, not copied.
    void SetImportList(const std::vector<ImportFileRecord>& importList) { m_importList = &importList; }
    // The folder against which file:// links become web links again.
    void SetBaseFolder(const std::string& baseFolder) { m_baseFolder = baseFolder; }
    void SetDefFiles(const DefaultFiles& defFiles) { m_defFiles = defFiles; }

    // Runs the whole job; GetJobResult is then 0 when every file was
    // processed (a file the cache would not take counts, and so does one
    // passed over, with a warning, because an earlier file had its URL), -1
    // when it stopped.
    void Run();
    int GetJobResult() const { return m_jobResult; }

    // kImportOver import the file over what the cache may hold under its
    // URL, kImportNew import it (the cache holds nothing there), 1 skip it,
    // -1 stop the job. May ask, and may set mode.
    int CheckExistingEntry(const ImportFileRecord& record, OverwriteMode& mode);
    // Deletes every entry of url: 0 once none is left, -1 when a delete fails
    // for another reason.
    int DeleteCacheEntryAll(const std::string& url);

private:
    void ImportAll();
    // replaces: the old entries of the URL are deleted first.
    bool ImportFile(const ImportFileRecord& record, HtmlReader& reader, bool replaces);
    bool Stop(const JobMessage& message);
    // A message box: the cache's lock is let go first, as the user may take
    // a while.
    void Tell(const JobMessage& message, unsigned flags);

    UrlCache& m_cache;
    JobHost& m_host;
    const std::vector<ImportFileRecord>* m_importList = nullptr;
    std::string m_baseFolder;
    // The domain folders of the import list, which relative links may climb into.
    std::set<std::string, std::less<>> m_hostFolders;
    DefaultFiles m_defFiles;
    int m_jobResult = 0;
    // The files share the cache's lock between questions.
    std::optional<CacheLockHold> m_lockHold;
    CacheEntryBuffer m_lookup; // one for every file's look-up
};

} // namespace larkspool
