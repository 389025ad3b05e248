// The move/delete confirmation: reads the command's kind and entries from the
// main window when shown; Yes accepts, No or Esc rejects.
#include "ui/dialogs/tfrm_move_del.h"

#include "catalogue/display_text.h"
#include "jobs/command_state.h"
#include "jobs/move_delete_question.h"
#include "ui/common/theme_icon.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

namespace larkspool {

TfrmMoveDel::TfrmMoveDel(const CommandState& command)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint),
      m_command(command), m_imgMove(new QLabel(this)), m_imgDelete(new QLabel(this)), m_label1(new QLabel(this)),
      m_btnYes(new QPushButton(tr("はい(&Y)"), this)),
      m_btnNo(new QPushButton(tr("いいえ(&N)"), this))
{
    setObjectName(QStringLiteral("frmMoveDel"));
    setWindowTitle(tr("ﾌｧｲﾙの削除の確認"));
    setModal(true);
    setFixedSize(425, 97);

    m_imgMove->setObjectName(QStringLiteral("imgMove"));
    m_imgMove->setPixmap(ThemeIcon("go-jump", "move").pixmap(32, 32));
    m_imgDelete->setObjectName(QStringLiteral("imgDelete"));
    m_imgDelete->setPixmap(ThemeIcon("edit-delete", "delete").pixmap(32, 32));
    for (QLabel* image : {m_imgMove, m_imgDelete}) {
        image->setGeometry(16, 16, 32, 32);
        image->hide();
    }
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setGeometry(72, 16, 345, 32);
    m_label1->setWordWrap(true);
    m_btnYes->setObjectName(QStringLiteral("btnYes"));
    m_btnYes->setGeometry(262, 64, 75, 25);
    m_btnYes->setDefault(true);
    m_btnNo->setObjectName(QStringLiteral("btnNo"));
    m_btnNo->setGeometry(342, 64, 75, 25);
    setTabOrder(m_btnYes, m_btnNo);

    connect(m_btnYes, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_btnNo, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmMoveDel::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmMoveDel::FormShow()
{
    const int opKind = m_command.opKind;
    const MoveDeleteQuestion question = MakeMoveDeleteQuestion(opKind, m_command.jobList);
    m_imgMove->setVisible(opKind == kOpMove);
    m_imgDelete->setVisible(opKind != kOpMove);
    setWindowTitle(QString::fromStdString(question.Caption));
    m_label1->setText(DisplayText(question.Text));
    m_btnYes->setFocus();
}

} // namespace larkspool
