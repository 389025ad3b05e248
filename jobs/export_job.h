// The export job: copies, moves or deletes catalogue entries, item by item,
// asking through its host before it overwrites anything.
#pragma once

#include "catalogue/cache_entry.h"
#include "jobs/command_state.h"
#include "jobs/overwrite_mode.h"

#include <QtGlobal>
#include <cstdio>
#include <string>
#include <unordered_set>
#include <vector>

struct stat;

namespace larkspool {

class CacheFiles;
class DestinationFolders;
class HtmlReader;
class JobHost;
class SiteMap;
class UrlCache;
struct JobMessage;

// The window caption of an operation kind; empty for any other kind.
std::string ExportCaption(int opKind);

inline constexpr const char* kCopyFailedCaption = QT_TRANSLATE_NOOP("ExportJob", "ｺﾋﾟｰできませんでした。");
inline constexpr const char* kFolderFailedCaption = QT_TRANSLATE_NOOP("ExportJob", "ﾌｫﾙﾀﾞの作成");
inline constexpr const char* kRedirectFailedCaption = QT_TRANSLATE_NOOP("ExportJob", "暗黙のﾌｧｲﾙ(ｵﾌﾟｼｮﾝ)がｺﾋﾟｰできませんでした。");
inline constexpr const char* kTimeFailedCaption = "SetLocalFileTime fails";

class ExportJob {
public:
    // The command is kept, not copied: its job list is read afresh on every
    // item. catalogueEntries are every entry of the catalogue, whose files
    // the links of the written pages and stylesheets name; kept, not copied,
    // and read once when the job starts.
    ExportJob(UrlCache& cache, JobHost& host, const CommandState& command,
              const std::vector<TCacheEntry*>& catalogueEntries);

    // Runs the whole job. Afterwards GetJobResult is 0 when every item was
    // processed, -1 when an error or a cancel stopped it; Skipped() counts
    // the items that could not be written, each reported, while the job
    // went on (an item of a move stays in the cache then).
    void Run();
    int GetJobResult() const { return m_jobResult; }
    std::size_t Skipped() const { return m_skipped; }

    // The item being asked about, while the question is shown.
    const TCacheEntry* CurrentEntry() const { return m_currentEntry; }
    const std::string& CurrentPath() const { return m_currentPath; }

private:
    // One item of a run and what the run carries from item to item.
    struct Item {
        const TCacheEntry& entry;
        const std::string& destPath;
        OverwriteMode& mode;
        HtmlReader& reader;
        DestinationFolders& folders;
        const SiteMap* siteMap;
    };

    void ShowItem(std::size_t i, std::size_t n, const std::string& destPath);
    bool WriteItem(const Item& item);
    bool SettleConflict(const Item& item, int folder, const struct stat& existing, bool& write);
    bool ExportRewritten(const Item& item, std::FILE* in, int target, int folder, bool page);
    bool FinishFile(const Item& item, int target);
    bool IsRealPage(const TCacheEntry& entry, const std::string& pageName);
    bool WriteRedirect(const Item& item, int folder, const std::string& pageName);
    bool RemoveFromCache(const TCacheEntry& entry);
    bool Stop(const JobMessage& message);
    bool Skip(const JobMessage& message);
    bool Writes() const { return m_command.opKind == kOpCopy || m_command.opKind == kOpMove; }
    bool Removes() const { return m_command.opKind == kOpDelete || m_command.opKind == kOpMove; }

    UrlCache& m_cache;
    JobHost& m_host;
    const CommandState& m_command;
    const std::vector<TCacheEntry*>& m_catalogueEntries;
    bool m_cancelled = false;
    int m_jobResult = 0;
    std::size_t m_skipped = 0;
    bool m_itemSkipped = false;
    const CacheFiles* m_cacheFiles = nullptr; // while Run() runs
    const TCacheEntry* m_currentEntry = nullptr;
    std::string m_currentPath;
    // The SitePaths of the run's job list.
    std::unordered_set<std::string> m_jobSitePaths;
};

} // namespace larkspool
