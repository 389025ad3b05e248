// Program entry: the application object, the twelve windows over the cache
// folder, the event loop. Opening another cache folder from the File menu,
// or the same one with or without its recovered records, ends the loop and
// starts it again over that folder.
#include "ui/main/application_setup.h"
#include "ui/main/cache_folder_commands.h"
#include "ui/main/forms.h"
#include "ui/main/tfrm_main.h"
#include "cache/url_cache.h"
#include "catalogue/cache_location.h"
#include "catalogue/catalogue.h"
#include "ui/common/message_box.h"
#include "settings/cache_folder_setting.h"
#include "settings/cache_open_setting.h"

#include <QApplication>

#include <exception>

namespace {

constexpr int kOpenAnotherFolder = 2;

void ShowError(const std::string& text)
{
    larkspool::ShowMessage(nullptr, text, larkspool::kAppCaption, larkspool::kMessageStop);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    larkspool::SetUpApplication(app);
    const std::string given = argc > 1 ? argv[1] : "";
    std::string folder = larkspool::CacheFolderAtStart(given);
    bool remember = !given.empty(); // a folder named by the user, once it opens
    std::string lastGood;
    try {
        for (;;) {
            const larkspool::CacheOpenOptions options = larkspool::StoredCacheOpenOptions();
            larkspool::OpenedCache opened = larkspool::OpenUrlCache(folder, options);
            if (!opened.cache) {
                ShowError(opened.error);
                if (lastGood.empty() || lastGood == folder)
                    return 0;
                folder = lastGood; // the folder shown before stays open
                remember = false;
                continue;
            }
            lastGood = folder;
            if (remember)
                larkspool::RememberCacheFolder(folder);
            larkspool::FormSet forms(*opened.cache);
            larkspool::FitWindowToCache(forms.main(), *opened.cache);
            auto openAnother = [&folder, &remember](const std::string& chosen) {
                folder = chosen;
                remember = true;
                QApplication::exit(kOpenAnotherFolder);
            };
            larkspool::AddOpenCacheFolderCommand(forms.main(), folder, openAnother);
            larkspool::AddSaveReportCommand(forms.main(), *opened.cache);
            larkspool::AddPropertiesCommand(forms.main(), *opened.cache);
            larkspool::AddShowRecoveredCommand(forms.main(), options.recovered,
                                               [] { QApplication::exit(kOpenAnotherFolder); });
            forms.main().show();
            if (app.exec() != kOpenAnotherFolder)
                break;
        }
    } catch (const std::exception& error) {
        ShowError(error.what());
    }
    return 0;
}
