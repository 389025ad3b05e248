// The progress window of a copy, move or delete: shown modally, it runs the
// export job inside the first tick of its timer and closes itself.
#pragma once

#include "catalogue/cache_entry.h"
#include "jobs/export_job.h"
#include "jobs/job_host.h"
#include "jobs/overwrite_question.h"

#include <QDialog>

#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace larkspool {

class Catalogue;
class TfrmConfirm;
class UrlCache;

class TfrmFileOp : public QDialog, public JobHost {
    Q_OBJECT

public:
    // Runs command over the entries of catalogue, whose files its links name.
    TfrmFileOp(const CommandState& command, const Catalogue& catalogue, UrlCache& cache);

    // The overwrite question this window asks.
    void SetQuestionWindow(TfrmConfirm& question) { m_question = &question; }

    // 0 when every item was processed, -1 when the job stopped early.
    int GetJobResult() const { return m_jobResult; }
    // The items the last job skipped, each reported (see ExportJob::Skipped).
    std::size_t Skipped() const { return m_skipped; }
    // The entry and destination path being asked about, while the overwrite
    // question is shown.
    void GetCurrentItem(TCacheEntry& entry, std::string& path) const;

    // JobHost
    void ShowProgress(int position, const std::string& countText, const std::string& fileName) override;
    void ShowFolders(const std::string& text) override;
    int AskOverwrite(const OverwriteQuestion& question) override;
    void Report(const JobMessage& message, unsigned flags) override;
    void ProcessEvents() override;
    bool CancelRequested() override { return m_cancelled; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    // The import window replaces these three with its own.
    virtual void FormShow();
    virtual void Timer1Timer();
    virtual void btnCancelClick();

    const CommandState& m_command;
    const Catalogue& m_catalogue;
    UrlCache& m_cache;
    QLabel* m_lblFileName;
    QLabel* m_lblDirName;
    QProgressBar* m_progressBar1;
    QPushButton* m_btnCancel;
    QLabel* m_lblCount;
    QTimer* m_timer1;

private:
    TfrmConfirm* m_question = nullptr;
    bool m_cancelled = false;
    int m_jobResult = 0;
    std::size_t m_skipped = 0;
    // The running job, for GetCurrentItem; null between runs.
    const ExportJob* m_job = nullptr;
};

} // namespace larkspool
