// The import's overwrite question reads the conflict from the import window
// and shows it in the export question's window.
#include "import/frm_confirm2.h"

#include "app/forms.h"
#include "import/frm_file_op2.h"

#include <QPushButton>

namespace larkspool {

TfrmConfirm2::TfrmConfirm2(Forms& forms) : TfrmConfirm(forms)
{
    setObjectName(QStringLiteral("frmConfirm2"));
}

void TfrmConfirm2::FormShow()
{
    findChild<QPushButton*>(QStringLiteral("btnYes"))->setFocus();
    OverwriteQuestion question;
    m_forms.frmFileOp2->GetCurrentItem(question);
    ShowQuestion(question);
}

} // namespace larkspool
