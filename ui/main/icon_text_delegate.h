// How the icon styles draw a row. Large icons: the icon centred at the top,
// the name below it wrapped onto two lines (at word boundaries, else
// anywhere) and cut with "…" after the second. Small icons: the name beside
// the icon, cut at the cell. Either way a selected row shows its whole name,
// as a file manager's icon view does.
#pragma once

#include <QStringList>
#include <QStyledItemDelegate>

class QFont;

namespace larkspool {

inline constexpr int kIconNameLines = 2;

// The lines of a name laid out at width; all of them when whole, otherwise
// at most kIconNameLines, the last one cut.
QStringList IconNameLines(const QString& name, const QFont& font, int width, bool whole);

class IconTextDelegate : public QStyledItemDelegate {
public:
    // cellWidth: the width of the icon grid's cells.
    IconTextDelegate(int cellWidth, QObject* parent) : QStyledItemDelegate(parent), m_cellWidth(cellWidth) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int m_cellWidth;
};

} // namespace larkspool
