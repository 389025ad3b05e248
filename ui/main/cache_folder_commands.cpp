// The commands are found by their object names, so that the main window
// itself needs to know nothing of cache folders.
#include "ui/main/cache_folder_commands.h"

#include "ui/common/elided_label.h"
#include "ui/main/file_list_view.h"
#include "ui/main/folder_items_model.h"
#include "ui/dialogs/tfrm_open_cache.h"
#include "ui/dialogs/tfrm_properties.h"
#include "ui/main/wait_cursor.h"
#include "ui/main/tfrm_main.h"
#include "cache/url_cache.h"
#include "catalogue/catalogue.h"
#include "catalogue/machine_caches.h"
#include "catalogue/translated_text.h"
#include "ui/common/message_box.h"
#include "report/report_file.h"
#include "settings/cache_open_setting.h"

#include <QCoreApplication>
#include <QAbstractItemView>
#include <QAction>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QToolButton>
#include <QUrl>

#include <algorithm>
#include <string_view>

namespace larkspool {
namespace {

constexpr const char* kWritingActions[] = {"mnuMove", "mnuDelete", "PopupMove", "PopupDelete", "mnuCopyFromLocal"};
constexpr const char* kWritingButtons[] = {"sbtMove", "sbtDelete", "sbtFromLocal"};

// The tree's heading names the kind of cache; index.dat keeps its own words.
QString TreeHeading(const UrlCacheKind& kind)
{
    if (std::string_view(kind.name) == UrlCacheKind{}.name)
        return QCoreApplication::translate("CacheFolderCommands", "MS-IE Cache ﾌｫﾙﾀﾞ");
    return QCoreApplication::translate("CacheFolderCommands", "%1 ﾌｫﾙﾀﾞ").arg(QString::fromUtf8(kind.name));
}

// Why the writing commands are greyed: a status bar panel, the buttons'
// hints, and Del, whose command is off, answering as a refused job does.
void SayReadOnly(TfrmMain& main)
{
    for (const char* name : kWritingButtons)
        if (auto* button = main.findChild<QToolButton*>(QString::fromLatin1(name)))
            button->setToolTip(button->toolTip() + QCoreApplication::translate("CacheFolderCommands", " (ｷｬｯｼｭは読み取り専用です)"));
    auto* panel = new ElidedLabel(main.statusBar());
    panel->setText(QCoreApplication::translate("CacheFolderCommands", "読み取り専用"));
    panel->setObjectName(QStringLiteral("StatusPanelReadOnly"));
    panel->setToolTip(QString::fromUtf8(kReadOnlyCacheText));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    main.statusBar()->addPermanentWidget(panel);
    auto* del = new QShortcut(QKeySequence(Qt::Key_Delete), &main);
    QObject::connect(del, &QShortcut::activated, &main,
                     [&main] { ShowMessage(&main, kReadOnlyCacheText, kAppCaption, kMessageStop); });
}

} // namespace

void AddOpenCacheFolderCommand(TfrmMain& main, const std::string& inUse,
                               std::function<void(const std::string&)> open)
{
    QMenu* file = main.menuBar()->actions().value(0) ? main.menuBar()->actions().value(0)->menu() : nullptr;
    if (!file)
        return;
    auto* action = new QAction(QCoreApplication::translate("CacheFolderCommands", "ｷｬｯｼｭﾌｫﾙﾀﾞを開く(&O)..."), file);
    action->setObjectName(QStringLiteral("mnuOpenCacheFolder"));
    QAction* first = file->actions().value(0);
    file->insertAction(first, action);
    file->insertSeparator(first);
    QObject::connect(action, &QAction::triggered, &main, [&main, inUse, open = std::move(open)] {
        std::vector<FoundCacheRow> rows;
        {
            // Counting reads every cache through.
            const WaitCursor wait;
            for (const CacheChoice& choice : CachesToChooseFrom(inUse))
                rows.push_back({choice.cache.folder.string(), ChoiceFormats(choice), CountCacheEntries(choice),
                                IsCacheOpenedFrom(choice, inUse), std::max<std::size_t>(1, choice.members.size())});
        }
        TfrmOpenCache dialog(rows, &main);
        if (dialog.exec() == QDialog::Accepted)
            open(dialog.ChosenFolder());
    });
}

void AddSaveReportCommand(TfrmMain& main, UrlCache& cache, ChooseSaveFile choose)
{
    auto* exit = main.findChild<QAction*>(QStringLiteral("mnuExit"));
    QMenu* file = exit ? qobject_cast<QMenu*>(exit->parent()) : nullptr;
    if (!file)
        return;
    if (!choose)
        choose = [&main](const std::string& suggested) {
            return QFileDialog::getSaveFileName(&main, QCoreApplication::translate("CacheFolderCommands", "ﾚﾎﾟｰﾄの保存"), QString::fromStdString(suggested),
                                                QStringLiteral("CSV (*.csv)"))
                .toStdString();
        };
    auto* action = new QAction(QCoreApplication::translate("CacheFolderCommands", "ﾚﾎﾟｰﾄの保存(&R)..."), file);
    action->setObjectName(QStringLiteral("mnuSaveReport"));
    file->insertAction(exit, action);
    file->insertSeparator(exit);
    QObject::connect(action, &QAction::triggered, &main, [&main, &cache, choose = std::move(choose)] {
        const TFolderEntry* folder = main.catalogue().Tree().FolderOfNode(main.CurrentNode());
        const std::vector<TCacheEntry*> entries =
            folder ? main.catalogue().CollectEntriesUnder(folder->Path) : main.catalogue().CacheList();
        const std::string path = choose("report.csv");
        if (path.empty())
            return;
        std::string error;
        {
            // Every body is read once for its digest.
            const WaitCursor wait;
            error = SaveCsvReport(cache, entries, path);
        }
        if (!error.empty())
            ShowMessage(&main, error, kAppCaption, kMessageStop);
    });
}

void AddPropertiesCommand(TfrmMain& main, UrlCache& cache)
{
    QMenu* popup = main.popupMenu();
    if (!popup)
        return;
    auto* action = new QAction(QCoreApplication::translate("CacheFolderCommands", "ﾌﾟﾛﾊﾟﾃｨ(&R)"), &main);
    action->setObjectName(QStringLiteral("PopupProperties"));
    action->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_Return), QKeySequence(Qt::ALT | Qt::Key_Enter)});
    popup->addSeparator();
    popup->addAction(action);
    main.addAction(action); // Alt+Enter without the menu
    QObject::connect(action, &QAction::triggered, &main, [&main, &cache] {
        const QModelIndex current = main.listView()->CurrentView()->currentIndex();
        const auto& items = main.folderItems().Items();
        if (!current.isValid() || std::size_t(current.row()) >= items.size() || items[current.row()]->Kind != 'C')
            return;
        ReportRow row;
        {
            // The body is read once for its digest.
            const WaitCursor wait;
            row = EntryReporter(cache, UtcTicksText).Row(static_cast<const TCacheEntry&>(*items[current.row()]));
        }
        TfrmProperties(row, &main).exec();
    });
}

