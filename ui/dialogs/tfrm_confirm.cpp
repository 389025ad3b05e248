// The overwrite question of the export: shown by the job window when a file
// is in the way, it reads the item from that window, shows both sides and
// reports which of the six buttons was pressed. It decides nothing.
#include "ui/dialogs/tfrm_confirm.h"

#include "catalogue/display_text.h"
#include "ui/common/message_box.h"
#include "ui/dialogs/tfrm_file_op.h"
#include "jobs/overwrite_mode.h"

#include <QCoreApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

namespace larkspool {

TfrmConfirm::TfrmConfirm(TypeIconLookup typeIcon)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint),
      m_typeIcon(std::move(typeIcon)), m_lblFileName(new QLabel(this)), m_image1(new QLabel(this)), m_lblSizeOld(new QLabel(this)),
      m_lblDateOld(new QLabel(this)), m_image2(new QLabel(this)), m_lblSizeNew(new QLabel(this)),
      m_lblDateNew(new QLabel(this))
{
    setObjectName(QStringLiteral("frmConfirm"));
    setWindowTitle(QCoreApplication::translate("OverwriteQuestion", kOverwriteCaption));
    setModal(true);
    setFixedSize(427, 272);

    auto place = [this](QLabel* label, const char* name, const QString& text, QRect at) {
        label->setObjectName(QString::fromLatin1(name));
        label->setText(text);
        label->setGeometry(at);
    };
    place(m_lblFileName, "lblFileName", QString(), {16, 12, 400, 16});
    place(new QLabel(this), "Label1", tr("現在のﾌｧｲﾙ"), {16, 40, 200, 16});
    place(m_image1, "Image1", QString(), {40, 64, 32, 32});
    place(m_lblSizeOld, "lblSizeOld", QStringLiteral("lblSizeOld"), {88, 64, 320, 16});
    place(m_lblDateOld, "lblDateOld", QStringLiteral("lblDateOld"), {88, 82, 320, 16});
    place(new QLabel(this), "Label2", tr("に次の新しいﾌｧｲﾙを上書きしますか?"), {16, 110, 300, 16});
    place(m_image2, "Image2", QString(), {40, 134, 32, 32});
    place(m_lblSizeNew, "lblSizeNew", QStringLiteral("lblSizeNew"), {88, 134, 320, 16});
    place(m_lblDateNew, "lblDateNew", QStringLiteral("lblDateNew"), {88, 152, 320, 16});

    struct Row {
        const char* name;
        const char* caption;
        QRect at;
    };
    const Row rows[] = {
        {"btnYes", QT_TR_NOOP("はい(&Y)"), {16, 194, 92, 25}},
        {"btnYesAll", QT_TR_NOOP("すべて上書き(&A)"), {114, 194, 100, 25}},
        {"btnNo", QT_TR_NOOP("いいえ(&N)"), {220, 194, 92, 25}},
        {"btnCancel", QT_TR_NOOP("ｷｬﾝｾﾙ(&C)"), {318, 194, 92, 25}},
        {"btnYesAllNewDate", QT_TR_NOOP("日付の新しいものをすべて上書き"), {16, 230, 196, 25}},
        {"btnNoAll", QT_TR_NOOP("すべていいえ"), {218, 230, 100, 25}},
    };
    QWidget* previous = nullptr;
    for (const Row& row : rows) {
        auto* button = new QPushButton(tr(row.caption), this);
        button->setObjectName(QString::fromLatin1(row.name));
        button->setGeometry(row.at);
        connect(button, &QPushButton::clicked, this, &TfrmConfirm::btnClick);
        if (previous)
            setTabOrder(previous, button);
        previous = button;
    }
    m_btnYes = findChild<QPushButton*>(QStringLiteral("btnYes"));
    m_btnNo = findChild<QPushButton*>(QStringLiteral("btnNo"));
    m_btnYes->setDefault(true);
}

void TfrmConfirm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmConfirm::FormShow()
{
    m_btnYes->setFocus();
    m_jobWindow->GetCurrentItem(m_entryCopy, m_destPath);
    ShowQuestion(MakeExportQuestion(m_entryCopy, m_destPath));
}

void TfrmConfirm::ShowQuestion(const OverwriteQuestion& question)
{
    m_lblFileName->setText(DisplayText(question.ConflictLine));
    // An existing file that cannot be read shows no size and date rather
    // than those of an earlier question; a file to import that cannot be
    // read leaves the previous question's lines, as the import's window does.
    m_lblSizeOld->setText(QString::fromStdString(question.SizeOld));
    m_lblDateOld->setText(QString::fromStdString(question.DateOld));
    if (!question.SizeNew.empty() || !question.DateNew.empty()) {
        m_lblSizeNew->setText(QString::fromStdString(question.SizeNew));
        m_lblDateNew->setText(QString::fromStdString(question.DateNew));
    }
    m_image1->setPixmap(TypeIcon(question.IconFileOld));
    m_image2->setPixmap(TypeIcon(question.IconFileNew));
}

QPixmap TfrmConfirm::TypeIcon(const std::string& path) const
{
    return m_typeIcon(path).pixmap(32, 32);
}

void TfrmConfirm::btnClick()
{
    const QString name = sender() ? sender()->objectName() : QString();
    m_answer = AnswerOfButton(name.toStdString());
    if (m_answer < 0)
        ShowMessage(this, "Undefined 'TButton' Name", "btnClick", kMessageOk);
    done(QDialog::Accepted);
}

void TfrmConfirm::reject()
{
    m_btnNo->click();
}

void TfrmConfirm::closeEvent(QCloseEvent* event)
{
    // Only a button answers: the title bar has no close box to give one.
    event->ignore();
}

void TfrmConfirm::keyPressEvent(QKeyEvent* event)
{
    // A button's underlined letter presses it, with Alt or without, as in
    // the system's own dialogs.
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier || modifiers == Qt::AltModifier) {
        const QString letter = QKeySequence(event->key()).toString();
        for (QPushButton* button : findChildren<QPushButton*>()) {
            if (letter.size() == 1 && button->text().contains(QLatin1Char('&') + letter, Qt::CaseInsensitive)) {
                button->click();
                return;
            }
        }
    }
    QDialog::keyPressEvent(event);
}

} // namespace larkspool
