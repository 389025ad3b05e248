// The modal progress dialog in which a refresh of the catalogue runs.
#pragma once

#include "catalogue/refresh_progress.h"

#include <QDialog>

class QProgressBar;
class QPushButton;
class QTimer;

namespace larkspool {

struct Forms;

class TfrmRefresh : public QDialog, public RefreshProgress {
    Q_OBJECT

public:
    explicit TfrmRefresh(Forms& forms);

    // RefreshProgress
    void SetProgressMaximum(int maximum) override;
    void SetProgressPosition(int position) override;
    void ProcessEvents() override;
    void ShowMessage(const std::string& text, const std::string& caption, int flags) override;

    QProgressBar* progressBar() const { return m_progressBar; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormShow();
    void Timer1Timer();
    void Button1Click();

    Forms& m_forms;
    QProgressBar* m_progressBar;
    QPushButton* m_button1;
    QTimer* m_timer1;
    int m_exposureWaits = 0; // timer rounds spent waiting for the windows to be mapped
};

} // namespace larkspool
