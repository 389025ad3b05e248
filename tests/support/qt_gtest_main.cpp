// GoogleTest main for tests that need a QApplication; runs without a display
// unless one is named, in the program's own language unless one is named,
// and sets the application up as the program does.
#include "ui/main/application_setup.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The windows' texts as the tests spell them, whatever the machine's locale.
    setenv("LARKSPOOL_LANG", "ja", 0);
    QApplication app(argc, argv);
    larkspool::SetUpApplication(app);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
