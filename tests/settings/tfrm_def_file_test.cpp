#include "ui/dialogs/tfrm_def_file.h"
#include "jobs/command_state.h"
#include "tests/support/modal_driver.h"

#include <QCheckBox>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

using namespace larkspool;
using namespace larkspool::testing;

const std::string kRequired = "暗黙のﾌｧｲﾙ名(必須)は必ず必要です。\n\nよくわからない場合は、'index.html'と入力してください。";
const std::string kOptional = "暗黙のﾌｧｲﾙ名(ｵﾌﾟｼｮﾝ)を入力してください。\n\n必要ない場合は、ﾁｪｯｸをはずしてください。";
const std::string kSameName = "暗黙のﾌｧｲﾙ名(ｵﾌﾟｼｮﾝ)には、暗黙のﾌｧｲﾙ名(必須)と違う名前を入力してください。\n\n"
                              "同じ名前のﾍﾟｰｼﾞは、自分自身へ移動し続けます。";

class TfrmDefFileTest : public ::testing::Test {
protected:
    template <typename T>
    static T* Child(QWidget* window, const char* name)
    {
        return window->findChild<T*>(name);
    }
    // Types the three names and sets the two ticks, then presses "設定".
    static ModalDriver::Step Fill(const DefaultFiles& names)
    {
        return [names](QWidget* window) {
            Child<QLineEdit>(window, "edtName1")->setText(QString::fromStdString(names.DefFile1));
            Child<QLineEdit>(window, "edtName2")->setText(QString::fromStdString(names.DefFile2));
            Child<QLineEdit>(window, "edtName3")->setText(QString::fromStdString(names.DefFile3));
            Child<QCheckBox>(window, "chkName2")->setChecked(names.DefFileFlag2);
            Child<QCheckBox>(window, "chkName3")->setChecked(names.DefFileFlag3);
            ModalDriver::Click(Child<QAbstractButton>(window, "Button1"));
        };
    }

    CommandState m_command;
    TfrmDefFile m_dialog{m_command};
};

TEST_F(TfrmDefFileTest, each_missing_or_self_redirecting_name_is_refused_with_its_message)
{
    const struct {
        DefaultFiles typed;
        const std::string& message;
    } rows[] = {
        {{"", "", "", false, false}, kRequired},
        {{" \t ", "a.htm", "", true, false}, kRequired},
        {{"index.html", "", "b.htm", true, true}, kOptional},
        {{"index.html", "a.htm", "  ", true, true}, kOptional},
        {{"index.html", " index.html", "", true, false}, kSameName},
        {{"index.html", "a.htm", "INDEX.HTML", true, true}, kSameName},
    };
    for (const auto& row : rows) {
        ModalDriver driver;
        driver.Then(Fill(row.typed)).Answer().Press("Button2");

        EXPECT_EQ(m_dialog.exec(), QDialog::Rejected);

        EXPECT_EQ(driver.messages, std::vector<std::string>{row.message});
        EXPECT_EQ(driver.captions, std::vector<std::string>{"暗黙のﾌｧｲﾙ名設定"});
    }
    EXPECT_EQ(m_command.defaultFiles, DefaultFiles());
}

TEST_F(TfrmDefFileTest, names_are_stored_trimmed_and_an_unticked_name_is_kept)
{
    ModalDriver driver;
    driver.Then(Fill({" default.htm\t", " index.htm ", "", false, false}));

    EXPECT_EQ(m_dialog.exec(), QDialog::Accepted);

    EXPECT_EQ(m_command.defaultFiles, (DefaultFiles{"default.htm", "index.htm", "", false, false}));
}

TEST_F(TfrmDefFileTest, the_edits_of_switched_off_names_are_greyed_and_show_the_stored_values)
{
    const DefaultFiles stored{"home.htm", "old.htm", "other.htm", false, true};
    m_command.defaultFiles = stored;
    bool enabled2 = true;
    bool enabled3 = false;
    bool enabledAfterTick = false;
    QString shown2;
    int maxLength = 0;
    ModalDriver driver;
    driver.Then([&](QWidget* window) {
        enabled2 = Child<QLineEdit>(window, "edtName2")->isEnabled();
        enabled3 = Child<QLineEdit>(window, "edtName3")->isEnabled();
        shown2 = Child<QLineEdit>(window, "edtName2")->text();
        maxLength = Child<QLineEdit>(window, "edtName1")->maxLength();
        Child<QCheckBox>(window, "chkName2")->click();
        enabledAfterTick = Child<QLineEdit>(window, "edtName2")->isEnabled();
        ModalDriver::Click(Child<QAbstractButton>(window, "Button2"));
    });

    EXPECT_EQ(m_dialog.exec(), QDialog::Rejected);

    EXPECT_FALSE(enabled2);
    EXPECT_TRUE(enabled3);
    EXPECT_EQ(shown2, "old.htm");
    EXPECT_EQ(maxLength, 24);
    EXPECT_TRUE(enabledAfterTick);
    EXPECT_EQ(m_command.defaultFiles, stored);
}

} // namespace
