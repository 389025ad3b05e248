// The export's overwrite question: the existing file against the cached one,
// icon, size and date of each, and six answers.
#pragma once

#include "catalogue/cache_entry.h"
#include "jobs/overwrite_question.h"

#include <QDialog>
#include <QIcon>

#include <functional>

#include <string>

class QLabel;
class QPushButton;

namespace larkspool {

using TypeIconLookup = std::function<QIcon(const std::string& path)>;

class TfrmFileOp;

class TfrmConfirm : public QDialog {
    Q_OBJECT

public:
    // typeIcon gives the large icon of a file's type.
    explicit TfrmConfirm(TypeIconLookup typeIcon);

    // The job window whose item is asked about.
    void SetJobWindow(const TfrmFileOp& jobWindow) { m_jobWindow = &jobWindow; }

    // The answer of the last button pressed: 0 to 5 (OverwriteAnswer), -1
    // for a button of another name.
    int GetConfirmResult() const { return m_answer; }

protected:
    void showEvent(QShowEvent* event) override;
    // Esc answers "no".
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    // The import's question replaces this with its own.
    virtual void FormShow();
    // Fills the conflict line, the two sides' lines and their type icons.
    void ShowQuestion(const OverwriteQuestion& question);

    TypeIconLookup m_typeIcon;

private:
    void btnClick();
    QPixmap TypeIcon(const std::string& path) const;

    QLabel* m_lblFileName;
    QLabel* m_image1;
    QLabel* m_lblSizeOld;
    QLabel* m_lblDateOld;
    QLabel* m_image2;
    QLabel* m_lblSizeNew;
    QLabel* m_lblDateNew;
    QPushButton* m_btnYes = nullptr;
    QPushButton* m_btnNo = nullptr;

    const TfrmFileOp* m_jobWindow = nullptr;
    TCacheEntry m_entryCopy;
    std::string m_destPath;
    int m_answer = 0;
};

} // namespace larkspool
