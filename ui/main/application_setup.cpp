#include "ui/main/application_setup.h"

#include "ui/main/modal_windows.h"
#include "ui/main/title_bar_buttons.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace larkspool {
namespace {

// The program writes katakana half-width; so does its cancel button.
class CancelInHalfWidth : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char* context, const char* source, const char*, int) const override
    {
        const bool cancel = qstrcmp(source, "Cancel") == 0 || qstrcmp(source, "&Cancel") == 0;
        return qstrcmp(context, "QPlatformTheme") == 0 && cancel ? QStringLiteral("ｷｬﾝｾﾙ") : QString();
    }
    bool isEmpty() const override { return false; }
};

} // namespace

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
    QApplication::installTranslator(new CancelInHalfWidth(&app));
    KeepTitleBarButtonsAsAsked(app);
    KeepModalWindowsInReach(app);
}

} // namespace larkspool
