// The question asked before a move or a delete: the command's symbol, how
// many entries it takes, and yes or no.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace larkspool {

struct Forms;

class TfrmMoveDel : public QDialog {
public:
    explicit TfrmMoveDel(Forms& forms);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    Forms& m_forms;
    QLabel* m_imgMove;
    QLabel* m_imgDelete;
    QLabel* m_label1;
    QPushButton* m_btnYes;
    QPushButton* m_btnNo;
};

} // namespace larkspool
