// The file type table: one row per file extension met, only ever appended.
// A row's position is the TypeIndex of the entries of that extension.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

namespace larkspool {

// Images 0 to 2 of the window's image lists are the browser and the two
// folder icons; the types' icons follow in row order.
inline constexpr int kFirstTypeImage = 3;

struct TFileType {
    std::string Ext;       // with its dot, as first met; empty for none
    std::string TypeName;
    int ImageIndex = -1;
    std::string IconName;  // icon theme names that identify the row's icon
    std::string GenericIconName;
};

class FileTypeTable {
public:
    // The type index of the file's extension, adding a row when the
    // extension is new; -1 when the file has no type (it does not exist).
    int GetFileTypeIndex(const std::string& path) { return TypeIndex(path, true); }
    // The same for a file that need not exist yet (a body a cache makes on
    // demand): its name alone gives the type; never -1.
    int GetNameTypeIndex(const std::string& path) { return TypeIndex(path, false); }

    const TFileType& GetFileTypeRow(int index) const { return m_rows.at(static_cast<std::size_t>(index)); }
    int GetFileTypeCount() const { return static_cast<int>(m_rows.size()); }

private:
    int TypeIndex(const std::string& path, bool fileMustExist);

    std::vector<TFileType> m_rows;
    // Folded extension -> row; holds exactly one key per row.
    std::unordered_map<std::string, int> m_byExtension;
};

} // namespace larkspool
