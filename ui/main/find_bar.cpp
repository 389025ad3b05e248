#include "ui/main/find_bar.h"

#include "cache/file_time.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolButton>

namespace larkspool {
namespace {

struct TypeRow {
    const char* caption;
    std::optional<EntryTypeGroup> group;
};
const TypeRow kTypeRows[] = {
    {QT_TRANSLATE_NOOP("larkspool::FindBar", "すべての種類"), std::nullopt},           {QT_TRANSLATE_NOOP("larkspool::FindBar", "ﾍﾟｰｼﾞ"), EntryTypeGroup::Pages},
    {QT_TRANSLATE_NOOP("larkspool::FindBar", "画像"), EntryTypeGroup::Images},        {QT_TRANSLATE_NOOP("larkspool::FindBar", "ｽｸﾘﾌﾟﾄ"), EntryTypeGroup::Scripts},
    {QT_TRANSLATE_NOOP("larkspool::FindBar", "ｽﾀｲﾙｼｰﾄ"), EntryTypeGroup::Styles},    {QT_TRANSLATE_NOOP("larkspool::FindBar", "音声と動画"), EntryTypeGroup::Media},
    {QT_TRANSLATE_NOOP("larkspool::FindBar", "その他"), EntryTypeGroup::Other},
};

QSpinBox* SizeBox(QWidget* parent, const char* name, const QString& suffix, const QString& unbounded)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromUtf8(name));
    box->setRange(0, 1 << 30);
    box->setSuffix(suffix);
    box->setSpecialValueText(unbounded);
    return box;
}

QDateEdit* DateBox(QWidget* parent, const char* name)
{
    auto* box = new QDateEdit(QDate::currentDate(), parent);
    box->setObjectName(QString::fromUtf8(name));
    box->setCalendarPopup(true);
    box->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    box->setEnabled(false);
    return box;
}

// The local day's first or last instant as UTC ticks.
FileTicks DayTicks(const QDate& day, bool end)
{
    const QDateTime at = end ? QDateTime(day.addDays(1), QTime(0, 0)).addMSecs(-1) : QDateTime(day, QTime(0, 0));
    return FileTicks(at.toMSecsSinceEpoch() * 10'000 + std::int64_t(kUnixEpochTicks));
}

} // namespace

FindBar::FindBar(QWidget* parent)
    : QWidget(parent), m_text(new QLineEdit(this)), m_type(new QComboBox(this)),
      m_larger(SizeBox(this, "spnFindLarger", tr(" KB 超"), tr("下限なし"))),
      m_smaller(SizeBox(this, "spnFindSmaller", tr(" KB 未満"), tr("上限なし"))), m_dated(new QCheckBox(this)),
      m_since(DateBox(this, "dtpFindSince")), m_until(DateBox(this, "dtpFindUntil"))
{
    setObjectName(QStringLiteral("FindBar"));
    // Two rows, so that the bar never widens the window.
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(4, 2, 4, 2);
    rows->setSpacing(2);
    auto* row = new QHBoxLayout;
    auto* ranges = new QHBoxLayout;
    rows->addLayout(row);
    rows->addLayout(ranges);
    auto* label = new QLabel(tr("検索(&F):"), this);
    label->setBuddy(m_text);
    m_text->setObjectName(QStringLiteral("edtFind"));
    m_text->setPlaceholderText(tr("URL、名前、ﾀｲﾄﾙの一部"));
    m_type->setObjectName(QStringLiteral("cmbFindType"));
    for (const TypeRow& type : kTypeRows)
        m_type->addItem(tr(type.caption));
    auto* close = new QToolButton(this);
    close->setObjectName(QStringLiteral("btnFindClose"));
    close->setText(QStringLiteral("×"));
    close->setToolTip(tr("検索終了 (Esc)"));
    row->addWidget(label);
    row->addWidget(m_text, 1);
    row->addWidget(m_type);
    row->addWidget(close);
    auto* sizes = new QLabel(tr("ｻｲｽﾞ(&S):"), this);
    sizes->setBuddy(m_larger);
    ranges->addWidget(sizes);
    ranges->addWidget(m_larger);
    ranges->addWidget(new QLabel(tr("～"), this));
    ranges->addWidget(m_smaller);
    m_dated->setObjectName(QStringLiteral("chkFindDated"));
    m_dated->setText(tr("更新日(&D):"));
    ranges->addWidget(m_dated);
    ranges->addWidget(m_since);
    ranges->addWidget(new QLabel(tr("～"), this));
    ranges->addWidget(m_until);
    ranges->addStretch(1);
    connect(m_text, &QLineEdit::textChanged, this, &FindBar::changed);
    connect(m_type, &QComboBox::currentIndexChanged, this, &FindBar::changed);
    for (QSpinBox* box : {m_larger, m_smaller})
        connect(box, &QSpinBox::valueChanged, this, &FindBar::changed);
    for (QDateEdit* box : {m_since, m_until}) {
        connect(box, &QDateEdit::dateChanged, this, &FindBar::changed);
        connect(m_dated, &QCheckBox::toggled, box, &QWidget::setEnabled);
    }
    connect(m_dated, &QCheckBox::toggled, this, &FindBar::changed);
    connect(close, &QToolButton::clicked, this, &FindBar::closed);
    hide();
}

EntryFilter FindBar::Filter() const
{
    EntryFilter filter;
    filter.text = m_text->text().toStdString();
    filter.shownText = true;
    filter.type = kTypeRows[std::max(0, m_type->currentIndex())].group;
    if (m_larger->value() > 0)
        filter.largerThan = std::uint64_t(m_larger->value()) * 1024;
    if (m_smaller->value() > 0)
        filter.smallerThan = std::uint64_t(m_smaller->value()) * 1024;
    if (m_dated->isChecked()) {
        filter.since = DayTicks(m_since->date(), false);
        filter.until = DayTicks(m_until->date(), true);
    }
    return filter;
}

void FindBar::Open()
{
    show();
    m_text->setFocus(Qt::ShortcutFocusReason);
    m_text->selectAll();
}

void FindBar::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        emit closed();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace larkspool
