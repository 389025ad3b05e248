// Points the program's settings store at a fresh temporary folder for the
// life of a test, and gives raw access to the values stored there.
#pragma once

#include <QSettings>
#include <QTemporaryDir>

#include <memory>

namespace larkspool::testing {

class SettingsSandbox {
public:
    SettingsSandbox() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_folder.path()); }
    ~SettingsSandbox() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_folder.path() + "/gone"); }

    std::unique_ptr<QSettings> Store() const
    {
        return std::make_unique<QSettings>(QStringLiteral("Studio Vesprane"), QStringLiteral("Larkspool"));
    }

private:
    QTemporaryDir m_folder;
};

} // namespace larkspool::testing
