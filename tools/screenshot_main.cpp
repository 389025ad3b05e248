// Takes pictures of the main window on a cache folder: the four view styles
// on the host folder of the demo site, the details of a few sub-folders, the
// refresh dialog, the copy window mid-run with the overwrite question it
// asks, the import's overwrite question, the delete question, and the filter,
// import source, destination folder, default names and About dialogs; or, on
// a browser's cache, its first host in details view. The
// jobs run for real into temporary folders and are answered so that the cache
// stays as it was. Settings go to a temporary folder, never the user's.
// usage: larkspool-screenshots CACHE_DIR OUT_DIR (any cache folder the program opens)
#include "ui/main/application_setup.h"
#include "ui/main/cache_folder_commands.h"
#include "ui/main/forms.h"
#include "ui/main/file_list_view.h"
#include "ui/main/folder_items_model.h"
#include "ui/main/tfrm_pick_up.h"
#include "ui/main/tfrm_main.h"
#include "ui/main/tfrm_refresh.h"
#include "cache/url_cache.h"
#include "catalogue/cache_location.h"
#include "jobs/destination_path.h"
#include "files/file_times.h"
#include "ui/dialogs/tfrm_file_op.h"
#include "ui/dialogs/tfrm_file_op2.h"
#include "ui/dialogs/tfrm_from_local.h"
#include "ui/dialogs/tfrm_def_file.h"
#include "ui/dialogs/tfrm_sel_dir.h"
#include "ui/dialogs/tfrm_version.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>

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

// Runs act on the modal dialog of that name once it is shown.
void WhenShown(const char* name, std::function<void(QWidget&)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, name = QString::fromLatin1(name), act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != name)
            return;
        timer->stop();
        timer->deleteLater();
        QTest::qWait(20);
        act(*modal);
    });
    timer->start();
}

void Click(QWidget& dialog, const char* button)
{
    if (auto* found = dialog.findChild<QPushButton*>(QString::fromLatin1(button)))
        found->click();
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

void FocusTree(TfrmMain& main)
{
    main.activateWindow();
    (void)QTest::qWaitForWindowActive(&main);
    main.treeView()->setFocus();
}

// Selects the first two files of the list as a user does, a click and a
// Ctrl+click, so that the status bar counts them.
bool ClickTwoFiles(TfrmMain& main)
{
    QAbstractItemView* view = main.listView()->CurrentView();
    const auto& items = main.folderItems().Items();
    Qt::KeyboardModifiers modifiers;
    int clicked = 0;
    for (std::size_t row = 0; row < items.size() && clicked < 2; ++row) {
        if (items[row]->Kind != 'C')
            continue;
        const QModelIndex index = main.folderItems().index(int(row), 0);
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, view->visualRect(index).center());
        modifiers = Qt::ControlModifier;
        ++clicked;
    }
    QTest::qWait(50);
    return main.listView()->SelectedCount() == clicked;
}

// Copies a folder over an older copy of its first file: the job window
// mid-run and its question, answered with cancel.
bool ShootCopy(TfrmMain& main, Forms& forms, const QDir& out, const std::string& folder)
{
    QTemporaryDir dest;
    const std::vector<TCacheEntry*> entries = main.catalogue().CollectEntriesUnder(folder);
    if (entries.empty() || !OpenFolder(main, folder))
        return false;
    main.Command().copyDir = dest.path().toStdString();
    const std::string existing = DestinationPath(main.Command().copyDir, entries.front()->SitePath);
    WriteFile(existing, "an older copy");
    bool ok = false;
    WhenShown("frmConfirm", [&](QWidget& question) {
        ok = Save(*forms.frmFileOp, out, "job-window") && Save(question, out, "overwrite-question");
        Click(question, "btnCancel");
    });
    FocusTree(main);
    main.findChild<QToolButton*>(QStringLiteral("sbtCopy"))->click();
    return ok;
}

