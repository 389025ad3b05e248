// The refresh dialog: shown modally, its timer fires once and runs the whole
// refresh inside that event, letting the event loop run once per entry so the
// bar moves and "中止(&C)" can stop the scan; then it closes itself. The user
// cannot close it any other way.
#include "ui/main/tfrm_refresh.h"

#include "ui/main/forms.h"
#include "ui/common/message_box.h"
#include "ui/main/tfrm_main.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace larkspool {
namespace {

constexpr int kExposureWaits = 50;
constexpr int kExposureWaitMs = 10;

} // namespace

TfrmRefresh::TfrmRefresh(Forms& forms)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint),
      m_forms(forms), m_progressBar(new QProgressBar(this)), m_button1(new QPushButton(this)), m_timer1(new QTimer(this))
{
    setObjectName(QStringLiteral("frmRefresh"));
    setWindowTitle(tr("最新の情報に更新中"));
    setModal(true);

    auto* label1 = new QLabel(tr("ｷｬｯｼｭを読み込んでいます。"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    auto* label2 = new QLabel(tr("しばらくお待ちください。"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    for (QLabel* label : {label1, label2})
        label->setAlignment(Qt::AlignCenter);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar->setMinimum(0);
    m_progressBar->setTextVisible(false);
    m_button1->setObjectName(QStringLiteral("Button1"));
    m_button1->setText(tr("中止(&C)"));
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setSingleShot(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label1);
    layout->addWidget(label2);
    layout->addWidget(m_progressBar);
    layout->addWidget(m_button1, 0, Qt::AlignHCenter);
    setFixedWidth(300);

    connect(m_timer1, &QTimer::timeout, this, &TfrmRefresh::Timer1Timer);
    connect(m_button1, &QPushButton::clicked, this, &TfrmRefresh::Button1Click);
}

void TfrmRefresh::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmRefresh::FormShow()
{
    m_progressBar->setValue(0);
    m_timer1->start(1);
}

void TfrmRefresh::Timer1Timer()
{
    m_timer1->stop();
    // Both windows are drawn before the scan holds the event loop: a large
    // cache would leave them black for as long as its count takes. A window
    // manager maps them in its own time, a short one at most.
    QWidget& main = *m_forms.frmMain;
    const auto exposed = [](const QWidget& window) {
        return window.windowHandle() && window.windowHandle()->isExposed();
    };
    if (!(exposed(main) && exposed(*this)) && m_exposureWaits++ < kExposureWaits) {
        m_timer1->start(kExposureWaitMs);
        return;
    }
    m_exposureWaits = 0;
    main.repaint();
    repaint();
    m_forms.frmMain->RefreshCache(*this);
    done(QDialog::Rejected);
}

void TfrmRefresh::Button1Click()
{
    m_forms.frmMain->CancelRefresh();
}

void TfrmRefresh::SetProgressMaximum(int maximum)
{
    m_progressBar->setMaximum(maximum);
}

void TfrmRefresh::SetProgressPosition(int position)
{
    m_progressBar->setValue(position);
}

void TfrmRefresh::ProcessEvents()
{
    QCoreApplication::processEvents();
}

void TfrmRefresh::ShowMessage(const std::string& text, const std::string& caption, int flags)
{
    larkspool::ShowMessage(this, text, caption, flags);
}

void TfrmRefresh::keyPressEvent(QKeyEvent* event)
{
    // Esc would close the dialog under the running refresh.
    if (event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}

void TfrmRefresh::closeEvent(QCloseEvent* event)
{
    // Only the refresh closes it (done() hides it without a close event).
    event->ignore();
}

} // namespace larkspool
