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

// No byte above ASCII and no JIS escape.
bool ShowsAsItsBytes(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return (unsigned char)(c) < 0x80 && c != '\x1b'; });
}

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
    const std::uint64_t size = entry.Size();
    if ((largerThan && size <= *largerThan) || (smallerThan && size >= *smallerThan) ||
        (since && entry.ModifiedUtc < *since) || (until && entry.ModifiedUtc > *until) ||
        (type && TypeGroupOf(entry) != *type))
        return false;
    if (text.empty())
        return true;
    if (!shownText)
        return ContainsFolded(entry.SourceUrl, text) || ContainsFolded(entry.Name, text) ||
               ContainsFolded(entry.Title, text);
    const bool asciiText = ShowsAsItsBytes(text);
    const auto shows = [&](const std::string& field) {
        // ASCII bytes show as themselves, and nothing else shows as ASCII:
        // only a field with other bytes needs decoding.
        if (asciiText && !ContainsFolded(field, text))
            return false;
        if (ShowsAsItsBytes(field))
            return asciiText;
        return DisplayText(field).contains(QString::fromUtf8(text), Qt::CaseInsensitive);
    };
    return shows(entry.SourceUrl) || shows(entry.Name) || shows(entry.Title);
}

bool EntryFilter::Narrows(const EntryFilter& wider) const
{
    return shownText == wider.shownText && type == wider.type && largerThan == wider.largerThan &&
           smallerThan == wider.smallerThan && since == wider.since && until == wider.until &&
           ContainsFolded(text, wider.text);
}

} // namespace larkspool
