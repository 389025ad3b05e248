// File type names from the shared MIME database, by the file name's
// extension only, so that every file of one extension gets the same type.
#include "export/shell_type_info.h"

#include <QFileInfo>
#include <QMimeDatabase>

namespace larkspool {

int GetShellTypeInfo(const std::string& path, ShellTypeInfo& info)
{
    const QFileInfo file(QString::fromStdString(path));
    if (!file.exists())
        return -1;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(file, QMimeDatabase::MatchExtension);
    std::string name = type.isDefault() ? std::string() : type.comment().toStdString();
    if (name.empty()) {
        const std::size_t slash = path.rfind('/');
        const std::size_t dot = path.rfind('.');
        const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
        if (hasExtension && dot + 1 < path.size())
            name = path.substr(dot + 1) + " ﾌｧｲﾙ";
        else
            name = "ﾌｧｲﾙ";
    }
    info.typeName = name;
    info.iconName = type.iconName().toStdString();
    info.genericIconName = type.genericIconName().toStdString();
    return 0;
}

} // namespace larkspool