void AddShowRecoveredCommand(TfrmMain& main, bool shown, std::function<void()> reopen)
{
    auto* refresh = main.findChild<QAction*>(QStringLiteral("mnuRefresh"));
    QMenu* view = refresh ? qobject_cast<QMenu*>(refresh->parent()) : nullptr;
    if (!view)
        return;
    auto* action = new QAction(QCoreApplication::translate("CacheFolderCommands", "回復したﾚｺｰﾄﾞを表示(&U)"), view);
    action->setObjectName(QStringLiteral("mnuShowRecovered"));
    action->setCheckable(true);
    action->setChecked(shown);
    view->insertAction(refresh, action);
    view->insertSeparator(refresh);
    QObject::connect(action, &QAction::triggered, &main, [&main, shown, reopen = std::move(reopen)] {
        if (!RememberShowRecovered(!shown)) {
            ShowMessage(&main, "cannot store the choice in the settings", kAppCaption, kMessageStop);
            return;
        }
        reopen();
    });
}

void FitWindowToCache(TfrmMain& main, UrlCache& cache)
{
    const UrlCacheKind kind = cache.Kind();
    for (const char* name : kWritingActions)
        if (auto* action = main.findChild<QAction*>(QString::fromLatin1(name)))
            action->setEnabled(!kind.readOnly);
    for (const char* name : kWritingButtons)
        if (auto* button = main.findChild<QToolButton*>(QString::fromLatin1(name)))
            button->setEnabled(!kind.readOnly);
    if (auto* heading = main.findChild<QLabel*>(QStringLiteral("lblRootFolderName")))
        heading->setText(TreeHeading(kind));
    if (kind.readOnly)
        SayReadOnly(main);
    if (!kind.filesOnDemand)
        return;
    main.SetFileOpener([&main, &cache](const std::string& path) {
        for (const TCacheEntry* entry : main.catalogue().CacheList()) {
            if (entry->LocalFile != path)
                continue;
            if (cache.RetrieveUrlCacheEntryFileA(entry->CacheKey(), nullptr, nullptr, 0))
                QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
            else
                ShowMessage(&main, FillIn(Translated("CacheFolderCommands", "'%1' を開けませんでした。\n%2"), {entry->Name, cache.LastErrorText()}), kAppCaption,
                            kMessageStop);
            return;
        }
    });
}

} // namespace larkspool
