// What the main window does with the cache it shows: the command that opens
// another cache folder, and no writing commands for a read-only cache.
#pragma once

#include <functional>
#include <string>

namespace larkspool {

class TfrmMain;
class UrlCache;

// Puts "ｷｬｯｼｭﾌｫﾙﾀﾞを開く(&O)..." first in the File menu (action
// "mnuOpenCacheFolder"); open is called with the folder chosen. inUse is the
// folder the shown cache was opened from ("" the default).
void AddOpenCacheFolderCommand(TfrmMain& main, const std::string& inUse,
                               std::function<void(const std::string&)> open);

// Asks where to save a file, suggesting a name; "" when the user cancels.
using ChooseSaveFile = std::function<std::string(const std::string& suggested)>;

// Puts "ﾚﾎﾟｰﾄの保存(&R)..." (action "mnuSaveReport") in the File menu,
// before its exit: the report of the entries under the tree's current
// folder (all the list shows at the root) as a CSV file. choose defaults to
// the desktop's save dialog.
void AddSaveReportCommand(TfrmMain& main, UrlCache& cache, ChooseSaveFile choose = {});

// Puts "ﾌﾟﾛﾊﾟﾃｨ(&R)" (action "PopupProperties", Alt+Enter) last in the list's
// context menu: the report of the list's current entry, in TfrmProperties.
void AddPropertiesCommand(TfrmMain& main, UrlCache& cache);

// Puts the tick "回復したﾚｺｰﾄﾞを表示(&U)" (action "mnuShowRecovered") in
// the View menu, before its refresh: ticked when shown says the cache shows
// its recovered records. A click remembers the other choice and calls reopen,
// which opens the cache again with it.
void AddShowRecoveredCommand(TfrmMain& main, bool shown, std::function<void()> reopen);

// Fits the window to the cache: the tree's heading named after its kind;
// move, delete and import greyed out when it is read-only, with the reason
// in the status bar, the buttons' hints and the answer to Del; and a cached
// file made before it is opened when the cache makes its files on demand.
void FitWindowToCache(TfrmMain& main, UrlCache& cache);

} // namespace larkspool
