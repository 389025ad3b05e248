// The system's folder chooser, file-system folders only.
#include "export/browse_for_folder.h"

#include <QFileDialog>

namespace larkspool {

bool BrowseForFolder(QWidget* owner, const std::string& title, std::string& folder)
{
    const QString chosen = QFileDialog::getExistingDirectory(owner, QString::fromStdString(title));
    if (chosen.isEmpty())
        return false;
    folder = chosen.toStdString();
    return true;
}

} // namespace larkspool
