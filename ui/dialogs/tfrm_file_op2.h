// The progress window of an import: the export's window running the import
// job over the files the import source dialog collected.
#pragma once

#include "ui/dialogs/tfrm_file_op.h"
#include "jobs/import_file_record.h"

#include <vector>

namespace larkspool {

class TfrmFromLocal;

class TfrmFileOp2 : public TfrmFileOp {
public:
    TfrmFileOp2(const CommandState& command, const Catalogue& catalogue, UrlCache& cache);

    // The dialog whose collected files this window imports.
    void SetImportSource(const TfrmFromLocal& source) { m_source = &source; }

    // The conflict being asked about, while the overwrite question is shown:
    // the cached entry as the old side, the local file as the new.
    void GetCurrentItem(OverwriteQuestion& question) const { question = m_currentQuestion; }

    int AskOverwrite(const OverwriteQuestion& question) override;
    bool CancelRequested() override { return m_importCancelled; }

protected:
    void FormShow() override;
    void Timer1Timer() override;
    void btnCancelClick() override;

private:
    const TfrmFromLocal* m_source = nullptr;
    const std::vector<ImportFileRecord>* m_importList = nullptr;
    std::string m_baseFolder;
    OverwriteQuestion m_currentQuestion;
    bool m_importCancelled = false;
};

} // namespace larkspool
