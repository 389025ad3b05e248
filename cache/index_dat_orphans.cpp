// Finding orphans: every file name the records hold, per sub-folder, against
// what the sub-folders hold. Names are compared without case, so that a name
// a Windows writer spelt otherwise keeps its file.
#include "cache/index_dat_orphans.h"

#include "base/byte_text.h"

#include "cache/cache_file_name.h"
#include "cache/index_dat_store.h"

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace larkspool {

using namespace indexdat;

namespace {

using NamedFiles = std::vector<std::set<std::string>>;

void Name(NamedFiles& named, const UrlRecord& record)
{
    if (record.fileName && record.folder < kMaxFolders)
        named[record.folder].insert(LowerAsciiText(*record.fileName));
}

// The folded file names the live records hold, per sub-folder index. strict:
// nullopt when some record that may name a file cannot be read, or LEAK
// records (which name files too) are listed; else those are passed over.
std::optional<NamedFiles> LiveNamedFiles(const IndexDatStore& store, bool strict)
{
    const auto bytes = store.Bytes();
    if (strict && (std::uint64_t(kLeakListOffset) + 4 > bytes.size() || Load32(bytes.data() + kLeakListOffset) != 0))
        return std::nullopt;
    const auto tables = store.HashTables();
    if (strict && !store.ChainComplete(tables))
        return std::nullopt;
    NamedFiles named(kMaxFolders);
    for (const HashTableRef& table : tables) {
        for (std::uint32_t i = 0; i < table.slots; ++i) {
            const auto slot = store.SlotAt(table, i);
            if (!slot)
                continue;
            if (std::uint64_t(slot->record) + 4 <= bytes.size() && Load32(bytes.data() + slot->record) == kRedrSignature)
                continue; // a redirect names no file
            const auto record = ParseUrlRecord(bytes, slot->record);
            if (!record && strict)
                return std::nullopt;
            if (record)
                Name(named, *record);
        }
    }
    return named;
}

// Visits the regular files of the header's sub-folders that named does not
// hold, never a link, index.dat or desktop.ini.
template <typename Visit>
void VisitUnnamedFiles(const IndexDatStore& store, const std::filesystem::path& folder, const NamedFiles& named,
                       Visit visit)
{
    for (std::uint32_t i = 0; i < store.FolderCount() && i < kMaxFolders; ++i) {
        const std::string name = store.FolderName(i);
        std::error_code error;
        if (name.empty() || std::filesystem::symlink_status(folder / name, error).type() != std::filesystem::file_type::directory)
            continue;
        for (std::filesystem::directory_iterator it(folder / name, error), end; !error && it != end; it.increment(error)) {
            const std::filesystem::directory_entry& entry = *it;
            const std::string file = entry.path().filename().string();
            std::error_code ignored;
            if (entry.symlink_status(ignored).type() != std::filesystem::file_type::regular ||
                named[i].contains(LowerAsciiText(file)) || IsIndexFileName(file) || LowerAsciiText(file) == "desktop.ini")
                continue;
            visit(entry.path());
        }
    }
}

} // namespace

std::size_t RemoveOrphanFiles(const IndexDatStore& store, const std::filesystem::path& folder, std::uint64_t now)
{
    const auto named = LiveNamedFiles(store, true);
    if (!named)
        return 0;
    std::size_t removed = 0;
    VisitUnnamedFiles(store, folder, *named, [&](const std::filesystem::path& path) {
        const std::uint64_t changed = FileChangeTicks(path);
        std::error_code ignored;
        if (changed != 0 && changed + kOrphanAgeTicks <= now && std::filesystem::remove(path, ignored))
            ++removed;
    });
    return removed;
}

std::vector<std::filesystem::path> LeftoverFiles(const IndexDatStore& store, const std::filesystem::path& folder,
                                                 const std::vector<UrlRecord>& recovered)
{
    NamedFiles named = *LiveNamedFiles(store, false);
    for (const UrlRecord& record : recovered)
        Name(named, record);
    std::vector<std::filesystem::path> files;
    VisitUnnamedFiles(store, folder, named, [&](const std::filesystem::path& path) { files.push_back(path); });
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace larkspool
