// The default file names dialog: loads the five values from the main window
// on every show, greys the optional names that are switched off, and stores
// the trimmed names only when they pass the checks.
#include "ui/dialogs/tfrm_def_file.h"

#include "ui/common/message_box.h"
#include "catalogue/translated_text.h"
#include "settings/def_file_check.h"
#include "jobs/command_state.h"

#include <QCoreApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace larkspool {
namespace {

QLineEdit* NameEdit(const char* name, QRect at, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(kDefFileMaxLength);
    edit->setGeometry(at);
    return edit;
}

QCheckBox* NameSwitch(const char* name, QRect at, QWidget* parent)
{
    auto* box = new QCheckBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(at);
    return box;
}

} // namespace

TfrmDefFile::TfrmDefFile(CommandState& command)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_command(command)
{
    setObjectName(QStringLiteral("frmDefFile"));
    setWindowTitle(QCoreApplication::translate("DefFileCheck", kDefFileCaption));
    setModal(true);
    setFixedSize(329, 153);

    auto* label1 = new QLabel(tr("暗黙のﾌｧｲﾙ名(必須)"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setGeometry(12, 12, 200, 16);
    m_edtName1 = NameEdit("edtName1", QRect(32, 30, 185, 22), this);
    auto* label2 = new QLabel(tr("暗黙のﾌｧｲﾙ名(ｵﾌﾟｼｮﾝ)"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setGeometry(12, 62, 200, 16);
    m_chkName2 = NameSwitch("chkName2", QRect(12, 84, 18, 18), this);
    m_edtName2 = NameEdit("edtName2", QRect(32, 82, 185, 22), this);
    m_chkName3 = NameSwitch("chkName3", QRect(12, 114, 18, 18), this);
    m_edtName3 = NameEdit("edtName3", QRect(32, 112, 185, 22), this);

    auto* button1 = new QPushButton(tr("設定(&S)"), this);
    button1->setObjectName(QStringLiteral("Button1"));
    button1->setDefault(true);
    button1->setGeometry(240, 30, 75, 25);
    auto* button2 = new QPushButton(tr("ｷｬﾝｾﾙ(C)"), this);
    button2->setObjectName(QStringLiteral("Button2"));
    button2->setGeometry(240, 62, 75, 25);

    setTabOrder(m_edtName1, m_chkName2);
    setTabOrder(m_chkName2, m_edtName2);
    setTabOrder(m_edtName2, m_chkName3);
    setTabOrder(m_chkName3, m_edtName3);
    setTabOrder(m_edtName3, button1);
    setTabOrder(button1, button2);

    connect(m_chkName2, &QCheckBox::clicked, this, &TfrmDefFile::chkName2Click);
    connect(m_chkName3, &QCheckBox::clicked, this, &TfrmDefFile::chkName2Click);
    connect(button1, &QPushButton::clicked, this, &TfrmDefFile::Button1Click);
    connect(button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmDefFile::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TfrmDefFile::FormShow()
{
    const DefaultFiles names = m_command.defaultFiles;
    m_edtName1->setText(QString::fromStdString(names.DefFile1));
    m_edtName2->setText(QString::fromStdString(names.DefFile2));
    m_edtName3->setText(QString::fromStdString(names.DefFile3));
    m_chkName2->setChecked(names.DefFileFlag2);
    m_chkName3->setChecked(names.DefFileFlag3);
    chkName2Click();
    m_edtName1->setFocus();
}

void TfrmDefFile::chkName2Click()
{
    // A disabled edit takes the button-face colour of the style by itself.
    m_edtName2->setEnabled(m_chkName2->isChecked());
    m_edtName3->setEnabled(m_chkName3->isChecked());
}

void TfrmDefFile::Button1Click()
{
    const DefaultFiles names = TrimDefFiles({m_edtName1->text().toStdString(), m_edtName2->text().toStdString(),
                                         m_edtName3->text().toStdString(), m_chkName2->isChecked(),
                                         m_chkName3->isChecked()});
    const std::string refusal = CheckDefFiles(names);
    if (!refusal.empty()) {
        ShowMessage(this, refusal, Translated("DefFileCheck", kDefFileCaption), kMessageExclamation);
        return;
    }
    m_command.defaultFiles = names;
    accept();
}

} // namespace larkspool
