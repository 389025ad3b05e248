// Every text the windows show a user, gathered from the widgets as a refreshed
// cache fills them: in the program's own language they read exactly as the
// texts file beside this test records them; in English none is Japanese.
#include "tests/app/main_window_fixture.h"
#include "tests/support/temp_folder.h"
#include "ui/dialogs/tfrm_confirm.h"
#include "ui/dialogs/tfrm_confirm2.h"
#include "ui/dialogs/tfrm_def_file.h"
#include "ui/dialogs/tfrm_file_op.h"
#include "ui/dialogs/tfrm_file_op2.h"
#include "ui/dialogs/tfrm_from_local.h"
#include "ui/dialogs/tfrm_move_del.h"
#include "ui/dialogs/tfrm_sel_dir.h"
#include "ui/dialogs/tfrm_version.h"
#include "report/entry_report.h"
#include "ui/common/help_window.h"
#include "ui/dialogs/tfrm_open_cache.h"
#include "ui/dialogs/tfrm_properties.h"
#include "ui/main/application_setup.h"
#include "ui/main/cache_folder_commands.h"
#include "ui/main/tfrm_pick_up.h"
#include "ui/main/tfrm_refresh.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTreeWidget>

namespace larkspool::testing {
namespace {

// One line per text: where it is, what it is, the text with its line breaks
// written as \n.
class TextDump {
public:
    void Add(const QString& where, const char* what, const QString& text)
    {
        if (text.isEmpty())
            return;
        QString line = where + QLatin1Char('\t') + QLatin1String(what) + QLatin1Char('\t') + text;
        m_lines += line.replace(QLatin1Char('\n'), QStringLiteral("\\n")) + QLatin1Char('\n');
    }
    void AddWindow(QWidget& window)
    {
        AddWidget(window.objectName(), window);
        for (QWidget* child : window.findChildren<QWidget*>())
            AddWidget(window.objectName() + QLatin1Char('/') + child->objectName(), *child);
        for (QAction* action : window.findChildren<QAction*>())
            AddAction(window.objectName() + QLatin1Char('/') + action->objectName(), *action);
    }
    // The texts of every row in the columns a view shows (the list's types
    // and sizes; its last-access column, hidden, would hold today's date).
    void AddRows(const QString& where, const QTreeView& view)
    {
        const QAbstractItemModel& model = *view.model();
        for (int row = 0; row < model.rowCount(); ++row) {
            for (int column = 0; column < model.columnCount(); ++column) {
                if (!view.isColumnHidden(column))
                    Add(where, "cell", model.index(row, column).data().toString());
            }
        }
    }
    void AddTree(const QString& where, QTreeWidget& tree)
    {
        for (QTreeWidgetItemIterator it(&tree); *it; ++it)
            Add(where, "node", (*it)->text(0));
    }
    const QString& Lines() const { return m_lines; }

private:
    void AddWidget(const QString& where, QWidget& widget)
    {
        if (widget.isWindow())
            Add(where, "title", widget.windowTitle());
        Add(where, "tip", widget.toolTip());
        Add(where, "status tip", widget.statusTip());
        if (auto* label = qobject_cast<QLabel*>(&widget))
            Add(where, "text", label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(&widget))
            Add(where, "text", button->text());
        if (auto* box = qobject_cast<QGroupBox*>(&widget))
            Add(where, "title", box->title());
        if (auto* edit = qobject_cast<QLineEdit*>(&widget))
            Add(where, "placeholder", edit->placeholderText());
        if (auto* combo = qobject_cast<QComboBox*>(&widget)) {
            for (int i = 0; i < combo->count(); ++i)
                Add(where, "item", combo->itemText(i));
        }
        if (auto* menu = qobject_cast<QMenu*>(&widget))
            Add(where, "title", menu->title());
        if (auto* header = qobject_cast<QHeaderView*>(&widget); header && header->model()) {
            for (int i = 0; i < header->count(); ++i)
                Add(where, "heading", header->model()->headerData(i, header->orientation()).toString());
        }
        if (auto* browser = qobject_cast<QTextBrowser*>(&widget))
            Add(where, "document", browser->toPlainText());
    }
    void AddAction(const QString& where, QAction& action)
    {
        if (action.isSeparator())
            return;
        Add(where, "text", action.text());
        // Qt's tip made of the text says nothing of its own.
        const bool ownTip = action.toolTip() != QString(action.text()).remove(QLatin1Char('&'));
        Add(where, "tip", ownTip ? action.toolTip() : QString());
        Add(where, "shortcut", action.shortcut().toString());
    }

