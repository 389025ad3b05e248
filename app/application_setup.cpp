#include "app/application_setup.h"

#include "app/title_bar_buttons.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace larkspool {

void SetUpApplication(QApplication& app)
{
    // No display name: the desktop would append it to every caption.
    QApplication::setApplicationName(QStringLiteral("Larkspool"));
    QApplication::setOrganizationName(QStringLiteral("Studio Vesprane"));
    // The standard buttons and the folder chooser speak the program's
    // language, whatever the user's locale.
    auto* qtTexts = new QTranslator(&app);
    if (qtTexts->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qtTexts);
    KeepTitleBarButtonsAsAsked(app);
}

} // namespace larkspool
