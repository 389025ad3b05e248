// One entry's properties: every field of its report and its stored response
// head, read-only, as the report command gives them.
#pragma once

#include "report/entry_report.h"

#include <QDialog>

namespace larkspool {

class TfrmProperties : public QDialog {
    Q_OBJECT

public:
    // "lstFields" holds one row a report column (name, value), "txtHead"
    // the status line and header lines, "btnOK" closes.
    TfrmProperties(const ReportRow& row, QWidget* parent);
};

} // namespace larkspool
