// The question asked before a move or a delete: the command's symbol, how
// many entries it takes, and yes or no.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace larkspool {

class JobOwner;

class TfrmMoveDel : public QDialog {
    Q_OBJECT

public:
    explicit TfrmMoveDel(JobOwner& owner);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    JobOwner& m_owner;
    QLabel* m_imgMove;
    QLabel* m_imgDelete;
    QLabel* m_label1;
    QPushButton* m_btnYes;
    QPushButton* m_btnNo;
};

} // namespace larkspool
