// Program entry: the application object, the twelve windows, the event loop.
#include "app/application_setup.h"
#include "app/forms.h"
#include "app/tfrm_main.h"
#include "cache/index_dat_cache.h"
#include "catalogue/cache_location.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    larkspool::SetUpApplication(app);
    try {
        larkspool::IndexDatCache cache(larkspool::DefaultCacheFolder());
        larkspool::FormSet forms(cache);
        forms.main().show();
        app.exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QString::fromUtf8(larkspool::kAppCaption), QString::fromUtf8(error.what()));
    }
    return 0;
}
