// Title bars that offer only the buttons a window's flags ask for. Qt tells
// an X window manager "every function" when a window asks for no button at
// all, so a dialog without close, minimise and maximise would get all three.
#pragma once

#include <QFlags>
#include <Qt>

#include <array>
#include <cstdint>

class QApplication;

namespace larkspool {

// The _MOTIF_WM_HINTS words (flags, functions, decorations, input mode,
// status) for a fixed-size window with these flags.
std::array<std::uint32_t, 5> MotifHintsFor(Qt::WindowFlags flags);

// From now on, every dialog that chooses its own title-bar buttons tells the
// window manager exactly those when it is shown (X11 only; elsewhere nothing).
void KeepTitleBarButtonsAsAsked(QApplication& app);

} // namespace larkspool
