#include "catalogue/display_text.h"
#include "ui/common/help_window.h"
#include "ui/main/icon_text_delegate.h"
#include "ui/common/message_box.h"
#include "ui/main/split_panel.h"
#include "ui/main/status_tally.h"
#include "ui/main/tfrm_main.h"
#include "ui/main/view_styles.h"
#include "ui/main/window_placement.h"
#include "catalogue/folder_tree.h"
#include "catalogue/size_date_texts.h"
#include "tests/support/temp_folder.h"

#include <QFont>
#include <QFontMetrics>

#include <gtest/gtest.h>

#include <deque>

namespace {

using namespace larkspool;

TEST(ViewStyleTable, both_control_names_of_a_style_select_it_and_others_none)
{
    struct Row {
        const char* name;
        int style;
        bool arrange;
    };
    const Row rows[] = {
        {"sbtLargeIcon", 0, true}, {"mnuLargeIcon", 0, true}, {"sbtSmallIcon", 1, true}, {"mnuSmallIcon", 1, true},
        {"sbtListIcon", 2, false}, {"mnuListIcon", 2, false}, {"sbtDetailsIcon", 3, false}, {"mnuDetailsIcon", 3, false},
    };
    for (const Row& row : rows) {
        const ViewStyleRow* found = ViewStyleForControl(row.name);
        ASSERT_NE(found, nullptr) << row.name;
        EXPECT_EQ(int(found->style), row.style) << row.name;
        EXPECT_EQ(found->arrangeEnabled, row.arrange) << row.name;
    }
    EXPECT_EQ(ViewStyleForControl("sbtRefresh"), nullptr);
    EXPECT_EQ(ViewStyleButton(3), "sbtDetailsIcon");
    EXPECT_EQ(ViewStyleButton(4), "");
    EXPECT_EQ(ViewStyleButton(-1), "");
}

TEST(SplitLimits, the_bar_stays_50_pixels_from_either_edge)
{
    struct Row {
        int newLeft;
        int expected;
    };
    const Row rows[] = {{-30, 50}, {49, 50}, {50, 50}, {200, 200}, {350, 350}, {351, 350}, {999, 350}};
    for (const Row& row : rows)
        EXPECT_EQ(ClampSplitLeft(row.newLeft, 400), row.expected) << row.newLeft;
}

TEST(WindowPlacement, stored_states_outside_the_known_three_mean_normal)
{
    EXPECT_EQ(StoredWindowState(0), Qt::WindowNoState);
    EXPECT_EQ(StoredWindowState(1), Qt::WindowMinimized);
    EXPECT_EQ(StoredWindowState(2), Qt::WindowMaximized);
    EXPECT_EQ(StoredWindowState(3), Qt::WindowNoState);
    EXPECT_EQ(StoredWindowState(-1), Qt::WindowNoState);
    EXPECT_EQ(StoredWindowStateOf(Qt::WindowMaximized), 2);
    EXPECT_EQ(StoredWindowStateOf(Qt::WindowMinimized | Qt::WindowMaximized), 1);
}

TEST(WindowPlacement, a_window_on_no_screen_moves_to_the_primary_and_others_stay)
{
    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    const QRect primary = screens[0];

    EXPECT_EQ(KeepOnScreen(QRect(2000, 100, 600, 400), screens, primary), QRect(2000, 100, 600, 400));
    EXPECT_EQ(KeepOnScreen(QRect(-8, -8, 1936, 1096), screens, primary), QRect(-8, -8, 1936, 1096));
    EXPECT_EQ(KeepOnScreen(QRect(5000, 3000, 600, 400), screens, primary), QRect(0, 0, 600, 400));
    EXPECT_EQ(KeepOnScreen(QRect(-9000, 0, 4000, 2000), screens, primary), QRect(0, 0, 1920, 1080));
}

class StatusBarTally : public ::testing::Test {
protected:
    TListItem* Folder()
    {
        TFolderEntry& folder = m_folders.emplace_back();
        m_items.push_back(&folder);
        return &folder;
    }
    TListItem* File(DWORD size)
    {
        TCacheEntry& entry = m_entries.emplace_back();
        entry.SizeLow = size;
        m_items.push_back(&entry);
        return &entry;
    }

