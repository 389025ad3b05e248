// The About box: the program's icon, name and version.
#pragma once

#include <QDialog>

class QIcon;

namespace larkspool {

inline constexpr const char* kProductName = "Larkspool for Windows";

class TfrmVersion : public QDialog {
    Q_OBJECT

public:
    explicit TfrmVersion(const QIcon& programIcon);
};

} // namespace larkspool
