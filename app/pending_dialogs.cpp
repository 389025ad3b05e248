// The common body of the dialogs still to be filled in: a named, captioned,
// modal dialog that closes on Esc.
#include "app/pending_dialogs.h"

#include "app/forms.h"

namespace larkspool {

PendingDialog::PendingDialog(Forms& forms, const char* name, const char* caption)
    : QDialog(nullptr), m_forms(forms)
{
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(QString::fromUtf8(caption));
    setModal(true);
}

} // namespace larkspool
