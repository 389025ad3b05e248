#include "ui/common/theme_icon.h"

// The bundled pictures live in a static library: register them by hand.
static void InitIconResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    (void)done;
}

namespace larkspool {

QIcon BundledIcon(const char* bundledName)
{
    InitIconResources();
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(bundledName)));
}

QIcon ThemeIcon(const char* themeName, const char* bundledName)
{
    return QIcon::fromTheme(QString::fromLatin1(themeName), BundledIcon(bundledName));
}

} // namespace larkspool
