// File type names from the shared MIME database, by the file name's
// extension only, so that every file of one extension gets the same type.
#include "catalogue/shell_type_info.h"

#include "base/path_text.h"
#include "catalogue/translated_text.h"

#include <QFile>
#include <QMimeDatabase>

#include <sys/stat.h>

namespace larkspool {

int GetShellTypeInfo(const std::string& path, ShellTypeInfo& info)
{
    // The path goes to the file system as the bytes it is (a Shift-JIS name
    // is no UTF-8); only the name is decoded, for the extension match.
    struct stat status{};
    if (::stat(path.c_str(), &status) != 0)
        return -1;
    info = GetNameTypeInfo(path);
    return 0;
}

ShellTypeInfo GetNameTypeInfo(const std::string& path)
{
    const QString name = QFile::decodeName(QByteArray::fromStdString(FileNameOf(path)));
    const QMimeType type = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    std::string typeName = type.isDefault() ? std::string() : type.comment().toStdString();
    if (typeName.empty()) {
        if (const std::string extension = ExtensionOf(path); extension.size() > 1)
            typeName = FillIn(Translated("ShellTypeInfo", "%1 ﾌｧｲﾙ"), {extension.substr(1)});
        else
            typeName = Translated("ShellTypeInfo", "ﾌｧｲﾙ");
    }
    return {typeName, type.iconName().toStdString(), type.genericIconName().toStdString()};
}

} // namespace larkspool
