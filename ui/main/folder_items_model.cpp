// The file list's rows over FolderItems. A folder row shows its name and the
// type "ﾌｧｲﾙ ﾌｫﾙﾀﾞ" with the closed-folder image; a file row its name, title,
// size, type and date, with its type's image (none while the type is unknown),
// then its URL, content type, last access and partition.
#include "ui/main/folder_items_model.h"

#include "cache/recovered_key.h"
#include "catalogue/display_text.h"
#include "ui/main/image_lists.h"
#include "catalogue/file_type_table.h"
#include "catalogue/folder_tree.h"
#include "catalogue/size_date_texts.h"
#include "files/file_times.h"
#include "ui/main/list_ordering.h"

namespace larkspool {
namespace {

const char* const kCaptions[kColumnCount] = {
    QT_TRANSLATE_NOOP("larkspool::FolderItemsModel", "名前"),
    QT_TRANSLATE_NOOP("larkspool::FolderItemsModel", "ﾀｲﾄﾙ"),
    QT_TRANSLATE_NOOP("larkspool::FolderItemsModel", "ｻｲｽﾞ"),
    QT_TRANSLATE_NOOP("larkspool::FolderItemsModel", "種類"),
    QT_TRANSLATE_NOOP("larkspool::FolderItemsModel", "更新日時"),
    "URL",
    QT_TRANSLATE_NOOP("larkspool::FolderItemsModel", "ｺﾝﾃﾝﾂ ﾀｲﾌﾟ"),
    QT_TRANSLATE_NOOP("larkspool::FolderItemsModel", "最終ｱｸｾｽ日時"),
    QT_TRANSLATE_NOOP("larkspool::FolderItemsModel", "ﾊﾟｰﾃｨｼｮﾝ"),
};

} // namespace

FolderItemsModel::FolderItemsModel(const FileTypeTable& types, const ImageLists& images, QObject* parent)
    : QAbstractTableModel(parent), m_types(types), m_images(images)
{
}

TListItem* FolderItemsModel::Item(int row) const
{
    if (row < 0 || std::size_t(row) >= m_items.size())
        return nullptr;
    return m_items[std::size_t(row)];
}

void FolderItemsModel::FillFileList()
{
    beginResetModel();
    endResetModel();
}

void FolderItemsModel::Clear()
{
    beginResetModel();
    m_items.clear();
    endResetModel();
}

int FolderItemsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

int FolderItemsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QString FolderItemsModel::CellText(const TListItem& item, int column) const
{
    if (item.Kind != 'C') {
        switch (column) {
        case 0: return DisplayText(item.Name);
        case 3: return tr("ﾌｧｲﾙ ﾌｫﾙﾀﾞ");
        default: return {};
        }
    }
    const auto& entry = static_cast<const TCacheEntry&>(item);
    switch (column) {
    case 0: return DisplayText(entry.Name);
    case 1: return DisplayText(entry.Title);
    case 2: return QString::fromStdString(entry.SizeText);
    case 3:
        if (entry.TypeIndex < 0 || entry.TypeIndex >= m_types.GetFileTypeCount())
            return {};
        return QString::fromStdString(m_types.GetFileTypeRow(entry.TypeIndex).TypeName);
    case kColumnUrl: return DisplayText(entry.SourceUrl);
    case kColumnContentType: return QString::fromStdString(entry.ContentType);
    case kColumnLastAccess:
        return entry.LastAccessUtc ? QString::fromStdString(FormatListDateText(FileTimeToLocalFileTime(entry.LastAccessUtc)))
                                   : QString();
    case kColumnPartition: return DisplayText(entry.Partition);
    default: return QString::fromStdString(entry.DateText);
    }
}

QVariant FolderItemsModel::data(const QModelIndex& index, int role) const
{
    const TListItem* item = index.isValid() ? Item(index.row()) : nullptr;
    if (!item)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return CellText(*item, index.column());
    case Qt::DecorationRole: {
        if (index.column() != 0)
            return {};
        if (item->Kind != 'C')
            return m_images.Icon(kFolderImage);
        const auto* entry = static_cast<const TCacheEntry*>(item);
        // Only a recovered record has a key of its own (beside the member's
        // number that a cache of several puts before a key).
        if (RecoveredKeyNumber(entry->RecordKey) || LeftoverKeyNumber(entry->RecordKey))
            return RecoveredEntryIcon();
        const int type = entry->TypeIndex;
        if (type < 0 || type >= m_types.GetFileTypeCount())
            return {};
        return m_images.Icon(m_types.GetFileTypeRow(type).ImageIndex);
    }
    case Qt::TextAlignmentRole:
        if (index.column() == 2)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant FolderItemsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return tr(kCaptions[section]);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue((section == 2 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    return {};
}

} // namespace larkspool
