// Program entry: the application object and the main window.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Larkspool"));
    QApplication::setOrganizationName(QStringLiteral("Studio Vesprane"));
    QApplication::setApplicationDisplayName(QStringLiteral("Larkspool for Windows"));

    QMainWindow window;
    window.setObjectName(QStringLiteral("frmMain"));
    window.resize(640, 480);
    window.show();
    return app.exec();
}
