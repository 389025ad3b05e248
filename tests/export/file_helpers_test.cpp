#include "files/file_helpers.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace larkspool {
namespace {

namespace fs = std::filesystem;

TEST(FileHelpers, parent_folder_name_is_the_nearer_folder_or_the_root)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/file.htm", "/"},
        {"/home/user/site/page.htm", "site"},
        {"site/page.htm", "site"},
        {"page.htm", ""},
        {"/a/", "a"},
    };
    for (const auto& [path, name] : cases)
        EXPECT_EQ(ParentFolderName(path), name) << path;
}

class CreateFolderPathTest : public ::testing::Test {
protected:
    std::string Under(const std::string& relative) const { return m_root.Under(relative); }

    testing::TempFolder m_root;
};

TEST_F(CreateFolderPathTest, creates_every_missing_folder_down_from_the_nearest_existing_one)
{
    ASSERT_EQ(CreateFolderPath(Under("a/b/c")), 0);
    ASSERT_EQ(CreateFolderPath(Under("a/b/d/e")), 0);

    EXPECT_TRUE(fs::is_directory(Under("a/b/c")));
    EXPECT_TRUE(fs::is_directory(Under("a/b/d/e")));
}

TEST_F(CreateFolderPathTest, doubled_and_trailing_separators_make_no_extra_folder)
{
    EXPECT_EQ(CreateFolderPath(Under("t/u/")), 0);
    EXPECT_EQ(CreateFolderPath(Under("v//w")), 0);

    EXPECT_TRUE(fs::is_directory(Under("t/u")));
    EXPECT_TRUE(fs::is_directory(Under("v/w")));
}

TEST_F(CreateFolderPathTest, fails_on_an_existing_path_and_below_a_file)
{
    m_root.Write("file");
    ASSERT_EQ(CreateFolderPath(Under("a")), 0);

    EXPECT_EQ(CreateFolderPath(Under("a")), -1);
    EXPECT_EQ(CreateFolderPath(Under("file/x/y")), -1);
}

TEST_F(CreateFolderPathTest, a_name_without_separator_is_made_in_the_current_folder)
{
    const fs::path saved = fs::current_path();
    fs::current_path(m_root.Path());

    const int result = CreateFolderPath("single");

    fs::current_path(saved);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(fs::is_directory(Under("single")));
}

} // namespace
} // namespace larkspool
