#include "catalogue/file_type_table.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace larkspool {
namespace {

namespace fs = std::filesystem;

class FileTypes : public ::testing::Test {
protected:
    FileTypes()
        : m_folder(fs::temp_directory_path() / ("larkspool-type-table-" + std::to_string(::getpid())) / "Content.IE5")
    {
        fs::create_directories(m_folder);
    }
    ~FileTypes() override { fs::remove_all(m_folder.parent_path()); }

    std::string MakeFile(const std::string& name)
    {
        const std::string path = (m_folder / name).string();
        std::ofstream(path) << "x";
        return path;
    }

    fs::path m_folder;
    FileTypeTable m_table;
};

TEST_F(FileTypes, extensions_differing_in_case_share_one_row)
{
    const int lower = m_table.GetFileTypeIndex(MakeFile("a.gif"));
    const int upper = m_table.GetFileTypeIndex(MakeFile("b.GIF"));
    const int page = m_table.GetFileTypeIndex(MakeFile("c.htm"));

    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, 0);
    EXPECT_EQ(page, 1);
    EXPECT_EQ(m_table.GetFileTypeCount(), 2);
    EXPECT_EQ(m_table.GetFileTypeRow(0).Ext, ".gif");
    EXPECT_EQ(m_table.GetFileTypeRow(1).ImageIndex, kFirstTypeImage + 1);
}

TEST_F(FileTypes, a_file_without_extension_is_not_typed_by_its_folder_name)
{
    const int first = m_table.GetFileTypeIndex(MakeFile("page[1]"));
    const int second = m_table.GetFileTypeIndex(MakeFile("other[1]"));

    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(m_table.GetFileTypeRow(0).Ext, "");
    EXPECT_EQ(m_table.GetFileTypeRow(0).TypeName, "ﾌｧｲﾙ");
}

TEST_F(FileTypes, a_missing_file_of_a_new_extension_adds_nothing)
{
    EXPECT_EQ(m_table.GetFileTypeIndex((m_folder / "gone.png").string()), -1);
    EXPECT_EQ(m_table.GetFileTypeCount(), 0);
}

} // namespace
} // namespace larkspool
