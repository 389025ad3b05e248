// The main window's stored settings: geometry, view choices, destination
// folder and default file names, read in two groups with their own fallbacks.
#pragma once

#include "catalogue/default_files.h"

#include <array>
#include <string>

namespace larkspool {

class RegistryKey;

// Longest text a stored folder or file name may hold.
inline constexpr std::size_t kMaxSettingText = 259;

struct MainSettings {
    // Group 1. The first eleven values have fallbacks; the last four keep
    // what they held before a failed read.
    int windowState = 0; // 0 normal, 1 minimised, 2 maximised
    int windowLeft = 0;
    int windowTop = 0;
    int windowWidth = 675;
    int windowHeight = 356;
    int splitBarLeft = 182;
    std::string copyDir;
    // Indexed by list column: 0 name, 1 title, 2 size, 3 type, 4 date.
    std::array<int, 5> columnWidths{138, 100, 58, 148, 158};
    int listViewStyle = 0; // 0 large icons, 1 small icons, 2 list, 3 details
    bool arrange = false;
    bool toolBar = true;
    bool statusBar = true;

    // Group 2, all with fallbacks.
    bool refreshAtRun = false;
    DefaultFiles defaultFiles;
};

// Reads both groups into settings, whose view choices (style and the three
// ticks) should hold the window's current state on entry. Never fails: a key
// that cannot be opened, or a failed read, gives that group's fallbacks.
void ReadMainSettings(MainSettings& settings);

// Writes all 22 values in their fixed order, creating the key. Stops at the
// first failed write; false then, or when the key cannot be opened.
bool WriteMainSettings(const MainSettings& settings);

} // namespace larkspool
