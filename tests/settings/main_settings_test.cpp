#include "settings/main_settings.h"
#include "tests/support/settings_sandbox.h"

#include <gtest/gtest.h>

namespace {

using larkspool::MainSettings;

class MainSettingsStore : public ::testing::Test {
protected:
    // A key as a full close writes it, with values unlike every fallback.
    void StoreFullKey()
    {
        MainSettings s;
        s.windowState = 2;
        s.windowLeft = -8;
        s.windowTop = 20;
        s.windowWidth = 800;
        s.windowHeight = 600;
        s.splitBarLeft = 240;
        s.copyDir = "/tmp/書き出し";
        s.columnWidths = {11, 12, 13, 14, 15};
        s.listViewStyle = 3;
        s.arrange = true;
        s.toolBar = false;
        s.statusBar = false;
        s.refreshAtRun = true;
        s.defaultFiles.DefFile1 = "default.htm";
        s.defaultFiles.DefFile2 = "index.htm";
        s.defaultFiles.DefFile3 = "welcome.html";
        s.defaultFiles.DefFileFlag2 = true;
        s.defaultFiles.DefFileFlag3 = true;
        ASSERT_TRUE(larkspool::WriteMainSettings(s));
    }
    void Remove(const char* name) { m_sandbox.Store()->remove(QString::fromLatin1(name)); }
    static MainSettings Read()
    {
        MainSettings s;
        larkspool::ReadMainSettings(s);
        return s;
    }
    static void ExpectGroup1Fallbacks(const MainSettings& s)
    {
        EXPECT_EQ(s.windowState, 0);
        EXPECT_EQ(s.windowLeft, 0);
        EXPECT_EQ(s.windowTop, 0);
        EXPECT_EQ(s.windowWidth, 675);
        EXPECT_EQ(s.windowHeight, 356);
        EXPECT_EQ(s.splitBarLeft, 182);
        EXPECT_EQ(s.copyDir, "");
        EXPECT_EQ(s.columnWidths[0], 138);
        EXPECT_EQ(s.columnWidths[2], 58);
        EXPECT_EQ(s.columnWidths[3], 148);
        EXPECT_EQ(s.columnWidths[4], 158);
    }

