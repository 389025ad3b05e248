// Modal dialogs that a desktop cannot lose. The dialogs are made without a
// parent, so a window manager would see each as a window of its own: it
// could minimise one and leave the window under it blocked with nothing to
// answer, and a bare X server would hand the focus to its root window when
// one closes.
#pragma once

class QApplication;

namespace larkspool {

// From now on, every modal dialog is shown as transient for the window it
// blocks, is restored at once when a window manager minimises it anyway, and
// when it closes gives the focus back to the window that had it.
void KeepModalWindowsInReach(QApplication& app);

} // namespace larkspool
