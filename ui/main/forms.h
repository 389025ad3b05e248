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

// The main window reaches the dialogs through this. In creation order, so
// that the dialogs are destroyed before the main window.
struct Forms {
    std::unique_ptr<TfrmMain> frmMain;
    std::unique_ptr<TfrmFileOp> frmFileOp;
    std::unique_ptr<TfrmSelDir> frmSelDir;
    std::unique_ptr<TfrmConfirm> frmConfirm;
    std::unique_ptr<TfrmVersion> frmVersion;
    std::unique_ptr<TfrmPickUp> frmPickUp;
    std::unique_ptr<TfrmMoveDel> frmMoveDel;
    std::unique_ptr<TfrmFromLocal> frmFromLocal;
    std::unique_ptr<TfrmFileOp2> frmFileOp2;
    std::unique_ptr<TfrmConfirm2> frmConfirm2;
    std::unique_ptr<TfrmRefresh> frmRefresh;
    std::unique_ptr<TfrmDefFile> frmDefFile;
};

// Owns the twelve windows and links the dialogs that ask each other.
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
