// Icons of the windows: the icon theme's, with the program's own pictures
// for systems whose theme lacks a name (or has no theme at all).
#pragma once

#include <QIcon>

namespace larkspool {

// The bundled picture of that name in :/icons.
QIcon BundledIcon(const char* bundledName);
// An icon from the theme, or the bundled picture of that name.
QIcon ThemeIcon(const char* themeName, const char* bundledName);

} // namespace larkspool
