// Finding entries: which catalogue entries a text and ranges of type, size
// and modified time select. The conditions narrow together.
#pragma once

#include "catalogue/cache_entry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace larkspool {

enum class EntryTypeGroup { Pages, Images, Scripts, Styles, Media, Other };

// "pages", "images", "scripts", "styles", "media" or "other"; nullopt for any other text.
std::optional<EntryTypeGroup> ParseEntryTypeGroup(std::string_view name);

// By the type its name's extension has, as the export and the archive type files.
EntryTypeGroup TypeGroupOf(const TCacheEntry& entry);

struct EntryFilter {
    std::string text; // in SourceUrl, Name or Title, ASCII letters in any case, other bytes as stored
    // text is UTF-8 and is looked for in what the window shows of each
    // field (DisplayText: Shift-JIS and JIS decoded), letters in any case.
    bool shownText = false;
    std::optional<EntryTypeGroup> type;
    std::optional<std::uint64_t> largerThan;  // bytes of the (decoded) size
    std::optional<std::uint64_t> smallerThan;
    std::optional<FileTicks> since; // ModifiedUtc at or after
    std::optional<FileTicks> until; // ModifiedUtc at or before

    bool Matches(const TCacheEntry& entry) const;
    // Whether every entry this filter matches, wider matches too: the same
    // conditions, with a text that holds wider's (a find typed on).
    bool Narrows(const EntryFilter& wider) const;
    // No condition at all.
    bool SelectsAll() const { return text.empty() && !type && !largerThan && !smallerThan && !since && !until; }
};

} // namespace larkspool
