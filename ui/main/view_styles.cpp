// The table that keeps the toolbar group and the radio menu items of the view
// styles in step: both are set from one row.
#include "ui/main/view_styles.h"

namespace larkspool {

const ViewStyleRow (&ViewStyleRows())[4]
{
    static const ViewStyleRow rows[4] = {
        {ViewStyle::LargeIcon, "sbtLargeIcon", "mnuLargeIcon", true},
        {ViewStyle::SmallIcon, "sbtSmallIcon", "mnuSmallIcon", true},
        {ViewStyle::List, "sbtListIcon", "mnuListIcon", false},
        {ViewStyle::Details, "sbtDetailsIcon", "mnuDetailsIcon", false},
    };
    return rows;
}

const ViewStyleRow* ViewStyleForControl(const QString& name)
{
    for (const ViewStyleRow& row : ViewStyleRows()) {
        if (name == QLatin1String(row.button) || name == QLatin1String(row.menu))
            return &row;
    }
    return nullptr;
}

QString ViewStyleButton(int stored)
{
    if (stored < 0 || stored > 3)
        return {};
    return QLatin1String(ViewStyleRows()[stored].button);
}

} // namespace larkspool
