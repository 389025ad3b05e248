// What every run of the windows sets up on the application before its first
// window: the names, the user's language for the program's texts and Qt's
// own, title bars that offer only the buttons each window asks for, and
// modal dialogs a desktop cannot lose.
#pragma once

#include "catalogue/program_language.h"

class QApplication;
class QString;

namespace larkspool {

void SetUpApplication(QApplication& app);

// The program's texts and Qt's own standard buttons and folder chooser in
// language, in place of an earlier choice; the English texts from folder.
// False when they are not there: the windows then keep the program's own.
bool UseWindowLanguage(UiLanguage language, const QString& folder);

} // namespace larkspool
