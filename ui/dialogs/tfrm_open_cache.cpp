// One list row per cache found ("folder  (format, N 件)", a folder of
// several "folder  (2 個のｷｬｯｼｭ: formats, N 件)", the one in use marked);
// OK or a double click
// takes the row, the browse button any folder at all, a profile or a home
// directory included: the cache below it is found when it opens.
#include "ui/dialogs/tfrm_open_cache.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace larkspool {
namespace {

QString RowText(const FoundCacheRow& cache)
{
    const QString entries =
        cache.entries ? TfrmOpenCache::tr("%n 件", nullptr, int(*cache.entries)) : QStringLiteral("-");
    const QString format = QString::fromStdString(cache.format);
    const QString kind =
        cache.caches > 1 ? TfrmOpenCache::tr("%n 個のｷｬｯｼｭ: %1", nullptr, int(cache.caches)).arg(format) : format;
    return QString::fromStdString(cache.folder) + QStringLiteral("  (") + kind + QStringLiteral(", ") + entries +
           QStringLiteral(")") +
           (cache.inUse ? TfrmOpenCache::tr("  [使用中]") : QString());
}

} // namespace

TfrmOpenCache::TfrmOpenCache(const std::vector<FoundCacheRow>& caches, QWidget* parent)
    : QDialog(parent), m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("frmOpenCache"));
    setWindowTitle(tr("ｷｬｯｼｭﾌｫﾙﾀﾞを開く"));
    auto* column = new QVBoxLayout(this);
    auto* label = new QLabel(tr("見つかったｷｬｯｼｭ(&C):"), this);
    label->setBuddy(m_list);
    column->addWidget(label);
    m_list->setObjectName(QStringLiteral("lstCaches"));
    for (const FoundCacheRow& cache : caches) {
        auto* item = new QListWidgetItem(RowText(cache), m_list);
        item->setData(Qt::UserRole, QString::fromStdString(cache.folder));
    }
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
    column->addWidget(m_list);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btnOK"));
    buttons->button(QDialogButtonBox::Ok)->setEnabled(m_list->count() > 0);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("btnCancel"));
    QPushButton* browse = buttons->addButton(tr("ﾌｫﾙﾀﾞの指定(&B)..."), QDialogButtonBox::ActionRole);
    browse->setObjectName(QStringLiteral("btnBrowse"));
    column->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &TfrmOpenCache::btnOKClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browse, &QPushButton::clicked, this, &TfrmOpenCache::btnBrowseClick);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &TfrmOpenCache::btnOKClick);
    resize(520, 260);
}

void TfrmOpenCache::btnOKClick()
{
    const QListWidgetItem* item = m_list->currentItem();
    if (!item)
        return;
    m_chosen = item->data(Qt::UserRole).toString().toStdString();
    accept();
}

void TfrmOpenCache::btnBrowseClick()
{
    const QString folder = QFileDialog::getExistingDirectory(this, windowTitle());
    if (folder.isEmpty())
        return;
    m_chosen = folder.toStdString();
    accept();
}

} // namespace larkspool
