#include "tests/app/commands_fixture.h"

#include "ui/dialogs/tfrm_confirm.h"
#include "ui/dialogs/tfrm_file_op.h"
#include "ui/dialogs/tfrm_move_del.h"
#include "catalogue/size_date_texts.h"
#include "ui/dialogs/tfrm_confirm2.h"
#include "ui/dialogs/tfrm_file_op2.h"
#include "ui/dialogs/tfrm_from_local.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <filesystem>

namespace {

using namespace larkspool;
using larkspool::testing::LabelText;
using larkspool::testing::ModalDriver;
using larkspool::testing::TempFolder;

class JobWindows : public larkspool::testing::CommandsFixture {
protected:
    // Answers the import source dialog: its folder is the source, only the
    // domain is selected, and the copy button runs the import window; then
    // the dialog closes with OK, or with Cancel and no copy.
    void AnswerFromLocal(ModalDriver& driver, const std::string& domain, bool ok)
    {
        driver.Expect("frmFromLocal", nullptr, [this, domain, ok](QWidget& dialog) {
            ModalDriver::Later(&dialog, [this, domain, ok, &dialog] {
                auto& fromLocal = static_cast<TfrmFromLocal&>(dialog);
                dialog.findChild<QLineEdit*>(QStringLiteral("edtFolder"))
                    ->setText(QString::fromStdString(m_source.Path().string()));
                fromLocal.FillDomainList(m_source.Path().string());
                auto* domains = dialog.findChild<QListWidget*>(QStringLiteral("lsbURL"));
                for (int row = 0; row < domains->count(); ++row)
                    domains->item(row)->setSelected(domains->item(row)->text().toStdString() == domain);
                if (ok)
                    fromLocal.btnCopyClick();
                fromLocal.done(ok ? QDialog::Accepted : QDialog::Rejected);
            });
        });
    }
    static bool HasIcon(QWidget& dialog, const char* name)
    {
        const QPixmap picture = dialog.findChild<QLabel*>(name)->pixmap();
        return !picture.isNull();
    }

