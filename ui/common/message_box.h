// The application's message box, given Win32-style flags.
#pragma once

#include "catalogue/message_flags.h"

#include <QMessageBox>

#include <string>

class QWidget;

namespace larkspool {

// Flags: one icon (kMessageStop …) plus one set of buttons (kMessageOk …).
QMessageBox::Icon MessageIcon(int flags);
QMessageBox::StandardButtons MessageButtons(int flags);

// Shows it modally; returns the button pressed.
QMessageBox::StandardButton ShowMessage(QWidget* parent, const std::string& text, const std::string& caption,
                                        int flags);

} // namespace larkspool
