// The destination folder dialog's decisions, apart from its widgets: where
// it opens, what a typed path needs before it is stored, and the rows of its
// folder list.
#pragma once

#include <QtGlobal>
#include <string>
#include <vector>

namespace larkspool {

inline constexpr const char* kSelDirCaption = QT_TRANSLATE_NOOP("CopyDirCheck", "ｺﾋﾟｰ先ﾌｫﾙﾀﾞ設定");

// A file or folder of that path exists.
bool PathExists(const std::string& path);

// The folder the dialog opens on: copyDir, created first when it is missing;
// fallback when copyDir is empty or cannot be made. A copyDir naming a file
// opens the folder that holds it.
std::string SelDirStartFolder(const std::string& copyDir, const std::string& fallback);

// Creates the typed folder and every missing folder above it; separators
// doubled or at the end do not count as further folders. 0 or -1.
int CreateCopyDir(const std::string& typed);

// One row of the folder list: the open folder's ancestors from the root, the
// open folder itself, then its sub-folders (hidden ones left out) sorted
// without regard to ASCII case.
struct DirectoryRow {
    std::string path;
    std::string name;
    bool open = false; // an ancestor or the open folder itself
};
std::vector<DirectoryRow> DirectoryRows(const std::string& folder);

// The names of the files directly in folder, sorted like the folders.
std::vector<std::string> FileNames(const std::string& folder);

} // namespace larkspool
