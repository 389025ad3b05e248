// The two views behind the file list and how each view style sets them up.
// The list's own keys (arrows, Home, End, type-ahead) stay with the views;
// Backspace, Enter and the context-menu key are taken here and reported.
#include "ui/main/file_list_view.h"

#include "ui/main/folder_items_model.h"
#include "ui/main/icon_text_delegate.h"
#include "ui/main/list_ordering.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeView>

#include <algorithm>

namespace larkspool {
namespace {

constexpr int kLargeIconCell = 80;

} // namespace

FileListView::FileListView(FolderItemsModel& model, QWidget* parent)
    : QStackedWidget(parent), m_model(model), m_icons(new QListView(this)), m_details(new QTreeView(this))
{
    setObjectName(QStringLiteral("ListView"));
    m_icons->setObjectName(QStringLiteral("ListViewIcons"));
    m_details->setObjectName(QStringLiteral("ListViewDetails"));

    m_icons->setModel(&m_model);
    m_details->setModel(&m_model);
    QItemSelectionModel* own = m_details->selectionModel();
    m_details->setSelectionModel(m_icons->selectionModel());
    delete own;

    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(m_icons), static_cast<QAbstractItemView*>(m_details)}) {
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        // A click in an icon view selects one index; the row is what counts.
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
        connect(view, &QAbstractItemView::doubleClicked, this, [this] { emit rowActivated(); });
        addWidget(view);
    }
    m_details->setRootIsDecorated(false);
    m_details->setItemsExpandable(false);
    m_details->setUniformRowHeights(true);
    m_details->setAllColumnsShowFocus(true);
    m_details->setIconSize(QSize(16, 16));
    m_details->header()->setSectionsClickable(true);
    m_details->header()->setStretchLastSection(false);
    m_details->header()->setSectionsMovable(false);
    connect(m_details->header(), &QHeaderView::sectionClicked, this, &FileListView::columnClicked);
    m_details->header()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_details->header(), &QWidget::customContextMenuRequested, this, &FileListView::ShowColumnMenu);
    // A new folder's rows reset the header; the optional columns stay as chosen.
    connect(&m_model, &QAbstractItemModel::modelReset, this, &FileListView::ApplyOptionalColumns);
    for (int column = kFirstOptionalColumn; column < kColumnCount; ++column)
        m_details->setColumnWidth(column, column == kColumnUrl ? 260 : 140);
    ApplyOptionalColumns();

    m_plainNames = m_icons->itemDelegate();
    m_iconNames = new IconTextDelegate(kLargeIconCell, this);
    // A selected name may be drawn beyond its cell: repaint all on a change.
    connect(m_icons->selectionModel(), &QItemSelectionModel::selectionChanged, m_icons->viewport(),
            qOverload<>(&QWidget::update));
    m_icons->setSelectionRectVisible(true);
    m_icons->setWordWrap(true);
    SetAutoArrange(false);
    SetViewStyle(ViewStyle::LargeIcon);
}

void FileListView::SetViewStyle(ViewStyle style)
{
    m_style = style;
    if (style == ViewStyle::Details) {
        setCurrentWidget(m_details);
        setFocusProxy(m_details);
        return;
    }
    switch (style) {
    case ViewStyle::LargeIcon:
        m_icons->setViewMode(QListView::IconMode);
        m_icons->setFlow(QListView::LeftToRight);
        m_icons->setIconSize(QSize(32, 32));
        m_icons->setGridSize(QSize(kLargeIconCell, 64));
        break;
    case ViewStyle::SmallIcon:
        m_icons->setViewMode(QListView::ListMode);
        m_icons->setFlow(QListView::LeftToRight);
        m_icons->setIconSize(QSize(16, 16));
        m_icons->setGridSize(QSize(150, 20));
        break;
    default:
        m_icons->setViewMode(QListView::ListMode);
        m_icons->setFlow(QListView::TopToBottom);
        m_icons->setIconSize(QSize(16, 16));
        m_icons->setGridSize(QSize());
        break;
    }
    m_icons->setWrapping(true);
    // The list style sizes each name to its text, so none is cut; the icon
    // grids are even.
    m_icons->setUniformItemSizes(style != ViewStyle::List);
    m_icons->setItemDelegate(style == ViewStyle::List ? m_plainNames : m_iconNames);
    SetAutoArrange(m_autoArrange);
    setCurrentWidget(m_icons);
    setFocusProxy(m_icons);
}

