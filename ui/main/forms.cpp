// Creation of the program's windows in their fixed order, and their release.
#include "ui/main/forms.h"

#include "ui/main/tfrm_pick_up.h"
#include "ui/main/tfrm_main.h"
#include "ui/main/tfrm_refresh.h"
#include "ui/dialogs/tfrm_from_local.h"
#include "ui/dialogs/tfrm_def_file.h"
#include "ui/dialogs/tfrm_sel_dir.h"
#include "ui/dialogs/tfrm_version.h"
#include "ui/dialogs/tfrm_confirm.h"
#include "ui/dialogs/tfrm_file_op.h"
#include "ui/dialogs/tfrm_move_del.h"
#include "ui/dialogs/tfrm_confirm2.h"
#include "ui/dialogs/tfrm_file_op2.h"

namespace larkspool {

FormSet::FormSet(UrlCache& cache)
{
    Forms& f = m_forms;
    f.frmMain = std::make_unique<TfrmMain>(f, cache);
    TfrmMain& main = *f.frmMain;
    CommandState& command = main.Command();
    const auto typeIcon = [&main](const std::string& path) { return main.GetTypeIcon(path); };
    f.frmFileOp = std::make_unique<TfrmFileOp>(command, main.catalogue(), cache);
    f.frmSelDir = std::make_unique<TfrmSelDir>(command);
    f.frmConfirm = std::make_unique<TfrmConfirm>(typeIcon);
    f.frmVersion = std::make_unique<TfrmVersion>(main.windowIcon());
    f.frmPickUp = std::make_unique<TfrmPickUp>(main);
    f.frmMoveDel = std::make_unique<TfrmMoveDel>(command);
    f.frmFromLocal = std::make_unique<TfrmFromLocal>([&command] { return command.copyDir; });
    f.frmFileOp2 = std::make_unique<TfrmFileOp2>(command, main.catalogue(), cache);
    f.frmConfirm2 = std::make_unique<TfrmConfirm2>(typeIcon);
    f.frmRefresh = std::make_unique<TfrmRefresh>(f);
    f.frmDefFile = std::make_unique<TfrmDefFile>(command);

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
