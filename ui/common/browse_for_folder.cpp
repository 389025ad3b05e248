// The folder chooser: Qt's own dialog, in the program's language, inside a
// window that shows the caller's prompt above it.
#include "ui/common/browse_for_folder.h"

#include "catalogue/display_text.h"

#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QVBoxLayout>

#include <filesystem>
#include <optional>

namespace larkspool {
namespace {

// The bytes of the folder a chooser's path names. Qt reads a name that is not
// UTF-8 (Shift-JIS) with its odd bytes replaced, so each such part is matched
// against the names on disk; none, or two that read alike, give nothing.
std::optional<std::string> FolderBytes(const QString& chosen)
{
    namespace fs = std::filesystem;
    fs::path folder("/");
    std::error_code error;
    for (const QString& part : chosen.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        fs::path next = folder / QFile::encodeName(part).toStdString();
        if (!fs::is_directory(next, error)) {
            std::optional<fs::path> found;
            for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
                if (QFile::decodeName(QByteArray::fromStdString(entry.path().filename().string())) != part)
                    continue;
                if (found)
                    return std::nullopt;
                found = entry.path();
            }
            if (!found || !fs::is_directory(*found, error))
                return std::nullopt;
            next = *found;
        }
        folder = next;
    }
    return folder.string();
}

class FolderChooser : public QFileDialog {
public:
    using QFileDialog::QFileDialog;
    const std::string& Folder() const { return m_folder; }

    void accept() override
    {
        // Qt's own check finds no folder under a name it could not read.
        const QStringList chosen = selectedFiles();
        const std::optional<std::string> bytes = chosen.isEmpty() ? std::nullopt : FolderBytes(chosen.front());
        if (!bytes) {
            QFileDialog::accept();
            return;
        }
        m_folder = *bytes;
        QDialog::accept();
    }

private:
    std::string m_folder;
};

} // namespace

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
    auto* chooser = new FolderChooser(&window);
    chooser->setWindowFlags(Qt::Widget);
    chooser->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::ShowDirsOnly);
    chooser->setFileMode(QFileDialog::Directory);
    layout->addWidget(chooser);
    QObject::connect(chooser, &QFileDialog::finished, &window, &QDialog::done);
    if (window.exec() != QDialog::Accepted || chooser->Folder().empty())
        return false;
    folder = chooser->Folder();
    return true;
}

} // namespace larkspool
