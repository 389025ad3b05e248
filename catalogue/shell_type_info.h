// The type name of a file and what identifies its icon.
#pragma once

#include <string>

namespace larkspool {

struct ShellTypeInfo {
    std::string typeName;
    // Icon theme names: the type's own and its generic fallback. The window
    // layer turns them into icons.
    std::string iconName;
    std::string genericIconName;
};

// 0 with info filled for an existing file; -1 when path does not exist.
// A type without a name of its own reads "EXT ﾌｧｲﾙ", or "ﾌｧｲﾙ" without an
// extension.
int GetShellTypeInfo(const std::string& path, ShellTypeInfo& info);
// The same by the file name alone, for a file that need not exist yet (a
// body a cache makes on demand).
ShellTypeInfo GetNameTypeInfo(const std::string& path);

} // namespace larkspool
