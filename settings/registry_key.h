// The settings key of the current user, with the semantics of a registry key.
#pragma once

#include <QString>

#include <memory>
#include <string>

class QSettings;

namespace larkspool {

// One key of the program's settings store (QSettings("Studio Vesprane",
// "Larkspool"): the registry key Software\Studio Vesprane\Larkspool on
// Windows, an ini file elsewhere). A key with no values counts as absent.
class RegistryKey {
public:
    RegistryKey();
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Without create, fails when the key does not exist.
    bool Open(bool create);
    // Writes what is pending; true when the store took it.
    bool Close();
    bool IsOpen() const { return m_settings != nullptr; }

    // Fails when the value is missing or is not a 32-bit integer. A value
    // stored as an unsigned 32-bit number reads back as its signed twin, as a
    // DWORD does.
    bool ReadInteger(const QString& name, int& value) const;
    // A missing value reads as an empty text; fails when the key is not open.
    bool ReadText(const QString& name, std::string& value) const;

    bool WriteInteger(const QString& name, int value);
    bool WriteText(const QString& name, const std::string& value);

private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace larkspool