    larkspool::testing::SettingsSandbox m_sandbox;
};

TEST_F(MainSettingsStore, first_start_gives_every_fallback_and_the_initial_view)
{
    const MainSettings s = Read();

    ExpectGroup1Fallbacks(s);
    EXPECT_EQ(s.columnWidths[1], 100);
    EXPECT_EQ(s.listViewStyle, 0);
    EXPECT_FALSE(s.arrange);
    EXPECT_TRUE(s.toolBar);
    EXPECT_TRUE(s.statusBar);
    EXPECT_FALSE(s.refreshAtRun);
    EXPECT_EQ(s.defaultFiles.DefFile1, "index.html");
    EXPECT_EQ(s.defaultFiles.DefFile2, "");
    EXPECT_EQ(s.defaultFiles.DefFile3, "");
    EXPECT_FALSE(s.defaultFiles.DefFileFlag2);
    EXPECT_FALSE(s.defaultFiles.DefFileFlag3);
}

TEST_F(MainSettingsStore, a_written_key_reads_back_whole)
{
    StoreFullKey();

    const MainSettings s = Read();

    EXPECT_EQ(s.windowState, 2);
    EXPECT_EQ(s.windowLeft, -8);
    EXPECT_EQ(s.windowTop, 20);
    EXPECT_EQ(s.windowWidth, 800);
    EXPECT_EQ(s.windowHeight, 600);
    EXPECT_EQ(s.splitBarLeft, 240);
    EXPECT_EQ(s.copyDir, "/tmp/書き出し");
    EXPECT_EQ(s.columnWidths, (std::array<int, 5>{11, 12, 13, 14, 15}));
    EXPECT_EQ(s.listViewStyle, 3);
    EXPECT_TRUE(s.arrange);
    EXPECT_FALSE(s.toolBar);
    EXPECT_FALSE(s.statusBar);
    EXPECT_TRUE(s.refreshAtRun);
    EXPECT_EQ(s.defaultFiles.DefFile1, "default.htm");
    EXPECT_EQ(s.defaultFiles.DefFile2, "index.htm");
    EXPECT_EQ(s.defaultFiles.DefFile3, "welcome.html");
    EXPECT_TRUE(s.defaultFiles.DefFileFlag2);
    EXPECT_TRUE(s.defaultFiles.DefFileFlag3);
}

TEST_F(MainSettingsStore, column_widths_are_stored_under_their_crossed_names)
{
    StoreFullKey();

    const auto store = m_sandbox.Store();

    EXPECT_EQ(store->value("ListWidth0").toInt(), 11);
    EXPECT_EQ(store->value("ListWidth1").toInt(), 13);
    EXPECT_EQ(store->value("ListWidth2").toInt(), 14);
    EXPECT_EQ(store->value("ListWidth3").toInt(), 15);
    EXPECT_EQ(store->value("ListWidth4").toInt(), 12);
}

TEST_F(MainSettingsStore, a_missing_window_top_drops_group_one_but_keeps_the_view_and_group_two)
{
    StoreFullKey();
    Remove("WindowTop");

    const MainSettings s = Read();

    ExpectGroup1Fallbacks(s);
    EXPECT_EQ(s.listViewStyle, 0);
    EXPECT_FALSE(s.arrange);
    EXPECT_TRUE(s.toolBar);
    EXPECT_EQ(s.columnWidths[1], 12);
    EXPECT_TRUE(s.refreshAtRun);
    EXPECT_EQ(s.defaultFiles.DefFile1, "default.htm");
}

TEST_F(MainSettingsStore, a_failure_late_in_group_one_keeps_the_view_values_read_before_it)
{
    StoreFullKey();
    m_sandbox.Store()->setValue("StatusBar", "on");

    const MainSettings s = Read();

    ExpectGroup1Fallbacks(s);
    EXPECT_EQ(s.listViewStyle, 3);
    EXPECT_TRUE(s.arrange);
    EXPECT_FALSE(s.toolBar);
    EXPECT_TRUE(s.statusBar);
}

TEST_F(MainSettingsStore, a_missing_copy_dir_reads_as_empty_and_the_rest_is_read)
{
    StoreFullKey();
    Remove("CopyDir");

    const MainSettings s = Read();

    EXPECT_EQ(s.copyDir, "");
    EXPECT_EQ(s.windowWidth, 800);
    EXPECT_EQ(s.columnWidths[4], 15);
    EXPECT_EQ(s.listViewStyle, 3);
}

TEST_F(MainSettingsStore, a_key_without_group_two_restores_group_one_and_default_names)
{
    StoreFullKey();
    for (const char* name : {"ListWidth4", "Refresh", "DefFile1", "DefFile2", "DefFile3", "DefFileFlag2", "DefFileFlag3"})
        Remove(name);

    const MainSettings s = Read();

    EXPECT_EQ(s.windowWidth, 800);
    EXPECT_EQ(s.columnWidths[1], 100);
    EXPECT_FALSE(s.refreshAtRun);
    EXPECT_EQ(s.defaultFiles.DefFile1, "index.html");
    EXPECT_FALSE(s.defaultFiles.DefFileFlag2);
}

TEST_F(MainSettingsStore, a_stored_name_longer_than_a_member_holds_gives_the_fallbacks)
{
    StoreFullKey();
    m_sandbox.Store()->setValue("DefFile1", QString(260, QChar(u'a')));

    const MainSettings s = Read();

    EXPECT_EQ(s.defaultFiles.DefFile1, "index.html");
    EXPECT_FALSE(s.refreshAtRun);
    EXPECT_EQ(s.windowWidth, 800);
}

} // namespace
