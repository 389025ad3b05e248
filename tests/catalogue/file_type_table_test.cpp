#include "catalogue/file_type_table.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace larkspool {
namespace {

class FileTypes : public ::testing::Test {
protected:
    // Inside a folder with a dot in its name, as the cache's files are.
    std::string MakeFile(const std::string& name) { return m_folder.Write("Content.IE5/" + name); }

    testing::TempFolder m_folder;
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
    EXPECT_EQ(m_table.GetFileTypeIndex(m_folder.Under("Content.IE5/gone.png")), -1);
    EXPECT_EQ(m_table.GetFileTypeCount(), 0);
}

TEST_F(FileTypes, a_body_made_on_demand_is_typed_by_its_name_alone)
{
    const int png = m_table.GetNameTypeIndex(m_folder.Under("scratch/3.png"));

    EXPECT_EQ(png, 0);
    EXPECT_EQ(m_table.GetFileTypeRow(0).Ext, ".png");
    EXPECT_EQ(m_table.GetFileTypeRow(0).IconName, "image-png");
}

} // namespace
} // namespace larkspool
