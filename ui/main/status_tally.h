// The two status bar panels of the file list and the rows' selection marks.
#pragma once

#include "catalogue/cache_entry.h"

#include <string>
#include <vector>

namespace larkspool {

struct StatusTexts {
    std::string objects; // panel 0
    std::string size;    // panel 1
};

// Keeps the Selected marks of the listed records equal to their rows'
// selection and the byte sum of the selected entries; folders count no bytes.
class StatusTally {
public:
    // After a listing: counts and sizes of the whole folder; every mark cleared.
    StatusTexts Listed(std::vector<TListItem*>& items);
    // After row's selection changed to selected, with selectedRows rows now
    // selected in all. A row outside items changes no mark.
    StatusTexts RowChanged(std::vector<TListItem*>& items, int selectedRows, int row, bool selected);

    DWORD SelectedBytes() const { return m_selectedBytes; }

private:
    DWORD m_selectedBytes = 0;
};

} // namespace larkspool
