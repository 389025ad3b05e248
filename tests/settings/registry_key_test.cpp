#include "settings/registry_key.h"
#include "tests/support/settings_sandbox.h"

#include <gtest/gtest.h>

namespace {

using Key = larkspool::RegistryKey;

class RegistryKey : public ::testing::Test {
protected:
    void Store(const QString& name, const QVariant& value) { m_sandbox.Store()->setValue(name, value); }

    larkspool::testing::SettingsSandbox m_sandbox;
};

TEST_F(RegistryKey, open_without_create_fails_until_a_value_exists)
{
    Key key;

    EXPECT_FALSE(key.Open(false));
    ASSERT_TRUE(key.Open(true));
    ASSERT_TRUE(key.WriteInteger("A", 1));
    ASSERT_TRUE(key.Close());
    EXPECT_TRUE(key.Open(false));
}

TEST_F(RegistryKey, integer_reads_fail_on_missing_or_non_integer_values)
{
    struct Row {
        QVariant stored;
        bool ok;
        int value;
    };
    const Row rows[] = {
        {QVariant(), false, 7},
        {QVariant(42), true, 42},
        {QVariant(-8), true, -8},
        {QVariant(QStringLiteral("4294967288")), true, -8}, // a DWORD 0xFFFFFFF8
        {QVariant(QStringLiteral("4294967296")), false, 7},
        {QVariant(QStringLiteral("12px")), false, 7},
        {QVariant(QStringLiteral("")), false, 7},
        {QVariant(QStringList{"1", "2"}), false, 7},
    };
    for (const Row& row : rows) {
        if (row.stored.isValid())
            Store("V", row.stored);
        Key key;
        ASSERT_TRUE(key.Open(true));
        int value = 7;

        const bool ok = key.ReadInteger("V", value);

        EXPECT_EQ(ok, row.ok) << row.stored.toString().toStdString();
        EXPECT_EQ(value, row.value) << row.stored.toString().toStdString();
    }
}

TEST_F(RegistryKey, texts_round_trip_and_a_missing_text_is_empty)
{
    Key key;
    ASSERT_TRUE(key.Open(true));
    ASSERT_TRUE(key.WriteText("Dir", "/home/ユーザー/a, b"));
    ASSERT_TRUE(key.Close());
    ASSERT_TRUE(key.Open(false));
    std::string dir;
    std::string missing = "x";

    EXPECT_TRUE(key.ReadText("Dir", dir));
    EXPECT_TRUE(key.ReadText("Missing", missing));

    EXPECT_EQ(dir, "/home/ユーザー/a, b");
    EXPECT_EQ(missing, "");
}

TEST_F(RegistryKey, a_closed_key_neither_reads_nor_writes)
{
    Key key;
    std::string text;
    int value = 0;

    EXPECT_FALSE(key.ReadText("A", text));
    EXPECT_FALSE(key.ReadInteger("A", value));
    EXPECT_FALSE(key.WriteInteger("A", 1));
    EXPECT_FALSE(key.Close());
}

} // namespace
