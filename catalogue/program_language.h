// The language the windows and the command line speak: the program's own
// Japanese, or English for a user whose first UI language is English.
// LARKSPOOL_LANG=ja or =en overrides the locale.
#pragma once

#include <QString>
#include <QStringList>

namespace larkspool {

enum class UiLanguage { Japanese, English };

// From LARKSPOOL_LANG's value (nullptr when unset; any other value than ja
// or en is passed over) and the locale's UI languages, most wanted first.
UiLanguage ChooseUiLanguage(const char* override, const QStringList& uiLanguages);
// The same from the environment and the system locale.
UiLanguage UsersUiLanguage();

// share/larkspool/translations beside the program's bin folder, where the
// build and the package put the English texts.
QString TranslationsFolderOf(const QString& programFolder);

// Installs the texts of language into the application, in place of those of
// an earlier call, and formats dates and numbers in it: an English window
// on a locale of another language uses US English. Japanese needs no file.
// Returns false, and the program's own texts stay, when the translation
// file is not in folder.
bool UseUiLanguage(UiLanguage language, const QString& folder);
// What the last UseUiLanguage installed; Japanese before any.
UiLanguage CurrentUiLanguage();

} // namespace larkspool
