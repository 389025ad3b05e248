// The folder chooser: Qt's own dialog, in the program's language, inside a
// window that shows the caller's prompt above it.
#include "export/browse_for_folder.h"

#include "catalogue/display_text.h"

#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QVBoxLayout>

namespace larkspool {

bool BrowseForFolder(QWidget* owner, const std::string& prompt, std::string& folder)
{
    QDialog window(owner);
    window.setObjectName(QStringLiteral("BrowseForFolder"));
    window.setWindowTitle(DisplayText(prompt));
    auto* layout = new QVBoxLayout(&window);
    auto* text = new QLabel(DisplayText(prompt), &window);
    text->setObjectName(QStringLiteral("lblPrompt"));
    text->setWordWrap(true);
    layout->addWidget(text);
    // The desktop's own chooser would neither show the prompt nor follow the
    // program's language.
    auto* chooser = new QFileDialog(&window);
    chooser->setWindowFlags(Qt::Widget);
    chooser->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::ShowDirsOnly);
    chooser->setFileMode(QFileDialog::Directory);
    layout->addWidget(chooser);
    QObject::connect(chooser, &QFileDialog::finished, &window, &QDialog::done);
    if (window.exec() != QDialog::Accepted || chooser->selectedFiles().isEmpty())
        return false;
    folder = QFile::encodeName(chooser->selectedFiles().front()).toStdString();
    return true;
}

} // namespace larkspool
