#include "ui/main/icon_text_delegate.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>

namespace larkspool {

namespace {

constexpr QChar kZeroWidthSpace(0x200B);

} // namespace

QStringList IconNameLines(const QString& name, const QFont& font, int width, bool whole)
{
    // A word too long for a line breaks before its extension's dot rather
    // than anywhere: the dot gets an invisible break opportunity.
    QString text = name;
    if (const qsizetype dot = text.lastIndexOf(QLatin1Char('.')); dot > 0)
        text.insert(dot, kZeroWidthSpace);
    QTextLayout layout(text, font);
    QTextOption wrap;
    wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    wrap.setAlignment(Qt::AlignHCenter);
    layout.setTextOption(wrap);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines.append(text.mid(line.textStart(), line.textLength()).remove(kZeroWidthSpace));
    }
    layout.endLayout();
    if (whole || lines.size() <= kIconNameLines)
        return lines;
    QString last = lines.mid(kIconNameLines - 1).join(QString());
    lines = lines.mid(0, kIconNameLines - 1);
    lines.append(QFontMetrics(font).elidedText(last, Qt::ElideRight, width));
    return lines;
}

QSize IconTextDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    if (item.decorationPosition != QStyleOptionViewItem::Top)
        return QStyledItemDelegate::sizeHint(option, index);
    return {m_cellWidth - 2, item.decorationSize.height() + 5 + kIconNameLines * QFontMetrics(item.font).height()};
}

void IconTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const bool selected = item.state.testFlag(QStyle::State_Selected);
    if (item.decorationPosition != QStyleOptionViewItem::Top) {
        if (!selected) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        // A selected name beside its icon runs on past its cell, on one line.
        QStyleOptionViewItem whole = option;
        whole.features &= ~QStyleOptionViewItem::WrapText;
        whole.rect = QRect();
        const int width = QStyledItemDelegate::sizeHint(whole, index).width();
        whole.rect = option.rect;
        whole.rect.setWidth(std::max(option.rect.width(), width));
        QStyledItemDelegate::paint(painter, whole, index);
        return;
    }
    const QPalette::ColorGroup group = item.state.testFlag(QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
    painter->save();
    const QRect iconRect(item.rect.center().x() - item.decorationSize.width() / 2, item.rect.top() + 2,
                         item.decorationSize.width(), item.decorationSize.height());
    item.icon.paint(painter, iconRect, Qt::AlignCenter, selected ? QIcon::Selected : QIcon::Normal);

    const int width = item.rect.width() - 4;
    const QStringList lines = IconNameLines(item.text, item.font, width, selected);
    const QFontMetrics metrics(item.font);
    int textWidth = 0;
    for (const QString& line : lines)
        textWidth = std::max(textWidth, metrics.horizontalAdvance(line));
    // A selected name may reach below its cell, over the next row's icons.
    QRect textRect(item.rect.center().x() - textWidth / 2 - 1, iconRect.bottom() + 3, textWidth + 2,
                   int(lines.size()) * metrics.height());
    if (selected)
        painter->fillRect(textRect, item.palette.brush(group, QPalette::Highlight));
    painter->setFont(item.font);
    painter->setPen(item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    for (int i = 0; i < lines.size(); ++i) {
        const QRect lineRect(item.rect.left(), textRect.top() + i * metrics.height(), item.rect.width(),
                             metrics.height());
        painter->drawText(lineRect, Qt::AlignHCenter | Qt::AlignTop, lines[i]);
    }
    if (item.state.testFlag(QStyle::State_HasFocus))
        painter->drawRect(textRect.adjusted(0, 0, -1, -1));
    painter->restore();
}

} // namespace larkspool
