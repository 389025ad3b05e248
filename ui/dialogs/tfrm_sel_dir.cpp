// The destination folder dialog. The folder list shows the open folder's
// ancestors and sub-folders the way a classic directory list box does (a
// double click opens a row); the file list beside it shows what the folder
// already holds. Storing checks the typed path, offers to create a missing
// folder chain, and hands the text to the main window unchanged.
#include "ui/dialogs/tfrm_sel_dir.h"

#include "catalogue/display_text.h"
#include "catalogue/translated_text.h"

#include "ui/common/message_box.h"
#include "settings/copy_dir_check.h"
#include "jobs/command_state.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>

namespace larkspool {
namespace {

constexpr int kPathRole = Qt::UserRole + 1;

QIcon FolderIcon(bool open, const QStyle* style)
{
    return QIcon::fromTheme(open ? QStringLiteral("folder-open") : QStringLiteral("folder"),
                            style->standardIcon(open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon));
}

} // namespace

TfrmSelDir::TfrmSelDir(CommandState& command)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_command(command)
{
    setObjectName(QStringLiteral("frmSelDir"));
    setWindowTitle(QCoreApplication::translate("CopyDirCheck", kSelDirCaption));
    setModal(true);
    setFixedSize(476, 257);

    auto* label1 = new QLabel(tr("ｺﾋﾟｰ先ﾌｫﾙﾀﾞ"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setGeometry(8, 11, 80, 16);
    m_edit1 = new QLineEdit(this);
    m_edit1->setObjectName(QStringLiteral("Edit1"));
    m_edit1->setGeometry(88, 8, 297, 22);

    m_fileList = new QListWidget(this);
    m_fileList->setObjectName(QStringLiteral("FileListBox1"));
    m_fileList->setSelectionMode(QAbstractItemView::NoSelection);
    m_fileList->setFocusPolicy(Qt::NoFocus);
    m_fileList->setGeometry(8, 38, 145, 211);
    m_directoryList = new QTreeWidget(this);
    m_directoryList->setObjectName(QStringLiteral("DirectoryListBox1"));
    m_directoryList->setHeaderHidden(true);
    m_directoryList->setRootIsDecorated(false);
    m_directoryList->setIndentation(12);
    m_directoryList->setItemsExpandable(false);
    m_directoryList->setGeometry(161, 38, 224, 211);

    auto* setDir = new QPushButton(tr("設定"), this);
    setDir->setObjectName(QStringLiteral("btnSetDir"));
    setDir->setDefault(true);
    setDir->setGeometry(393, 38, 75, 25);
    auto* cancel = new QPushButton(tr("ｷｬﾝｾﾙ"), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    cancel->setGeometry(393, 70, 75, 25);

    setTabOrder(m_edit1, m_directoryList);
    setTabOrder(m_directoryList, setDir);
    setTabOrder(setDir, cancel);

    connect(m_directoryList, &QTreeWidget::itemActivated, this, &TfrmSelDir::DirectoryActivated);
    connect(setDir, &QPushButton::clicked, this, &TfrmSelDir::btnSetDirClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmSelDir::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TfrmSelDir::FormShow()
{
    DirectoryListBox1Change(SelDirStartFolder(m_command.copyDir, QDir::currentPath().toStdString()));
    findChild<QPushButton*>(QStringLiteral("btnSetDir"))->setFocus();
}

void TfrmSelDir::DirectoryActivated(QTreeWidgetItem* item)
{
    DirectoryListBox1Change(item->data(0, kPathRole).toByteArray().toStdString());
}

void TfrmSelDir::DirectoryListBox1Change(const std::string& folder)
{
    m_openFolder = folder;
    m_directoryList->clear();
    // The ancestors form one chain; the sub-folders hang below its last link.
    QTreeWidgetItem* chain = nullptr;
    for (const DirectoryRow& row : DirectoryRows(folder)) {
        auto* item = chain ? new QTreeWidgetItem(chain) : new QTreeWidgetItem(m_directoryList);
        item->setIcon(0, FolderIcon(row.open, style()));
        item->setText(0, DisplayText(row.name));
        item->setData(0, kPathRole, QByteArray::fromStdString(row.path));
        if (row.open)
            chain = item;
    }
    m_directoryList->expandAll();
    m_directoryList->setCurrentItem(chain);
    m_fileList->clear();
    for (const std::string& name : FileNames(folder))
        m_fileList->addItem(DisplayText(name));
    m_edit1->setText(DisplayText(folder));
}

std::string TfrmSelDir::TypedFolder() const
{
    // The folder listed keeps its own bytes; anything else is what was typed.
    const QString text = m_edit1->text();
    return text == DisplayText(m_openFolder) ? m_openFolder : QFile::encodeName(text).toStdString();
}

void TfrmSelDir::btnSetDirClick()
{
    const std::string typed = TypedFolder();
    if (!PathExists(typed)) {
        if (typed.empty()) {
            ShowMessage(this, tr("ｺﾋﾟｰ先ﾌｫﾙﾀﾞを指定してください。").toStdString(), Translated("CopyDirCheck", kSelDirCaption), kMessageExclamation);
            return;
        }
        if (ShowMessage(this, tr("指定されたﾌｫﾙﾀﾞは存在しません。\r\r作成してもよろしいですか?").toStdString(),
                        Translated("CopyDirCheck", kSelDirCaption),
                        kMessageQuestion + kMessageYesNo) != QMessageBox::Yes)
            return;
        if (CreateCopyDir(typed) != 0) {
            ShowMessage(this, tr("ﾌｫﾙﾀﾞが作成できませんでした。").toStdString(), Translated("CopyDirCheck", kSelDirCaption), kMessageExclamation);
            return;
        }
    }
    m_command.copyDir = typed;
    accept();
}

} // namespace larkspool
