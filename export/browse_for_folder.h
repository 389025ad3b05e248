// The folder chooser of the import dialog.
#pragma once

#include <string>

class QWidget;

namespace larkspool {

// true when the user chose a folder; its path is then in folder.
bool BrowseForFolder(QWidget* owner, const std::string& title, std::string& folder);

} // namespace larkspool