    std::deque<TFolderEntry> m_folders;
    std::deque<TCacheEntry> m_entries;
    std::vector<TListItem*> m_items;
    StatusTally m_tally;
};

TEST_F(StatusBarTally, counts_every_row_and_sums_only_the_files)
{
    for (int i = 0; i < 3; ++i)
        Folder();
    for (int i = 0; i < 5; ++i)
        File(1000);

    const StatusTexts texts = m_tally.Listed(m_items);

    EXPECT_EQ(texts.objects, "8 個のｵﾌﾞｼﾞｪｸﾄ");
    EXPECT_EQ(texts.size, FormatSizeText(5000, 0));
}

TEST_F(StatusBarTally, selections_count_rows_and_bytes_of_files_only_and_marks_follow)
{
    TListItem* folder = Folder();
    TListItem* a = File(1000);
    TListItem* b = File(1000);
    File(1000);
    m_tally.Listed(m_items);

    m_tally.RowChanged(m_items, 1, 1, true);
    StatusTexts texts = m_tally.RowChanged(m_items, 2, 2, true);
    EXPECT_EQ(texts.objects, "2 のｵﾌﾞｼﾞｪｸﾄを選択");
    EXPECT_EQ(texts.size, FormatSizeText(2000, 0));

    texts = m_tally.RowChanged(m_items, 3, 0, true);
    EXPECT_EQ(texts.objects, "3 のｵﾌﾞｼﾞｪｸﾄを選択");
    EXPECT_EQ(texts.size, FormatSizeText(2000, 0));
    EXPECT_TRUE(folder->Selected && a->Selected && b->Selected);

    texts = m_tally.RowChanged(m_items, 3, 2, true); // reported twice: counted once
    EXPECT_EQ(m_tally.SelectedBytes(), 2000u);
    m_tally.RowChanged(m_items, 2, 1, false);
    EXPECT_EQ(m_tally.SelectedBytes(), 1000u);
    EXPECT_FALSE(a->Selected);

    texts = m_tally.RowChanged(m_items, 0, 0, false);
    EXPECT_EQ(texts.objects, "4 個のｵﾌﾞｼﾞｪｸﾄ");
    EXPECT_EQ(m_tally.SelectedBytes(), 0u);
    EXPECT_FALSE(folder->Selected || b->Selected);
}

TEST_F(StatusBarTally, a_row_outside_the_items_changes_no_mark)
{
    File(7);
    m_tally.Listed(m_items);

    const StatusTexts texts = m_tally.RowChanged(m_items, 1, 5, true);

    EXPECT_EQ(texts.objects, "1 のｵﾌﾞｼﾞｪｸﾄを選択");
    EXPECT_EQ(m_tally.SelectedBytes(), 0u);
}

TEST(SmallHelpers, listing_delays_help_path_message_flags_and_display_text)
{
    EXPECT_EQ(ListingDelay(0), 500);
    EXPECT_EQ(ListingDelay(kListingAfterKey), 500);
    EXPECT_EQ(ListingDelay(kListingAtOnce), 1);

    EXPECT_EQ(HelpFilePath("/opt/lark/bin/larkspool"), "/opt/lark/bin/larkspool.hlp");
    EXPECT_EQ(HelpFilePath("/opt/lark/larkspool.exe"), "/opt/lark/larkspool.hlp");

    EXPECT_EQ(MessageIcon(16), QMessageBox::Critical);
    EXPECT_EQ(MessageIcon(48), QMessageBox::Warning);
    EXPECT_EQ(MessageIcon(64), QMessageBox::Information);
    EXPECT_EQ(MessageIcon(36), QMessageBox::Question);
    EXPECT_EQ(MessageButtons(36), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(MessageButtons(21), QMessageBox::Retry | QMessageBox::Cancel);
    EXPECT_EQ(MessageButtons(0), QMessageBox::Ok);

}

TEST(DisplayTextDecoding, each_name_is_decoded_on_its_own_whatever_the_line_around_it)
{
    const struct {
        std::string bytes;
        const char* shown;
    } rows[] = {
        {"ﾌｫﾙﾀﾞ", "ﾌｫﾙﾀﾞ"},
        {"\x83\x65\x83\x58\x83\x67", "テスト"},                                  // Shift-JIS
        {"\x1b$B%F%9%H\x1b(B!", "テスト!"},                                         // JIS
        {"'\x83\x65\x83\x58\x83\x67.htm' から '\xe3\x81\x82' へ", "'テスト.htm' から 'あ' へ"}, // both in one line
        {"\xb1\xb2 (\x83\x5c)", "ｱｲ (ソ)"},                                           // half-width kana; a trail byte 0x5c
        {"'\x1b$B$\"\x1b(B' から '\x83\x65'", "'あ' から 'テ'"},
        {"\x1b$BF|K\\8l\x1b(B page", "日本語 page"}, // a JIS title as the reader keeps it
        {"a/b c.html", "a/b c.html"},
        {"", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(DisplayText(row.bytes).toStdString(), row.shown) << row.bytes;
}

TEST(IconNames, long_names_wrap_on_two_lines_cut_after_the_second_unless_shown_whole)
{
    QFont font;
    font.setPixelSize(12);
    const QFontMetrics metrics(font);
    const int width = 76;
    const QString host = QStringLiteral("blog.larkspool.test");
    const QString longName = QStringLiteral("a-very-long-file-name-that-needs-more-than-two-lines-of-text.html");

    const QStringList hostLines = IconNameLines(host, font, width, false);
    EXPECT_LE(hostLines.size(), 2);
    EXPECT_EQ(hostLines.join(QString()), host) << "a host name fits two lines whole";
    const QStringList cut = IconNameLines(longName, font, width, false);
    ASSERT_EQ(cut.size(), 2);
    EXPECT_TRUE(cut[1].endsWith(QChar(0x2026)));
    const QStringList whole = IconNameLines(longName, font, width, true);
    EXPECT_GT(whole.size(), 2);
    EXPECT_EQ(whole.join(QString()), longName);
    for (const QStringList& lines : {hostLines, cut, whole}) {
        for (const QString& line : lines)
            EXPECT_LE(metrics.horizontalAdvance(line), width) << line.toStdString();
    }
}

TEST(IconNames, a_word_too_long_for_a_line_breaks_before_its_extension)
{
    QFont font;
    font.setPixelSize(12);
    const QFontMetrics metrics(font);
    const struct {
        QString name;
        QStringList lines;
    } rows[] = {
        {QStringLiteral("item0002.html"), {QStringLiteral("item0002"), QStringLiteral(".html")}},
        {QStringLiteral("jquery.min.js"), {QStringLiteral("jquery.min"), QStringLiteral(".js")}},
    };
    for (const auto& row : rows) {
        const int width = metrics.horizontalAdvance(row.name) - 1;

        EXPECT_EQ(IconNameLines(row.name, font, width, false), row.lines) << row.name.toStdString();
    }
}

TEST(HelpFile, beside_the_program_first_then_the_installed_share_folder)
{
    const larkspool::testing::TempFolder root;
    const QString program = QString::fromStdString(root.Under("usr/bin/larkspool"));
    const QString beside = QString::fromStdString(root.Under("usr/bin/larkspool.hlp"));
    const QString installed = QString::fromStdString(root.Under("usr/share/larkspool/larkspool.hlp"));

    // Neither: the file beside the program, whose absence the help window reports.
    EXPECT_EQ(HelpFilePath(program), beside);
    root.Write("usr/share/larkspool/larkspool.hlp");
    EXPECT_EQ(HelpFilePath(program), installed);
    root.Write("usr/bin/larkspool.hlp");
    EXPECT_EQ(HelpFilePath(program), beside);
}

} // namespace
