// What every run of the windows sets up on the application before its first
// window: the names, Qt's own texts in Japanese, title bars that offer only
// the buttons each window asks for, and modal dialogs a desktop cannot lose.
#pragma once

class QApplication;

namespace larkspool {

void SetUpApplication(QApplication& app);

} // namespace larkspool
