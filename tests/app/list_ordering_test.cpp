#include "ui/main/list_ordering.h"
#include "catalogue/file_type_table.h"
#include "catalogue/folder_tree.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

using namespace larkspool;

class ListOrder : public ::testing::Test {
protected:
    TListItem* Folder(const char* name)
    {
        TFolderEntry& folder = m_folders.emplace_back();
        folder.Name = name;
        return &folder;
    }
    TListItem* File(const char* name, DWORD size = 0, FileTicks modified = 0, const char* title = "")
    {
        TCacheEntry& entry = m_entries.emplace_back();
        entry.Name = name;
        entry.SizeLow = size;
        entry.Modified = modified;
        entry.Title = title;
        return &entry;
    }
    static std::vector<std::string> Names(const std::vector<TListItem*>& items)
    {
        std::vector<std::string> names;
        for (const TListItem* item : items)
            names.push_back(item->Name);
        return names;
    }
    std::vector<std::string> Sorted(std::vector<TListItem*> items, int column, bool descending)
    {
        ListOrdering ordering;
        ordering.SortColumn = column;
        ordering.SortDescending = descending;
        ordering.Sort(items, m_types);
        return Names(items);
    }

    std::deque<TFolderEntry> m_folders;
    std::deque<TCacheEntry> m_entries;
    FileTypeTable m_types;
};

TEST_F(ListOrder, name_order_puts_folders_first_ascending_and_last_descending)
{
    const std::vector<TListItem*> items{File("b.htm"), Folder("zoo"), File("a.htm"), Folder("Apple")};

    EXPECT_EQ(Sorted(items, kColumnName, false), (std::vector<std::string>{"Apple", "zoo", "a.htm", "b.htm"}));
    EXPECT_EQ(Sorted(items, kColumnName, true), (std::vector<std::string>{"b.htm", "a.htm", "zoo", "Apple"}));
}

TEST_F(ListOrder, the_name_rule_compares_base_then_extension)
{
    struct Row {
        const char* first;
        const char* second;
        int sign;
    };
    const Row rows[] = {
        {"abc.gif", "abc.html", -1},
        {"ab.html", "ab.c.html", -1},
        {"a.txt", "A.TXT", 0},
        {"readme", "readme.txt", -1},
        {"b", "a.zzz", 1},
    };
    for (const Row& row : rows) {
        TListItem* a = File(row.first);
        TListItem* b = File(row.second);

        const int result = CompareByName(*a, *b, false, m_types);

        EXPECT_EQ((result > 0) - (result < 0), row.sign) << row.first << " vs " << row.second;
    }
}

TEST_F(ListOrder, every_column_breaks_ties_by_name_and_reverses_them_descending)
{
    const std::vector<TListItem*> items{File("b.gif", 10, 5, "T"), File("a.gif", 10, 5, "T"), File("c.gif", 3, 9, "S")};

    EXPECT_EQ(Sorted(items, kColumnSize, false), (std::vector<std::string>{"c.gif", "a.gif", "b.gif"}));
    EXPECT_EQ(Sorted(items, kColumnSize, true), (std::vector<std::string>{"b.gif", "a.gif", "c.gif"}));
    EXPECT_EQ(Sorted(items, kColumnDate, false), (std::vector<std::string>{"a.gif", "b.gif", "c.gif"}));
    EXPECT_EQ(Sorted(items, kColumnDate, true), (std::vector<std::string>{"c.gif", "b.gif", "a.gif"}));
    EXPECT_EQ(Sorted(items, kColumnTitle, false), (std::vector<std::string>{"c.gif", "a.gif", "b.gif"}));
    EXPECT_EQ(Sorted(items, kColumnType, false), (std::vector<std::string>{"a.gif", "b.gif", "c.gif"}));
}

TEST_F(ListOrder, titles_compare_case_sensitively_with_the_empty_title_first)
{
    const std::vector<TListItem*> items{File("1.htm", 0, 0, "apple"), File("2.htm", 0, 0, "Zebra"), File("3.htm")};

    EXPECT_EQ(Sorted(items, kColumnTitle, false), (std::vector<std::string>{"3.htm", "2.htm", "1.htm"}));
}

TEST_F(ListOrder, sizes_compare_as_64_bit_numbers)
{
    TListItem* big = File("big");
    static_cast<TCacheEntry*>(big)->SizeHigh = 1;
    const std::vector<TListItem*> items{big, File("small", 0xffffffffu)};

    EXPECT_EQ(Sorted(items, kColumnSize, false), (std::vector<std::string>{"small", "big"}));
}

TEST_F(ListOrder, folders_keep_name_order_in_every_ascending_column)
{
    const std::vector<TListItem*> items{Folder("b"), File("x", 1), Folder("a"), Folder("C")};

    for (int column = 0; column < 5; ++column)
        EXPECT_EQ(Sorted(items, column, false), (std::vector<std::string>{"a", "b", "C", "x"})) << column;
}

TEST_F(ListOrder, choosing_the_same_column_reverses_and_another_starts_ascending)
{
    ListOrdering ordering;

    ordering.ChooseColumn(kColumnName);
    EXPECT_TRUE(ordering.SortDescending);
    ordering.ChooseColumn(kColumnSize);
    EXPECT_EQ(ordering.SortColumn, kColumnSize);
    EXPECT_FALSE(ordering.SortDescending);
    ordering.ChooseColumn(kColumnSize);
    EXPECT_TRUE(ordering.SortDescending);
    ordering.Reset();
    EXPECT_EQ(ordering.SortColumn, kColumnName);
    EXPECT_FALSE(ordering.SortDescending);
}

TEST_F(ListOrder, quicksort_handles_empty_single_and_many_rows)
{
    EXPECT_EQ(Sorted({}, kColumnName, false), std::vector<std::string>{});
    EXPECT_EQ(Sorted({File("only")}, kColumnName, false), std::vector<std::string>{"only"});

    std::vector<TListItem*> many;
    for (int i = 999; i >= 0; --i)
        many.push_back(File(std::to_string(100000 + (i * 7919) % 1000).c_str()));
    const std::vector<std::string> names = Sorted(many, kColumnName, false);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
}

TEST_F(ListOrder, sort_menu_items_name_their_columns)
{
    EXPECT_EQ(SortMenuColumn("mnuSortByName"), kColumnName);
    EXPECT_EQ(SortMenuColumn("mnuSortByType"), kColumnType);
    EXPECT_EQ(SortMenuColumn("mnuSortBySize"), kColumnSize);
    EXPECT_EQ(SortMenuColumn("mnuSortByDate"), kColumnDate);
    EXPECT_EQ(SortMenuColumn("mnuSortByTitle"), -1);
}

} // namespace
