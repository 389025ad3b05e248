// The four view styles of the file list and the controls that choose them.
#pragma once

#include <QString>

namespace larkspool {

enum class ViewStyle { LargeIcon = 0, SmallIcon = 1, List = 2, Details = 3 };

struct ViewStyleRow {
    ViewStyle style;
    const char* button; // toolbar button, down while the style is in use
    const char* menu;   // radio menu item, checked while the style is in use
    bool arrangeEnabled; // mnuTouSei and mnuAutoIcon
};

// One row per style, in stored-number order.
const ViewStyleRow (&ViewStyleRows())[4];

// The row whose button or menu item bears this name; nullptr for any other.
const ViewStyleRow* ViewStyleForControl(const QString& name);
// The button name of a stored style number; empty for a number outside 0 to 3.
QString ViewStyleButton(int stored);

} // namespace larkspool
