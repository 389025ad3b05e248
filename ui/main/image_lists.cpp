// Pictures of the main window: the image lists of the tree and the file list
// and the icon lookup with bundled fallbacks, for systems whose icon theme
// lacks a name (or has no theme at all).
#include "ui/main/image_lists.h"

#include "catalogue/file_type_table.h"
#include "ui/common/theme_icon.h"

namespace larkspool {

const char* BundledTypeIcon(const QString& mimeIconName)
{
    if (mimeIconName == QLatin1String("text-html") || mimeIconName.contains(QLatin1String("xhtml")))
        return "type-page";
    if (mimeIconName.startsWith(QLatin1String("image-")))
        return "type-image";
    if (mimeIconName == QLatin1String("text-css"))
        return "type-stylesheet";
    if (mimeIconName.contains(QLatin1String("script")))
        return "type-script";
    return "type-file";
}

void ImageLists::AddBrowserIcon()
{
    m_icons.append(ThemeIcon("web-browser", "browser"));
}

void ImageLists::AddFolderIcons()
{
    m_icons.append(ThemeIcon("folder", "folder"));
    m_icons.append(ThemeIcon("folder-open", "folder-open"));
}

void ImageLists::AddTypeIcons(const FileTypeTable& types)
{
    for (int row = 0; row < types.GetFileTypeCount(); ++row) {
        const TFileType& type = types.GetFileTypeRow(row);
        while (m_icons.size() <= type.ImageIndex) {
            // The type's own icon in the theme; else our picture of its kind,
            // so that pages, images, stylesheets and scripts stay apart.
            const QString name = QString::fromStdString(type.IconName);
            const char* bundled = BundledTypeIcon(name);
            QIcon icon = QIcon::hasThemeIcon(name) ? QIcon::fromTheme(name) : QIcon();
            if (icon.isNull() && QLatin1String(bundled) == QLatin1String("type-file"))
                icon = QIcon::fromTheme(QString::fromStdString(type.GenericIconName));
            if (icon.isNull())
                icon = BundledIcon(bundled);
            m_icons.append(icon);
        }
    }
}

QIcon RecoveredEntryIcon()
{
    static const QIcon icon(QStringLiteral(":/icons/recovered.svg"));
    return icon;
}

QIcon ImageLists::Icon(int index) const
{
    if (index < 0 || index >= m_icons.size())
        return {};
    return m_icons[index];
}

} // namespace larkspool
