// Restoring the main window's stored state and bounds.
#pragma once

#include <QList>
#include <QRect>
#include <Qt>

namespace larkspool {

// Stored WindowState: 1 minimised, 2 maximised, anything else normal.
Qt::WindowStates StoredWindowState(int stored);
int StoredWindowStateOf(Qt::WindowStates state);

// A window lying on no screen comes back at the top left of the primary one,
// shrunk to fit it; on any screen it stays as stored.
QRect KeepOnScreen(const QRect& window, const QList<QRect>& screens, const QRect& primary);

} // namespace larkspool
