// The file list: one model shown either by an icon/list view (large icons,
// small icons, list) or by a details view with five columns and optional
// ones that its header's context menu shows and hides; both share one
// selection model, so a style change keeps the selection.
#pragma once

#include "ui/main/view_styles.h"

#include <QStackedWidget>

#include <vector>

class QAbstractItemDelegate;
class QAbstractItemView;
class QItemSelectionModel;
class QListView;
class QTreeView;

namespace larkspool {

class FolderItemsModel;

class FileListView : public QStackedWidget {
    Q_OBJECT
public:
    explicit FileListView(FolderItemsModel& model, QWidget* parent = nullptr);

    void SetViewStyle(ViewStyle style);
    ViewStyle Style() const { return m_style; }
    // The view that shows the rows in the current style.
    QAbstractItemView* CurrentView() const;
    QTreeView* DetailsView() const { return m_details; }
    QItemSelectionModel* SelectionModel() const;

    // Automatic arrangement of icons (large and small icon styles).
    void SetAutoArrange(bool on);
    bool AutoArrange() const { return m_autoArrange; }
    // Lays the icons out once on the grid.
    void ArrangeIcons();

    int ColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);
    // The details view's optional columns shown: bit (column -
    // kFirstOptionalColumn) for each; none at first.
    void SetShownOptionalColumns(unsigned columns);
    unsigned ShownOptionalColumns() const { return m_optionalColumns; }

    // The selected rows in ascending order.
    std::vector<int> SelectedRows() const;
    // The first selected row (lowest index), or -1.
    int FirstSelectedRow() const;
    int SelectedCount() const;
    // Where a row is drawn, in the current view's viewport coordinates.
    QPoint RowPosition(int row) const;
    QPoint ToGlobal(QPoint viewportPoint) const;

signals:
    // Keys the list acts on itself: Backspace, Enter and the context-menu key.
    void keyDown(int key);
    void rowActivated();
    void columnClicked(int column);
    void rightReleased(QPoint viewportPoint, bool overRow);
    // The header's context menu turned an optional column on or off.
    void optionalColumnsChosen(unsigned columns);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowColumnMenu(QPoint headerPoint);
    void ApplyOptionalColumns();

    FolderItemsModel& m_model;
    QListView* m_icons;
    QTreeView* m_details;
    QAbstractItemDelegate* m_plainNames;
    QAbstractItemDelegate* m_iconNames;
    ViewStyle m_style = ViewStyle::LargeIcon;
    bool m_autoArrange = false;
    unsigned m_optionalColumns = 0;
};

} // namespace larkspool
