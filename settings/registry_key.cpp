// Registry semantics over QSettings: opening with and without creating, an
// integer read that fails on a missing or non-integer value, text reads that
// treat a missing value as empty, and plain writes.
#include "settings/registry_key.h"

#include <QSettings>

#include <cstdint>

namespace larkspool {

RegistryKey::RegistryKey() = default;
RegistryKey::~RegistryKey() { Close(); }

bool RegistryKey::Open(bool create)
{
    Close();
    auto settings = std::make_unique<QSettings>(QStringLiteral("Studio Vesprane"), QStringLiteral("Larkspool"));
    if (settings->status() != QSettings::NoError)
        return false;
    if (create ? !settings->isWritable() : settings->allKeys().isEmpty())
        return false;
    m_settings = std::move(settings);
    return true;
}

bool RegistryKey::Close()
{
    if (!m_settings)
        return false;
    m_settings->sync();
    const bool ok = m_settings->status() == QSettings::NoError;
    m_settings.reset();
    return ok;
}

bool RegistryKey::ReadInteger(const QString& name, int& value) const
{
    if (!m_settings)
        return false;
    const QVariant stored = m_settings->value(name);
    if (!stored.isValid())
        return false;
    bool ok = false;
    const qlonglong number = stored.toString().trimmed().toLongLong(&ok);
    if (!ok || number < INT32_MIN || number > qlonglong(UINT32_MAX))
        return false;
    value = int(std::int32_t(std::uint32_t(number)));
    return true;
}

bool RegistryKey::ReadText(const QString& name, std::string& value) const
{
    if (!m_settings)
        return false;
    value = m_settings->value(name).toString().toStdString();
    return true;
}

bool RegistryKey::WriteInteger(const QString& name, int value)
{
    if (!m_settings || !m_settings->isWritable())
        return false;
    m_settings->setValue(name, value);
    return true;
}

bool RegistryKey::WriteText(const QString& name, const std::string& value)
{
    if (!m_settings || !m_settings->isWritable())
        return false;
    m_settings->setValue(name, QString::fromStdString(value));
    return true;
}

} // namespace larkspool
