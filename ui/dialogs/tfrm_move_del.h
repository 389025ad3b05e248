// The question asked before a move or a delete: the command's symbol, how
// many entries it takes, and yes or no.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace larkspool {

struct CommandState;

class TfrmMoveDel : public QDialog {
    Q_OBJECT

public:
    explicit TfrmMoveDel(const CommandState& command);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    const CommandState& m_command;
    QLabel* m_imgMove;
    QLabel* m_imgDelete;
    QLabel* m_label1;
    QPushButton* m_btnYes;
    QPushButton* m_btnNo;
};

} // namespace larkspool
