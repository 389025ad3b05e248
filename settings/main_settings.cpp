// Reading and writing the main window's settings. The values are read in
// table order, each applied as soon as it is read, so that a read failing part
// way through a group leaves the values that have no fallback as they were
// read up to that point; the group's other values then take their fallbacks.
#include "settings/main_settings.h"

#include "settings/registry_key.h"

namespace larkspool {

namespace {

// Stored column widths: ListWidth0..3 hold columns 0, 2, 3, 4 and ListWidth4
// holds column 1 (the title column was added last).
constexpr int kColumnOfListWidth[5] = {0, 2, 3, 4, 1};

// A text longer than a member can hold is a value of the wrong shape.
bool ReadSettingText(const RegistryKey& key, const QString& name, std::string& value)
{
    std::string text;
    if (!key.ReadText(name, text) || QString::fromStdString(text).size() > qsizetype(kMaxSettingText))
        return false;
    value = std::move(text);
    return true;
}

bool ReadFlag(const RegistryKey& key, const QString& name, bool& value)
{
    int number = 0;
    if (!key.ReadInteger(name, number))
        return false;
    value = number != 0;
    return true;
}

QString ListWidthName(int stored) { return QStringLiteral("ListWidth%1").arg(stored); }

bool ReadGroup1(const RegistryKey& key, MainSettings& s)
{
    if (!key.ReadInteger(QStringLiteral("WindowState"), s.windowState)
        || !key.ReadInteger(QStringLiteral("WindowLeft"), s.windowLeft)
        || !key.ReadInteger(QStringLiteral("WindowTop"), s.windowTop)
        || !key.ReadInteger(QStringLiteral("WindowWidth"), s.windowWidth)
        || !key.ReadInteger(QStringLiteral("WindowHeight"), s.windowHeight)
        || !key.ReadInteger(QStringLiteral("SplitBarLeft"), s.splitBarLeft)
        || !ReadSettingText(key, QStringLiteral("CopyDir"), s.copyDir))
        return false;
    for (int stored = 0; stored < 4; ++stored) {
        if (!key.ReadInteger(ListWidthName(stored), s.columnWidths[kColumnOfListWidth[stored]]))
            return false;
    }
    return key.ReadInteger(QStringLiteral("ListViewStyle"), s.listViewStyle)
        && ReadFlag(key, QStringLiteral("Arrange"), s.arrange)
        && ReadFlag(key, QStringLiteral("ToolBar"), s.toolBar)
        && ReadFlag(key, QStringLiteral("StatusBar"), s.statusBar);
}

void ApplyGroup1Fallbacks(MainSettings& s)
{
    const MainSettings fallback;
    s.windowState = fallback.windowState;
    s.windowLeft = fallback.windowLeft;
    s.windowTop = fallback.windowTop;
    s.windowWidth = fallback.windowWidth;
    s.windowHeight = fallback.windowHeight;
    s.splitBarLeft = fallback.splitBarLeft;
    s.copyDir = fallback.copyDir;
    s.columnWidths = fallback.columnWidths;
}

bool ReadGroup2(const RegistryKey& key, MainSettings& s)
{
    return key.ReadInteger(ListWidthName(4), s.columnWidths[kColumnOfListWidth[4]])
        && ReadFlag(key, QStringLiteral("Refresh"), s.refreshAtRun)
        && ReadSettingText(key, QStringLiteral("DefFile1"), s.defaultFiles.DefFile1)
        && ReadSettingText(key, QStringLiteral("DefFile2"), s.defaultFiles.DefFile2)
        && ReadSettingText(key, QStringLiteral("DefFile3"), s.defaultFiles.DefFile3)
        && ReadFlag(key, QStringLiteral("DefFileFlag2"), s.defaultFiles.DefFileFlag2)
        && ReadFlag(key, QStringLiteral("DefFileFlag3"), s.defaultFiles.DefFileFlag3);
}

void ApplyGroup2Fallbacks(MainSettings& s)
{
    const MainSettings fallback;
    s.columnWidths[kColumnOfListWidth[4]] = fallback.columnWidths[kColumnOfListWidth[4]];
    s.refreshAtRun = fallback.refreshAtRun;
    s.defaultFiles = fallback.defaultFiles;
}

} // namespace

void ReadMainSettings(MainSettings& settings)
{
    {
        RegistryKey key;
        if (!key.Open(false) || !ReadGroup1(key, settings))
            ApplyGroup1Fallbacks(settings);
    }
    RegistryKey key;
    if (!key.Open(false) || !ReadGroup2(key, settings))
        ApplyGroup2Fallbacks(settings);
}

bool WriteMainSettings(const MainSettings& s)
{
    RegistryKey key;
    if (!key.Open(true))
        return false;
    bool ok = key.WriteInteger(QStringLiteral("WindowState"), s.windowState)
        && key.WriteInteger(QStringLiteral("WindowLeft"), s.windowLeft)
        && key.WriteInteger(QStringLiteral("WindowTop"), s.windowTop)
        && key.WriteInteger(QStringLiteral("WindowWidth"), s.windowWidth)
        && key.WriteInteger(QStringLiteral("WindowHeight"), s.windowHeight)
        && key.WriteInteger(QStringLiteral("SplitBarLeft"), s.splitBarLeft)
        && key.WriteText(QStringLiteral("CopyDir"), s.copyDir);
    for (int stored = 0; ok && stored < 4; ++stored)
        ok = key.WriteInteger(ListWidthName(stored), s.columnWidths[kColumnOfListWidth[stored]]);
    ok = ok && key.WriteInteger(QStringLiteral("ListViewStyle"), s.listViewStyle)
        && key.WriteInteger(QStringLiteral("Arrange"), s.arrange ? 1 : 0)
        && key.WriteInteger(QStringLiteral("ToolBar"), s.toolBar ? 1 : 0)
        && key.WriteInteger(QStringLiteral("StatusBar"), s.statusBar ? 1 : 0)
        && key.WriteInteger(ListWidthName(4), s.columnWidths[kColumnOfListWidth[4]])
        && key.WriteInteger(QStringLiteral("Refresh"), s.refreshAtRun ? 1 : 0)
        && key.WriteText(QStringLiteral("DefFile1"), s.defaultFiles.DefFile1)
        && key.WriteText(QStringLiteral("DefFile2"), s.defaultFiles.DefFile2)
        && key.WriteText(QStringLiteral("DefFile3"), s.defaultFiles.DefFile3)
        && key.WriteInteger(QStringLiteral("DefFileFlag2"), s.defaultFiles.DefFileFlag2 ? 1 : 0)
        && key.WriteInteger(QStringLiteral("DefFileFlag3"), s.defaultFiles.DefFileFlag3 ? 1 : 0);
    return key.Close() && ok;
}

} // namespace larkspool
