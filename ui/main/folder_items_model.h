// The rows of the file list: one per record of FolderItems, the five
// columns always shown and the details view's optional ones.
#pragma once

#include "catalogue/cache_entry.h"

#include <QAbstractTableModel>

#include <vector>

namespace larkspool {

class FileTypeTable;
class ImageLists;

class FolderItemsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    FolderItemsModel(const FileTypeTable& types, const ImageLists& images, QObject* parent = nullptr);

    // FolderItems: row i shows item i. Owns nothing; the catalogue does.
    // After changing it, call FillFileList.
    std::vector<TListItem*>& Items() { return m_items; }
    const std::vector<TListItem*>& Items() const { return m_items; }
    // nullptr for a row outside the items.
    TListItem* Item(int row) const;

    // Rebuilds the rows from the items (a model reset: views drop their
    // selection and repaint once).
    void FillFileList();
    // Forgets every item and row, before the records they name are freed.
    void Clear();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString CellText(const TListItem& item, int column) const;

    const FileTypeTable& m_types;
    const ImageLists& m_images;
    std::vector<TListItem*> m_items;
};

} // namespace larkspool
