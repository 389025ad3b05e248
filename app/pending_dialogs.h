// Dialogs whose contents are still to come: each stands here with its class
// name, object name and caption, so that the program creates and shows all
// twelve windows.
#pragma once

#include "import/import_file_record.h"

#include <QDialog>

#include <vector>

namespace larkspool {

struct Forms;

class PendingDialog : public QDialog {
public:
    PendingDialog(Forms& forms, const char* name, const char* caption);

protected:
    Forms& m_forms;
};

class TfrmSelDir : public PendingDialog {
public:
    explicit TfrmSelDir(Forms& forms) : PendingDialog(forms, "frmSelDir", "ｺﾋﾟｰ先ﾌｫﾙﾀﾞ設定") {}
};
class TfrmVersion : public PendingDialog {
public:
    explicit TfrmVersion(Forms& forms) : PendingDialog(forms, "frmVersion", "ﾊﾞｰｼﾞｮﾝ情報") {}
};
class TfrmPickUp : public PendingDialog {
public:
    explicit TfrmPickUp(Forms& forms) : PendingDialog(forms, "frmPickUp", "ﾌｧｲﾙの絞り込み") {}
    // The type indices marked at the last "実行".
    std::vector<int> SelectedTypes() const { return {}; }
};
class TfrmFromLocal : public PendingDialog {
public:
    explicit TfrmFromLocal(Forms& forms) : PendingDialog(forms, "frmFromLocal", "ﾛｰｶﾙﾌｧｲﾙをｷｬｯｼｭにｺﾋﾟｰ") {}
    // The files to import, read by the import window when it is shown.
    std::vector<ImportFileRecord>& GetImportList() { return m_importList; }

private:
    std::vector<ImportFileRecord> m_importList;
};
class TfrmDefFile : public PendingDialog {
public:
    explicit TfrmDefFile(Forms& forms) : PendingDialog(forms, "frmDefFile", "暗黙のﾌｧｲﾙ名設定") {}
};

} // namespace larkspool
