#include "ui/dialogs/tfrm_sel_dir.h"
#include "jobs/command_state.h"
#include "tests/support/modal_driver.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace larkspool;
using namespace larkspool::testing;
namespace fs = std::filesystem;

class TfrmSelDirTest : public ::testing::Test {
protected:
    // Shows the dialog modally while a driver answers it.
    int Run(ModalDriver&) { return m_dialog.exec(); }
    static ModalDriver::Step Type(const std::string& text)
    {
        return [text](QWidget* window) {
            window->findChild<QLineEdit*>("Edit1")->setText(QString::fromStdString(text));
            ModalDriver::Click(window->findChild<QAbstractButton*>("btnSetDir"));
        };
    }

    TempFolder m_folder;
    CommandState m_command;
    TfrmSelDir m_dialog{m_command};
};

TEST_F(TfrmSelDirTest, shift_jis_and_utf8_names_read_as_characters_and_the_folder_keeps_its_bytes)
{
    const std::string sjis = m_folder.Under("\x83\x65\x83\x58\x83\x67"); // テスト in Shift-JIS
    m_command.copyDir = sjis;
    m_folder.Write("\x83\x65\x83\x58\x83\x67/\xe3\x81\x82.htm"); // あ.htm in UTF-8
    QString edit;
    QString file;
    QString folder;
    ModalDriver driver;
    driver.Then([&](QWidget* window) {
        edit = window->findChild<QLineEdit*>("Edit1")->text();
        file = window->findChild<QListWidget*>("FileListBox1")->item(0)->text();
        folder = window->findChild<QTreeWidget*>("DirectoryListBox1")->currentItem()->text(0);
        ModalDriver::Click(window->findChild<QAbstractButton*>("btnSetDir"));
    });

    EXPECT_EQ(Run(driver), QDialog::Accepted);

    EXPECT_TRUE(edit.endsWith(QStringLiteral("/テスト"))) << edit.toStdString();
    EXPECT_EQ(folder, QStringLiteral("テスト"));
    EXPECT_EQ(file, QStringLiteral("あ.htm"));
    EXPECT_EQ(m_command.copyDir, sjis);
}

TEST_F(TfrmSelDirTest, it_opens_on_the_setting_with_its_files_and_sub_folders)
{
    m_command.copyDir = m_folder.Under("dest");
    m_folder.Write("dest/a.htm");
    fs::create_directories(m_folder.Under("dest/img"));
    QString edit;
    int files = 0;
    const QTreeWidgetItem* current = nullptr;
    ModalDriver driver;
    driver.Then([&](QWidget* window) {
        edit = window->findChild<QLineEdit*>("Edit1")->text();
        files = window->findChild<QListWidget*>("FileListBox1")->count();
        current = window->findChild<QTreeWidget*>("DirectoryListBox1")->currentItem();
        EXPECT_EQ(current->text(0), "dest");
        EXPECT_EQ(current->childCount(), 1);
        EXPECT_EQ(current->child(0)->text(0), "img");
        ModalDriver::Click(window->findChild<QAbstractButton*>("btnCancel"));
    });

    EXPECT_EQ(Run(driver), QDialog::Rejected);

    EXPECT_EQ(edit.toStdString(), m_folder.Under("dest"));
    EXPECT_EQ(files, 1);
    EXPECT_EQ(m_command.copyDir, m_folder.Under("dest"));
}

TEST_F(TfrmSelDirTest, an_empty_setting_opens_the_current_folder_and_activating_a_row_opens_it)
{
    fs::create_directories(m_folder.Under("sub"));
    const QString before = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(m_folder.Path().string()));
    QString first;
    QString opened;
    ModalDriver driver;
    driver.Then([&](QWidget* window) {
        auto* list = window->findChild<QTreeWidget*>("DirectoryListBox1");
        first = window->findChild<QLineEdit*>("Edit1")->text();
        emit list->itemActivated(list->currentItem()->child(0), 0);
        opened = window->findChild<QLineEdit*>("Edit1")->text();
        ModalDriver::Click(window->findChild<QAbstractButton*>("btnSetDir"));
    });

    EXPECT_EQ(Run(driver), QDialog::Accepted);
    QDir::setCurrent(before);

    EXPECT_EQ(first.toStdString(), m_folder.Path().string());
    EXPECT_EQ(opened.toStdString(), m_folder.Under("sub"));
    EXPECT_EQ(m_command.copyDir, m_folder.Under("sub"));
}

TEST_F(TfrmSelDirTest, a_missing_chain_is_created_on_yes_and_stored_as_typed)
{
    const std::string typed = m_folder.Under("new/chain/of/folders/");
    ModalDriver driver;
    driver.Then(Type(typed)).Answer(QMessageBox::Yes);

    EXPECT_EQ(Run(driver), QDialog::Accepted);

    EXPECT_EQ(driver.messages, std::vector<std::string>{"指定されたﾌｫﾙﾀﾞは存在しません。\n\n作成してもよろしいですか?"});
    EXPECT_EQ(driver.captions, std::vector<std::string>{"ｺﾋﾟｰ先ﾌｫﾙﾀﾞ設定"});
    EXPECT_TRUE(fs::is_directory(m_folder.Under("new/chain/of/folders")));
    EXPECT_EQ(m_command.copyDir, typed);
}

TEST_F(TfrmSelDirTest, refusals_keep_the_dialog_open_and_store_nothing)
{
    const std::string file = m_folder.Write("plain");
    m_command.copyDir = m_folder.Under("kept");
    ModalDriver driver;
    driver.Then(Type("")).Answer();
    driver.Then(Type(m_folder.Under("not/made"))).Answer(QMessageBox::No);
    driver.Then(Type(file + "/below")).Answer(QMessageBox::Yes).Answer();
    driver.Press("btnCancel");

    EXPECT_EQ(Run(driver), QDialog::Rejected);

    EXPECT_EQ(driver.messages, (std::vector<std::string>{"ｺﾋﾟｰ先ﾌｫﾙﾀﾞを指定してください。",
                                                          "指定されたﾌｫﾙﾀﾞは存在しません。\n\n作成してもよろしいですか?",
                                                          "指定されたﾌｫﾙﾀﾞは存在しません。\n\n作成してもよろしいですか?",
                                                          "ﾌｫﾙﾀﾞが作成できませんでした。"}));
    EXPECT_FALSE(fs::exists(m_folder.Under("not")));
    EXPECT_EQ(m_command.copyDir, m_folder.Under("kept"));
}

TEST_F(TfrmSelDirTest, an_existing_file_path_is_accepted_as_typed)
{
    const std::string file = m_folder.Write("plain");
    ModalDriver driver;
    driver.Then(Type(file));

    EXPECT_EQ(Run(driver), QDialog::Accepted);

    EXPECT_EQ(m_command.copyDir, file);
}

} // namespace
