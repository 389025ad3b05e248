// What the status bar says about the open folder: the number of rows and
// their bytes, or the number of selected rows and the bytes of the selected
// entries. The byte sum is kept as it changes, row by row, through each
// entry's Selected mark, so a selection change costs O(1).
#include "ui/main/status_tally.h"

#include "catalogue/size_date_texts.h"

#include <QString>

namespace larkspool {
namespace {

std::string Format(const char* pattern, int count)
{
    return QString::fromUtf8(pattern).arg(count).toStdString();
}

} // namespace

StatusTexts StatusTally::Listed(std::vector<TListItem*>& items)
{
    DWORD total = 0;
    for (TListItem* item : items) {
        if (item->Kind == 'C')
            total += static_cast<const TCacheEntry*>(item)->SizeLow;
        item->Selected = false;
    }
    m_selectedBytes = 0;
    return {Format("%1 個のｵﾌﾞｼﾞｪｸﾄ", int(items.size())), FormatSizeText(total, 0)};
}

StatusTexts StatusTally::RowChanged(std::vector<TListItem*>& items, int selectedRows, int row, bool selected)
{
    if (selectedRows <= 0)
        return Listed(items);
    if (row >= 0 && std::size_t(row) < items.size()) {
        TListItem* item = items[std::size_t(row)];
        if (item->Kind == 'C' && item->Selected != selected) {
            const DWORD size = static_cast<const TCacheEntry*>(item)->SizeLow;
            m_selectedBytes = selected ? m_selectedBytes + size : m_selectedBytes - size;
        }
        item->Selected = selected;
    }
    return {Format("%1 のｵﾌﾞｼﾞｪｸﾄを選択", selectedRows), FormatSizeText(m_selectedBytes, 0)};
}

} // namespace larkspool
