// The import source dialog: the folder that holds one sub-folder per domain,
// the domains to import, and the start of the import job on their files.
#pragma once

#include "jobs/import_file_record.h"

#include <QtGlobal>
#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QLineEdit;
class QListWidget;

namespace larkspool {

inline constexpr const char* kFromLocalCaption = QT_TRANSLATE_NOOP("larkspool::TfrmFromLocal", "ﾛｰｶﾙﾌｧｲﾙをｷｬｯｼｭにｺﾋﾟｰ");

class TfrmFromLocal : public QDialog {
    Q_OBJECT

public:
    // copyDir gives the destination folder setting, where the dialog opens.
    explicit TfrmFromLocal(std::function<std::string()> copyDir);

    // Runs the import job on GetImportList (shows the job window modally).
    void SetImportRunner(std::function<void()> runImport) { m_runImport = std::move(runImport); }
    // The files collected for the job; filled only while the job runs.
    const std::vector<ImportFileRecord>& GetImportList() const { return m_importList; }

    void FormShow();
    void btnBrowseClick();
    void btnCopyClick();
    // Shows folder and lists its domain folders, all selected.
    void FillDomainList(const std::string& folder);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<std::string()> m_copyDir;
    std::function<void()> m_runImport;
    std::vector<ImportFileRecord> m_importList;
    std::string m_folder; // the bytes of the folder shown in m_edtFolder
    QLineEdit* m_edtFolder;
    QListWidget* m_lsbURL;
    // What closing gives: cancel until a copy has been started.
    int m_closeResult = QDialog::Rejected;
};

} // namespace larkspool
