// Creation of the program's windows in their fixed order, and their release.
#include "app/forms.h"

#include "app/frm_pick_up.h"
#include "app/tfrm_main.h"
#include "app/tfrm_refresh.h"
#include "import/frm_from_local.h"
#include "settings/frm_def_file.h"
#include "settings/frm_sel_dir.h"
#include "settings/frm_version.h"
#include "export/frm_confirm.h"
#include "export/frm_file_op.h"
#include "export/frm_move_del.h"
#include "import/frm_confirm2.h"
#include "import/frm_file_op2.h"

namespace larkspool {

FormSet::FormSet(UrlCache& cache)
{
    m_forms.frmMain = new TfrmMain(m_forms, cache);
    m_forms.frmFileOp = new TfrmFileOp(m_forms, cache);
    m_forms.frmSelDir = new TfrmSelDir(*m_forms.frmMain);
    m_forms.frmConfirm = new TfrmConfirm(m_forms);
    m_forms.frmVersion = new TfrmVersion(m_forms.frmMain->windowIcon());
    m_forms.frmPickUp = new TfrmPickUp(*m_forms.frmMain);
    m_forms.frmMoveDel = new TfrmMoveDel(m_forms);
    m_forms.frmFromLocal = new TfrmFromLocal([main = m_forms.frmMain] { return main->GetCopyDir(); });
    // The import job window reads the collected files from frmFromLocal.
    m_forms.frmFromLocal->SetImportRunner([forms = &m_forms] { forms->frmFileOp2->exec(); });
    m_forms.frmFileOp2 = new TfrmFileOp2(m_forms, cache);
    m_forms.frmConfirm2 = new TfrmConfirm2(m_forms);
    m_forms.frmRefresh = new TfrmRefresh(m_forms);
    m_forms.frmDefFile = new TfrmDefFile(*m_forms.frmMain);
}

FormSet::~FormSet()
{
    delete m_forms.frmDefFile;
    delete m_forms.frmRefresh;
    delete m_forms.frmConfirm2;
    delete m_forms.frmFileOp2;
    delete m_forms.frmFromLocal;
    delete m_forms.frmMoveDel;
    delete m_forms.frmPickUp;
    delete m_forms.frmVersion;
    delete m_forms.frmConfirm;
    delete m_forms.frmSelDir;
    delete m_forms.frmFileOp;
    delete m_forms.frmMain;
}

} // namespace larkspool
