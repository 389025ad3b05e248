// Drawn by hand: QLabel draws its whole text, clipped at its edge.
#include "ui/common/elided_label.h"

#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace larkspool {

ElidedLabel::ElidedLabel(QWidget* parent, int designedWidth) : QLabel(parent), m_designedWidth(designedWidth)
{
    setSizePolicy(QSizePolicy::Preferred, sizePolicy().verticalPolicy());
}

QString ElidedLabel::ShownText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

QSize ElidedLabel::sizeHint() const
{
    const QSize whole = QLabel::sizeHint();
    return {std::max(whole.width(), m_designedWidth), whole.height()};
}

QSize ElidedLabel::minimumSizeHint() const
{
    const QMargins margins = contentsMargins();
    return {fontMetrics().horizontalAdvance(QChar(0x2026)) + margins.left() + margins.right(),
            QLabel::minimumSizeHint().height()};
}

void ElidedLabel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), int(alignment()), palette(), isEnabled(), ShownText(),
                          foregroundRole());
}

} // namespace larkspool
