// Dialogs whose contents are still to come: each stands here with its class
// name, object name and caption, so that the program creates and shows all
// twelve windows.
#pragma once

#include <QDialog>

namespace larkspool {

struct Forms;

class PendingDialog : public QDialog {
public:
    PendingDialog(Forms& forms, const char* name, const char* caption);

protected:
    Forms& m_forms;
};

class TfrmFileOp : public PendingDialog {
public:
    explicit TfrmFileOp(Forms& forms) : PendingDialog(forms, "frmFileOp", "") {}
};
class TfrmConfirm : public PendingDialog {
public:
    explicit TfrmConfirm(Forms& forms) : PendingDialog(forms, "frmConfirm", "ﾌｧｲﾙの上書きの確認") {}
};
class TfrmMoveDel : public PendingDialog {
public:
    explicit TfrmMoveDel(Forms& forms) : PendingDialog(forms, "frmMoveDel", "ﾌｧｲﾙの削除の確認") {}
};
class TfrmFileOp2 : public PendingDialog {
public:
    explicit TfrmFileOp2(Forms& forms) : PendingDialog(forms, "frmFileOp2", "ｷｬｯｼｭへｺﾋﾟｰしています...") {}
};
class TfrmConfirm2 : public PendingDialog {
public:
    explicit TfrmConfirm2(Forms& forms) : PendingDialog(forms, "frmConfirm2", "ﾌｧｲﾙの上書きの確認") {}
};

} // namespace larkspool
