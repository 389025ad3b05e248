// Stored window states and bounds, checked against the screens there are
// now: a key written on another desk can name a screen that is gone.
#include "ui/main/window_placement.h"

namespace larkspool {

Qt::WindowStates StoredWindowState(int stored)
{
    switch (stored) {
    case 1: return Qt::WindowMinimized;
    case 2: return Qt::WindowMaximized;
    default: return Qt::WindowNoState;
    }
}

int StoredWindowStateOf(Qt::WindowStates state)
{
    if (state & Qt::WindowMinimized)
        return 1;
    if (state & Qt::WindowMaximized)
        return 2;
    return 0;
}

QRect KeepOnScreen(const QRect& window, const QList<QRect>& screens, const QRect& primary)
{
    for (const QRect& screen : screens) {
        if (screen.intersects(window))
            return window;
    }
    if (primary.isEmpty())
        return window;
    return QRect(primary.topLeft(), window.size().boundedTo(primary.size()));
}

} // namespace larkspool
