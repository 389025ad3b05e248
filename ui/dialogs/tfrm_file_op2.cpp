// The import's window: it takes the collected files from the import source
// dialog and the destination folder (against which exported links turn back
// into web links) from the main window, runs the import job in one timer
// tick and closes itself.
#include "ui/dialogs/tfrm_file_op2.h"
#include "ui/dialogs/tfrm_from_local.h"

#include "jobs/import_job.h"

#include <QCoreApplication>
#include <QTimer>

namespace larkspool {

TfrmFileOp2::TfrmFileOp2(const CommandState& command, const Catalogue& catalogue, UrlCache& cache)
    : TfrmFileOp(command, catalogue, cache)
{
    setObjectName(QStringLiteral("frmFileOp2"));
    setWindowTitle(QCoreApplication::translate("ImportJob", kImportCaption));
}

void TfrmFileOp2::FormShow()
{
    m_importList = &m_source->GetImportList();
    m_baseFolder = m_command.copyDir;
    m_timer1->start(1);
}

void TfrmFileOp2::Timer1Timer()
{
    m_timer1->stop();
    ImportJob job(m_cache, *this);
    job.SetImportList(*m_importList);
    job.SetBaseFolder(m_baseFolder);
    job.SetDefFiles(m_command.defaultFiles);
    m_importCancelled = false;
    job.Run();
    done(QDialog::Accepted);
}

void TfrmFileOp2::btnCancelClick()
{
    m_importCancelled = true;
}

int TfrmFileOp2::AskOverwrite(const OverwriteQuestion& question)
{
    m_currentQuestion = question;
    return TfrmFileOp::AskOverwrite(question);
}

} // namespace larkspool
