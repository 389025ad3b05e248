// The extension filter dialog. Each row shows a type's extension and name
// behind a state picture (an empty box, or the box with a red tick) and the
// type's small icon; the row keeps its type index, so sorting the rows by
// extension loses nothing. Every showing starts with no row ticked.
#include "ui/main/tfrm_pick_up.h"

#include "ui/main/tfrm_main.h"
#include "catalogue/display_text.h"
#include "ui/common/message_box.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>

namespace larkspool {
namespace {

enum Role { kTypeRole = Qt::UserRole + 1, kStateRole };

// State 0 an empty box, state 1 the box with a red tick.
QPixmap StateImage(int state)
{
    QPixmap image(16, 16);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(64, 64, 64), 1));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(2.5, 2.5, 11, 11));
    if (state == 1) {
        painter.setPen(QPen(QColor(220, 0, 0), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(QPolygonF({QPointF(4.5, 8), QPointF(7, 11), QPointF(12, 4.5)}));
    }
    return image;
}

// The state picture and the type's icon side by side, as one decoration.
QIcon RowIcon(int state, const QIcon& typeIcon)
{
    QPixmap both(34, 16);
    both.fill(Qt::transparent);
    QPainter painter(&both);
    painter.drawPixmap(0, 0, StateImage(state));
    painter.drawPixmap(18, 0, typeIcon.pixmap(16, 16));
    return QIcon(both);
}

} // namespace

TfrmPickUp::TfrmPickUp(TfrmMain& main)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_main(main)
{
    setObjectName(QStringLiteral("frmPickUp"));
    setWindowTitle(tr(kPickUpCaption));
    setModal(true);
    setFixedSize(308, 283);

    m_listView = new QTreeWidget(this);
    m_listView->setObjectName(QStringLiteral("ListView"));
    m_listView->setColumnCount(2);
    m_listView->setHeaderLabels({tr("拡張子"), tr("種類")});
    m_listView->setColumnWidth(0, 80);
    m_listView->setColumnWidth(1, 188);
    m_listView->header()->setSectionsClickable(false);
    m_listView->setRootIsDecorated(false);
    m_listView->setIconSize(QSize(34, 16));
    m_listView->setGeometry(8, 26, 292, 210);
    m_listView->viewport()->installEventFilter(this);
    m_listView->installEventFilter(this);

    auto* label1 = new QLabel(tr("絞り込み対象ﾌｧｲﾙ選択(&E):"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setBuddy(m_listView);
    label1->setGeometry(8, 8, 292, 16);

    auto* run = new QPushButton(tr("実行"), this);
    run->setObjectName(QStringLiteral("btnRun"));
    run->setDefault(true);
    run->setGeometry(144, 248, 75, 25);
    auto* cancel = new QPushButton(tr("ｷｬﾝｾﾙ"), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    cancel->setGeometry(225, 248, 75, 25);

    setTabOrder(m_listView, run);
    setTabOrder(run, cancel);
    connect(run, &QPushButton::clicked, this, &TfrmPickUp::btnRunClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmPickUp::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TfrmPickUp::FormShow()
{
    m_listView->clear();
    const FileTypeTable& types = m_main.catalogue().FileTypes();
    std::vector<int> order(std::size_t(types.GetFileTypeCount()));
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    auto caption = [&types](int row) { return DisplayText(types.GetFileTypeRow(row).Ext); };
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return QString::localeAwareCompare(caption(a), caption(b)) < 0; });
    for (int row : order) {
        auto* item = new QTreeWidgetItem(m_listView);
        item->setText(0, caption(row));
        item->setText(1, DisplayText(types.GetFileTypeRow(row).TypeName));
        item->setData(0, kTypeRole, row);
        item->setData(0, kStateRole, 0);
        item->setIcon(0, RowIcon(0, m_main.GetTypeSmallIcon(row)));
    }
    findChild<QPushButton*>(QStringLiteral("btnRun"))->setFocus();
}

void TfrmPickUp::ToggleRow(int row)
{
    QTreeWidgetItem* item = m_listView->topLevelItem(row);
    if (!item)
        return;
    const int state = 1 - item->data(0, kStateRole).toInt();
    item->setData(0, kStateRole, state);
    item->setIcon(0, RowIcon(state, m_main.GetTypeSmallIcon(item->data(0, kTypeRole).toInt())));
}

bool TfrmPickUp::eventFilter(QObject* watched, QEvent* event)
{
    // Any mouse button ticks the row under it; the space bar the current row.
    if (watched == m_listView->viewport() && event->type() == QEvent::MouseButtonPress) {
        const QTreeWidgetItem* item = m_listView->itemAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        if (item)
            ToggleRow(m_listView->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)));
    } else if (watched == m_listView && event->type() == QEvent::KeyPress &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space && m_listView->currentItem()) {
        ToggleRow(m_listView->indexOfTopLevelItem(m_listView->currentItem()));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmPickUp::btnRunClick()
{
    m_selectedTypes.clear();
    for (int row = 0; row < m_listView->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = m_listView->topLevelItem(row);
        if (item->data(0, kStateRole).toInt() == 1)
            m_selectedTypes.push_back(item->data(0, kTypeRole).toInt());
    }
    if (m_selectedTypes.empty()) {
        ShowMessage(this, tr("絞り込み対象の拡張子を１つは選択してください。").toStdString(), tr(kPickUpCaption).toStdString(),
                    kMessageExclamation);
        return;
    }
    accept();
}

} // namespace larkspool
