// The import's overwrite question reads the conflict from the import window
// and shows it in the export question's window.
#include "ui/dialogs/tfrm_confirm2.h"

#include "ui/dialogs/tfrm_file_op2.h"

#include <QPushButton>

namespace larkspool {

TfrmConfirm2::TfrmConfirm2(TypeIconLookup typeIcon) : TfrmConfirm(std::move(typeIcon))
{
    setObjectName(QStringLiteral("frmConfirm2"));
}

void TfrmConfirm2::FormShow()
{
    findChild<QPushButton*>(QStringLiteral("btnYes"))->setFocus();
    OverwriteQuestion question;
    m_importWindow->GetCurrentItem(question);
    ShowQuestion(question);
}

} // namespace larkspool
