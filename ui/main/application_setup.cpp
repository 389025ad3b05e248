#include "ui/main/application_setup.h"

#include "ui/main/modal_windows.h"
#include "ui/main/title_bar_buttons.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>
#include <vector>

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

// Qt's own texts as the program's language has them; none for English,
// which Qt speaks already.
std::vector<std::unique_ptr<QTranslator>>& QtTexts()
{
    static std::vector<std::unique_ptr<QTranslator>> installed;
    return installed;
}

} // namespace

bool UseWindowLanguage(UiLanguage language, const QString& folder)
{
    for (const auto& translator : QtTexts())
        QCoreApplication::removeTranslator(translator.get());
    QtTexts().clear();
    const bool found = UseUiLanguage(language, folder);
    if (found && language == UiLanguage::English)
        return true;
    auto qtJapanese = std::make_unique<QTranslator>();
    if (qtJapanese->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qtJapanese.get());
        QtTexts().push_back(std::move(qtJapanese));
    }
    QtTexts().push_back(std::make_unique<CancelInHalfWidth>());
    QCoreApplication::installTranslator(QtTexts().back().get());
    return found;
}

void SetUpApplication(QApplication& app)
{
    // No display name: the desktop would append it to every caption.
    QApplication::setApplicationName(QStringLiteral("Larkspool"));
    QApplication::setOrganizationName(QStringLiteral("Studio Vesprane"));
    UseWindowLanguage(UsersUiLanguage(), TranslationsFolderOf(QCoreApplication::applicationDirPath()));
    KeepTitleBarButtonsAsAsked(app);
    KeepModalWindowsInReach(app);
}

} // namespace larkspool
