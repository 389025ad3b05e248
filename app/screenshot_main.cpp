// Takes pictures of the main window on a cache folder: the four view styles
// on the host folder of the demo site, the details of a few sub-folders; and
// of the refresh, filter, import source, destination folder, default names
// and About dialogs. Settings go to a temporary folder, never the user's.
// usage: larkspool-screenshots CACHE_DIR OUT_DIR
#include "app/forms.h"
#include "app/frm_pick_up.h"
#include "app/tfrm_main.h"
#include "app/tfrm_refresh.h"
#include "cache/index_dat_cache.h"
#include "import/frm_from_local.h"
#include "settings/frm_def_file.h"
#include "settings/frm_sel_dir.h"
#include "settings/frm_version.h"

#include <QApplication>
#include <QDir>
#include <QProgressBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <string>

namespace {

using namespace larkspool;

void Settle(TfrmMain& main)
{
    for (int i = 0; i < 100 && main.timer1()->isActive(); ++i)
        QTest::qWait(10);
    QTest::qWait(50);
}

bool OpenFolder(TfrmMain& main, const std::string& path)
{
    const int id = main.catalogue().FindFolderNode(path);
    for (QTreeWidgetItemIterator it(main.treeView()); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole + 1).toInt() == id) {
            main.treeView()->setCurrentItem(*it);
            Settle(main);
            return true;
        }
    }
    return false;
}

bool Save(QWidget& widget, const QDir& out, const char* name)
{
    const QString file = out.filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
    const bool ok = widget.grab().save(file);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(file));
    return ok;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: larkspool-screenshots CACHE_DIR OUT_DIR\n");
        return 2;
    }
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    const QDir out(QString::fromLocal8Bit(argv[2]));
    QDir().mkpath(out.path());

    IndexDatCache cache(argv[1]);
    FormSet forms(cache);
    TfrmMain& main = forms.main();
    main.show();
    main.resize(820, 480);
    // The dialog's progress, without showing it (the demo cache is never
    // empty, so no message box waits for an answer).
    main.RefreshCache(*forms.forms().frmRefresh);
    Settle(main);
    main.treeView()->expandAll();

    bool ok = OpenFolder(main, "www.larkspool.test");
    const char* styles[4][2] = {{"sbtLargeIcon", "main-large-icons"},
                                {"sbtSmallIcon", "main-small-icons"},
                                {"sbtListIcon", "main-list"},
                                {"sbtDetailsIcon", "main-details"}};
    for (const auto& style : styles) {
        main.ApplyViewStyle(QString::fromLatin1(style[0]));
        QTest::qWait(50);
        ok = Save(main, out, style[1]) && ok;
    }
    for (const char* folder : {"img", "css", "js", "jp"}) {
        ok = OpenFolder(main, std::string("www.larkspool.test/") + folder) && ok;
        ok = Save(main, out, (std::string("main-details-") + folder).c_str()) && ok;
    }

    // Grabbed without showing it: shown, it would start a refresh.
    TfrmRefresh& refresh = *forms.forms().frmRefresh;
    refresh.SetProgressMaximum(16);
    refresh.SetProgressPosition(7);
    refresh.adjustSize();
    ok = Save(refresh, out, "refresh-dialog") && ok;

    // The other dialogs as their showing fills them, grabbed unshown too.
    Forms& all = forms.forms();
    main.catalogue().LookUpMissingTypes();
    all.frmPickUp->FormShow();
    all.frmPickUp->ToggleRow(1);
    all.frmPickUp->ToggleRow(3);
    ok = Save(*all.frmPickUp, out, "pick-up-dialog") && ok;

    QTemporaryDir exported;
    for (const char* domain : {"www.larkspool.test/img", "img.larkspool.test", "cdn.example.jp", "www.example.jp"})
        QDir(exported.path()).mkpath(QString::fromLatin1(domain));
    main.SetCopyDir(exported.path().toStdString());
    all.frmFromLocal->FormShow();
    ok = Save(*all.frmFromLocal, out, "from-local-dialog") && ok;
    all.frmSelDir->FormShow();
    ok = Save(*all.frmSelDir, out, "destination-folder-dialog") && ok;

    main.SetDefFiles({"index.html", "default.htm", "", true, false});
    all.frmDefFile->FormShow();
    ok = Save(*all.frmDefFile, out, "default-names-dialog") && ok;
    ok = Save(*all.frmVersion, out, "about-box") && ok;
    main.hide();
    return ok ? 0 : 1;
}
