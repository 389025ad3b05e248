// The program's twelve windows, created once at start in a fixed order (the
// main window first) and kept until exit.
#pragma once

#include <memory>

namespace larkspool {

class UrlCache;
class TfrmMain;
class TfrmFileOp;
class TfrmSelDir;
class TfrmConfirm;
class TfrmVersion;
class TfrmPickUp;
class TfrmMoveDel;
class TfrmFromLocal;
class TfrmFileOp2;
class TfrmConfirm2;
class TfrmRefresh;
class TfrmDefFile;

// Every window can reach every other through this, as the dialogs read what
// they need from the main window when they are shown.
struct Forms {
    TfrmMain* frmMain = nullptr;
    TfrmFileOp* frmFileOp = nullptr;
    TfrmSelDir* frmSelDir = nullptr;
    TfrmConfirm* frmConfirm = nullptr;
    TfrmVersion* frmVersion = nullptr;
    TfrmPickUp* frmPickUp = nullptr;
    TfrmMoveDel* frmMoveDel = nullptr;
    TfrmFromLocal* frmFromLocal = nullptr;
    TfrmFileOp2* frmFileOp2 = nullptr;
    TfrmConfirm2* frmConfirm2 = nullptr;
    TfrmRefresh* frmRefresh = nullptr;
    TfrmDefFile* frmDefFile = nullptr;
};

// Owns the twelve windows; destroys the dialogs before the main window.
class FormSet {
public:
    explicit FormSet(UrlCache& cache);
    ~FormSet();
    FormSet(const FormSet&) = delete;
    FormSet& operator=(const FormSet&) = delete;

    Forms& forms() { return m_forms; }
    TfrmMain& main() { return *m_forms.frmMain; }

private:
    Forms m_forms;
};

} // namespace larkspool
