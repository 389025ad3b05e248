#include "export/shell_type_info.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace larkspool {
namespace {

namespace fs = std::filesystem;

class ShellType : public ::testing::Test {
protected:
    ShellType()
        : m_folder(fs::temp_directory_path() / ("larkspool-types-" + std::to_string(::getpid())))
    {
        fs::create_directories(m_folder);
    }
    ~ShellType() override { fs::remove_all(m_folder); }

    std::string MakeFile(const std::string& name)
    {
        const std::string path = (m_folder / name).string();
        std::ofstream(path) << "GIF89a";
        return path;
    }

    fs::path m_folder;
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

TEST_F(ShellType, a_missing_file_has_no_type)
{
    ShellTypeInfo info;
    EXPECT_EQ(GetShellTypeInfo((m_folder / "gone.gif").string(), info), -1);
}

} // namespace
} // namespace larkspool
