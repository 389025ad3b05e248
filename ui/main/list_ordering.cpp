// Comparison functions of the list columns and the quicksort that
// applies them. Rules shared by every column: two folders compare by name; a
// folder goes before an entry; two entries compare by the column and then by
// the name rule (base before the last ".", then extension). Descending order
// reverses the sign of all three, so files then come before folders.
#include "ui/main/list_ordering.h"

#include "catalogue/file_type_table.h"


namespace larkspool {
namespace {

int Sign(int value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

// ab.html -> ("ab", "html"); a name without "." is all base.
std::pair<std::string, std::string> SplitAtLastDot(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return {name, std::string()};
    return {name.substr(0, dot), name.substr(dot + 1)};
}

int CompareNames(const std::string& a, const std::string& b)
{
    const auto [baseA, extA] = SplitAtLastDot(a);
    const auto [baseB, extB] = SplitAtLastDot(b);
    if (const int byBase = CompareFolded(baseA, baseB))
        return byBase;
    return CompareFolded(extA, extB);
}

const std::string& TypeNameOf(const TCacheEntry& entry, const FileTypeTable& types)
{
    static const std::string none;
    if (entry.TypeIndex < 0 || entry.TypeIndex >= types.GetFileTypeCount())
        return none;
    return types.GetFileTypeRow(entry.TypeIndex).TypeName;
}

template <typename EntryRule>
int CompareItemsBy(const TListItem& a, const TListItem& b, bool descending, EntryRule rule)
{
    int result;
    if (a.Kind != 'C' && b.Kind != 'C') {
        result = CompareFolded(a.Name, b.Name);
    } else if (a.Kind != 'C' || b.Kind != 'C') {
        result = a.Kind != 'C' ? -1 : 1;
    } else {
        const auto& x = static_cast<const TCacheEntry&>(a);
        const auto& y = static_cast<const TCacheEntry&>(b);
        result = rule(x, y);
        if (result == 0)
            result = CompareNames(x.Name, y.Name);
    }
    return descending ? -Sign(result) : result;
}

} // namespace

int CompareByName(const TListItem& a, const TListItem& b, bool descending, const FileTypeTable&)
{
    return CompareItemsBy(a, b, descending, [](const TCacheEntry&, const TCacheEntry&) { return 0; });
}

int CompareByTitle(const TListItem& a, const TListItem& b, bool descending, const FileTypeTable&)
{
    return CompareItemsBy(a, b, descending,
                          [](const TCacheEntry& x, const TCacheEntry& y) { return Sign(x.Title.compare(y.Title)); });
}

int CompareBySize(const TListItem& a, const TListItem& b, bool descending, const FileTypeTable&)
{
    return CompareItemsBy(a, b, descending, [](const TCacheEntry& x, const TCacheEntry& y) {
        return x.Size() < y.Size() ? -1 : (x.Size() > y.Size() ? 1 : 0);
    });
}

int CompareByType(const TListItem& a, const TListItem& b, bool descending, const FileTypeTable& types)
{
    return CompareItemsBy(a, b, descending, [&types](const TCacheEntry& x, const TCacheEntry& y) {
        return CompareFolded(TypeNameOf(x, types), TypeNameOf(y, types));
    });
}

int CompareByDate(const TListItem& a, const TListItem& b, bool descending, const FileTypeTable&)
{
    return CompareItemsBy(a, b, descending, [](const TCacheEntry& x, const TCacheEntry& y) {
        return x.Modified < y.Modified ? -1 : (x.Modified > y.Modified ? 1 : 0);
    });
}

namespace {

template <std::string TCacheEntry::*field>
int CompareByText(const TListItem& a, const TListItem& b, bool descending, const FileTypeTable&)
{
    return CompareItemsBy(a, b, descending,
                          [](const TCacheEntry& x, const TCacheEntry& y) { return Sign((x.*field).compare(y.*field)); });
}

int CompareByLastAccess(const TListItem& a, const TListItem& b, bool descending, const FileTypeTable&)
{
    return CompareItemsBy(a, b, descending, [](const TCacheEntry& x, const TCacheEntry& y) {
        return x.LastAccessUtc < y.LastAccessUtc ? -1 : (x.LastAccessUtc > y.LastAccessUtc ? 1 : 0);
    });
}

} // namespace

CompareItems CompareFunctionOf(int column)
{
    switch (column) {
    case kColumnUrl: return CompareByText<&TCacheEntry::SourceUrl>;
    case kColumnContentType: return CompareByText<&TCacheEntry::ContentType>;
    case kColumnLastAccess: return CompareByLastAccess;
    case kColumnPartition: return CompareByText<&TCacheEntry::Partition>;
    case kColumnTitle: return CompareByTitle;
    case kColumnSize: return CompareBySize;
    case kColumnType: return CompareByType;
    case kColumnDate: return CompareByDate;
    default: return CompareByName;
    }
}

void QuickSortItems(std::vector<TListItem*>& items, int lo, int hi, CompareItems compare, bool descending,
                    const FileTypeTable& types)
{
    while (lo < hi) {
        const TListItem* pivot = items[std::size_t(lo + (hi - lo) / 2)];
        int i = lo;
        int j = hi;
        do {
            while (compare(*items[std::size_t(i)], *pivot, descending, types) < 0)
                ++i;
            while (compare(*items[std::size_t(j)], *pivot, descending, types) > 0)
                --j;
            if (i <= j) {
                std::swap(items[std::size_t(i)], items[std::size_t(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        // Recurse into the smaller side and loop over the larger, so the depth stays logarithmic.
        if (j - lo < hi - i) {
            QuickSortItems(items, lo, j, compare, descending, types);
            lo = i;
        } else {
            QuickSortItems(items, i, hi, compare, descending, types);
            hi = j;
        }
    }
}

void ListOrdering::ChooseColumn(int column)
{
    if (column == SortColumn) {
        SortDescending = !SortDescending;
    } else {
        SortColumn = column;
        SortDescending = false;
    }
}

void ListOrdering::Sort(std::vector<TListItem*>& items, const FileTypeTable& types) const
{
    QuickSortItems(items, 0, int(items.size()) - 1, CompareFunctionOf(SortColumn), SortDescending, types);
}

int SortMenuColumn(const QString& name)
{
    static const struct {
        const char* menu;
        int column;
    } rows[] = {
        {"mnuSortByName", kColumnName},
        {"mnuSortByType", kColumnType},
        {"mnuSortBySize", kColumnSize},
        {"mnuSortByDate", kColumnDate},
    };
    for (const auto& row : rows) {
        if (name == QLatin1String(row.menu))
            return row.column;
    }
    return -1;
}

} // namespace larkspool
