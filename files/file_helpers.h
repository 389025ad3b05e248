// Small path helpers shared by the jobs and the dialogs. Paths use "/".
#pragma once

#include <string>

namespace larkspool {

// The name of the folder that holds path: "/a/b/file" gives "b", "/file"
// gives "/", "a/file" gives "a", "file" gives "".
std::string ParentFolderName(const std::string& path);

// Creates path and every missing folder above it: 0 when done, -1 as soon as
// one creation fails. path must not exist yet (an existing one gives -1);
// folders made before a failure stay.
int CreateFolderPath(const std::string& path);

} // namespace larkspool
