// Message boxes described the Win32 way: one number carries the icon and the
// buttons, so that the logic layers can state what to show without Qt.
#include "ui/common/message_box.h"

#include "catalogue/display_text.h"

namespace larkspool {

QMessageBox::Icon MessageIcon(int flags)
{
    switch (flags & 0xf0) {
    case kMessageStop: return QMessageBox::Critical;
    case kMessageQuestion: return QMessageBox::Question;
    case kMessageExclamation: return QMessageBox::Warning;
    case kMessageInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons MessageButtons(int flags)
{
    switch (flags & 0x0f) {
    case kMessageOkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case kMessageYesNo: return QMessageBox::Yes | QMessageBox::No;
    case kMessageRetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    default: return QMessageBox::Ok;
    }
}

QMessageBox::StandardButton ShowMessage(QWidget* parent, const std::string& text, const std::string& caption,
                                        int flags)
{
    // A carriage return alone breaks the line too, as the system's boxes show it.
    QString shown = DisplayText(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(MessageIcon(flags), DisplayText(caption), shown, MessageButtons(flags), parent);
    return QMessageBox::StandardButton(box.exec());
}

} // namespace larkspool
