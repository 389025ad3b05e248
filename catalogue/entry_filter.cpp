#include "catalogue/entry_filter.h"

#include "browsercache/local_file_extension.h"
#include "catalogue/display_text.h"

#include <algorithm>
#include <array>
#include <utility>

namespace larkspool {
namespace {

constexpr std::array<std::pair<std::string_view, EntryTypeGroup>, 6> kGroupNames{{
    {"pages", EntryTypeGroup::Pages},
    {"images", EntryTypeGroup::Images},
    {"scripts", EntryTypeGroup::Scripts},
    {"styles", EntryTypeGroup::Styles},
    {"media", EntryTypeGroup::Media},
    {"other", EntryTypeGroup::Other},
}};

} // namespace

std::optional<EntryTypeGroup> ParseEntryTypeGroup(std::string_view name)
{
    for (const auto& [known, group] : kGroupNames)
        if (name == known)
            return group;
    return std::nullopt;
}

EntryTypeGroup TypeGroupOf(const TCacheEntry& entry)
{
    const std::size_t dot = entry.Name.rfind('.');
    const std::string type =
        dot == std::string::npos ? std::string() : browsercache::ContentTypeOfExtension(entry.Name.substr(dot + 1));
    if (type == "text/html" || type == "application/xhtml+xml")
        return EntryTypeGroup::Pages;
    if (type.starts_with("image/"))
        return EntryTypeGroup::Images;
    if (type.ends_with("javascript"))
        return EntryTypeGroup::Scripts;
    if (type == "text/css")
        return EntryTypeGroup::Styles;
    if (type.starts_with("audio/") || type.starts_with("video/"))
        return EntryTypeGroup::Media;
    return EntryTypeGroup::Other;
}

bool EntryFilter::Matches(const TCacheEntry& entry) const
{
    const std::uint64_t size = std::uint64_t(entry.SizeHigh) << 32 | entry.SizeLow;
    if ((largerThan && size <= *largerThan) || (smallerThan && size >= *smallerThan) ||
        (since && entry.ModifiedUtc < *since) || (until && entry.ModifiedUtc > *until) ||
        (type && TypeGroupOf(entry) != *type))
        return false;
    if (text.empty())
        return true;
    const bool inBytes = ContainsFolded(entry.SourceUrl, text) || ContainsFolded(entry.Name, text) ||
                         ContainsFolded(entry.Title, text);
    if (!shownText)
        return inBytes;
    // What the window shows of ASCII is those bytes, so an ASCII text not
    // in the bytes is not shown either: most entries need no decoding.
    if (!inBytes && std::all_of(text.begin(), text.end(), [](char c) { return (unsigned char)(c) < 0x80; }))
        return false;
    const QString shown = QString::fromUtf8(text);
    return DisplayText(entry.SourceUrl).contains(shown, Qt::CaseInsensitive) ||
           DisplayText(entry.Name).contains(shown, Qt::CaseInsensitive) ||
           DisplayText(entry.Title).contains(shown, Qt::CaseInsensitive);
}

} // namespace larkspool