    QString m_lines;
};

class WindowTexts : public MainWindowFixture {
protected:
    // Every window as the program fills it: the main window on a refreshed
    // cache, the dialogs that fill themselves when shown grabbed after that.
    QString DumpEveryWindow()
    {
        AddSite();
        Open();
        AddOpenCacheFolderCommand(Main(), m_cache.CacheDir().string(), [](const std::string&) {});
        AddSaveReportCommand(Main(), m_cache.Cache());
        AddPropertiesCommand(Main(), m_cache.Cache());
        AddShowRecoveredCommand(Main(), false, [] {});
        Refresh();
        OpenFolder("www.example.jp/a");
        Main().ApplyViewStyle(QStringLiteral("sbtDetailsIcon"));
        Forms& all = AllForms();
        Main().Command().copyDir = m_copyDir.Path().string();
        all.frmPickUp->FormShow();
        all.frmFromLocal->FormShow();
        all.frmSelDir->FormShow();
        all.frmDefFile->FormShow();
        TextDump dump;
        for (QWidget* window : std::initializer_list<QWidget*>{
                 &Main(), all.frmFileOp.get(), all.frmSelDir.get(), all.frmConfirm.get(), all.frmVersion.get(),
                 all.frmPickUp.get(), all.frmMoveDel.get(), all.frmFromLocal.get(), all.frmFileOp2.get(),
                 all.frmConfirm2.get(), all.frmRefresh.get(), all.frmDefFile.get()})
            dump.AddWindow(*window);
        const auto* details = qobject_cast<QTreeView*>(Main().listView()->CurrentView());
        EXPECT_TRUE(details);
        if (details)
            dump.AddRows(QStringLiteral("frmMain/list"), *details);
        dump.AddTree(QStringLiteral("frmMain/tree"), *Main().treeView());

        const TCacheEntry& first = *Main().catalogue().CacheList().front();
        TfrmProperties properties(EntryReporter(m_cache.Cache(), UtcTicksText).Row(first), &Main());
        dump.AddWindow(properties);
        TfrmOpenCache openCache({{"/home/user/.cache/chromium/Default/Cache", "chromium-simple", 12, false},
                                 {m_cache.CacheDir().string(), "index.dat", 6, true}},
                                &Main());
        dump.AddWindow(openCache);
        HelpWindow help(&Main());
        help.OpenIndex(CurrentUiLanguage() == UiLanguage::English
                           ? QStringLiteral(LARKSPOOL_SOURCE_DIR "/app/help/larkspool_en.hlp")
                           : QStringLiteral(LARKSPOOL_SOURCE_DIR "/app/help/larkspool.hlp"));
        dump.AddWindow(help);
        help.hide();
        return dump.Lines();
    }

    TempFolder m_copyDir;
};

// The same windows made after a switch to English, and back to the
// program's own language when the test ends.
class EnglishWindowTexts : public WindowTexts {
protected:
    EnglishWindowTexts()
    {
        m_found = UseWindowLanguage(UiLanguage::English, QStringLiteral(LARKSPOOL_TRANSLATIONS_DIR));
    }
    ~EnglishWindowTexts() override
    {
        m_forms.reset();
        UseWindowLanguage(UiLanguage::Japanese, QStringLiteral(LARKSPOOL_TRANSLATIONS_DIR));
    }

    bool m_found = false;
};

// Kana, half-width kana, CJK ideographs and full-width forms.
const QRegularExpression kJapanese(QStringLiteral("[\\x{3000}-\\x{30FF}\\x{4E00}-\\x{9FFF}\\x{FF00}-\\x{FFEF}]"));

QStringList JapaneseLines(const QString& texts)
{
    QStringList lines;
    for (const QString& line : texts.split(QLatin1Char('\n'))) {
        if (line.contains(kJapanese))
            lines += line;
    }
    return lines;
}

QStringList StandardButtonTexts()
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("caption"), QStringLiteral("text"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QStringList texts;
    for (QAbstractButton* button : box.buttons())
        texts += button->text();
    return texts;
}

QString ReadTexts(const char* name)
{
    QFile file(QStringLiteral(LARKSPOOL_SOURCE_DIR "/tests/app/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST_F(WindowTexts, in_the_programs_own_language_read_as_recorded)
{
    const QString texts = DumpEveryWindow();

    if (const char* out = std::getenv("LARKSPOOL_WRITE_TEXTS")) {
        QFile file(QString::fromLocal8Bit(out));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(texts.toUtf8());
    }
    EXPECT_EQ(texts.toStdString(), ReadTexts("window_texts.ja.txt").toStdString());
}

TEST_F(EnglishWindowTexts, hold_no_japanese_and_follow_the_english_names)
{
    ASSERT_TRUE(m_found) << "no larkspool_en.qm in " LARKSPOOL_TRANSLATIONS_DIR;

    const QString texts = DumpEveryWindow();
    if (const char* out = std::getenv("LARKSPOOL_WRITE_TEXTS_EN")) {
        QFile file(QString::fromLocal8Bit(out));
        if (file.open(QIODevice::WriteOnly))
            file.write(texts.toUtf8());
    }

    EXPECT_EQ(JapaneseLines(texts).join(QLatin1Char('\n')).toStdString(), "");
    for (const char* line : {"frmMain/mnuCopy\ttext\t&Copy to folder…", "frmMain/mnuDelete\ttext\t&Delete files",
                             "frmMain/StatusPanel0\ttext\t4 items", "frmMain/list\tcell\t1000 bytes",
                             "frmHelp\ttitle\tLarkspool for Windows Help"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(line))) << line;
}

TEST_F(EnglishWindowTexts, leave_qts_own_buttons_in_english_and_the_program_s_own_in_half_width_katakana)
{
    const QStringList english = StandardButtonTexts();
    UseWindowLanguage(UiLanguage::Japanese, QStringLiteral(LARKSPOOL_TRANSLATIONS_DIR));
    const QStringList japanese = StandardButtonTexts();

    EXPECT_EQ(JapaneseLines(english.join(QLatin1Char('\n'))), QStringList())
        << english.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(english.contains(QStringLiteral("&Yes")) || english.contains(QStringLiteral("Yes")));
    EXPECT_TRUE(japanese.contains(QStringLiteral("ｷｬﾝｾﾙ"))) << japanese.join(QLatin1Char(' ')).toStdString();
}

} // namespace
} // namespace larkspool::testing
