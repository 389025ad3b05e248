#include "catalogue/shell_type_info.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace larkspool {
namespace {

class ShellType : public ::testing::Test {
protected:
    std::string MakeFile(const std::string& name) { return m_folder.Write(name, "GIF89a"); }

    testing::TempFolder m_folder;
};

TEST_F(ShellType, known_extensions_name_their_type_in_any_case)
{
    ShellTypeInfo lower;
    ShellTypeInfo upper;

    ASSERT_EQ(GetShellTypeInfo(MakeFile("a.gif"), lower), 0);
    ASSERT_EQ(GetShellTypeInfo(MakeFile("b.GIF"), upper), 0);

    EXPECT_FALSE(lower.typeName.empty());
    EXPECT_EQ(lower.typeName.find("ﾌｧｲﾙ"), std::string::npos);
    EXPECT_EQ(lower.typeName, upper.typeName);
    EXPECT_EQ(lower.iconName, "image-gif");
}

TEST_F(ShellType, unknown_types_are_named_after_their_extension)
{
    const std::pair<const char*, const char*> cases[] = {
        {"data.Zq9x", "Zq9x ﾌｧｲﾙ"},
        {"page[1]", "ﾌｧｲﾙ"},
        {"trailing.", "ﾌｧｲﾙ"},
    };
    for (const auto& [name, typeName] : cases) {
        ShellTypeInfo info;
        ASSERT_EQ(GetShellTypeInfo(MakeFile(name), info), 0) << name;
        EXPECT_EQ(info.typeName, typeName) << name;
    }
}

TEST_F(ShellType, names_that_are_not_utf8_are_found_by_their_bytes)
{
    ShellTypeInfo gif;
    ASSERT_EQ(GetShellTypeInfo(MakeFile("plain.gif"), gif), 0);
    // "表.gif" in Shift-JIS, "é.gif" in Latin-1.
    for (const char* name : {"\x95\x5c.gif", "\xe9.gif"}) {
        ShellTypeInfo info;

        ASSERT_EQ(GetShellTypeInfo(MakeFile(name), info), 0) << name;

        EXPECT_EQ(info.typeName, gif.typeName) << name;
        EXPECT_EQ(info.iconName, gif.iconName) << name;
    }
}

TEST_F(ShellType, a_missing_file_has_no_type)
{
    ShellTypeInfo info;
    EXPECT_EQ(GetShellTypeInfo(m_folder.Under("gone.gif"), info), -1);
}

} // namespace
} // namespace larkspool