    TempFolder m_source;
};

TEST_F(JobWindows, an_import_ending_with_ok_asks_before_replacing_an_entry_and_reads_the_cache_again)
{
    m_cache.Add("http://www.new.jp/a.htm", "htm", "old", larkspool::testing::kSomeTime);
    m_source.Write("www.new.jp/a.htm", "<a href=\"b.gif\">b</a>");
    m_source.Write("www.new.jp/b.gif", "gif!");
    OpenSite();
    ModalDriver driver{larkspool::testing::kProgressWindows};
    AnswerFromLocal(driver, "www.new.jp", true);
    std::string conflict, sizeOld, sizeNew, dateOld, dateNew;
    bool icons = false;
    driver.Expect("frmConfirm2", "btnYes", [&](QWidget& dialog) {
        conflict = LabelText(dialog, "lblFileName");
        sizeOld = LabelText(dialog, "lblSizeOld");
        sizeNew = LabelText(dialog, "lblSizeNew");
        dateOld = LabelText(dialog, "lblDateOld");
        dateNew = LabelText(dialog, "lblDateNew");
        icons = HasIcon(dialog, "Image1") && HasIcon(dialog, "Image2");
    });

    Action("mnuCopyFromLocal")->trigger();
    WaitForListing();

    ExpectAllAnswered(driver);
    EXPECT_EQ(conflict, "このﾌｫﾙﾀﾞには既に'a.htm'ﾌｧｲﾙが存在します。");
    EXPECT_EQ(sizeOld, FormatSizeLine(3));
    EXPECT_EQ(sizeNew, FormatSizeLine(21));
    EXPECT_EQ(dateOld, FormatDateLine(FileTimeToLocalFileTime(larkspool::testing::kSomeTime)));
    EXPECT_FALSE(dateNew.empty());
    EXPECT_TRUE(icons);
    EXPECT_EQ(AllForms().frmFileOp2->windowTitle(), "ｷｬｯｼｭへｺﾋﾟｰしています...");
    EXPECT_EQ(LabelText(*AllForms().frmFileOp2, "lblCount"), "あと 1 個");
    EXPECT_EQ(Main().catalogue().CollectEntriesUnder("www.new.jp").size(), 2u);
    EXPECT_EQ(Main().catalogue().CacheList().size(), 8u);
}

TEST_F(JobWindows, an_import_question_on_a_file_gone_unreadable_keeps_the_previous_new_side)
{
    m_cache.Add("http://www.new.jp/a.htm", "htm", "old", larkspool::testing::kSomeTime);
    m_cache.Add("http://www.new.jp/b.htm", "htm", "old", larkspool::testing::kSomeTime);
    m_source.Write("www.new.jp/a.htm", "new a, 21 bytes long!");
    const std::string b = m_source.Write("www.new.jp/b.htm", "b");
    OpenSite();
    ModalDriver driver{larkspool::testing::kProgressWindows};
    AnswerFromLocal(driver, "www.new.jp", true);
    std::string firstSize;
    std::string secondSize;
    driver.Expect("frmConfirm2", "btnNo", [&](QWidget& dialog) {
        firstSize = LabelText(dialog, "lblSizeNew");
        std::filesystem::remove(b); // gone before its own question
    });
    driver.Expect("frmConfirm2", "btnNo", [&](QWidget& dialog) { secondSize = LabelText(dialog, "lblSizeNew"); });

    Action("mnuCopyFromLocal")->trigger();
    WaitForListing();

    ExpectAllAnswered(driver);
    EXPECT_EQ(firstSize, FormatSizeLine(21));
    EXPECT_EQ(secondSize, firstSize);
}

TEST_F(JobWindows, an_import_cancelled_in_its_dialog_leaves_the_catalogue_unread)
{
    m_source.Write("www.new.jp/b.gif", "gif!");
    OpenSite();
    const TCacheEntry* before = Main().catalogue().CacheList().front();
    m_cache.Add("http://late.example.jp/x.gif", "gif");
    ModalDriver driver{larkspool::testing::kProgressWindows};
    AnswerFromLocal(driver, "www.new.jp", false);

    Button("sbtFromLocal")->click();

    ExpectAllAnswered(driver);
    EXPECT_EQ(Main().catalogue().CacheList().size(), 6u);
    EXPECT_EQ(Main().catalogue().CacheList().front(), before);
    EXPECT_FALSE(InCache("http://www.new.jp/b.gif"));
}

TEST_F(JobWindows, enter_esc_and_the_underlined_letters_answer_the_overwrite_question)
{
    struct Row {
        Qt::Key key;
        const char* expected;
        int answer;
    };
    const Row rows[] = {{Qt::Key_Escape, "mine", 2}, {Qt::Key_Return, "ccc", 0}, {Qt::Key_N, "mine", 2},
                        {Qt::Key_Y, "ccc", 0}, {Qt::Key_A, "ccc", 1}, {Qt::Key_C, "mine", 3}};
    m_cache.Add("http://host.jp/c.css", "css", "ccc");
    OpenSite();
    OpenFolder("host.jp");
    for (const Row& row : rows) {
        m_dest.Write("host.jp/c.css", "mine");
        FocusTree();
        ModalDriver driver{larkspool::testing::kProgressWindows};
        std::string sizeOld;
        driver.Expect("frmConfirm", nullptr, [&](QWidget& dialog) {
            sizeOld = LabelText(dialog, "lblSizeOld");
            QTest::keyClick(&dialog, row.key);
        });

        Button("sbtCopy")->click();

        ExpectAllAnswered(driver);
        EXPECT_EQ(sizeOld, FormatSizeLine(4));
        EXPECT_EQ(AllForms().frmConfirm->GetConfirmResult(), row.answer);
        EXPECT_EQ(Exported("host.jp/c.css"), row.expected);
    }
}

TEST_F(JobWindows, the_overwrite_question_shows_shift_jis_and_utf8_names_inside_its_own_text)
{
    const struct {
        std::string name;
        const char* shown;
    } rows[] = {{"\x83\x65\x83\x58\x83\x67.css", "テスト.css"}, {"\xe3\x81\x82.css", "あ.css"}};
    for (const auto& row : rows)
        m_cache.Add("http://host.jp/" + row.name, "css", "ccc");
    OpenSite();
    OpenFolder("host.jp");
    for (const auto& row : rows) {
        m_dest.Write("host.jp/" + row.name, "mine");
        SelectRows({row.name.c_str()});
        FocusList();
        ModalDriver driver{larkspool::testing::kProgressWindows};
        std::string conflict;
        driver.Expect("frmConfirm", "btnNo", [&](QWidget& dialog) { conflict = LabelText(dialog, "lblFileName"); });

        Button("sbtCopy")->click();

        ExpectAllAnswered(driver);
        EXPECT_EQ(conflict, std::string("このﾌｫﾙﾀﾞには既に'") + row.shown + "'ﾌｧｲﾙが存在します。");
        EXPECT_EQ(Exported("host.jp/" + row.name), "mine");

        FocusList();
        driver.Expect("frmMoveDel", "btnNo");
        Button("sbtDelete")->click();
        ExpectAllAnswered(driver);
        EXPECT_EQ(LabelText(*AllForms().frmMoveDel, "Label1"), std::string("'") + row.shown + "' を削除してもよろしいですか?");
    }
}

TEST_F(JobWindows, a_move_cancelled_at_the_question_keeps_the_entry_and_reads_the_cache_again)
{
    m_cache.Add("http://host.jp/c.css", "css", "ccc");
    OpenSite();
    OpenFolder("host.jp");
    m_dest.Write("host.jp/c.css", "mine");
    FocusTree();
    ModalDriver driver{larkspool::testing::kProgressWindows};
    driver.Expect("frmMoveDel", "btnYes").Expect("frmConfirm", "btnCancel");

    Button("sbtMove")->click();
    WaitForListing();

    ExpectAllAnswered(driver);
    EXPECT_EQ(AllForms().frmFileOp->GetJobResult(), -1);
    EXPECT_TRUE(InCache("http://host.jp/c.css"));
    EXPECT_EQ(Exported("host.jp/c.css"), "mine");
    EXPECT_NE(Main().catalogue().FindFolderNode("host.jp"), 0);
}

// The whole road of an export as a user takes it.
// An entry whose path in the destination would be too long is skipped.
TEST_F(JobWindows, a_move_that_skips_an_entry_keeps_it_listed_and_moves_the_rest)
{
    const std::string tooLong = "http://host.jp/" + std::string(240, 'x') + ".css";
    m_cache.Add(tooLong, "css", "long");
    m_cache.Add("http://host.jp/kept.css", "css", "kept");
    OpenSite();
    OpenFolder("host.jp");
    FocusTree();
    ModalDriver driver{larkspool::testing::kProgressWindows};
    driver.Expect("frmMoveDel", "btnYes").Answer();

    Button("sbtMove")->click();
    WaitForListing();

    ExpectAllAnswered(driver);
    EXPECT_EQ(AllForms().frmFileOp->Skipped(), 1u);
    EXPECT_EQ(Exported("host.jp/kept.css"), "kept");
    EXPECT_FALSE(InCache("http://host.jp/kept.css"));
    EXPECT_TRUE(InCache(tooLong));
    EXPECT_EQ(Main().catalogue().CollectEntriesUnder("host.jp").size(), 1u);
}

TEST_F(JobWindows, a_user_copies_two_pages_over_an_old_export_and_gets_linked_pages)
{
    m_cache.Add("http://www.example.jp/index.html", "html", "<a href=\"http://www.example.jp/news.html\">n</a>");
    m_cache.Add("http://www.example.jp/news.html", "html", "<a href=\"http://www.example.jp/index.html\">i</a>");
    m_cache.Add("http://www.example.jp/logo.gif", "gif", "gif");
    Open();
    Button("sbtRefresh")->click();
    WaitForListing();
    OpenFolder("www.example.jp");
    Button("sbtDetailsIcon")->click();
    SelectRows({"index.html", "news.html"});
    FocusList();
    Main().Command().copyDir = m_dest.Path().string();
    m_dest.Write("www.example.jp/news.html", "stale");
    m_dest.Write("www.example.jp/index.html", "stale too");
    ModalDriver driver{larkspool::testing::kProgressWindows};
    std::string conflict, dateOld, dateNew;
    bool icons = false;
    driver.Expect("frmConfirm", "btnYesAll", [&](QWidget& dialog) {
        conflict = LabelText(dialog, "lblFileName");
        dateOld = LabelText(dialog, "lblDateOld");
        dateNew = LabelText(dialog, "lblDateNew");
        icons = HasIcon(dialog, "Image1") && HasIcon(dialog, "Image2");
    });

    Button("sbtCopy")->click();

    ExpectAllAnswered(driver);
    EXPECT_EQ(driver.captions.size(), 1u) << "one question for the whole job";
    EXPECT_EQ(driver.captions[0], "ﾌｧｲﾙの上書きの確認");
    EXPECT_EQ(conflict, "このﾌｫﾙﾀﾞには既に'index.html'ﾌｧｲﾙが存在します。");
    EXPECT_FALSE(dateOld.empty());
    EXPECT_FALSE(dateNew.empty());
    EXPECT_TRUE(icons);
    EXPECT_EQ(Exported("www.example.jp/index.html"), "<a href=\"news.html\">n</a>");
    EXPECT_EQ(Exported("www.example.jp/news.html"), "<a href=\"index.html\">i</a>");
    EXPECT_EQ(Exported("www.example.jp/logo.gif"), "<missing>");
}

} // namespace
