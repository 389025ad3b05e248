// The destination folder dialog: browse the folders, or type a path, and
// store it as the main window's destination folder.
#pragma once

#include <QDialog>

#include <string>

class QLineEdit;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace larkspool {

struct CommandState;

class TfrmSelDir : public QDialog {
    Q_OBJECT

public:
    // Stores the folder as command's destination.
    explicit TfrmSelDir(CommandState& command);

    void FormShow();
    // Opens a folder in the folder list, its files in the file list, and its
    // path in Edit1.
    void DirectoryListBox1Change(const std::string& folder);
    // Checks the typed folder, offers to create it, stores it and closes.
    void btnSetDirClick();
    std::string OpenFolder() const { return m_openFolder; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::string TypedFolder() const;
    void DirectoryActivated(QTreeWidgetItem* item);

    CommandState& m_command;
    QLineEdit* m_edit1;
    QListWidget* m_fileList;
    QTreeWidget* m_directoryList;
    std::string m_openFolder;
};

} // namespace larkspool
