// The default file names dialog: the required name and the two optional
// redirect names, each with its switch.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace larkspool {

struct CommandState;

class TfrmDefFile : public QDialog {
    Q_OBJECT

public:
    // Stores the names as command's default files.
    explicit TfrmDefFile(CommandState& command);

    void FormShow();
    // Greys each optional name whose switch is off.
    void chkName2Click();
    // Checks the names and stores them, or says what is missing.
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    CommandState& m_command;
    QLineEdit* m_edtName1;
    QLineEdit* m_edtName2;
    QLineEdit* m_edtName3;
    QCheckBox* m_chkName2;
    QCheckBox* m_chkName3;
};

} // namespace larkspool