QAbstractItemView* FileListView::CurrentView() const
{
    return m_style == ViewStyle::Details ? static_cast<QAbstractItemView*>(m_details) : m_icons;
}

QItemSelectionModel* FileListView::SelectionModel() const
{
    return m_icons->selectionModel();
}

void FileListView::SetAutoArrange(bool on)
{
    m_autoArrange = on;
    // Arranged icons follow the width of the view; free ones stay where the
    // user dragged them. The list style always flows in columns.
    const bool free = !on && m_style != ViewStyle::List;
    m_icons->setMovement(free ? QListView::Free : QListView::Static);
    m_icons->setResizeMode(free ? QListView::Fixed : QListView::Adjust);
}

void FileListView::ArrangeIcons()
{
    m_icons->doItemsLayout();
}

int FileListView::ColumnWidth(int column) const
{
    return m_details->columnWidth(column);
}

void FileListView::SetColumnWidth(int column, int width)
{
    m_details->setColumnWidth(column, width);
}

void FileListView::SetShownOptionalColumns(unsigned columns)
{
    m_optionalColumns = columns & ((1u << (kColumnCount - kFirstOptionalColumn)) - 1);
    ApplyOptionalColumns();
}

void FileListView::ApplyOptionalColumns()
{
    for (int column = kFirstOptionalColumn; column < kColumnCount; ++column)
        m_details->setColumnHidden(column, !(m_optionalColumns & (1u << (column - kFirstOptionalColumn))));
}

void FileListView::ShowColumnMenu(QPoint headerPoint)
{
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("mnuColumns"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (int column = kFirstOptionalColumn; column < kColumnCount; ++column) {
        const unsigned bit = 1u << (column - kFirstOptionalColumn);
        QAction* action = menu->addAction(m_model.headerData(column, Qt::Horizontal).toString());
        action->setCheckable(true);
        action->setChecked(m_optionalColumns & bit);
        connect(action, &QAction::triggered, this, [this, bit] {
            SetShownOptionalColumns(m_optionalColumns ^ bit);
            emit optionalColumnsChosen(m_optionalColumns);
        });
    }
    menu->popup(m_details->header()->mapToGlobal(headerPoint));
}

std::vector<int> FileListView::SelectedRows() const
{
    // A row counts as selected by its name column, however many of its other
    // columns the view selected with it.
    std::vector<int> rows;
    for (const QModelIndex& index : SelectionModel()->selectedIndexes()) {
        if (index.column() == 0)
            rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

int FileListView::FirstSelectedRow() const
{
    const std::vector<int> rows = SelectedRows();
    return rows.empty() ? -1 : rows.front();
}

int FileListView::SelectedCount() const
{
    return int(SelectedRows().size());
}

QPoint FileListView::RowPosition(int row) const
{
    return CurrentView()->visualRect(m_model.index(row, 0)).topLeft();
}

QPoint FileListView::ToGlobal(QPoint viewportPoint) const
{
    return CurrentView()->viewport()->mapToGlobal(viewportPoint);
}

bool FileListView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Backspace || key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Menu) {
            emit keyDown(key == Qt::Key_Enter ? int(Qt::Key_Return) : key);
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonRelease && watched == CurrentView()->viewport()) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            const QPoint at = mouse->position().toPoint();
            emit rightReleased(at, CurrentView()->indexAt(at).isValid());
        }
    } else if (event->type() == QEvent::ContextMenu) {
        // The popup is opened by the handlers above, never by itself.
        return true;
    }
    return QStackedWidget::eventFilter(watched, event);
}

} // namespace larkspool
