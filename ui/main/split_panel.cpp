// The split panel and its bar. QSplitter lays the halves out; the bar takes
// over the mouse so that the drag follows our limits and moves the bar alone.
#include "ui/main/split_panel.h"

#include <QMouseEvent>
#include <QPainter>

namespace larkspool {

int ClampSplitLeft(int newLeft, int panelWidth)
{
    if (newLeft < kSplitMargin)
        return kSplitMargin;
    if (panelWidth - newLeft < kSplitMargin)
        return panelWidth - kSplitMargin;
    return newLeft;
}

SplitBar::SplitBar(QSplitter* parent) : QSplitterHandle(Qt::Horizontal, parent)
{
    setObjectName(QStringLiteral("SplitBar"));
    setCursor(Qt::SplitHCursor);
}

void SplitBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_splitGrabX = event->position().toPoint().x();
    m_splitDragging = true;
    raise();
    update();
}

void SplitBar::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_splitDragging)
        return;
    const int newLeft = Left() + event->position().toPoint().x() - m_splitGrabX;
    move(ClampSplitLeft(newLeft, splitter()->width()) - Margin(), y());
}

void SplitBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_splitDragging)
        return;
    m_splitDragging = false;
    update();
    moveSplitter(Left());
}

void SplitBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(QRect(Margin(), 0, kSplitBarWidth, height()), m_splitDragging ? QColor(Qt::black) : palette().color(QPalette::Button));
}

SplitPanel::SplitPanel(QWidget* left, QWidget* right, QWidget* parent) : QSplitter(Qt::Horizontal, parent)
{
    setObjectName(QStringLiteral("SplitPanel"));
    setHandleWidth(kSplitBarWidth);
    setChildrenCollapsible(false);
    setOpaqueResize(false);
    // 1, not 0: a zero minimum would let the halves' size hints decide.
    left->setMinimumWidth(1);
    right->setMinimumWidth(1);
    addWidget(left);
    addWidget(right);
    setStretchFactor(0, 0);
    setStretchFactor(1, 1);
}

SplitBar* SplitPanel::Bar() const
{
    return static_cast<SplitBar*>(handle(1));
}

int SplitPanel::SplitBarLeft() const
{
    return sizes().value(0);
}

void SplitPanel::SetSplitBarLeft(int left)
{
    const int total = qMax(width(), left + kSplitBarWidth + 1);
    setSizes({left, total - left - kSplitBarWidth});
}

QSplitterHandle* SplitPanel::createHandle()
{
    return new SplitBar(this);
}

} // namespace larkspool
