// The application's message box, given Win32-style flags.
#pragma once

#include <QMessageBox>

#include <string>

class QWidget;

namespace larkspool {

// Flags: 16 stop, 32 question, 48 exclamation, 64 information; plus the
// buttons 0 OK, 1 OK/Cancel, 4 Yes/No, 5 Retry/Cancel.
QMessageBox::Icon MessageIcon(int flags);
QMessageBox::StandardButtons MessageButtons(int flags);

// Shows it modally; returns the button pressed.
QMessageBox::StandardButton ShowMessage(QWidget* parent, const std::string& text, const std::string& caption,
                                        int flags);

} // namespace larkspool
