#include "settings/list_columns_setting.h"

#include "settings/registry_key.h"

namespace larkspool {
namespace {

const QString kDetailColumns = QStringLiteral("DetailColumns");

} // namespace

unsigned StoredOptionalColumns()
{
    RegistryKey key;
    int value = 0;
    return key.Open(false) && key.ReadInteger(kDetailColumns, value) && value > 0 ? unsigned(value) : 0;
}

bool RememberOptionalColumns(unsigned columns)
{
    RegistryKey key;
    return key.Open(true) && key.WriteInteger(kDetailColumns, int(columns)) && key.Close();
}

} // namespace larkspool
