// What a find selects: the type group a name's extension gives, and the
// conditions narrowing together, a text in any ASCII case but other bytes
// as stored.
#include "catalogue/entry_filter.h"

#include <gtest/gtest.h>

namespace {

using namespace larkspool;

TCacheEntry Entry(const std::string& name, std::uint64_t size = 10, FileTicks modified = 1000)
{
    TCacheEntry entry;
    entry.SourceUrl = "http://Host.example/dir/" + name;
    entry.Name = name;
    entry.SizeLow = DWORD(size);
    entry.SizeHigh = DWORD(size >> 32);
    entry.ModifiedUtc = modified;
    return entry;
}

TEST(EntryFilter, the_type_group_comes_from_the_name_s_extension_in_any_case)
{
    const std::pair<const char*, EntryTypeGroup> cases[] = {
        {"a.htm", EntryTypeGroup::Pages},     {"index.HTML", EntryTypeGroup::Pages},
        {"x.shtml", EntryTypeGroup::Pages},   {"p.JPEG", EntryTypeGroup::Images},
        {"i.svg", EntryTypeGroup::Images},    {"m.mjs", EntryTypeGroup::Scripts},
        {"s.js", EntryTypeGroup::Scripts},    {"c.css", EntryTypeGroup::Styles},
        {"v.mp4", EntryTypeGroup::Media},     {"a.ogg", EntryTypeGroup::Media},
        {"f.woff2", EntryTypeGroup::Other},   {"noextension", EntryTypeGroup::Other},
        {"trailing.", EntryTypeGroup::Other},
    };
    for (const auto& [name, group] : cases)
        EXPECT_EQ(TypeGroupOf(Entry(name)), group) << name;
    EXPECT_EQ(ParseEntryTypeGroup("media"), EntryTypeGroup::Media);
    EXPECT_EQ(ParseEntryTypeGroup("Media"), std::nullopt);
}

TEST(EntryFilter, conditions_narrow_together_with_open_ends_where_unset)
{
    const TCacheEntry page = Entry("page.htm", 100, 5000);
    EntryFilter filter;
    EXPECT_TRUE(filter.Matches(page));

    filter.text = "HOST.EXAMPLE/DIR";
    filter.type = EntryTypeGroup::Pages;
    filter.largerThan = 99;
    filter.smallerThan = 101;
    filter.since = 5000;
    filter.until = 5000;
    EXPECT_TRUE(filter.Matches(page));

    for (auto narrow : std::initializer_list<void (*)(EntryFilter&)>{
             [](EntryFilter& f) { f.text = "elsewhere"; },
             [](EntryFilter& f) { f.type = EntryTypeGroup::Images; },
             [](EntryFilter& f) { f.largerThan = 100; },
             [](EntryFilter& f) { f.smallerThan = 100; },
             [](EntryFilter& f) { f.since = 5001; },
             [](EntryFilter& f) { f.until = 4999; },
         }) {
        EntryFilter narrower = filter;
        narrow(narrower);
        EXPECT_FALSE(narrower.Matches(page));
    }
}

TEST(EntryFilter, the_text_is_found_in_the_title_too_and_only_ascii_letters_fold)
{
    TCacheEntry page = Entry("a.htm");
    page.Title = "Caf\xC3\xA9 \x93\xFA\x96\x7B"; // UTF-8 "Café", then Shift-JIS 日本
    EntryFilter filter;

    filter.text = "caf\xC3\xA9";
    EXPECT_TRUE(filter.Matches(page));
    filter.text = "CAF\xC3\x89"; // É is no ASCII letter: no match
    EXPECT_FALSE(filter.Matches(page));
    filter.text = "\x93\xFA\x96\x7B";
    EXPECT_TRUE(filter.Matches(page));
}

} // namespace

TEST(EntryFilter, the_windows_text_is_found_in_what_each_field_shows_not_in_its_bytes)
{
    TCacheEntry page = Entry("\x83\x41.htm");                 // Shift-JIS ア: its trail byte is "A"
    page.Title = "\x1b$B$3$s\x1b(B";                           // JIS こん: its bytes are ASCII
    page.SourceUrl = "http://nihon.jp/\xe6\x97\xa5.htm";        // UTF-8 日
    EntryFilter filter;
    filter.shownText = true;

    for (const char* hidden : {"a", "$3", "B$3"}) {
        filter.text = hidden;
        EXPECT_FALSE(filter.Matches(page)) << hidden;
    }
    for (const char* shown : {"\xe3\x82\xa2", "\xe3\x81\x93\xe3\x82\x93", "\xe6\x97\xa5", "NIHON.jp", ".HTM"}) {
        filter.text = shown;
        EXPECT_TRUE(filter.Matches(page)) << shown;
    }
}
