#include "ui/main/find_bar.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace larkspool {
namespace {

struct TypeRow {
    const char* caption;
    std::optional<EntryTypeGroup> group;
};
const TypeRow kTypeRows[] = {
    {"すべての種類", std::nullopt},           {"ﾍﾟｰｼﾞ", EntryTypeGroup::Pages},
    {"画像", EntryTypeGroup::Images},        {"ｽｸﾘﾌﾟﾄ", EntryTypeGroup::Scripts},
    {"ｽﾀｲﾙｼｰﾄ", EntryTypeGroup::Styles},    {"音声と動画", EntryTypeGroup::Media},
    {"その他", EntryTypeGroup::Other},
};

} // namespace

FindBar::FindBar(QWidget* parent)
    : QWidget(parent), m_text(new QLineEdit(this)), m_type(new QComboBox(this)), m_count(new QLabel(this))
{
    setObjectName(QStringLiteral("FindBar"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    auto* label = new QLabel(QStringLiteral("検索(&F):"), this);
    label->setBuddy(m_text);
    m_text->setObjectName(QStringLiteral("edtFind"));
    m_text->setPlaceholderText(QStringLiteral("URL、名前、ﾀｲﾄﾙの一部"));
    m_type->setObjectName(QStringLiteral("cmbFindType"));
    for (const TypeRow& type : kTypeRows)
        m_type->addItem(QString::fromUtf8(type.caption));
    m_count->setObjectName(QStringLiteral("lblFindCount"));
    auto* close = new QToolButton(this);
    close->setObjectName(QStringLiteral("btnFindClose"));
    close->setText(QStringLiteral("×"));
    close->setToolTip(QStringLiteral("検索終了 (Esc)"));
    row->addWidget(label);
    row->addWidget(m_text, 1);
    row->addWidget(m_type);
    row->addWidget(m_count);
    row->addWidget(close);
    connect(m_text, &QLineEdit::textChanged, this, &FindBar::changed);
    connect(m_type, &QComboBox::currentIndexChanged, this, &FindBar::changed);
    connect(close, &QToolButton::clicked, this, &FindBar::closed);
    hide();
}

EntryFilter FindBar::Filter() const
{
    EntryFilter filter;
    filter.text = m_text->text().toStdString();
    filter.shownText = true;
    filter.type = kTypeRows[std::max(0, m_type->currentIndex())].group;
    return filter;
}

void FindBar::Open()
{
    show();
    m_text->setFocus(Qt::ShortcutFocusReason);
    m_text->selectAll();
}

void FindBar::SetCount(std::size_t found, std::size_t all)
{
    m_count->setText(QStringLiteral("%1 / %2 件").arg(found).arg(all));
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
