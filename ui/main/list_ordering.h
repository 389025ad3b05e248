// The order of the file list's rows: one of its columns, ascending or
// descending, folders before files when ascending, ties broken by name.
#pragma once

#include "catalogue/cache_entry.h"

#include <QString>

#include <vector>

namespace larkspool {

class FileTypeTable;

// The five columns always shown, then the details view's optional ones.
enum SortColumnIndex {
    kColumnName = 0,
    kColumnTitle = 1,
    kColumnSize = 2,
    kColumnType = 3,
    kColumnDate = 4,
    kColumnUrl = 5,
    kColumnContentType = 6,
    kColumnLastAccess = 7,
    kColumnPartition = 8,
    kColumnCount = 9
};
inline constexpr int kFirstOptionalColumn = kColumnUrl;

// <0, 0, >0 as a goes before, ties with or goes after b; the sign is reversed
// when descending.
using CompareItems = int (*)(const TListItem& a, const TListItem& b, bool descending, const FileTypeTable& types);

int CompareByName(const TListItem& a, const TListItem& b, bool descending, const FileTypeTable& types);
int CompareByTitle(const TListItem& a, const TListItem& b, bool descending, const FileTypeTable& types);
int CompareBySize(const TListItem& a, const TListItem& b, bool descending, const FileTypeTable& types);
int CompareByType(const TListItem& a, const TListItem& b, bool descending, const FileTypeTable& types);
int CompareByDate(const TListItem& a, const TListItem& b, bool descending, const FileTypeTable& types);

CompareItems CompareFunctionOf(int column);

// Quicksort by exchanges over [lo, hi] with the middle record as pivot; not
// stable.
void QuickSortItems(std::vector<TListItem*>& items, int lo, int hi, CompareItems compare, bool descending,
                    const FileTypeTable& types);

// The ordering state: program wide, reset by each refresh.
struct ListOrdering {
    int SortColumn = kColumnName;
    bool SortDescending = false;

    // A header click or sort menu item: the same column reverses the
    // direction, another one starts ascending.
    void ChooseColumn(int column);
    void Reset() { *this = ListOrdering{}; }
    void Sort(std::vector<TListItem*>& items, const FileTypeTable& types) const;
};

// The column of a sort menu item ("mnuSortByName" ...); -1 for other names.
int SortMenuColumn(const QString& name);

} // namespace larkspool
