// The About box: a bevelled panel with the program's icon, product name,
// version and copyright line, and an OK button that also answers Enter, Esc
// and the close box.
#include "ui/dialogs/tfrm_version.h"

#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace larkspool {

TfrmVersion::TfrmVersion(const QIcon& programIcon)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmVersion"));
    setWindowTitle(tr("ﾊﾞｰｼﾞｮﾝ情報"));
    setModal(true);
    setFixedSize(298, 166);

    // Raised inside, lowered outside: a sunken frame around a raised panel.
    auto* outer = new QFrame(this);
    outer->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    outer->setGeometry(8, 8, 282, 113);
    auto* panel = new QFrame(outer);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(1, 1, 280, 111);

    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setPixmap(programIcon.pixmap(32, 32));
    icon->setScaledContents(true);
    icon->setGeometry(12, 12, 32, 32);

    auto* name = new QLabel(QString::fromUtf8(kProductName), panel);
    name->setObjectName(QStringLiteral("ProductName"));
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    name->setGeometry(60, 14, 208, 18);

    auto* version = new QLabel(QStringLiteral("Version 2.65a"), panel);
    version->setObjectName(QStringLiteral("Version"));
    version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    version->setGeometry(60, 36, 208, 16);

    auto* copyright = new QLabel(QStringLiteral("Copyright (C) Studio Vesprane"), panel);
    copyright->setObjectName(QStringLiteral("Copyright"));
    copyright->setGeometry(12, 84, 256, 16);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    ok->setGeometry(111, 132, 75, 25);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace larkspool
