// Title bars that offer only the buttons a window's flags ask for. Qt tells
// an X window manager "every function" when a window asks for no button at
// all, so a dialog without close, minimise and maximise would get all three.
// (A window manager may still keep buttons of its own accord.)
#pragma once

class QApplication;

namespace larkspool {

// From now on, every dialog that chooses its own title-bar buttons tells the
// window manager exactly those when it is shown (X11 only; elsewhere nothing).
void KeepTitleBarButtonsAsAsked(QApplication& app);

} // namespace larkspool