// Imports a local copy of a cached file under its URL: the import's
// question, answered with cancel.
bool ShootImport(TfrmMain& main, Forms& forms, const QDir& out)
{
    const TCacheEntry* entry = nullptr;
    for (const TCacheEntry* candidate : main.catalogue().CacheList()) {
        const std::string& url = candidate->SourceUrl;
        if (url.rfind("http://", 0) == 0 && url.find('?') == std::string::npos && url.back() != '/') {
            entry = candidate;
            break;
        }
    }
    if (!entry)
        return false;
    QTemporaryDir source;
    const std::string relative = entry->SourceUrl.substr(7);
    WriteFile(source.path().toStdString() + "/" + relative, "a newer local copy of the cached file");
    // Only the entry's domain lies in the source folder, so the copy takes it alone.
    forms.frmFromLocal->findChild<QLineEdit*>(QStringLiteral("edtFolder"))->setText(source.path());
    forms.frmFromLocal->FillDomainList(source.path().toStdString());
    bool ok = false;
    WhenShown("frmConfirm2", [&](QWidget& question) {
        ok = Save(question, out, "import-overwrite-question");
        Click(question, "btnCancel");
    });
    forms.frmFromLocal->btnCopyClick();
    return ok;
}

// Asks to delete a folder and answers no.
bool ShootDelete(TfrmMain& main, const QDir& out, const std::string& folder)
{
    if (!OpenFolder(main, folder))
        return false;
    bool ok = false;
    WhenShown("frmMoveDel", [&](QWidget& question) {
        ok = Save(question, out, "delete-question");
        Click(question, "btnNo");
    });
    FocusTree(main);
    main.findChild<QToolButton*>(QStringLiteral("sbtDelete"))->click();
    return ok;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    SetUpApplication(app);
    if (argc != 3) {
        std::fprintf(stderr, "usage: larkspool-screenshots CACHE_DIR OUT_DIR\n");
        return 2;
    }
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    const QDir out(QString::fromLocal8Bit(argv[2]));
    QDir().mkpath(out.path());

    // Opened as the program opens a folder: an index.dat cache or a browser's.
    const OpenedCache opened = OpenUrlCache(argv[1]);
    if (!opened.cache) {
        std::fprintf(stderr, "larkspool-screenshots: %s\n", opened.error.c_str());
        return 1;
    }
    FormSet forms(*opened.cache);
    TfrmMain& main = forms.main();
    FitWindowToCache(main, *opened.cache);
    main.show();
    main.resize(820, 480);
    // The dialog's progress, without showing it (the demo cache is never
    // empty, so no message box waits for an answer).
    main.RefreshCache(*forms.forms().frmRefresh);
    Settle(main);
    main.treeView()->expandAll();

    // A browser's cache: its first host in details, its files typed by name.
    if (std::string_view(opened.cache->Kind().name) != UrlCacheKind{}.name) {
        const QTreeWidgetItem* root = main.treeView()->topLevelItem(0);
        if (!root || root->childCount() == 0) {
            std::fprintf(stderr, "larkspool-screenshots: the cache lists no host\n");
            return 1;
        }
        main.ApplyViewStyle(QStringLiteral("sbtDetailsIcon"));
        const bool ok = OpenFolder(main, root->child(0)->text(0).toStdString()) &&
                        Save(main, out, (QString::fromLatin1(opened.cache->Kind().name).toLower().replace(' ', '-') +
                                         QStringLiteral("-details")).toLatin1().constData());
        main.hide();
        return ok ? 0 : 1;
    }

    bool ok = OpenFolder(main, "www.larkspool.test");
    const char* styles[4][2] = {{"sbtLargeIcon", "main-large-icons"},
                                {"sbtSmallIcon", "main-small-icons"},
                                {"sbtListIcon", "main-list"},
                                {"sbtDetailsIcon", "main-details"}};
    for (const auto& style : styles) {
        main.ApplyViewStyle(QString::fromLatin1(style[0]));
        QTest::qWait(50);
        ok = ClickTwoFiles(main) && Save(main, out, style[1]) && ok;
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

    ok = ShootCopy(main, forms.forms(), out, "www.larkspool.test/img") && ok;
    // A read-only cache (a browser's) greys import and delete out: their
    // questions never come.
    if (!opened.cache->Kind().readOnly) {
        ok = ShootImport(main, forms.forms(), out) && ok;
        ok = ShootDelete(main, out, "www.larkspool.test") && ok;
    }

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
    main.Command().copyDir = exported.path().toStdString();
    all.frmFromLocal->FormShow();
    ok = Save(*all.frmFromLocal, out, "from-local-dialog") && ok;
    all.frmSelDir->FormShow();
    ok = Save(*all.frmSelDir, out, "destination-folder-dialog") && ok;

    main.Command().defaultFiles = DefaultFiles{"index.html", "default.htm", "", true, false};
    all.frmDefFile->FormShow();
    ok = Save(*all.frmDefFile, out, "default-names-dialog") && ok;
    ok = Save(*all.frmVersion, out, "about-box") && ok;
    main.hide();
    return ok ? 0 : 1;
}
