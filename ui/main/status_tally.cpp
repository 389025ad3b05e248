// What the status bar says about the open folder: the number of rows and
// their bytes, or the number of selected rows and the bytes of the selected
// entries. The byte sum is kept as it changes, row by row, through each
// entry's Selected mark, so a selection change costs O(1).
#include "ui/main/status_tally.h"

#include "catalogue/size_date_texts.h"
#include "catalogue/translated_text.h"

#include <QCoreApplication>

namespace larkspool {

StatusTexts StatusTally::Listed(std::vector<TListItem*>& items)
{
    DWORD total = 0;
    for (TListItem* item : items) {
        if (item->Kind == 'C')
            total += static_cast<const TCacheEntry*>(item)->SizeLow;
        item->Selected = false;
    }
    m_selectedBytes = 0;
    return {QCoreApplication::translate("StatusTally", "%n 個のｵﾌﾞｼﾞｪｸﾄ", nullptr, int(items.size())).toStdString(),
            FormatSizeText(total, 0)};
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
    // The English says "3 of 12 items selected"; the program's own text names no total.
    const std::string selectedText = FillIn(Translated("StatusTally", "%1 のｵﾌﾞｼﾞｪｸﾄを選択"),
                                            {std::to_string(selectedRows), std::to_string(items.size())});
    return {selectedText, FormatSizeText(m_selectedBytes, 0)};
}

} // namespace larkspool
