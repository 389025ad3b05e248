// The export job's window: it takes the command's kind, entries and
// destination from the main window when shown, runs the job in one timer tick
// (the job lets events through once per item, so the bar moves and the
// cancel button is heard) and closes itself. It cannot be closed otherwise.
#include "ui/dialogs/tfrm_file_op.h"

#include "catalogue/catalogue.h"
#include "catalogue/display_text.h"
#include "ui/common/message_box.h"
#include "jobs/export_job.h"
#include "ui/dialogs/tfrm_confirm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace larkspool {
TfrmFileOp::TfrmFileOp(const CommandState& command, const Catalogue& catalogue, UrlCache& cache)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint),
      m_command(command), m_catalogue(catalogue), m_cache(cache), m_lblFileName(new QLabel(this)), m_lblDirName(new QLabel(this)),
      m_progressBar1(new QProgressBar(this)), m_btnCancel(new QPushButton(this)), m_lblCount(new QLabel(this)),
      m_timer1(new QTimer(this))
{
    setObjectName(QStringLiteral("frmFileOp"));
    setModal(true);
    setFixedSize(392, 123);

    m_lblFileName->setObjectName(QStringLiteral("lblFileName"));
    m_lblFileName->setGeometry(12, 10, 368, 16);
    m_lblDirName->setObjectName(QStringLiteral("lblDirName"));
    m_lblDirName->setGeometry(12, 32, 368, 16);
    m_progressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar1->setRange(0, 100);
    m_progressBar1->setTextVisible(false);
    m_progressBar1->setGeometry(12, 60, 276, 18);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    m_btnCancel->setText(tr("ｷｬﾝｾﾙ"));
    m_btnCancel->setGeometry(300, 56, 80, 25);
    m_lblCount->setObjectName(QStringLiteral("lblCount"));
    m_lblCount->setGeometry(12, 94, 368, 16);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setSingleShot(true);

    connect(m_timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connect(m_btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
}

void TfrmFileOp::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmFileOp::FormShow()
{
    if (const std::string caption = ExportCaption(m_command.opKind); !caption.empty())
        setWindowTitle(QString::fromStdString(caption));
    m_timer1->start(1);
}

void TfrmFileOp::Timer1Timer()
{
    m_timer1->stop();
    ExportJob job(m_cache, *this, m_command, m_catalogue.AllEntries());
    m_cancelled = false;
    m_jobResult = 0;
    m_job = &job;
    job.Run();
    m_job = nullptr;
    m_jobResult = job.GetJobResult();
    m_skipped = job.Skipped();
    done(QDialog::Accepted);
}

void TfrmFileOp::btnCancelClick()
{
    m_cancelled = true;
    m_jobResult = -1;
}

void TfrmFileOp::GetCurrentItem(TCacheEntry& entry, std::string& path) const
{
    if (!m_job || !m_job->CurrentEntry())
        return;
    entry = *m_job->CurrentEntry();
    path = m_job->CurrentPath();
}

void TfrmFileOp::ShowProgress(int position, const std::string& countText, const std::string& fileName)
{
    m_lblCount->setText(QString::fromStdString(countText));
    m_progressBar1->setValue(position);
    m_lblFileName->setText(DisplayText(fileName));
}

void TfrmFileOp::ShowFolders(const std::string& text)
{
    m_lblDirName->setText(DisplayText(text));
}

int TfrmFileOp::AskOverwrite(const OverwriteQuestion&)
{
    // The question reads the item itself through GetCurrentItem.
    m_question->exec();
    return m_question->GetConfirmResult();
}

void TfrmFileOp::Report(const JobMessage& message, unsigned flags)
{
    ShowMessage(this, message.text, message.caption, int(flags));
}

void TfrmFileOp::ProcessEvents()
{
    QCoreApplication::processEvents();
}

void TfrmFileOp::keyPressEvent(QKeyEvent* event)
{
    // Esc is the cancel button: the job stops after the item in hand rather
    // than the window closing under it.
    if (event->key() == Qt::Key_Escape) {
        m_btnCancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmFileOp::closeEvent(QCloseEvent* event)
{
    // Only the end of the run closes it.
    event->ignore();
}

} // namespace larkspool
