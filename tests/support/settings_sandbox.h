// Points the program's settings store at a fresh temporary folder for the
// life of a test, and gives raw access to the values stored there.
#pragma once

#include "tests/support/temp_folder.h"

#include <QFile>
#include <QSettings>

#include <memory>

namespace larkspool::testing {

class SettingsSandbox {
public:
    SettingsSandbox() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Folder()); }
    ~SettingsSandbox() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Folder() + "/gone"); }

    std::unique_ptr<QSettings> Store() const
    {
        return std::make_unique<QSettings>(QStringLiteral("Studio Vesprane"), QStringLiteral("Larkspool"));
    }

private:
    QString Folder() const { return QFile::decodeName(m_folder.Path().c_str()); }

    TempFolder m_folder;
};

} // namespace larkspool::testing
