// Choosing and installing the language of the program's texts.
#include "catalogue/program_language.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QTranslator>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace larkspool {
namespace {

QTranslator* g_installed = nullptr;
UiLanguage g_current = UiLanguage::Japanese;

bool IsEnglish(const QString& language)
{
    return language == QLatin1String("en") || language.startsWith(QLatin1String("en-")) ||
           language.startsWith(QLatin1String("en_"));
}

} // namespace

UiLanguage ChooseUiLanguage(const char* override, const QStringList& uiLanguages)
{
    if (override && std::strcmp(override, "ja") == 0)
        return UiLanguage::Japanese;
    if (override && std::strcmp(override, "en") == 0)
        return UiLanguage::English;
    return !uiLanguages.isEmpty() && IsEnglish(uiLanguages.front()) ? UiLanguage::English : UiLanguage::Japanese;
}

UiLanguage UsersUiLanguage()
{
    return ChooseUiLanguage(std::getenv("LARKSPOOL_LANG"), QLocale::system().uiLanguages());
}

QString TranslationsFolderOf(const QString& programFolder)
{
    return QDir::cleanPath(programFolder + QStringLiteral("/../share/larkspool/translations"));
}

bool UseUiLanguage(UiLanguage language, const QString& folder)
{
    if (g_installed) {
        QCoreApplication::removeTranslator(g_installed);
        delete g_installed;
        g_installed = nullptr;
    }
    const QLocale system = QLocale::system();
    g_current = UiLanguage::Japanese;
    if (language == UiLanguage::Japanese) {
        QLocale::setDefault(system);
        return true;
    }
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("larkspool_en"), folder)) {
        QLocale::setDefault(system);
        return false;
    }
    g_installed = translator.release();
    g_current = UiLanguage::English;
    QCoreApplication::installTranslator(g_installed);
    QLocale::setDefault(system.language() == QLocale::English ? system
                                                              : QLocale(QLocale::English, QLocale::UnitedStates));
    return true;
}

UiLanguage CurrentUiLanguage()
{
    return g_current;
}

} // namespace larkspool
