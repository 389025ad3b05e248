// Creation of the program's windows in their fixed order, and their release.
#include "app/forms.h"

#include "app/tfrm_pick_up.h"
#include "app/tfrm_main.h"
#include "app/tfrm_refresh.h"
#include "import/tfrm_from_local.h"
#include "settings/tfrm_def_file.h"
#include "settings/tfrm_sel_dir.h"
#include "settings/tfrm_version.h"
#include "export/tfrm_confirm.h"
#include "export/tfrm_file_op.h"
#include "export/tfrm_move_del.h"
#include "import/tfrm_confirm2.h"
#include "import/tfrm_file_op2.h"

namespace larkspool {

FormSet::FormSet(UrlCache& cache)
{
    Forms& f = m_forms;
    f.frmMain = std::make_unique<TfrmMain>(f, cache);
    TfrmMain& main = *f.frmMain;
    f.frmFileOp = std::make_unique<TfrmFileOp>(main, cache);
    f.frmSelDir = std::make_unique<TfrmSelDir>(main);
    f.frmConfirm = std::make_unique<TfrmConfirm>(main);
    f.frmVersion = std::make_unique<TfrmVersion>(main.windowIcon());
    f.frmPickUp = std::make_unique<TfrmPickUp>(main);
    f.frmMoveDel = std::make_unique<TfrmMoveDel>(main);
    f.frmFromLocal = std::make_unique<TfrmFromLocal>([owner = &main] { return owner->GetCopyDir(); });
    f.frmFileOp2 = std::make_unique<TfrmFileOp2>(main, cache);
    f.frmConfirm2 = std::make_unique<TfrmConfirm2>(main);
    f.frmRefresh = std::make_unique<TfrmRefresh>(f);
    f.frmDefFile = std::make_unique<TfrmDefFile>(main);

    f.frmFileOp->SetQuestionWindow(*f.frmConfirm);
    f.frmConfirm->SetJobWindow(*f.frmFileOp);
    f.frmFileOp2->SetQuestionWindow(*f.frmConfirm2);
    f.frmFileOp2->SetImportSource(*f.frmFromLocal);
    f.frmConfirm2->SetImportWindow(*f.frmFileOp2);
    // The import job window reads the collected files from frmFromLocal.
    f.frmFromLocal->SetImportRunner([&importWindow = *f.frmFileOp2] { importWindow.exec(); });
}

FormSet::~FormSet() = default;

} // namespace larkspool
