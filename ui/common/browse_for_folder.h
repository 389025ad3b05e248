// The folder chooser of the import dialog.
#pragma once

#include <string>

class QWidget;

namespace larkspool {

// true when the user chose a folder; its path is then in folder.
// The prompt is shown inside the chooser and as its caption.
bool BrowseForFolder(QWidget* owner, const std::string& prompt, std::string& folder);

} // namespace larkspool
