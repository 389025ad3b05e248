// The main window on big caches, offscreen: listing a folder of 10,000 files
// (collect, order, refill the model, repaint) in each view style,
// rebuilding the folder tree with the tree view's items, and one keystroke
// of the find bar on the large cache (find, tree of the matches, listing).
#include "ui/main/find_bar.h"
#include "ui/main/folder_items_model.h"
#include "ui/main/forms.h"
#include "ui/main/tfrm_main.h"
#include "ui/main/view_styles.h"
#include "bench/bench_args.h"
#include "bench/bench_cache.h"
#include "catalogue/refresh_progress.h"

#include <QApplication>
#include <QLineEdit>
#include <QSettings>
#include <QTreeWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

using namespace larkspool;

constexpr int kFolderFiles = 10000;
const char* const kBigFolder = "big.example.test/files/";


// A cache whose folder kBigFolder holds kFolderFiles entries: one page with
// a title in three, the rest images.
void FillBigFolder(IndexDatCache& cache)
{
    const std::uint64_t firstTime = kUnixEpochTicks + 1136073600ULL * kTicksPerSecond;
    for (int i = 0; i < kFolderFiles; ++i) {
        const bool page = i % 3 == 0;
        const std::string name = (page ? "page" : "pic") + std::to_string(i) + (page ? ".html" : ".gif");
        const std::string content =
            page ? "<html><head><title>Page " + std::to_string(i) + "</title></head><body></body></html>"
                 : std::string(100 + i % 900, 'G');
        bench::AddCachedFile(cache, "http://" + std::string(kBigFolder) + name, page ? "html" : "gif", content,
                             firstTime + std::uint64_t(i) * 7919 * kTicksPerSecond);
    }
}

// The twelve windows over a cache, the main one shown and refreshed.
class OpenWindow {
public:
    explicit OpenWindow(const std::string& folder)
        : m_cache(folder), m_forms(m_cache)
    {
        Main().show();
        SilentRefreshProgress progress;
        Main().RefreshCache(progress);
        QApplication::processEvents();
    }
    TfrmMain& Main() { return m_forms.main(); }
    IndexDatCache& Cache() { return m_cache; }

private:
    IndexDatCache m_cache;
    FormSet m_forms;
};

std::string g_bigFolderCache;
std::string g_treeCache;

void BM_ListFolder(benchmark::State& state)
{
    OpenWindow window(g_bigFolderCache);
    TfrmMain& main = window.Main();
    main.ApplyViewStyle(QString::fromLatin1(ViewStyleRows()[state.range(0)].button));
    // The folder's name is unique in this cache; a click on it lists it.
    const auto found = main.treeView()->findItems(QStringLiteral("files"), Qt::MatchExactly | Qt::MatchRecursive);
    if (found.size() != 1) {
        state.SkipWithError("the big folder is not in the tree");
        return;
    }
    main.treeView()->setCurrentItem(found.front());
    for (auto _ : state) {
        main.Timer1Timer();
        QApplication::processEvents();
    }
    state.counters["rows"] = double(main.folderItems().Items().size());
}
BENCHMARK(BM_ListFolder)
    ->ArgName("style")
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", bench::Minimum);

void BM_BuildTree(benchmark::State& state)
{
    if (g_treeCache.empty()) {
        state.SkipWithError("no --tree-cache=DIR given");
        return;
    }
    OpenWindow window(g_treeCache);
    TfrmMain& main = window.Main();
    for (auto _ : state) {
        // Ending the filter rebuilds the tree from every entry and refills
        // the tree view.
        main.mnuPickUpClick2();
        QApplication::processEvents();
    }
    state.counters["entries"] = double(main.catalogue().CacheList().size());
    state.counters["folders"] = double(main.catalogue().Tree().FolderList().size());
}
BENCHMARK(BM_BuildTree)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", bench::Minimum);

// Each iteration types one more letter of a word or takes it back, as a user
// narrows and widens; the listing that follows is part of the keystroke.
void BM_FindKeystroke(benchmark::State& state)
{
    if (g_treeCache.empty()) {
        state.SkipWithError("no --tree-cache=DIR given");
        return;
    }
    OpenWindow window(g_treeCache);
    TfrmMain& main = window.Main();
    main.mnuFindClick();
    auto* text = main.findChild<QLineEdit*>(QStringLiteral("edtFind"));
    const QString word = QString::fromLatin1(state.range(0) ? "index" : "page1");
    int typed = 0;
    for (auto _ : state) {
        typed = typed == word.size() ? 1 : typed + 1;
        text->setText(word.left(typed));
        main.Timer1Timer();
        QApplication::processEvents();
    }
    state.counters["entries"] = double(main.catalogue().AllEntries().size());
    state.counters["found"] = double(main.catalogue().CacheList().size());
}
BENCHMARK(BM_FindKeystroke)
    ->ArgName("word")
    ->DenseRange(0, 1)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", bench::Minimum);

} // namespace

// --tree-cache=DIR: the cache whose tree BM_BuildTree builds, such as the
// large one of bench/make-cache.
int main(int argc, char** argv)
{
    const auto treeCache = bench::TakeOption(argc, argv, "--tree-cache");
    g_treeCache = treeCache.empty() ? std::string() : treeCache.back();
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    // The window reads and writes its settings: keep them away from the user's.
    QTemporaryDir scratch;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, scratch.filePath(QStringLiteral("settings")));
    g_bigFolderCache = scratch.filePath(QStringLiteral("cache")).toStdString();
    {
        IndexDatCache cache(g_bigFolderCache);
        FillBigFolder(cache);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
