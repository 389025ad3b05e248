// The main window's two image lists (16 and 32 pixels), which always hold the
// same pictures under the same indexes: 0 the browser, 1 the closed folder,
// 2 the open folder, 3 and up one per row of the file type table.
#pragma once

#include <QIcon>
#include <QList>

namespace larkspool {

class FileTypeTable;

class ImageLists {
public:
    void AddBrowserIcon();
    void AddFolderIcons();
    // Adds the icons of the type rows not yet in the lists, so that every
    // row's ImageIndex names its picture.
    void AddTypeIcons(const FileTypeTable& types);

    // A null icon for an index outside the lists.
    QIcon Icon(int index) const;
    // The same picture at 16 and at 32 pixels.
    QPixmap Small(int index) const { return Icon(index).pixmap(16, 16); }
    QPixmap Large(int index) const { return Icon(index).pixmap(32, 32); }

private:
    QList<QIcon> m_icons;
};

// The picture of an entry that only a scan of what the cache still holds
// found, whatever its type.
QIcon RecoveredEntryIcon();

// The bundled picture for a MIME icon name: pages, images, stylesheets and
// scripts each have their own, everything else a plain file.
const char* BundledTypeIcon(const QString& mimeIconName);

} // namespace larkspool
