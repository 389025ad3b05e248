// Type lookups by extension: one shell lookup per extension per run, then
// an index keyed by the extension with ASCII letters folded.
#include "catalogue/file_type_table.h"

#include "base/path_text.h"
#include "catalogue/cache_entry.h"
#include "catalogue/shell_type_info.h"

namespace larkspool {

int FileTypeTable::TypeIndex(const std::string& path, bool fileMustExist)
{
    const std::string extension = ExtensionOf(path);
    const std::string key = FoldedKey(extension);
    if (const auto found = m_byExtension.find(key); found != m_byExtension.end())
        return found->second;
    ShellTypeInfo info;
    if (!fileMustExist)
        info = GetNameTypeInfo(path);
    else if (GetShellTypeInfo(path, info) != 0)
        return -1;
    const int index = GetFileTypeCount();
    m_rows.push_back(TFileType{extension, info.typeName, kFirstTypeImage + index, info.iconName,
                               info.genericIconName});
    m_byExtension.emplace(key, index);
    return index;
}

} // namespace larkspool
