// The import source dialog. It opens on the destination folder setting (the
// folder an export writes into), lists its sub-folders as domains, and on
// "ｺﾋﾟｰ開始" collects the files of the chosen domains and runs the import
// job on them; it stays open for further imports and closes with OK once a
// copy has been started.
#include "ui/dialogs/tfrm_from_local.h"

#include "catalogue/display_text.h"
#include "ui/common/browse_for_folder.h"
#include "ui/common/message_box.h"
#include "jobs/import_source.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace larkspool {

TfrmFromLocal::TfrmFromLocal(std::function<std::string()> copyDir)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_copyDir(std::move(copyDir))
{
    setObjectName(QStringLiteral("frmFromLocal"));
    setWindowTitle(tr(kFromLocalCaption));
    setModal(true);
    setFixedSize(400, 280);

    auto* label1 = new QLabel(tr("ｺﾋﾟｰ元ﾌｫﾙﾀﾞ"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setGeometry(8, 8, 200, 16);
    m_edtFolder = new QLineEdit(this);
    m_edtFolder->setObjectName(QStringLiteral("edtFolder"));
    m_edtFolder->setReadOnly(true);
    m_edtFolder->setGeometry(8, 26, 260, 22);
    auto* browse = new QPushButton(tr("ﾌｫﾙﾀﾞの参照(&B)..."), this);
    browse->setObjectName(QStringLiteral("btnBrowse"));
    browse->setGeometry(276, 25, 116, 25);

    auto* label2 = new QLabel(tr("ｺﾋﾟｰするﾄﾞﾒｲﾝの選択"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setGeometry(8, 60, 200, 16);
    m_lsbURL = new QListWidget(this);
    m_lsbURL->setObjectName(QStringLiteral("lsbURL"));
    m_lsbURL->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lsbURL->setGeometry(8, 78, 260, 194);

    auto* copy = new QPushButton(tr("ｺﾋﾟｰ開始(&S)"), this);
    copy->setObjectName(QStringLiteral("btnCopy"));
    copy->setDefault(true);
    copy->setGeometry(276, 78, 116, 25);
    auto* close = new QPushButton(tr("閉じる(&C)"), this);
    close->setObjectName(QStringLiteral("btnClose"));
    close->setGeometry(276, 110, 116, 25);

    setTabOrder(browse, m_lsbURL);
    setTabOrder(m_lsbURL, copy);
    setTabOrder(copy, close);

    connect(browse, &QPushButton::clicked, this, &TfrmFromLocal::btnBrowseClick);
    connect(copy, &QPushButton::clicked, this, &TfrmFromLocal::btnCopyClick);
    connect(close, &QPushButton::clicked, this, [this] { done(m_closeResult); });
}

void TfrmFromLocal::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TfrmFromLocal::keyPressEvent(QKeyEvent* event)
{
    // Esc works "閉じる", whose result turns OK once a copy was started; the
    // close box stays cancel.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        done(m_closeResult);
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmFromLocal::FormShow()
{
    const std::string folder = m_copyDir();
    if (!folder.empty()) {
        FillDomainList(folder);
        findChild<QPushButton*>(QStringLiteral("btnCopy"))->setFocus();
    } else {
        m_folder.clear();
        m_edtFolder->clear();
        m_lsbURL->clear();
        findChild<QPushButton*>(QStringLiteral("btnBrowse"))->setFocus();
    }
    m_closeResult = QDialog::Rejected;
}

void TfrmFromLocal::FillDomainList(const std::string& folder)
{
    m_folder = folder;
    m_edtFolder->setText(DisplayText(folder));
    m_lsbURL->clear();
    for (const std::string& name : larkspool::FillDomainList(folder)) {
        // The row shows the name; the walk gets the folder's own bytes.
        auto* row = new QListWidgetItem(DisplayText(name), m_lsbURL);
        row->setData(Qt::UserRole, QByteArray::fromStdString(name));
    }
    m_lsbURL->selectAll();
    m_lsbURL->scrollToTop();
}

void TfrmFromLocal::btnBrowseClick()
{
    std::string folder;
    if (!BrowseForFolder(this, tr("ｷｬｯｼｭにｺﾋﾟｰしたいﾄﾞﾒｲﾝが含まれるﾌｫﾙﾀﾞを選択してください。").toStdString(), folder))
        return;
    FillDomainList(folder);
}

void TfrmFromLocal::btnCopyClick()
{
    std::vector<std::string> domains;
    for (int row = 0; row < m_lsbURL->count(); ++row) {
        if (m_lsbURL->item(row)->isSelected())
            domains.push_back(m_lsbURL->item(row)->data(Qt::UserRole).toByteArray().toStdString());
    }
    if (domains.empty()) {
        ShowMessage(this, tr("ｺﾋﾟｰするﾄﾞﾒｲﾝが選択されていません。").toStdString(), tr("ｺﾋﾟｰ開始").toStdString(),
                    kMessageInformation);
        return;
    }
    m_closeResult = QDialog::Accepted;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::string failure;
    const int collected = CollectDomains(m_folder, domains, m_importList, &failure);
    QApplication::restoreOverrideCursor();
    if (collected != 0)
        ShowMessage(this, failure, tr("ｺﾋﾟｰ開始").toStdString(), kMessageStop);
    if (collected == 0 && m_runImport)
        m_runImport();
    m_importList.clear();
}

} // namespace larkspool
