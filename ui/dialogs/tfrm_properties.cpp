#include "ui/dialogs/tfrm_properties.h"

#include "catalogue/display_text.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace larkspool {

TfrmProperties::TfrmProperties(const ReportRow& row, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmProperties"));
    setWindowTitle(tr("ﾌﾟﾛﾊﾟﾃｨ"));
    auto* column = new QVBoxLayout(this);

    auto* fields = new QTreeWidget(this);
    fields->setObjectName(QStringLiteral("lstFields"));
    fields->setRootIsDecorated(false);
    fields->setHeaderLabels({tr("項目"), tr("値")});
    for (std::size_t i = 0; i < row.fields.size(); ++i)
        new QTreeWidgetItem(fields, {QString::fromLatin1(kReportColumnNames[i]), DisplayText(row.fields[i])});
    fields->resizeColumnToContents(0);
    auto* fieldsLabel = new QLabel(tr("項目(&F):"), this);
    fieldsLabel->setBuddy(fields);
    column->addWidget(fieldsLabel);
    column->addWidget(fields, 2);

    std::string head = row.statusLine;
    for (const auto& [name, value] : row.head)
        head += "\n" + name + ": " + value;
    auto* text = new QPlainTextEdit(DisplayText(head), this);
    text->setObjectName(QStringLiteral("txtHead"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* headLabel = new QLabel(tr("応答ﾍｯﾀﾞ(&H):"), this);
    headLabel->setBuddy(text);
    column->addWidget(headLabel);
    column->addWidget(text, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btnOK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    column->addWidget(buttons);
    resize(560, 480);
}

} // namespace larkspool
