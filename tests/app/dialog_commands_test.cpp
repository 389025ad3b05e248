#include "tests/app/main_window_fixture.h"

#include "ui/common/message_box.h"
#include "ui/dialogs/tfrm_from_local.h"
#include "ui/dialogs/tfrm_version.h"
#include "tests/support/modal_driver.h"

#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include <algorithm>
#include <filesystem>

namespace {

using namespace larkspool;
using namespace larkspool::testing;

class DialogCommands : public MainWindowFixture {
protected:
    // The import job's window stands aside: note the files it would get.
    void RecordImports()
    {
        AllForms().frmFromLocal->SetImportRunner([this] {
            std::vector<std::string> urls;
            for (const ImportFileRecord& record : AllForms().frmFromLocal->GetImportList())
                urls.push_back(record.Url);
            m_imports.push_back(urls);
        });
    }
    static QStringList Domains(QWidget* window, bool selectedOnly)
    {
        QStringList names;
        auto* list = window->findChild<QListWidget*>("lsbURL");
        for (int i = 0; i < list->count(); ++i) {
            if (!selectedOnly || list->item(i)->isSelected())
                names << list->item(i)->text();
        }
        return names;
    }

    TempFolder m_source;
    std::vector<std::vector<std::string>> m_imports;
};

TEST_F(DialogCommands, the_import_dialog_lists_the_domains_selected_and_ends_with_a_refresh)
{
    m_source.Write("b.example/page.asp.htm");
    m_source.Write("a.example/a%3fb.htm");
    m_source.Write("C.example/img/x.gif");
    m_source.Write("readme.txt");
    AddSite();
    Open();
    Main().Command().copyDir = m_source.Path().string();
    RecordImports();
    QStringList selected;
    ModalDriver driver;
    driver.Then([&](QWidget* window) {
        selected = Domains(window, true);
        window->findChild<QListWidget*>("lsbURL")->item(2)->setSelected(false);
        ModalDriver::Click(window->findChild<QAbstractButton*>("btnCopy"));
    });
    driver.Press("btnClose").LetPass("frmRefresh");

    Main().mnuCopyFromLocalClick();

    EXPECT_EQ(selected, (QStringList{"a.example", "b.example", "C.example"}));
    ASSERT_EQ(m_imports.size(), 1u);
    EXPECT_EQ(m_imports[0], (std::vector<std::string>{"http://a.example/a?b.htm", "http://b.example/page.asp"}));
    EXPECT_TRUE(AllForms().frmFromLocal->GetImportList().empty());
    EXPECT_EQ(Main().catalogue().CacheList().size(), 6u) << "the catalogue is read again after OK";
}

TEST_F(DialogCommands, no_domain_selected_is_reported_and_closing_then_refreshes_nothing)
{
    Open();
    Main().Command().copyDir = m_source.Under("missing");
    RecordImports();
    QStringList listed{"not looked at"};
    ModalDriver driver;
    driver.Then([&](QWidget* window) {
        listed = Domains(window, false);
        ModalDriver::Click(window->findChild<QAbstractButton*>("btnCopy"));
    });
    driver.Answer().Press("btnClose");
    AddSite();

    Main().mnuCopyFromLocalClick();

    EXPECT_TRUE(listed.isEmpty());
    EXPECT_EQ(driver.messages, std::vector<std::string>{"ｺﾋﾟｰするﾄﾞﾒｲﾝが選択されていません。"});
    EXPECT_EQ(driver.captions, std::vector<std::string>{"ｺﾋﾟｰ開始"});
    EXPECT_TRUE(m_imports.empty());
    EXPECT_TRUE(Main().catalogue().CacheList().empty()) << "no refresh after cancel";
}

TEST_F(DialogCommands, an_unreadable_file_is_named_and_stops_the_import_before_it_starts_but_the_close_still_refreshes)
{
    m_source.Write("a.example/page.htm");
    std::filesystem::create_directories(m_source.Under("b.example"));
    std::filesystem::create_symlink(m_source.Under("gone.htm"), m_source.Under("b.example/dangling.htm"));
    Open();
    Main().Command().copyDir = m_source.Path().string();
    RecordImports();
    AddSite();
    ModalDriver driver;
    driver.Press("btnCopy").Answer().Press("btnClose").LetPass("frmRefresh");

    Main().mnuCopyFromLocalClick();

    EXPECT_TRUE(m_imports.empty());
    EXPECT_EQ(driver.messages,
              std::vector<std::string>{m_source.Under("b.example/dangling.htm") + ": No such file or directory"});
    EXPECT_EQ(Main().catalogue().CacheList().size(), 6u);
}

TEST_F(DialogCommands, the_folder_chooser_shows_its_prompt_in_japanese_and_folder_and_domain_names_keep_their_bytes)
{
    // The chosen folder and a domain are named テスト in Shift-JIS, which Qt
    // cannot read back to the same bytes.
    const std::string sjis = "\x83\x65\x83\x58\x83\x67";
    const std::string chosen = m_source.Under(sjis);
    m_source.Write(sjis + "/" + sjis + ".example/page.htm");
    m_source.Write(sjis + "/\xe3\x81\x82.example/a.htm"); // あ in UTF-8
    ASSERT_NE(QFile::encodeName(QFile::decodeName(QByteArray::fromStdString(chosen))).toStdString(), chosen);
    AddSite();
    Open();
    RecordImports();
    QStringList listed;
    QString shown;
    ModalDriver driver;
    driver.Press("btnBrowse");
    driver.Then([&](QWidget* window) {
        EXPECT_EQ(window->objectName(), "BrowseForFolder");
        auto* prompt = window->findChild<QLabel*>("lblPrompt");
        ASSERT_NE(prompt, nullptr);
        EXPECT_TRUE(prompt->isVisible());
        EXPECT_EQ(prompt->text(), "ｷｬｯｼｭにｺﾋﾟｰしたいﾄﾞﾒｲﾝが含まれるﾌｫﾙﾀﾞを選択してください。");
        auto* chooser = window->findChild<QFileDialog*>();
        ASSERT_NE(chooser, nullptr);
        for (const QAbstractButton* button : chooser->findChildren<QAbstractButton*>()) {
            const QString text = button->text();
            EXPECT_TRUE(text != "&Choose" && text != "Cancel" && text != "&Cancel") << text.toStdString();
        }
        // As a click on the folder in the list does.
        chooser->setDirectory(QString::fromStdString(m_source.Path().string()));
        chooser->selectFile(QFile::decodeName(QByteArray::fromStdString(sjis)));
        QMetaObject::invokeMethod(chooser, &QDialog::accept, Qt::QueuedConnection);
    });
    driver.Then([&](QWidget* window) {
        ASSERT_EQ(window->objectName(), "frmFromLocal") << "the chooser did not take the folder";
        listed = Domains(window, true);
        shown = window->findChild<QLineEdit*>("edtFolder")->text();
        ModalDriver::Click(window->findChild<QAbstractButton*>("btnCopy"));
    });
    driver.Press("btnClose").LetPass("frmRefresh");

    Main().mnuCopyFromLocalClick();

    listed.sort();
    EXPECT_EQ(listed, (QStringList{QStringLiteral("あ.example"), QStringLiteral("テスト.example")}));
    ASSERT_EQ(m_imports.size(), 1u);
    std::sort(m_imports[0].begin(), m_imports[0].end());
    EXPECT_TRUE(shown.endsWith(QStringLiteral("/テスト"))) << shown.toStdString();
    EXPECT_EQ(m_imports[0], (std::vector<std::string>{"http://" + sjis + ".example/page.htm", "http://\xe3\x81\x82.example/a.htm"}));
}

TEST_F(DialogCommands, message_boxes_break_at_carriage_returns_decode_each_name_and_answer_in_japanese)
{
    Open();
    const struct {
        std::string text;
        const char* shown;
    } rows[] = {
        {"指定されたﾌｫﾙﾀﾞは存在しません。\r\r作成してもよろしいですか?", "指定されたﾌｫﾙﾀﾞは存在しません。\n\n作成してもよろしいですか?"},
        {"'\x83\x65\x83\x58\x83\x67.htm' から 'ﾛｰｶﾙ' へ", "'テスト.htm' から 'ﾛｰｶﾙ' へ"},
        {"'\xe3\x81\x82.htm' を削除", "'あ.htm' を削除"},
    };
    for (const auto& row : rows) {
        QString yes;
        QString no;
        ModalDriver driver;
        driver.Then([&](QWidget* window) {
            auto* box = qobject_cast<QMessageBox*>(window);
            ASSERT_NE(box, nullptr);
            yes = box->button(QMessageBox::Yes)->text();
            no = box->button(QMessageBox::No)->text();
        });
        driver.Answer(QMessageBox::No);

        EXPECT_EQ(ShowMessage(&Main(), row.text, "ｺﾋﾟｰ先ﾌｫﾙﾀﾞ設定", 36), QMessageBox::No);

        EXPECT_EQ(driver.messages, std::vector<std::string>{row.shown});
        EXPECT_EQ(yes, "はい(&Y)");
        EXPECT_EQ(no, "いいえ(&N)");
    }
    ModalDriver driver;
    QString cancel;
    driver.Then([&](QWidget* window) { cancel = qobject_cast<QMessageBox*>(window)->button(QMessageBox::Cancel)->text(); });
    driver.Answer(QMessageBox::Cancel);
    ShowMessage(&Main(), "x", "y", 1);
    EXPECT_EQ(cancel, "ｷｬﾝｾﾙ");
}

TEST_F(DialogCommands, the_destination_folder_and_default_names_reach_the_settings_through_their_dialogs)
{
    Open();
    const std::string typed = m_source.Under("site/out");
    ModalDriver driver;
    driver.Then([&](QWidget* window) {
        window->findChild<QLineEdit*>("Edit1")->setText(QString::fromStdString(typed));
        ModalDriver::Click(window->findChild<QAbstractButton*>("btnSetDir"));
    });
    driver.Answer(QMessageBox::Yes);
    driver.Then([](QWidget* window) {
        window->findChild<QLineEdit*>("edtName1")->setText("default.htm");
        ModalDriver::Click(window->findChild<QAbstractButton*>("Button1"));
    });

    Main().mnuSetupDirClick();
    Main().mnuSetupDefaultFileClick();
    Main().close();

    EXPECT_TRUE(std::filesystem::is_directory(typed));
    EXPECT_EQ(Main().Command().copyDir, typed);
    EXPECT_EQ(Main().catalogue().DefFile1(), "default.htm");
    const auto store = m_sandbox.Store();
    EXPECT_EQ(store->value("CopyDir").toString().toStdString(), typed);
    EXPECT_EQ(store->value("DefFile1").toString(), "default.htm");
}

TEST_F(DialogCommands, the_about_box_names_the_product_and_its_version)
{
    Open();
    QString name;
    QString version;
    ModalDriver driver;
    driver.Then([&](QWidget* window) {
        EXPECT_EQ(window->windowTitle(), "ﾊﾞｰｼﾞｮﾝ情報");
        EXPECT_EQ(window->size(), QSize(298, 166));
        name = window->findChild<QLabel*>("ProductName")->text();
        version = window->findChild<QLabel*>("Version")->text();
        ModalDriver::Click(window->findChild<QAbstractButton*>("OKButton"));
    });

    Main().mnuVersionInfoClick();

    EXPECT_EQ(name, "Larkspool for Windows");
    EXPECT_EQ(version, "Version 2.65a");
}

} // namespace
